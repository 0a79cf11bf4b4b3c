#include "ui/NormalState.h"

#include <QEvent>
#include <QGuiApplication>
#include <QResizeEvent>
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
        // Only the window system's own reports arrive as spontaneous events
        // of the native window; a request of the program's does not.
        if (watched != &m_window || !event->spontaneous())
            return false;
        if (event->type() == QEvent::WindowStateChange)
            stateReported(m_window.windowStates());
        else if (event->type() == QEvent::Resize)
            resized(static_cast<QResizeEvent *>(event)->size());
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

    // A size that the window system set in the normal state and that the
    // window does not take (an X11 manager that ignores the size hints,
    // another client configuring the window) is asked back once; a manager
    // that insists on it (a tiling layout) keeps it, so that the two do not
    // take turns for ever.
    void resized(QSize size)
    {
        if (m_window.windowStates() & HeldStates)
            return;
        if (size == ownSize(size)) {
            m_insisted = QSize();
        } else if (size != m_insisted) {
            m_insisted = size;
            QMetaObject::invokeMethod(this, &NormalStateKeeper::restoreOwnSize,
                                      Qt::QueuedConnection);
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

    QSize ownSize(QSize size) const
    {
        return size.expandedTo(m_widget.minimumSize()).boundedTo(m_widget.maximumSize());
    }

    // Only in the normal state: a compositor accepts any size of a surface
    // that is neither maximised nor full screen, but not of one that is.
    void restoreOwnSize()
    {
        if (m_window.windowStates() & HeldStates)
            return;
        if (m_declaresSize) {
            m_window.setMinimumSize(m_widget.minimumSize());
            m_window.setMaximumSize(m_widget.maximumSize());
        }
        if (ownSize(m_window.size()) != m_window.size())
            m_window.resize(ownSize(m_window.size()));
    }

    QWidget &m_widget;
    QWindow &m_window;
    const bool m_declaresSize;
    QSize m_insisted;
};

} // namespace

void keepNormalState(QWidget &window)
{
    new NormalStateKeeper(window);
}

} // namespace masume::ui
