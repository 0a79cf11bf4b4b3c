// The main window, driven as a user drives it: its commands through their
// menu actions, tool buttons and key strokes, the modal dialogs answered by a
// scripted dialog runner, pictures from the shared fixtures and files in a
// fresh folder that is also the current folder.
//
// The program's file is named "masume.test_canvas_window", so the error box
// carries the title the program itself carries.

#include "Canvas/CanvasCommands.h"
#include "Canvas/PictureDialog.h"
#include "Canvas/PicturePreview.h"
#include "Canvas/TF_Canvas.h"
#include "Grid/ColorSwatch.h"
#include "Grid/TF_Grid.h"
#include "app/Startup.h"
#include "canvas/CanvasTestSupport.h"
#include "common/Messages.h"
#include "support/CurrentFolder.h"
#include "support/Pixels.h"
#include "ui/Beep.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <optional>

using namespace masume;
using namespace masume::test;

namespace {

// Clean, as the file dialogs give names back.
const QString Fixtures = QDir::cleanPath(QStringLiteral(MASUME_FIXTURES));
const QString Bmp24 = Fixtures + "/bmpsuite/g/rgb24.bmp"; // 127 x 64
const QString Bmp8 = Fixtures + "/bmpsuite/g/pal8.bmp"; // 127 x 64, palette
const QString Jpeg = Fixtures + "/jpeg/testorig.jpg"; // 227 x 149
const QString BadBmp = Fixtures + "/bmpsuite/b/badplanes.bmp";

QString errorText(const char *pattern, std::initializer_list<MessageArg> args = {})
{
    return QString::fromStdString(formatMessage(pattern, args)) + QLatin1Char('.');
}

} // namespace

class CanvasWindowTest : public QObject
{
    Q_OBJECT

    ScriptedDialogs dialogs;
    std::optional<TemporaryCurrentFolder> folder;

    TF_Canvas &canvas() { return *F_Canvas; }
    TF_Grid &grid() { return *F_Grid; }
    QString inFolder(const QString &name) const { return folder->filePath(name); }

    void open(const QString &path)
    {
        dialogs.answers << chooseFile(path);
        canvas().OpenPicture1->trigger();
    }
    void saveAs(const QString &path)
    {
        dialogs.answers << chooseFile(path);
        canvas().SaveAsPicture1->trigger();
    }

    // What the view shows, device pixel for device pixel, equals picture.
    bool viewShows(const Surface &picture)
    {
        const QImage shown
            = canvas().C_Canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (shown.width() != picture.width() || shown.height() != picture.height())
            return false;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const Colour c = picture.pixel(x, y);
                if (shown.pixel(x, y) != qRgb(redOf(c), greenOf(c), blueOf(c)))
                    return false;
            }
        return true;
    }

    void activate(QWidget *window)
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

