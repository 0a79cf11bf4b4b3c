// Both windows carry the application icon, in every size drawn for it
// exactly as drawn (not scaled from another size), from the icons compiled
// into the program; and the program names its desktop entry. Pixels are
// compared premultiplied, as a pixmap holds them.

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/DesktopIdentity.h"
#include "app/Startup.h"

#include <QApplication>
#include <QImage>
#include <QTest>

class TestDesktopIdentity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        masume::ui::setDesktopIdentity();
        createWindows();
    }

    void cleanupTestCase() { destroyWindows(); }

    void windowsShowTheDrawnIcon_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%d", size) << size;
    }

    void windowsShowTheDrawnIcon()
    {
        QFETCH(int, size);
        const QImage drawn
            = QImage(QStringLiteral(MASUME_SOURCE_DIR "/resources/icon/%1.png").arg(size))
                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(drawn.size(), QSize(size, size));
        for (QWidget *window : {static_cast<QWidget *>(F_Canvas), static_cast<QWidget *>(F_Grid)}) {
            const QImage shown = window->windowIcon()
                                     .pixmap(QSize(size, size))
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(shown, drawn);
        }
    }

    void namesTheDesktopEntry()
    {
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(MASUME_APP_ID));
    }
};

QTEST_MAIN(TestDesktopIdentity)
#include "test_desktop_identity.moc"
