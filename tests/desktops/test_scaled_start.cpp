// The start on a scaled screen (the test's environment sets QT_SCALE_FACTOR
// or QT_SCREEN_SCALE_FACTORS; the X server's screen is 1280 x 900): both
// windows lie wholly on the screen's available area, as the server and its
// window manager (if any) have them, and the picture is shown on the screen
// one picture pixel per device pixel, read back from the server.

#include "app/Startup.h"
#include "canvas/CanvasTestSupport.h"
#include "support/X11Properties.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <algorithm>

using namespace masume;
using namespace masume::test;

namespace {

// The screen's available area in device pixels.
QRect availableOnServer(const QWidget &window)
{
    const QScreen *screen = window.screen();
    const qreal ratio = window.devicePixelRatioF();
    const QRect area = screen->availableGeometry();
    return QRect(QPoint(qRound(area.x() * ratio), qRound(area.y() * ratio)),
                 QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
}

} // namespace

class ScaledStartTest : public QObject
{
    Q_OBJECT

    ScriptedDialogs dialogs;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("reads the windows back from the X server");
    }

    void init()
    {
        ui::setDialogRunner(&dialogs);
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(F_Canvas));
        QVERIFY(QTest::qWaitForWindowExposed(F_Grid));
    }

    void cleanup()
    {
        destroyWindows();
        ui::setDialogRunner(nullptr);
    }

    void bothWindowsOnTheScreen()
    {
        QVERIFY(F_Canvas->devicePixelRatioF() > 1);
        for (QWidget *window : {static_cast<QWidget *>(F_Canvas), static_cast<QWidget *>(F_Grid)}) {
            const QRect area = availableOnServer(*window);
            QTRY_VERIFY2(area.contains(frameOnServer(*window)),
                         qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 outside %6x%7")
                                        .arg(window->objectName())
                                        .arg(frameOnServer(*window).x())
                                        .arg(frameOnServer(*window).y())
                                        .arg(frameOnServer(*window).width())
                                        .arg(frameOnServer(*window).height())
                                        .arg(area.width())
                                        .arg(area.height())));
        }
        // Where they fit, the grid window keeps its fixed size.
        QCOMPARE(F_Grid->size(), F_Grid->minimumSize());
    }

    void pictureOneToOneOnTheScreen()
    {
        dialogs.answers << chooseFile(QStringLiteral(MASUME_FIXTURES "/bmpsuite/g/rgb24.bmp"));
        F_Canvas->OpenPicture1->trigger();
        QCOMPARE(F_Canvas->C_Canvas->width(), 127);
        const Surface &picture = F_Canvas->core().Compounds()[1];
        const qreal ratio = F_Canvas->devicePixelRatioF();
        const QPoint origin = F_Canvas->C_Canvas->mapToGlobal(QPoint(0, 0)) * ratio;
        // Where the widget's place in device pixels is not whole, Qt rounds
        // it: the picture may start a device pixel away from the computed
        // place, but must show there pixel for pixel.
        const auto mismatches = [&] {
            const QImage screen
                = F_Canvas->screen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
            int fewest = picture.width() * picture.height();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int count = 0;
                    for (int y = 0; y < picture.height(); ++y)
                        for (int x = 0; x < picture.width(); ++x) {
                            const Colour p = picture.pixel(x, y);
                            const QPoint at = origin + QPoint(x + dx, y + dy);
                            if (screen.pixel(at) != qRgb(redOf(p), greenOf(p), blueOf(p)))
                                ++count;
                        }
                    fewest = std::min(fewest, count);
                }
            return fewest;
        };
        QTRY_COMPARE(mismatches(), 0);
    }
};

QTEST_MAIN(ScaledStartTest)
#include "test_scaled_start.moc"
