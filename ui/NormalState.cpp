#include "ui/NormalState.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace masume::ui {

namespace {

constexpr Qt::WindowStates HeldStates = Qt::WindowMaximized | Qt::WindowFullScreen;

class NormalStateKeeper final : public QObject
{
public:
    explicit NormalStateKeeper(QWidget &widget)
        : QObject(&widget)
        , m_widget(widget)
        , m_window(*widget.windowHandle())
        , m_declaresSize(QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    {
        m_window.installEventFilter(this);
        // Emitted both for a request from inside the program (before it
        // reaches the window system) and, just before the report below, for
        // a state the window system sets.
        connect(&m_window, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
            if (m_declaresSize && HeldStates.testFlag(state))
                liftSizeLimits();
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Only the window system's own reports arrive as spontaneous state
        // changes of the native window; a request of the program's does not.
        if (watched == &m_window && event->type() == QEvent::WindowStateChange
            && event->spontaneous())
            stateReported(m_window.windowStates());
        return false;
    }

private:
    void stateReported(Qt::WindowStates states)
    {
        if (states & HeldStates) {
            // Queued: the window first draws and commits the frame at the
            // size that came with the state (in the same pass of window
            // system events as this report), and only then asks to leave.
            QMetaObject::invokeMethod(this, &NormalStateKeeper::leaveHeldState,
                                      Qt::QueuedConnection);
        } else if (m_declaresSize) {
            restoreOwnSize();
        }
    }

    void leaveHeldState()
    {
        if (m_window.windowStates() & HeldStates)
            m_window.setWindowStates(m_window.windowStates() & ~HeldStates);
    }

    void liftSizeLimits()
    {
        m_window.setMinimumSize(QSize(0, 0));
        m_window.setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    // Safe only in the normal state: a compositor accepts any size of a
    // surface that is neither maximised nor full screen.
    void restoreOwnSize()
    {
        m_window.setMinimumSize(m_widget.minimumSize());
        m_window.setMaximumSize(m_widget.maximumSize());
        const QSize own
            = m_window.size().expandedTo(m_widget.minimumSize()).boundedTo(m_widget.maximumSize());
        if (own != m_window.size())
            m_window.resize(own);
    }

    QWidget &m_widget;
    QWindow &m_window;
    const bool m_declaresSize;
};

} // namespace

void keepNormalState(QWidget &window)
{
    new NormalStateKeeper(window);
}

} // namespace masume::ui
