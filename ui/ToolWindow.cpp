#include "ui/ToolWindow.h"

#include "ui/NormalState.h"
#include "ui/TitleStrip.h"
#include "ui/X11WindowType.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace masume::ui {

namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

void makeToolWindow(QWidget &tool, QWidget &owner)
{
    if (onWayland()) {
        tool.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        addTitleStrip(tool);
    } else {
        tool.setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowCloseButtonHint);
    }
    owner.winId();
    tool.winId();
    tool.windowHandle()->setTransientParent(owner.windowHandle());
    markAsToolBar(tool);
    keepNormalState(tool);
}

} // namespace masume::ui
