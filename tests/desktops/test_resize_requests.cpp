// Requests of other clients to resize the grid window on a real X server:
// another client's ConfigureWindow (which the server applies at once where
// no window manager runs, as a manager that ignores the size hints would)
// and a pager's _NET_MOVERESIZE_WINDOW. The window keeps its fixed size, on
// the server and in the program. Runs on Qt's xcb platform without a window
// manager and under openbox and IceWM (tests/desktops/under-window-manager.sh).

#include "app/Startup.h"
#include "support/RealInput.h"
#include "support/X11Properties.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTest>

using namespace masume::test;

class ResizeRequestsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs Qt's xcb platform");
    }

    void init()
    {
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(grid()));
        QTest::qWait(300); // a manager frames and places the window first
    }

    void cleanup() { destroyWindows(); }

    void request_data()
    {
        QTest::addColumn<bool>("fromPager");
        QTest::addColumn<QSize>("asked");
        QTest::newRow("larger, by a client") << false << QSize(600, 600);
        QTest::newRow("smaller, by a client") << false << QSize(100, 100);
        QTest::newRow("wider only, by a client") << false << QSize(400, 313);
        QTest::newRow("larger, by a pager") << true << QSize(600, 600);
        QTest::newRow("smaller, by a pager") << true << QSize(100, 100);
    }

    void request()
    {
        QFETCH(bool, fromPager);
        QFETCH(QSize, asked);
        const QSize own = grid()->size();
        QCOMPARE(sizeOnServer(*grid()), own);
        if (fromPager)
            requestMoveResize(*grid(), asked);
        else
            requestSize(*grid(), asked);
        QTest::qWait(500);
        QTRY_COMPARE(sizeOnServer(*grid()), own);
        QTRY_COMPARE(grid()->size(), own);
        QCOMPARE(grid()->windowHandle()->size(), own);
    }
};

QTEST_MAIN(ResizeRequestsTest)
#include "test_resize_requests.moc"
