#include "ui/ToolWindow.h"

#include "ui/NormalState.h"
#include "ui/TitleStrip.h"
#include "ui/X11WindowType.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace masume::ui {

namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void showWithoutActivating(QWidget &window)
{
    window.setAttribute(Qt::WA_ShowWithoutActivating, true);
    window.show();
    window.setAttribute(Qt::WA_ShowWithoutActivating, false);
}

// Shows `tool` once `owner`'s window has drawn its first frame: queued from
// the first expose, so that it runs after the frame that the expose paints
// has been committed.
class ShowAfterOwner final : public QObject
{
public:
    ShowAfterOwner(QWidget &owner, QWidget &tool)
        : QObject(&tool)
        , m_owner(*owner.windowHandle())
        , m_tool(tool)
    {
        m_owner.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_owner && event->type() == QEvent::Expose && m_owner.isExposed()) {
            m_owner.removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    showWithoutActivating(m_tool);
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWindow &m_owner;
    QWidget &m_tool;
};

} // namespace

void showWithToolWindow(QWidget &owner, QWidget &tool)
{
    if (onWayland()) {
        new ShowAfterOwner(owner, tool);
        owner.show();
        return;
    }
    owner.show();
    showWithoutActivating(tool);
    owner.activateWindow();
}

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
