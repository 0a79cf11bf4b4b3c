#pragma once

// Input as a person gives it: pointer and key events made by the X server
// itself (its XTEST extension, driven through xdotool), so that they reach
// the program along the whole real path: the server's implicit pointer grab,
// the keyboard focus of the server, Qt's modal blocking of windows, popups
// and the activation of top-level windows. QTest's own events skip all of
// that (they are handed to the widget directly). Only on Qt's xcb platform.

#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace masume::test {

// True on Qt's xcb platform with xdotool installed.
bool realInputAvailable();

// The top-level widget of that object name, or null.
QWidget *topLevel(const QString &objectName);

template<typename T> T *control(const QString &window, const QString &name)
{
    QWidget *w = topLevel(window);
    return w ? w->findChild<T *>(name) : nullptr;
}

// The program's two windows and a control of the grid window by its name.
inline QWidget *grid()
{
    return topLevel(QStringLiteral("F_Grid"));
}

inline QWidget *canvas()
{
    return topLevel(QStringLiteral("F_Canvas"));
}

template<typename T = QWidget> T *inGrid(const char *name)
{
    return control<T>(QStringLiteral("F_Grid"), QLatin1String(name));
}

class RealInput
{
public:
    RealInput() = default;
    // Lets go of any button still held, so that a failed test leaves no
    // grab behind.
    ~RealInput();
    RealInput(const RealInput &) = delete;
    RealInput &operator=(const RealInput &) = delete;

    // The pointer to `at` in w's coordinates (its centre by default).
    void moveTo(const QWidget *w, QPoint at);
    // The pointer to a point of the X screen, in device pixels (where Qt
    // cannot tell a window's place on it: a Wayland compositor's window on
    // the X server).
    void moveToScreen(QPoint at);
    void moveTo(const QWidget *w) { moveTo(w, w->rect().center()); }
    // Button 1 is the left one.
    void press(int button = 1);
    void release(int button = 1);
    void click(const QWidget *w, QPoint at);
    void click(const QWidget *w) { click(w, w->rect().center()); }
    void doubleClick(const QWidget *w, QPoint at);
    // Turns the wheel by `notches` over w: positive away from the user
    // (upwards), negative towards the user.
    void wheel(const QWidget *w, int notches);
    // Each key or chord in turn, pressed and released, in xdotool's key
    // names: "Return", "ctrl+alt+o", "shift+Tab".
    void keys(const QStringList &chords);
    void key(const QString &chord) { keys({chord}); }
    // Types text character by character.
    void type(const QString &text);

private:
    void run(const QStringList &arguments);

    QSet<int> m_held;
};

// Waits, processing events, until the modal window that is up when it is
// made is gone or `timeoutMs` passes; true when it went.
bool waitForNoModal(int timeoutMs = 10000);

// Answers the modal windows that open next, in turn, while each one's own
// event loop runs: as soon as a modal window is shown, exposed and active,
// the next answer runs with it (from within its modal loop, as a person acts
// while the box is up). A modal window already up when this is made is left
// alone. A window that its answer leaves open is closed after a timeout, so
// that a failing test ends instead of waiting forever; `closedByAnswer` then
// tells.
class ModalAnswer : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(QWidget *modal)>;

    explicit ModalAnswer(Answer answer, int timeoutMs = 10000);
    explicit ModalAnswer(QList<Answer> answers, int timeoutMs = 10000);

    // Every answer ran and the last window answered has gone.
    bool done() const;
    bool closedByAnswer() const { return done() && !m_forced; }
    // The class names of the windows answered, in turn.
    QStringList classNames() const { return m_classNames; }

private:
    void poll();

    QList<Answer> m_answers;
    qsizetype m_next = 0;
    bool m_busy = false;
    bool m_forced = false;
    int m_timeoutMs;
    QTimer m_poll;
    QPointer<QWidget> m_alreadyUp;
    QPointer<QWidget> m_current;
    QStringList m_classNames;
};

// Closes any modal window that stays up longer than `timeoutMs` (one no
// answer was ready for), so that a test meeting an unexpected box fails
// instead of waiting forever inside the box's event loop.
class ModalWatchdog : public QObject
{
    Q_OBJECT

public:
    explicit ModalWatchdog(int timeoutMs = 20000);
    // The windows closed so far: class name, title and text.
    QStringList closed() const { return m_closed; }

private:
    void poll();

    int m_timeoutMs;
    QTimer m_poll;
    QPointer<QWidget> m_seen;
    qint64 m_since = 0;
    QStringList m_closed;
};

} // namespace masume::test
