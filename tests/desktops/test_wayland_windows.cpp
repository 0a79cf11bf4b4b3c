// Both windows as native Wayland clients of a compositor that lets Qt draw
// the title bars (weston; tests/desktops/under-weston.sh starts its headless
// backend): both windows are mapped, the grid window above the main window
// as the compositor stacks them (read from its scene graph), its title bar
// has the close box only, and a maximise request for it neither maximises
// it nor ends the program (weston closes the connection of a client whose
// maximised surface keeps another size).

#include "app/Startup.h"
#include "support/WestonScene.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWindow>

class TF_Canvas;
class TF_Grid;
extern TF_Canvas *F_Canvas;
extern TF_Grid *F_Grid;

namespace {

QWidget *grid()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("F_Grid"))
            return w;
    return nullptr;
}

QWidget *canvas()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("F_Canvas"))
            return w;
    return nullptr;
}

// The top-level windows of the program as the compositor stacks them, top
// first, with their place on the output.
QStringList mappedWindows()
{
    QStringList out;
    for (const masume::test::SceneWindow &window : masume::test::sceneWindows()) {
        const QRect r = window.rect;
        out << QStringLiteral("%1 (%2, %3) %4 x %5")
                   .arg(window.title)
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height());
    }
    return out;
}

bool gridAboveCanvas()
{
    const QStringList windows = mappedWindows();
    if (windows.size() != 2)
        return false;
    return windows[0].startsWith(QLatin1String("F_Grid "))
        && windows[1].startsWith(QLatin1String("F_Canvas "));
}

} // namespace

class WaylandWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            QSKIP("a Wayland client (tests/desktops/under-weston.sh)");
    }

    void init()
    {
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(canvas()));
        QVERIFY(QTest::qWaitForWindowExposed(grid()));
    }

    void cleanup() { destroyWindows(); }

    void bothMappedGridOnTop()
    {
        QTRY_VERIFY2(gridAboveCanvas(), qPrintable(mappedWindows().join('\n')));
    }

    // Qt's own title bar (which always has minimise and maximise) is not on
    // the grid window: its surface has no frame around the window, and the
    // title bar it has holds one button, the close box.
    void titleBarWithCloseBoxOnly()
    {
        QCOMPARE(grid()->windowHandle()->frameMargins(), QMargins());
        auto *strip = grid()->findChild<QWidget *>("TitleStrip");
        QVERIFY(strip);
        QVERIFY(strip->isVisible());
        const QList<QAbstractButton *> buttons = strip->findChildren<QAbstractButton *>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->objectName(), QStringLiteral("TitleCloseButton"));
        QCOMPARE(strip->findChild<QLabel *>("TitleText")->text(), QStringLiteral("F_Grid"));
        // The controls keep their places below the title bar.
        const QWidget *check = grid()->findChild<QWidget *>("Check_Grid");
        QCOMPARE(check->pos(), QPoint(64, 64 + strip->height()));
        QCOMPARE(grid()->size(), QSize(209, 313 + strip->height()));
        // The main window keeps Qt's title bar, with all its buttons.
        QVERIFY(canvas()->windowHandle()->frameMargins().top() > 0);
    }

    // The close box hides the window and raises Tool_VGrid, which shows it
    // again, above the main window once more.
    void closeBoxHides()
    {
        auto *close = grid()->findChild<QAbstractButton *>("TitleCloseButton");
        auto *button = canvas()->findChild<QToolButton *>("Tool_VGrid");
        QVERIFY(button->isChecked());
        close->click();
        QTRY_VERIFY(!grid()->isVisible());
        QVERIFY(!button->isChecked());
        QTRY_COMPARE(mappedWindows().size(), 1);
        button->click();
        QTRY_VERIFY(grid()->isVisible());
        QTRY_VERIFY2(gridAboveCanvas(), qPrintable(mappedWindows().join('\n')));
    }

    void maximiseRequest_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("maximised") << int(Qt::WindowMaximized);
        QTest::newRow("full screen") << int(Qt::WindowFullScreen);
    }

    // What a decoration's maximise button does: the request goes to the
    // compositor, which answers with the state and a size of its own. The
    // window stays as it was and the program goes on.
    void maximiseRequest()
    {
        QFETCH(int, state);
        QTRY_COMPARE(mappedWindows().size(), 2);
        const QStringList before = mappedWindows();
        const QSize size = grid()->size();
        grid()->windowHandle()->setWindowStates(Qt::WindowStates(state));
        // The compositor's answer; then the window draws again, as it does
        // at the next move of the pointer over it, and the compositor judges
        // the new frame.
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(300);
            grid()->update();
        }
        QCOMPARE(grid()->size(), size);
        QVERIFY(!(grid()->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)));
        QTRY_COMPARE_WITH_TIMEOUT(mappedWindows(), before, 2000);
    }
};

QTEST_MAIN(WaylandWindowsTest)
#include "test_wayland_windows.moc"
