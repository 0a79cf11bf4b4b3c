#include "support/RealInput.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <cmath>

namespace masume::test {

bool realInputAvailable()
{
    return QGuiApplication::platformName() == QLatin1String("xcb")
        && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

QWidget *topLevel(const QString &objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName)
            return w;
    return nullptr;
}

RealInput::~RealInput()
{
    for (int button : std::as_const(m_held))
        run({QStringLiteral("mouseup"), QString::number(button)});
}

void RealInput::run(const QStringList &arguments)
{
    // xdotool closes its display connection before it exits, which makes
    // the server handle every request first: once it has returned, the
    // events are on their way to this process in the order sent.
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForFinished(10000) || xdotool.exitCode() != 0)
        qWarning("xdotool %s failed: %s", qPrintable(arguments.join(QLatin1Char(' '))),
                 xdotool.readAllStandardError().constData());
}

void RealInput::moveTo(const QWidget *w, QPoint at)
{
    // X coordinates are device pixels.
    const QPointF global = QPointF(w->mapToGlobal(at)) * w->devicePixelRatioF();
    moveToScreen(QPoint(int(std::lround(global.x())), int(std::lround(global.y()))));
}

void RealInput::moveToScreen(QPoint at)
{
    run({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
}

void RealInput::press(int button)
{
    m_held.insert(button);
    run({QStringLiteral("mousedown"), QString::number(button)});
}

void RealInput::release(int button)
{
    m_held.remove(button);
    run({QStringLiteral("mouseup"), QString::number(button)});
}

void RealInput::click(const QWidget *w, QPoint at)
{
    moveTo(w, at);
    run({QStringLiteral("click"), QStringLiteral("1")});
}

void RealInput::doubleClick(const QWidget *w, QPoint at)
{
    moveTo(w, at);
    run({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
         QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("1")});
}

void RealInput::wheel(const QWidget *w, int notches)
{
    moveTo(w);
    // X buttons 4 and 5 are the wheel turned away from and towards the user.
    const QString button = notches > 0 ? QStringLiteral("4") : QStringLiteral("5");
    for (int i = 0; i < std::abs(notches); ++i)
        run({QStringLiteral("click"), button});
}

void RealInput::keys(const QStringList &chords)
{
    run(QStringList {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")}
        + chords);
}

void RealInput::type(const QString &text)
{
    run({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

bool waitForNoModal(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (QApplication::activeModalWidget()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

ModalAnswer::ModalAnswer(Answer answer, int timeoutMs)
    : ModalAnswer(QList<Answer> {std::move(answer)}, timeoutMs)
{
}

ModalAnswer::ModalAnswer(QList<Answer> answers, int timeoutMs)
    : m_answers(std::move(answers))
    , m_timeoutMs(timeoutMs)
    , m_alreadyUp(QApplication::activeModalWidget())
{
    m_poll.setInterval(10);
    connect(&m_poll, &QTimer::timeout, this, &ModalAnswer::poll);
    m_poll.start();
}

bool ModalAnswer::done() const
{
    return m_next == m_answers.size() && !m_busy && (!m_current || !m_current->isVisible());
}

void ModalAnswer::poll()
{
    if (m_busy || m_next == m_answers.size())
        return;
    if (m_current && !m_current->isVisible())
        m_current = nullptr; // gone: a dialog shown again counts anew
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_alreadyUp || !modal->isVisible() || !modal->windowHandle()
        || !modal->windowHandle()->isExposed() || !modal->isActiveWindow())
        return;
    if (modal == m_current) // still the one answered last
        return;
    m_busy = true;
    m_current = modal;
    m_classNames << QString::fromLatin1(modal->metaObject()->className());
    // Still up long after its answer: closed here, so that the test ends.
    QTimer::singleShot(m_timeoutMs, this, [this, window = QPointer<QWidget>(modal)] {
        if (window && window->isVisible()) {
            m_forced = true;
            if (auto *dialog = qobject_cast<QDialog *>(window.data()))
                dialog->reject();
            else
                window->close();
        }
    });
    const Answer answer = m_answers[m_next++];
    answer(modal);
    m_busy = false;
}

ModalWatchdog::ModalWatchdog(int timeoutMs)
    : m_timeoutMs(timeoutMs)
{
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, &ModalWatchdog::poll);
    m_poll.start();
}

void ModalWatchdog::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (modal != m_seen) {
        m_seen = modal;
        m_since = now;
        return;
    }
    if (!modal || now - m_since < m_timeoutMs)
        return;
    QString text;
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        text = box->text();
    m_closed << QStringLiteral("%1 \"%2\" %3")
                    .arg(QLatin1String(modal->metaObject()->className()), modal->windowTitle(),
                         text);
    m_seen = nullptr;
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace masume::test
