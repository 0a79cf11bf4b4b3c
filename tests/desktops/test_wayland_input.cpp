// Both windows as native Wayland clients of weston with a seat (its X11
// backend, tests/desktops/under-weston.sh --x11), driven with real input made
// by that X server (xdotool): a click into the main window, dialogs opened
// from the grid window and the keyboard after them. What the compositor
// shows is read from its scene graph (support/WestonScene.h): the grid window
// stays above the main window, a dialog comes above both, and once it is
// gone the keyboard is back in the control it came from.
//
// Weston gives the keyboard to a window's last child when the window is
// clicked (it treats children as dialogs), so on weston the grid window has
// the keyboard also after a click into the main window; the tests hold the
// stacking, not that choice of the compositor.

#include "app/Startup.h"
#include "support/CurrentFolder.h"
#include "support/RealInput.h"
#include "support/WestonScene.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>

#include <functional>
#include <optional>

using namespace masume::test;

namespace {

bool gridAboveCanvas()
{
    const QStringList titles = sceneTitles();
    const qsizetype g = titles.indexOf(QStringLiteral("F_Grid"));
    const qsizetype c = titles.indexOf(QStringLiteral("F_Canvas"));
    return g >= 0 && c >= 0 && g < c;
}

} // namespace

class WaylandInputTest : public QObject
{
    Q_OBJECT

    std::optional<TemporaryCurrentFolder> folder;
    std::optional<RealInput> input;

    RealInput &in() { return *input; }

    void click(const QWidget *w, QPoint at)
    {
        const QPoint there = onOutput(w, at);
        QVERIFY2(!there.isNull(), qPrintable(w->objectName()));
        in().moveToScreen(there);
        in().press();
        in().release();
    }
    void click(const QWidget *w) { click(w, w->rect().center()); }

    // Runs `open` (real input that opens a modal window from the grid
    // window) and, while the modal window is up, checks that the compositor
    // shows it on top with the grid window above the main window beneath
    // it; `close` then answers it. Afterwards the keyboard is back in `from`.
    void dialogFromTheGridWindow(QWidget *from, const std::function<void()> &open,
                                 const QString &close)
    {
        QStringList whileUp;
        QString title;
        ModalAnswer answer([&](QWidget *modal) {
            title = modal->windowTitle();
            // Mapped a moment after Qt shows it; a failure shows in whileUp.
            [[maybe_unused]] const bool mapped = QTest::qWaitFor([&] {
                whileUp = sceneTitles();
                return whileUp.size() == 3;
            });
            in().key(close);
        });
        open();
        QTRY_VERIFY_WITH_TIMEOUT(answer.done(), 15000);
        QVERIFY(answer.closedByAnswer());
        QCOMPARE(whileUp,
                 QStringList({title, QStringLiteral("F_Grid"), QStringLiteral("F_Canvas")}));
        QVERIFY(waitForNoModal());
        QTRY_COMPARE(QApplication::activeWindow(), grid());
        QTRY_COMPARE(QApplication::focusWidget(), from);
        QTRY_COMPARE(sceneTitles(),
                     QStringList({QStringLiteral("F_Grid"), QStringLiteral("F_Canvas")}));
    }

private slots:
    void initTestCase()
    {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            QSKIP("a Wayland client (tests/desktops/under-weston.sh --x11)");
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
            || qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs xdotool and the X server of weston's X11 backend");
    }

    void init()
    {
        folder.emplace();
        input.emplace();
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(canvas()));
        QVERIFY(QTest::qWaitForWindowExposed(grid()));
        QTRY_COMPARE(sceneTitles().size(), 2);
        // Weston hears of the pointer only when it moves.
        in().moveToScreen(QPoint(1000, 800));
        in().moveToScreen(QPoint(1001, 801));
    }

    void cleanup()
    {
        input.reset();
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        destroyWindows();
        folder.reset();
        QTRY_COMPARE(sceneTitles().size(), 0);
    }

    // The compositor raises the main window it activates, and keeps the
    // grid window, its child, above it.
    void clickIntoTheMainWindow()
    {
        QTRY_VERIFY(gridAboveCanvas());
        auto *area = canvas()->findChild<QWidget *>(QStringLiteral("ScrollBox1"));
        click(area, QPoint(area->width() - 40, area->height() - 40));
        QTest::qWait(500);
        QVERIFY2(gridAboveCanvas(), qPrintable(sceneTitles().join(' ')));
    }

    void saveDialog()
    {
        auto *box = inGrid<QLineEdit>("E_SizeV");
        click(box);
        QTRY_COMPARE(QApplication::focusWidget(), box);
        dialogFromTheGridWindow(
            box, [&] { in().key(QStringLiteral("ctrl+alt+a")); }, QStringLiteral("Escape"));
    }

    void colourChooser()
    {
        auto *box = inGrid<QLineEdit>("E_ColorG");
        click(box);
        QTRY_COMPARE(QApplication::focusWidget(), box);
        dialogFromTheGridWindow(
            box, [&] { click(inGrid("ColorPanel")); }, QStringLiteral("Escape"));
    }

    // A size of 0 typed into a box with a grid kind chosen: the error box,
    // closed with Enter; the keyboard goes back to the box.
    void errorBox()
    {
        click(inGrid("Btn_Square"));
        auto *box = inGrid<QLineEdit>("E_SizeH");
        click(box);
        QTRY_COMPARE(QApplication::focusWidget(), box);
        in().keys({QStringLiteral("End"), QStringLiteral("BackSpace"), QStringLiteral("BackSpace"),
                   QStringLiteral("0")});
        QTRY_COMPARE(box->text(), QStringLiteral("0"));
        dialogFromTheGridWindow(
            box, [&] { in().key(QStringLiteral("Return")); }, QStringLiteral("Return"));
    }
};

QTEST_MAIN(WaylandInputTest)
#include "test_wayland_input.moc"
