// The main window when memory runs out: opening a picture, choosing a
// grid and saving each meet an allocation that fails, each of their large
// blocks in turn (only blocks of some size fail, the pictures' own memory
// and the writers' buffers, not Qt's small allocations, which Qt does not
// survive). The error box shows "メモリが不足しています." and the program goes
// on with everything that was shown and loaded as it was, and the old file
// in place.

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/Startup.h"
#include "canvas/CanvasTestSupport.h"
#include "common/Messages.h"
#include "support/CurrentFolder.h"
#include "support/FailingAllocations.h"
#include "support/Pixels.h"

#include <QAction>
#include <QDir>
#include <QTest>

#include <optional>
#include <random>

using namespace masume;
using namespace masume::test;

namespace {

const QString OutOfMemory = QString::fromUtf8(msg::OutOfMemory) + QLatin1Char('.');

} // namespace

class WindowFaultsTest : public QObject
{
    Q_OBJECT

    ScriptedDialogs dialogs;
    std::optional<TemporaryCurrentFolder> folder;

    QString inFolder(const QString &name) const { return folder->filePath(name); }

    // Runs a command with the n-th allocation of at least `bytes` failing;
    // false when it made fewer.
    bool withFailing(size_t bytes, uint64_t n, QAction *command)
    {
        failAllocationsOfAtLeast(bytes, n);
        command->trigger();
        stopFailingAllocations();
        return anAllocationFailed();
    }

    // Whether the last dialog was the error box; then with the
    // out-of-memory message. A failure the program took back (the pixel
    // buffers try once more after dropping those held for reuse) shows
    // none, and the command must have done its work.
    bool errorBoxShown()
    {
        if (dialogs.shown.isEmpty() || dialogs.shown.last().kind != QStringLiteral("error"))
            return false;
        return dialogs.shown.last().text == OutOfMemory;
    }

    // The first picture with a square grid.
    void openFirst()
    {
        F_Grid->Grid_Square->trigger();
        dialogs.answers << chooseFile(inFolder("first.bmp"));
        F_Canvas->OpenPicture1->trigger();
        QCOMPARE(F_Canvas->core().Layers()[0].width(), 300);
    }

private slots:
    void init()
    {
        folder.emplace();
        QVERIFY(folder->isValid());
        ui::setDialogRunner(&dialogs);
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(F_Canvas));
        std::mt19937 rng(1);
        writeBmpFile(randomSurface(300, 200, PixelFormat::Rgb24, rng),
                     inFolder("first.bmp").toStdString());
        writeBmpFile(randomSurface(600, 400, PixelFormat::Rgb24, rng),
                     inFolder("second.bmp").toStdString());
    }

    void cleanup()
    {
        stopFailingAllocations();
        destroyWindows();
        ui::setDialogRunner(nullptr);
        dialogs = ScriptedDialogs();
        folder.reset();
    }

    // Each block of 200 KB or more that opening a 600 x 400 picture takes
    // (its background, the surfaces brought to its size, the new mask and
    // composite) fails in turn.
    void opening()
    {
        uint64_t n = 1;
        for (;; ++n) {
            openFirst();
            const State before = State::of(*F_Canvas, *F_Grid);
            dialogs.answers << chooseFile(inFolder("second.bmp"));
            if (!withFailing(200'000, n, F_Canvas->OpenPicture1))
                break;
            if (!errorBoxShown()) {
                QCOMPARE(F_Canvas->core().Compounds()[1].width(), 600);
                continue;
            }
            const State after = State::of(*F_Canvas, *F_Grid);
            QVERIFY2(sameSurfaces(after, before), qPrintable(QString("block %1").arg(n)));
            QCOMPARE(QString::fromStdString(after.name), inFolder("second.bmp"));
        }
        QVERIFY(n > 4);
        // The run without a failure opened the picture.
        QCOMPARE(F_Canvas->core().Compounds()[1].width(), 600);
    }

    // Another grid kind: each block it takes fails in turn. That is the new
    // mask's; the composite with grid is only a record of its blits and
    // takes no block of the picture's size.
    void drawingTheGrid()
    {
        openFirst();
        uint64_t n = 1;
        for (;; ++n) {
            F_Grid->Grid_Square->trigger();
            const State before = State::of(*F_Canvas, *F_Grid);
            const qsizetype shown = dialogs.shown.size();
            if (!withFailing(50'000, n, F_Grid->Grid_Diamond))
                break;
            if (dialogs.shown.size() == shown)
                continue; // taken back: drawn all the same
            QVERIFY(errorBoxShown());
            QVERIFY2(sameSurfaces(State::of(*F_Canvas, *F_Grid), before),
                     qPrintable(QString("block %1").arg(n)));
        }
        QVERIFY(n > 1);
    }

    // Saving over an old file, as BMP and as JPEG: each block of 100 KB or
    // more (a BMP's row batch, the JPEG encoder with its buffer).
    void saving()
    {
        openFirst();
        for (const QString &name : {QStringLiteral("old.bmp"), QStringLiteral("old.jpg")}) {
            uint64_t n = 1;
            for (;; ++n) {
                QFile old(inFolder(name));
                QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
                old.write("the old file");
                old.close();
                F_Canvas->core().setPictureFileName(inFolder(name).toStdString());
                const State before = State::of(*F_Canvas, *F_Grid);
                dialogs.answers << press("OK");
                if (!withFailing(100'000, n, F_Canvas->SavePicture1))
                    break;
                QVERIFY(errorBoxShown());
                QCOMPARE(fileBytes(inFolder(name)), QByteArray("the old file"));
                QVERIFY(sameSurfaces(State::of(*F_Canvas, *F_Grid), before));
            }
            QVERIFY(n > 1);
            QVERIFY(fileBytes(inFolder(name)) != QByteArray("the old file"));
        }
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList {"first.bmp", "old.bmp", "old.jpg", "second.bmp"}));
    }
};

QTEST_MAIN(WindowFaultsTest)
#include "test_window_faults.moc"
