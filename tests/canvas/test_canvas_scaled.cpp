// The picture view on a scaled screen (QT_SCALE_FACTOR, set by the test's
// environment to 2 and to 1.5): still one picture pixel per device pixel.

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/Startup.h"
#include "canvas/CanvasTestSupport.h"

#include <QAction>
#include <QTest>

#include <cmath>

using namespace masume;
using namespace masume::test;

class CanvasScaledTest : public QObject
{
    Q_OBJECT

    ScriptedDialogs dialogs;

private slots:
    void init()
    {
        ui::setDialogRunner(&dialogs);
        createWindows();
    }

    void cleanup()
    {
        destroyWindows();
        ui::setDialogRunner(nullptr);
    }

    void pictureAtOneToOne()
    {
        TF_Canvas &c = *F_Canvas;
        const qreal ratio = c.C_Canvas->devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
        // The logical size is the picture's divided by the ratio, rounded up.
        const auto logical = [ratio](int pixels) { return int(std::ceil(pixels / ratio)); };
        QCOMPARE(c.C_Canvas->size(), QSize(logical(105), logical(105)));

        const QString path = QStringLiteral(MASUME_FIXTURES "/bmpsuite/g/rgb24.bmp");
        dialogs.answers << chooseFile(path);
        c.OpenPicture1->trigger();
        QCOMPARE(c.C_Canvas->width(), 127);
        QCOMPARE(c.C_Canvas->height(), 64);
        QCOMPARE(c.C_Canvas->size(), QSize(logical(127), logical(64)));

        const QPixmap grabbed = c.C_Canvas->grab();
        QCOMPARE(grabbed.devicePixelRatio(), ratio);
        const QImage shown = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
        const Surface &picture = c.core().Compounds()[1];
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const Colour p = picture.pixel(x, y);
                QCOMPARE(shown.pixel(x, y), qRgb(redOf(p), greenOf(p), blueOf(p)));
            }
    }
};

QTEST_MAIN(CanvasScaledTest)
#include "test_canvas_scaled.moc"