private slots:
    void init()
    {
        folder.emplace();
        QVERIFY(folder->isValid());
        ui::setDialogRunner(&dialogs);
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(F_Canvas));
        QVERIFY(QTest::qWaitForWindowExposed(F_Grid));
    }

    void cleanup()
    {
        destroyWindows();
        ui::setDialogRunner(nullptr);
        dialogs = ScriptedDialogs();
        folder.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    void startState()
    {
        TF_Canvas &c = canvas();
        QCOMPARE(c.windowTitle(), QStringLiteral("F_Canvas"));
        QCOMPARE(c.pos(), QPoint(192, 107));
        QCOMPARE(QFontInfo(c.font()).pixelSize(), 12);
        QVERIFY(QStringList({"ＭＳ Ｐゴシック", "Noto Sans CJK JP"})
                    .contains(QFontInfo(c.font()).family()));
        QVERIFY(c.isVisible());
        QVERIFY(grid().isVisible());
        QVERIFY(c.core().PictureFileName().empty());
        QCOMPARE(c.C_Canvas->width(), 105);
        QCOMPARE(c.C_Canvas->height(), 105);
        QCOMPARE(c.C_Canvas->size(), QSize(105, 105));
        QCOMPARE(c.C_Canvas->pos(), QPoint(0, 0));
        QVERIFY(c.C_Canvas->picture().isEmpty());
        QVERIFY(c.Tool_VGrid->isCheckable() && c.Tool_VGrid->isChecked());
        QVERIFY(c.ToolButton2->isCheckable() && c.ToolButton2->isChecked());
        for (QToolButton *b : {c.Tool_VGrid, c.ToolButton2}) {
            QVERIFY(b->icon().isNull());
            QVERIFY(b->text().isEmpty());
        }

        // The layout at the design size: bars of 29 and 19 with the area of
        // 688 x 386 between them; the tool buttons side by side inside the
        // bar's border of one pixel, 2 below its top.
        QCOMPARE(c.ScrollBox1->size(), QSize(688, 386));
        QCOMPARE(c.C_ToolBar->height(), 29);
        QCOMPARE(c.StatusBar1->height(), 19);
        QCOMPARE(c.C_ToolBar->geometry().bottom() + 1, c.ScrollBox1->geometry().top());
        QCOMPARE(c.ScrollBox1->geometry().bottom() + 1, c.StatusBar1->geometry().top());
        const QList<std::pair<QToolButton *, int>> lefts
            = {{c.Tool_FN, 0},   {c.Tool_FO, 23},     {c.Tool_FOP, 46},    {c.Tool_FS, 69},
               {c.Tool_FSP, 92}, {c.Tool_VGrid, 123}, {c.ToolButton2, 146}};
        for (const auto &[button, left] : lefts) {
            QCOMPARE(button->size(), QSize(23, 22));
            QCOMPARE(button->mapTo(c.C_ToolBar, QPoint(0, 0)), QPoint(1 + left, 3));
        }
        auto *divider = c.C_ToolBar->findChild<QFrame *>("ToolDiv1");
        QCOMPARE(divider->mapTo(c.C_ToolBar, QPoint(0, 0)).x(), 1 + 115);
        QCOMPARE(divider->width(), 8);
        QCOMPARE(c.StatusBar1->findChild<QWidget *>("StatusPanel0")->width(), 50);
        QVERIFY(c.StatusBar1->currentMessage().isEmpty());
        QCOMPARE(c.C_ImageList.size(), 8);
        for (const QIcon &icon : c.C_ImageList)
            QCOMPARE(icon.pixmap(QSize(16, 16), 1.0).size(), QSize(16, 16));
    }

    // The actions, in the action list's order, are those of the command
    // table; a stored shortcut is a key's code with 0x4000 for Ctrl and
    // 0x8000 for Alt.
    void commandTable()
    {
        TF_Canvas &c = canvas();
        const QList<QAction *> members
            = {c.FileNew1,  c.FileOpen1,    c.FileSave1,    c.FileSaveAs1,
               c.FileExit1, c.OpenPicture1, c.SavePicture1, c.SaveAsPicture1};
        const QList<QToolButton *> buttons
            = {c.Tool_FN, c.Tool_FO, c.Tool_FS, nullptr, nullptr, c.Tool_FOP, c.Tool_FSP, nullptr};
        QCOMPARE(c.C_ActionList, members);
        QCOMPARE(qsizetype(ui::CanvasCommands.size()), members.size());
        for (qsizetype i = 0; i < members.size(); ++i) {
            const ui::CanvasCommand &r = ui::CanvasCommands[size_t(i)];
            QAction *a = members[i];
            QCOMPARE(a->objectName(), QString(r.name));
            QCOMPARE(a->property("category").toString(), QString(r.category));
            QCOMPARE(a->text(), QString(r.caption));
            QCOMPARE(a->property("imageIndex").toInt(), r.imageIndex);
            QCOMPARE(a->icon().cacheKey(), c.C_ImageList[r.imageIndex].cacheKey());
            QKeySequence stored;
            if (r.shortcut) {
                const int key = r.shortcut & 0xFF;
                stored = QKeySequence(((r.shortcut & 0x4000) ? int(Qt::CTRL) : 0)
                                      | ((r.shortcut & 0x8000) ? int(Qt::ALT) : 0)
                                      | (Qt::Key_A + key - 'A'));
            }
            QCOMPARE(a->shortcut(), stored);
            QCOMPARE(a->shortcutContext(), Qt::ApplicationShortcut);
            QCOMPARE(a->isEnabled(), r.enabled);
            QCOMPARE(a->property("hint").toString(), QString(r.hint));
            QVERIFY(a->statusTip().isEmpty());
            if (buttons[i]) {
                QCOMPARE(buttons[i]->defaultAction(), a);
                QCOMPARE(buttons[i]->isEnabled(), r.enabled);
            }
        }
        // The stored values as the menu shows them.
        QStringList shortcuts;
        for (QAction *a : members)
            shortcuts << a->shortcut().toString(QKeySequence::PortableText);
        QCOMPARE(shortcuts,
                 QStringList({"", "Ctrl+O", "Ctrl+S", "Ctrl+A", "", "Ctrl+Alt+O", "Ctrl+Alt+S",
                              "Ctrl+Alt+A"}));

        // The menu: one "ファイル(&F)" with its ten items.
        QCOMPARE(c.C_Menu->actions().size(), 1);
        QCOMPARE(c.Files1->title(), QStringLiteral("ファイル(&F)"));
        const QList<QAction *> items = c.Files1->actions();
        const QList<QAction *> expected
            = {c.FileNew1,    c.FileOpen1,    c.OpenPicture1,   nullptr, c.FileSave1,
               c.FileSaveAs1, c.SavePicture1, c.SaveAsPicture1, nullptr, c.FileExit1};
        QCOMPARE(items.size(), expected.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (expected[i])
                QCOMPARE(items[i], expected[i]);
            else
                QVERIFY(items[i]->isSeparator());
        }
        // No tool button for the save-as commands or the exit.
        for (QToolButton *b : c.C_ToolBar->findChildren<QToolButton *>())
            QVERIFY(!QList<QAction *>({c.FileSaveAs1, c.SaveAsPicture1, c.FileExit1})
                         .contains(b->defaultAction()));
    }

    void opensPictures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("24-bit BMP") << Bmp24 << QSize(127, 64);
        QTest::newRow("palette BMP") << Bmp8 << QSize(127, 64);
        QTest::newRow("JPEG") << Jpeg << QSize(227, 149);
    }

    void opensPictures()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        // A grid, so that the view's composite differs from the picture.
        grid().core().setSizeH(10);
        grid().core().setSizeV(7);
        grid().core().GridTypeExecute(2);
        grid().core().setGridColour(rgb(255, 0, 0));

        open(path);
        QCOMPARE(dialogs.kinds(), QStringList({"open"}));
        QVERIFY(!dialogs.shown[0].waitCursor);
        CanvasCore &core = canvas().core();
        QCOMPARE(QString::fromStdString(core.PictureFileName()), path);
        const Surface expected = readBack(path);
        QVERIFY(samePixels(core.Layers()[0], expected));
        QCOMPARE(core.Layers()[0].pixelFormat(), PixelFormat::Rgb24);
        QCOMPARE(QSize(canvas().C_Canvas->width(), canvas().C_Canvas->height()), size);
        for (const Surface *s : {&core.Compounds()[0], &core.Compounds()[1],
                                 &grid().core().GridMask(), &grid().core().ColorLayer()})
            QCOMPARE(QSize(s->width(), s->height()), size);
        QVERIFY(samePixels(core.Compounds()[0], expected));
        // Compounds[1]: the picture with the lines in red.
        const Surface &mask = grid().core().GridMask();
        int lines = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const bool line = mask.pixel(x, y) == Black;
                lines += line;
                QCOMPARE(core.Compounds()[1].pixel(x, y),
                         line ? rgb(255, 0, 0) : expected.pixel(x, y));
            }
        QVERIFY(lines > 0);
        QVERIFY(samePixels(canvas().C_Canvas->picture(), core.Compounds()[1]));
        QVERIFY(viewShows(core.Compounds()[1]));
        QVERIFY(!canvas().ScrollBox1->horizontalScrollBar()->isVisible());

        // The dialog opens again with the name accepted in it.
        dialogs.answers << cancel();
        canvas().OpenPicture1->trigger();
        QCOMPARE(dialogs.shown.last().selectedFile, path);
        QCOMPARE(QString::fromStdString(core.PictureFileName()), path);
    }

    void emptyBmpOpensAsAnEmptyPicture()
    {
        open(Bmp24);
        QVERIFY(writeBytes(inFolder("zero.bmp"), QByteArray()));
        open(inFolder("zero.bmp"));
        QCOMPARE(dialogs.kinds(), QStringList({"open", "open"}));
        CanvasCore &core = canvas().core();
        QCOMPARE(canvas().C_Canvas->width(), 0);
        QCOMPARE(canvas().C_Canvas->height(), 0);
        for (const Surface *s : {&core.Layers()[0], &core.Compounds()[0], &core.Compounds()[1],
                                 &grid().core().GridMask(), &grid().core().ColorLayer()})
            QVERIFY(s->isEmpty());
        QVERIFY(canvas().C_Canvas->picture().isEmpty());
    }

    void largePictureScrolls()
    {
        const QString path = inFolder("wide.bmp");
        writeBmpFile(gradient(1000, 600), QFile::encodeName(path).toStdString());
        open(path);
        QScrollArea *area = canvas().ScrollBox1;
        QCOMPARE(canvas().C_Canvas->size(), QSize(1000, 600));
        QTRY_VERIFY(area->horizontalScrollBar()->isVisible());
        QVERIFY(area->verticalScrollBar()->isVisible());
        canvas().resize(1200, 800);
        QTRY_VERIFY(!area->horizontalScrollBar()->isVisible());
        QVERIFY(!area->verticalScrollBar()->isVisible());
        QCOMPARE(canvas().C_Canvas->size(), QSize(1000, 600));
        QCOMPARE(area->size(), QSize(1200, 800 - 29 - 19 - canvas().C_Menu->height()));
    }

    // A newly opened picture is shown from its top-left corner, wherever
    // the previous one was scrolled to; a failed opening keeps the place.
    void newPictureFromTheTopLeft()
    {
        const QString path = inFolder("wide.bmp");
        writeBmpFile(gradient(1000, 600), QFile::encodeName(path).toStdString());
        QScrollBar *h = canvas().ScrollBox1->horizontalScrollBar();
        QScrollBar *v = canvas().ScrollBox1->verticalScrollBar();
        auto scrollToTheEnd = [&] {
            h->setValue(h->maximum());
            v->setValue(v->maximum());
            QVERIFY(h->value() > 0 && v->value() > 0);
        };
        open(path);
        scrollToTheEnd();
        open(path); // the same picture opened again
        QCOMPARE(h->value(), 0);
        QCOMPARE(v->value(), 0);
        QCOMPARE(canvas().C_Canvas->pos(), QPoint(0, 0));

        scrollToTheEnd();
        open(inFolder("missing.bmp"));
        QCOMPARE(dialogs.kinds().last(), QStringLiteral("error"));
        QCOMPARE(h->value(), h->maximum());
        QCOMPARE(v->value(), v->maximum());
    }

    void failedOpens_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString missing = QDir::tempPath() + "/masume-no-such-file.bmp";
        QTest::newRow("unknown extension") << "a.png" << errorText(msg::UnknownExtension, {"png"});
        QTest::newRow("missing file")
            << missing << errorText(msg::CannotOpen, {missing.toStdString()});
        QTest::newRow("icon") << "icon.ico" << errorText(msg::CannotAssign, {"TIcon", "TBitmap"});
        QTest::newRow("bad BMP") << BadBmp << errorText(msg::BitmapInvalid);
        QTest::newRow("empty JPEG") << Fixtures + "/jpeg/empty.jpg" << QString();
    }

    void failedOpens()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QVERIFY(writeBytes(inFolder("icon.ico"), iconFile()));
        if (QFileInfo(path).isRelative())
            path = inFolder(path);
        grid().core().GridTypeExecute(2);
        open(Jpeg);
        const State before = State::of(canvas(), grid());
        const QImage viewBefore = canvas().C_Canvas->grab().toImage();

        open(path);
        QCOMPARE(dialogs.kinds(), QStringList({"open", "open", "error"}));
        const ShownDialog &box = dialogs.shown.last();
        QCOMPARE(box.title, QStringLiteral("masume"));
        if (!message.isEmpty())
            QCOMPARE(box.text, message);
        QVERIFY(box.text.endsWith(QLatin1Char('.')));
        QCOMPARE(box.buttons, QStringList({"OK"}));
        QVERIFY(!box.waitCursor);

        State after = State::of(canvas(), grid());
        QCOMPARE(QString::fromStdString(after.name), path);
        QVERIFY(sameSurfaces(before, after));
        QCOMPARE(canvas().C_Canvas->grab().toImage(), viewBefore);
    }

    void overwriteAskedOnlyWhenTheFileExists()
    {
        const QString path = inFolder("p.bmp");
        QVERIFY(QFile::copy(Bmp24, path));
        grid().core().GridTypeExecute(2);
        open(path);

        dialogs.answers << press("OK");
        canvas().SavePicture1->trigger();
        QCOMPARE(dialogs.kinds(), QStringList({"open", "question"}));
        const ShownDialog &question = dialogs.shown.last();
        QCOMPARE(question.title, QStringLiteral("確認"));
        QCOMPARE(question.text, QStringLiteral("上書きします。よろしいですか？"));
        QCOMPARE(question.buttons, QStringList({"OK", "キャンセル"}));
        QCOMPARE(question.defaultButton, QStringLiteral("OK"));
        QCOMPARE(question.escapeButton, QStringLiteral("キャンセル"));
        QVERIFY(!question.waitCursor);
        QVERIFY(samePixels(readBack(path), canvas().core().Compounds()[1]));

        // A new name is written without a question.
        const QString other = inFolder("q.bmp");
        saveAs(other);
        QCOMPARE(dialogs.kinds(), QStringList({"open", "question", "save"}));
        QVERIFY(samePixels(readBack(other), canvas().core().Compounds()[1]));
        QCOMPARE(QString::fromStdString(canvas().core().PictureFileName()), other);
    }

    void cancelledQuestionLeadsToSaveAs()
    {
        const QString path = inFolder("p.bmp");
        QVERIFY(QFile::copy(Bmp24, path));
        open(Jpeg);
        canvas().core().setPictureFileName(QFile::encodeName(path).toStdString());
        const QByteArray original = fileBytes(path);

        // キャンセル, then the save dialog cancelled: nothing written.
        dialogs.answers << press("キャンセル") << cancel();
        canvas().SavePicture1->trigger();
        QCOMPARE(dialogs.kinds(), QStringList({"open", "question", "save"}));
        QCOMPARE(fileBytes(path), original);
        QCOMPARE(QString::fromStdString(canvas().core().PictureFileName()), path);
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList({"p.bmp"}));

        // Esc counts as キャンセル; the save dialog then names an existing
        // file, which asks again; OK writes it.
        const QString other = inFolder("other.bmp");
        QVERIFY(QFile::copy(Bmp24, other));
        dialogs.shown.clear();
        dialogs.answers << cancel() << chooseFile(other) << press("OK");
        canvas().SavePicture1->trigger();
        QCOMPARE(dialogs.kinds(), QStringList({"question", "save", "question"}));
        QCOMPARE(fileBytes(path), original);
        QVERIFY(samePixels(readBack(other), canvas().core().Compounds()[1]));
        QCOMPARE(QString::fromStdString(canvas().core().PictureFileName()), other);
    }

    void saveNames_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("format");
        QTest::newRow("no extension") << "foo"
                                      << "foo.bmp"
                                      << "bmp";
        QTest::newRow(".JPG") << "a.JPG"
                              << "a.JPG"
                              << "jpg";
        QTest::newRow(".Jpeg") << "a.Jpeg"
                               << "a.Jpeg"
                               << "jpg";
        QTest::newRow(".jpe") << "a.jpe"
                              << "a.jpe"
                              << "bmp";
        QTest::newRow(".png") << "a.png"
                              << "a.png"
                              << "bmp";
        QTest::newRow("dot only") << "a."
                                  << "a."
                                  << "bmp";
        QTest::newRow("dot in folder") << "x.d/foo"
                                       << "x.d/foo.bmp"
                                       << "bmp";
    }

    void saveNames()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QString, format);
        QVERIFY(QDir(folder->path()).mkdir("x.d"));
        open(Bmp24);
        saveAs(inFolder(chosen));
        QCOMPARE(dialogs.kinds(), QStringList({"open", "save"}));
        QCOMPARE(QString::fromStdString(canvas().core().PictureFileName()), inFolder(written));
        if (written != chosen)
            QVERIFY(!QFileInfo::exists(inFolder(chosen)));
        // The content, read back under a name of its own format.
        const QString check = inFolder("check." + format);
        QVERIFY(QFile::copy(inFolder(written), check));
        const Surface back = readBack(check);
        if (format == "bmp")
            QVERIFY(samePixels(back, canvas().core().Compounds()[1]));
        else
            QCOMPARE(QSize(back.width(), back.height()), QSize(127, 64));
    }

    void nameWithoutExtension()
    {
        // The question concerns "foo"; "foo.bmp" is replaced without one.
        open(Bmp24);
        QVERIFY(writeBytes(inFolder("foo.bmp"), "old"));
        saveAs(inFolder("foo"));
        QCOMPARE(dialogs.kinds(), QStringList({"open", "save"}));
        QVERIFY(fileBytes(inFolder("foo.bmp")).startsWith("BM"));

        QVERIFY(writeBytes(inFolder("foo"), "keep"));
        dialogs.answers << chooseFile(inFolder("foo")) << press("OK");
        canvas().SaveAsPicture1->trigger();
        QCOMPARE(dialogs.kinds(), QStringList({"open", "save", "save", "question"}));
        QCOMPARE(fileBytes(inFolder("foo")), QByteArray("keep"));
        QCOMPARE(QString::fromStdString(canvas().core().PictureFileName()), inFolder("foo.bmp"));
    }

    void checkGridChoosesTheComposite()
    {
        grid().core().GridTypeExecute(2);
        open(Bmp24);
        const Surface withGrid = canvas().core().Compounds()[1];
        QVERIFY(!samePixels(withGrid, canvas().core().Layers()[0]));

        grid().Check_Grid->setChecked(false);
        saveAs(inFolder("plain.bmp"));
        QVERIFY(samePixels(readBack(inFolder("plain.bmp")), canvas().core().Layers()[0]));
        QVERIFY(viewShows(withGrid));

        grid().Check_Grid->setChecked(true);
        saveAs(inFolder("grid.bmp"));
        QVERIFY(samePixels(readBack(inFolder("grid.bmp")), withGrid));
    }

    void saveBeforeAnyPicture()
    {
        canvas().SavePicture1->trigger();
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(canvas().core().PictureFileName(), std::string(".bmp"));
        QCOMPARE(QFileInfo(inFolder(".bmp")).size(), 0);

        saveAs(inFolder("x.jpg"));
        QCOMPARE(QFileInfo(inFolder("x.jpg")).size(), 0);
        QVERIFY(QFileInfo::exists(inFolder("x.jpg")));
    }

    void saveThatCannotCreateTheFile()
    {
        // A folder that does not exist (this holds also for root, who may
        // write everywhere else).
        open(Bmp24);
        const QString target = inFolder("no-folder/p.bmp");
        canvas().core().setPictureFileName(QFile::encodeName(target).toStdString());
        canvas().SavePicture1->trigger();
        QCOMPARE(dialogs.kinds(), QStringList({"open", "error"}));
        QCOMPARE(dialogs.shown.last().title, QStringLiteral("masume"));
        QCOMPARE(dialogs.shown.last().text,
                 errorText(msg::CannotCreate, {QFile::encodeName(target).toStdString()}));
        QVERIFY(!dialogs.shown.last().waitCursor);
        QCOMPARE(QString::fromStdString(canvas().core().PictureFileName()), target);
    }

    void shortcutsFromEitherWindow()
    {
        for (QWidget *window : {static_cast<QWidget *>(F_Canvas), static_cast<QWidget *>(F_Grid)}) {
            activate(window);
            dialogs.shown.clear();
            const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
            QTest::keyClick(window, Qt::Key_O, ctrlAlt);
            QTest::keyClick(window, Qt::Key_A, ctrlAlt);
            QCOMPARE(dialogs.kinds(), QStringList({"open", "save"}));
            QFile::remove(inFolder(".bmp"));
            QTest::keyClick(window, Qt::Key_S, ctrlAlt);
            QVERIFY(QFileInfo::exists(inFolder(".bmp")));
            QFile::remove(inFolder(".bmp"));
            canvas().core().setPictureFileName({});

            // The disabled commands' keys do nothing.
            for (Qt::Key key : {Qt::Key_O, Qt::Key_S, Qt::Key_A})
                QTest::keyClick(window, key, Qt::ControlModifier);
            QCOMPARE(dialogs.kinds(), QStringList({"open", "save"}));
            QVERIFY(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        }

        // Nor do they take the key from a box that wants it: a number box
        // of the grid window refuses it with its beep.
        auto *box = grid().findChild<QLineEdit *>("E_SizeH");
        QVERIFY(box);
        box->setFocus();
        int beeps = 0;
        ui::setBeepHook([&] { ++beeps; });
        QTest::keyClick(box, Qt::Key_S, Qt::ControlModifier);
        ui::setBeepHook({});
        QCOMPARE(beeps, 1);
        QCOMPARE(dialogs.kinds(), QStringList({"open", "save"}));
    }

    void disabledCommandsDoNothing()
    {
        TF_Canvas &c = canvas();
        for (QToolButton *b : {c.Tool_FN, c.Tool_FO, c.Tool_FS}) {
            QVERIFY(!b->isEnabled());
            QTest::mouseClick(b, Qt::LeftButton);
        }
        for (QAction *a : {c.FileNew1, c.FileOpen1, c.FileSave1, c.FileSaveAs1})
            a->trigger();
        QVERIFY(dialogs.shown.isEmpty());
        QVERIFY(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(c.isVisible());
    }

    void toolButtonsAndGridWindow()
    {
        TF_Canvas &c = canvas();
        QTest::mouseClick(c.Tool_VGrid, Qt::LeftButton);
        QVERIFY(!c.Tool_VGrid->isChecked());
        QVERIFY(!grid().isVisible());
        QTest::mouseClick(c.Tool_VGrid, Qt::LeftButton);
        QVERIFY(c.Tool_VGrid->isChecked());
        QVERIFY(grid().isVisible());

        // Closing the grid window raises the button without running its
        // handler; one click shows the window again.
        grid().close();
        QVERIFY(!grid().isVisible());
        QVERIFY(!c.Tool_VGrid->isChecked());
        QTest::mouseClick(c.Tool_VGrid, Qt::LeftButton);
        QVERIFY(c.Tool_VGrid->isChecked());
        QVERIFY(grid().isVisible());

        QTest::mouseClick(c.ToolButton2, Qt::LeftButton);
        QVERIFY(!c.ToolButton2->isChecked());
        QVERIFY(grid().isVisible() && c.Tool_VGrid->isChecked());
        QTest::mouseClick(c.ToolButton2, Qt::LeftButton);
        QVERIFY(c.ToolButton2->isChecked());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void hintsAreNeverShown()
    {
        TF_Canvas &c = canvas();
        for (QAction *a : c.C_ActionList) {
            a->hover();
            a->showStatusText(c.Tool_FOP);
        }
        QStatusTipEvent tip(QStringLiteral("画像を開く"));
        QApplication::sendEvent(c.Tool_FOP, &tip);
        QVERIFY(c.StatusBar1->currentMessage().isEmpty());

        // A tool tip request on a tool button is swallowed.
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), c.Tool_FOP->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(c.Tool_FOP, &help);
        QVERIFY(help.isAccepted());
        QVERIFY(!c.Files1->toolTipsVisible());
    }

    void childrenCoverTheWindow()
    {
        // The window itself paints no background; its bars and the
        // scrolling area cover every pixel of it.
        TF_Canvas &c = canvas();
        QVERIFY(c.testAttribute(Qt::WA_NoSystemBackground));
        QImage image(c.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        c.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == QColor(Qt::magenta).rgb())
                    QFAIL(qPrintable(QStringLiteral("uncovered at %1, %2").arg(x).arg(y)));
    }

    void pictureDialogFilter()
    {
        const QStringList texts = {"すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)",
                                   "JPEG イメージファイル (*.jpg)",
                                   "JPEG イメージファイル (*.jpeg)",
                                   "ビットマップ (*.bmp)",
                                   "アイコン (*.ico)",
                                   "エンハンス メタファイル (*.emf)",
                                   "メタファイル (*.wmf)"};
        for (ui::PictureDialog *dialog :
             {&canvas().openPictureDialog(), &canvas().savePictureDialog()}) {
            auto *types = dialog->findChild<QComboBox *>("fileTypeCombo");
            QVERIFY(types);
            QStringList shown;
            for (int i = 0; i < types->count(); ++i)
                shown << types->itemText(i);
            QCOMPARE(shown, texts);
            QCOMPARE(types->currentIndex(), 0);
            QCOMPARE(dialog->selectedNameFilter(), texts[0]);
            QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
            QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
            QVERIFY(dialog->defaultSuffix().isEmpty());
            QVERIFY(dialog->isSizeGripEnabled());
        }

        // The first entry lists the picture files of a folder, in any case,
        // and nothing else; another entry only its own.
        for (const char *name :
             {"a.jpg", "b.JPEG", "c.bmp", "d.ico", "e.emf", "f.wmf", "g.png", "h.txt", "i.jpe"})
            QVERIFY(writeBytes(inFolder(name), "x"));
        ui::PictureDialog &dialog = canvas().openPictureDialog();
        dialog.setDirectory(folder->path());
        auto *list = dialog.findChild<QListView *>("listView");
        QVERIFY(list);
        auto listed = [&] {
            QStringList names;
            const QModelIndex root = list->rootIndex();
            for (int row = 0; row < list->model()->rowCount(root); ++row)
                names << list->model()->index(row, 0, root).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(listed(),
                     QStringList({"a.jpg", "b.JPEG", "c.bmp", "d.ico", "e.emf", "f.wmf"}));
        auto *types = dialog.findChild<QComboBox *>("fileTypeCombo");
        types->setCurrentIndex(3);
        emit types->activated(3);
        QTRY_COMPARE(listed(), QStringList({"c.bmp"}));
        QCOMPARE(dialog.selectedNameFilter(), texts[3]);
    }

    void preview()
    {
        QVERIFY(QFile::copy(Bmp24, inFolder("p.bmp")));
        QVERIFY(writeBytes(inFolder("q.bmp"), "not a picture"));
        ui::PicturePreview &preview = *canvas().openPictureDialog().preview();
        preview.showFile(inFolder("p.bmp"));
        QCOMPARE(preview.caption(), QStringLiteral(" (127x64)"));
        QCOMPARE(preview.picture().size(), QSize(127, 64));
        auto *panel = preview.findChild<QLabel *>("ImagePanel");
        QVERIFY(!panel->pixmap().isNull());
        QVERIFY(panel->pixmap().width() <= panel->width());
        QCOMPARE(panel->pixmap().width() * 64 / panel->pixmap().height(), 127);
        auto *button = preview.findChild<QToolButton *>("PreviewButton");
        QCOMPARE(button->toolTip(), QStringLiteral("プレビュー"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(dialogs.kinds(), QStringList({"preview"}));
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("プレビュー"));
        const QSize limit = QGuiApplication::primaryScreen()->availableGeometry().size() * 3 / 4;
        QVERIFY(dialogs.shown[0].size.width() <= limit.width());
        QVERIFY(dialogs.shown[0].size.height() <= limit.height());
        QVERIFY(dialogs.shown[0].size.width() >= 127);

        for (const QString &none : {inFolder("q.bmp"), inFolder("missing.bmp"), folder->path()}) {
            preview.showFile(none);
            QCOMPARE(preview.caption(), QStringLiteral("画像:"));
            QCOMPARE(panel->text(), QStringLiteral("(なし)"));
            QVERIFY(!button->isEnabled());
        }
        QVERIFY(!QApplication::overrideCursor());
    }
    // The open dialog's preview follows the name in the name field as well
    // as the file chosen in the list.
    void previewFollowsTheNameField()
    {
        QVERIFY(QFile::copy(Bmp24, inFolder("p.bmp")));
        QVERIFY(writeBytes(inFolder("q.bmp"), "not a picture"));
        QStringList captions;
        dialogs.answers << [&](QDialog &dialog) {
            auto *files = qobject_cast<QFileDialog *>(&dialog);
            files->setDirectory(folder->path());
            auto *name = dialog.findChild<QLineEdit *>("fileNameEdit");
            const auto *caption = dialog.findChild<QLabel *>("PictureLabel");
            for (const QString &typed :
                 {QStringLiteral("p.bmp"), QStringLiteral("q.bmp"), Jpeg, QStringLiteral("p.bm")}) {
                name->setText(typed);
                captions << caption->text();
            }
            return int(QDialog::Rejected);
        };
        canvas().OpenPicture1->trigger();
        QCOMPARE(captions, QStringList({" (127x64)", "画像:", " (227x149)", "画像:"}));
    }

    // Qt's own texts in the standard dialogs and menus come in Japanese,
    // whatever the locale; the program's own texts stay as written.
    void standardDialogsSpeakJapanese()
    {
        const auto japanese = [](const QString &text) {
            return std::any_of(text.begin(), text.end(), [](QChar c) {
                return (c.unicode() >= 0x3040 && c.unicode() <= 0x30FF)
                    || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
            });
        };
        auto textsOf = [](QWidget &dialog) {
            QStringList texts {dialog.windowTitle()};
            for (const QLabel *l : dialog.findChildren<QLabel *>())
                if (l->isVisibleTo(&dialog) && !l->text().isEmpty() && l->pixmap().isNull())
                    texts << l->text();
            for (const QAbstractButton *b : dialog.findChildren<QPushButton *>())
                if (b->isVisibleTo(&dialog))
                    texts << b->text();
            return texts;
        };
        QList<QStringList> seen;
        auto record = [&](QDialog &dialog) {
            seen << textsOf(dialog);
            return int(QDialog::Rejected);
        };
        dialogs.answers << record << record << record;
        canvas().OpenPicture1->trigger();
        canvas().SaveAsPicture1->trigger();
        QTest::mouseClick(grid().ColorPanel, Qt::LeftButton);
        QCOMPARE(dialogs.kinds(), QStringList({"open", "save", "QColorDialog"}));
        // Words that Japanese writes the same way; the preview's caption is
        // the program's own.
        const QStringList same = {"OK", "&HTML:", "画像:", "(なし)"};
        for (const QStringList &texts : seen) {
            QVERIFY(texts.size() >= 5);
            for (const QString &text : texts)
                if (!text.trimmed().isEmpty() && !same.contains(text))
                    QVERIFY2(japanese(text), qPrintable(text));
        }
        QCOMPARE(seen[0][0], QStringLiteral("開く"));
        QCOMPARE(seen[1][0], QStringLiteral("名前を付けて保存"));

        // The context menu of a number box.
        std::unique_ptr<QMenu> menu(grid().E_SizeH->createStandardContextMenu());
        for (const QAction *a : menu->actions())
            if (!a->isSeparator())
                QVERIFY2(japanese(a->text()), qPrintable(a->text()));

        // The program's own boxes keep their texts.
        QVERIFY(writeBytes(inFolder("p.bmp"), "x"));
        canvas().core().setPictureFileName(QFile::encodeName(inFolder("p.bmp")).toStdString());
        dialogs.answers << cancel() << cancel();
        canvas().SavePicture1->trigger();
        const ShownDialog &question = dialogs.shown[3];
        QCOMPARE(question.title, QStringLiteral("確認"));
        QCOMPARE(question.buttons, QStringList({"OK", "キャンセル"}));
        open(inFolder("p.bmp"));
        QCOMPARE(dialogs.shown.last().kind, QStringLiteral("error"));
        QCOMPARE(dialogs.shown.last().buttons, QStringList({"OK"}));
    }

    void noSettingsReadOrWritten()
    {
        // Qt's file dialog keeps its folders in the user's QtProject.conf
        // unless told otherwise; the program keeps nothing.
        const QString conf = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + "/QtProject.conf";
        const bool existed = QFileInfo::exists(conf);
        const QByteArray before = fileBytes(conf);
        QVERIFY(QSettings(QSettings::UserScope, "QtProject").fileName().startsWith("/dev/null/"));
        open(Bmp24);
        saveAs(inFolder("a.bmp"));
        // Nothing of earlier runs: the dialog knows only this run's folder.
        for (const QString &seen : canvas().openPictureDialog().history())
            QCOMPARE(seen, QFileInfo(Bmp24).path());
        destroyWindows();
        QCOMPARE(QFileInfo::exists(conf), existed);
        QCOMPARE(fileBytes(conf), before);
    }

    // Last, as it runs and ends the event loop.
    void exitEndsTheProgram()
    {
        open(Bmp24);
        QVERIFY(grid().isVisible());
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        QTimer::singleShot(0, canvas().FileExit1, &QAction::trigger);
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        guard.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!canvas().isVisible());
        QCOMPARE(lastClosed.count(), 1);
        QCOMPARE(dialogs.kinds(), QStringList({"open"}));
    }
};

QTEST_MAIN(CanvasWindowTest)
#include "test_canvas_window.moc"
