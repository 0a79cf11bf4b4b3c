#include "ui/ToolWindow.h"

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

// Undoes a maximised or full-screen state as soon as the window takes it.
// The request to leave it goes out before the window system's answer to
// the one that set it is applied, so the window is never drawn at the
// other size (a compositor may close the connection of a client whose
// maximised surface keeps another size).
void keepNormalState(QWindow &window)
{
    QObject::connect(&window, &QWindow::windowStateChanged, &window,
                     [&window](Qt::WindowState state) {
                         if (state == Qt::WindowMaximized || state == Qt::WindowFullScreen)
                             window.setWindowStates(Qt::WindowNoState);
                     });
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
    if (onWayland()) {
        // A compositor holds a maximised or full-screen surface to the size
        // it gave (weston ends the connection otherwise), and Qt acknowledges
        // that size before the program hears of the state. So the surface
        // may take any size the compositor gives, for the moment until
        // keepNormalState has undone the state; the widget keeps its fixed
        // size, to which the surface comes back.
        tool.windowHandle()->setMinimumSize(QSize(0, 0));
        tool.windowHandle()->setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }
    markAsToolBar(tool);
    keepNormalState(*tool.windowHandle());
}

} // namespace masume::ui
