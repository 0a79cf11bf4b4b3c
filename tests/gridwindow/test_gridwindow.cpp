// The grid settings window, driven as a user drives it: real key events into
// the real boxes, real focus moves between controls and windows, clicks on
// the buttons, a drag of a bar's thumb, and a dialog runner answering the
// colour chooser and recording the error boxes.

#include "Canvas/TF_Canvas.h"
#include "Grid/ColorSwatch.h"
#include "Grid/TF_Grid.h"
#include "app/Beep.h"
#include "app/Dialogs.h"
#include "support/Pixels.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>

#include <optional>

using namespace masume;

namespace {

// Answers the modal dialogs: error boxes are recorded and confirmed; the
// colour chooser records the colour it opened with and is answered with
// `choose` (or cancelled when it is empty).
class TestDialogs final : public ui::DialogRunner
{
public:
    int exec(QDialog &dialog) override
    {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            errors << box->text();
            return QMessageBox::Ok;
        }
        if (auto *chooser = qobject_cast<QColorDialog *>(&dialog)) {
            chooserOpenedWith << chooser->currentColor();
            if (!choose)
                return QDialog::Rejected;
            chooser->setCurrentColor(*choose);
            return QDialog::Accepted;
        }
        unexpected << dialog.metaObject()->className();
        return QDialog::Rejected;
    }

    QStringList errors;
    QList<QColor> chooserOpenedWith;
    std::optional<QColor> choose;
    QStringList unexpected;
};

// Stands between the grid side and the main window's composition and counts
// the compositions, one per finished redraw.
class CountingCanvas final : public CanvasLink
{
public:
    explicit CountingCanvas(CanvasLink &inner)
        : m_inner(inner)
    {
    }
    int canvasWidth() const override { return m_inner.canvasWidth(); }
    int canvasHeight() const override { return m_inner.canvasHeight(); }
    void CompoundLayer() override
    {
        ++redraws;
        m_inner.CompoundLayer();
    }
    int redraws = 0;

private:
    CanvasLink &m_inner;
};

QString notAnInteger(const QString &text)
{
    return QStringLiteral("'%1' は整数ではありません.").arg(text);
}

} // namespace

class GridWindowTest : public QObject
{
    Q_OBJECT

private:
    TestDialogs dialogs;
    int beeps = 0;
    std::optional<CountingCanvas> canvas;

    TF_Grid &grid() { return *F_Grid; }
    GridCore &core() { return F_Grid->core(); }
    int redraws() const { return canvas->redraws; }

    QLineEdit *box(const char *name) { return grid().findChild<QLineEdit *>(QLatin1String(name)); }

    // Gives the grid window the focus, with the keyboard in `focus`.
    void activateGrid(QWidget *focus)
    {
        grid().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&grid()));
        focus->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), focus);
    }

    // Replaces a box's text by typing: End, Backspace over all, then keys.
    void retype(QLineEdit *e, const QString &keys)
    {
        QCOMPARE(QApplication::focusWidget(), e);
        QTest::keyClick(e, Qt::Key_End);
        for (qsizetype i = e->text().size(); i > 0; --i)
            QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, keys);
    }

    struct Colours
    {
        QString r, g, b;
        int barR, barG, barB;
        Colour swatch, brush;
    };
    // A grey picture in the main window, every surface at its size, as
    // opening leaves them (before the grid is drawn).
    void showPicture(int w, int h)
    {
        CanvasCore &c = F_Canvas->core();
        c.Layers[0] = Surface(w, h, PixelFormat::Rgb24, 0x808080);
        c.C_Canvas.setWidth(w);
        c.C_Canvas.setHeight(h);
        core().GridMask.setSize(w, h);
        core().ColorLayer.setSize(w, h);
    }

    Colours colours()
    {
        return {grid().E_ColorR->text(),     grid().E_ColorG->text(),
                grid().E_ColorB->text(),     grid().ColorBarR->value(),
                grid().ColorBarG->value(),   grid().ColorBarB->value(),
                grid().ColorPanel->colour(), core().ColorLayer.brushColor()};
    }
    void compareColours(const Colours &have, int r, int g, int b)
    {
        QCOMPARE(have.r, QString::number(r));
        QCOMPARE(have.g, QString::number(g));
        QCOMPARE(have.b, QString::number(b));
        QCOMPARE(have.barR, r);
        QCOMPARE(have.barG, g);
        QCOMPARE(have.barB, b);
        QCOMPARE(have.swatch, rgb(r, g, b));
        QCOMPARE(have.brush, rgb(r, g, b));
    }

private slots:
    void init()
    {
        ui::setDialogRunner(&dialogs);
        ui::setBeepHook([this] { ++beeps; });
        F_Canvas = new TF_Canvas;
        F_Grid = new TF_Grid;
        F_Grid->show();
        F_Canvas->show();
        canvas.emplace(F_Canvas->core());
        core().setCanvas(&*canvas);
        activateGrid(grid().E_SizeH);
    }

    void cleanup()
    {
        QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join(' ')));
        delete F_Grid;
        delete F_Canvas;
        F_Grid = nullptr;
        F_Canvas = nullptr;
        canvas.reset();
        dialogs = TestDialogs();
        beeps = 0;
        ui::setBeepHook({});
        ui::setDialogRunner(nullptr);
    }

    void windowAndControls()
    {
        TF_Grid &g = grid();
        QCOMPARE(g.windowTitle(), QStringLiteral("F_Grid"));
        QCOMPARE(g.size(), QSize(209, 313));
        QCOMPARE(g.minimumSize(), g.maximumSize());
        QCOMPARE(g.pos(), QPoint(805, 396));
        const Qt::WindowFlags flags = g.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!g.testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(g.font().pixelSize(), 12);

        struct Place
        {
            const char *name;
            int x, y, w, h; // w 0: sized to its text
            const char *text;
        };
        const Place places[] = {
            {"L_Type01", 8, 12, 0, 0, "TYPE"},
            {"GridButtons", 56, 8, 145, 49, nullptr},
            {"Check_Grid", 64, 64, 145, 17, "グリッド付で画像を保存"},
            {"Bevel1", 8, 88, 193, 2, nullptr},
            {"L_Size02", 48, 100, 0, 0, "Horizontal"},
            {"E_SizeH", 120, 96, 33, 20, "32"},
            {"L_Size04", 168, 100, 0, 0, "pixel"},
            {"L_Size01", 8, 116, 0, 0, "SIZE"},
            {"L_Size03", 48, 132, 0, 0, "Vertical"},
            {"E_SizeV", 120, 128, 33, 20, "32"},
            {"L_Size05", 168, 132, 0, 0, "pixel"},
            {"Edit3", 48, 160, 33, 20, "Edit3"},
            {"L_Length02", 88, 164, 0, 0, "m ="},
            {"Edit4", 120, 160, 33, 20, "Edit4"},
            {"L_Length03", 168, 164, 0, 0, "pixel"},
            {"Bevel2", 8, 184, 193, 2, nullptr},
            {"ColorPanel", 160, 192, 41, 25, nullptr},
            {"L_Color01", 8, 200, 0, 0, "COLOR"},
            {"L_Color02", 16, 228, 0, 0, "R"},
            {"ColorBarR", 32, 226, 129, 16, nullptr},
            {"E_ColorR", 168, 224, 33, 20, "0"},
            {"L_Color03", 16, 252, 0, 0, "G"},
            {"ColorBarG", 32, 250, 129, 16, nullptr},
            {"E_ColorG", 168, 248, 33, 20, "0"},
            {"L_Color04", 16, 276, 0, 0, "B"},
            {"ColorBarB", 32, 274, 129, 16, nullptr},
            {"E_ColorB", 168, 272, 33, 20, "0"},
            {"Bevel3", 8, 304, 193, 2, nullptr},
            {"Btn_Nothing", 0, 0, 23, 22, nullptr},
            {"Btn_Square", 24, 0, 23, 22, nullptr},
            {"Btn_SHexH", 48, 0, 23, 22, nullptr},
            {"Btn_HexH", 72, 0, 23, 22, nullptr},
            {"Btn_Diamond", 24, 24, 23, 22, nullptr},
            {"Btn_SHexV", 48, 24, 23, 22, nullptr},
            {"Btn_HexV", 72, 24, 23, 22, nullptr},
        };
        for (const Place &p : places) {
            const auto *w = g.findChild<QWidget *>(QLatin1String(p.name));
            QVERIFY2(w, p.name);
            QCOMPARE(w->pos(), QPoint(p.x, p.y));
            if (p.w)
                QCOMPARE(w->size(), QSize(p.w, p.h));
            QString text;
            if (auto *l = qobject_cast<const QLabel *>(w))
                text = l->text();
            else if (auto *e = qobject_cast<const QLineEdit *>(w))
                text = e->text();
            else if (auto *c = qobject_cast<const QCheckBox *>(w))
                text = c->text();
            QCOMPARE(text, p.text ? QString::fromUtf8(p.text) : QString());
        }
        QVERIFY(g.Check_Grid->isChecked());
        QVERIFY(!g.Edit3->isEnabled() && !g.Edit4->isEnabled());
        for (QScrollBar *bar : {g.ColorBarR, g.ColorBarG, g.ColorBarB}) {
            QCOMPARE(bar->orientation(), Qt::Horizontal);
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 255);
            QCOMPARE(bar->value(), 0);
            QCOMPARE(bar->singleStep(), 1);
            QCOMPARE(bar->pageStep(), 1);
            QVERIFY(bar->hasTracking());
        }
        QCOMPARE(g.ColorPanel->colour(), Black);
        QCOMPARE(core().ColorLayer.brushColor(), Black);
        QCOMPARE(core().GridKind, 0);
        QCOMPARE(core().SizeH, 32);
        QCOMPARE(core().SizeV, 32);
        QCOMPARE(redraws(), 0); // creation draws nothing
    }

    // The kind buttons and the pictures they show: each a 16 x 16 picture of
    // its pattern, blue on white in a transparent border.
    void kindButtonsAndPictures()
    {
        TF_Grid &g = grid();
        QCOMPARE(g.G_ImageList.size(), 10);
        for (int i = 0; i < 10; ++i) {
            const QImage image = g.G_ImageList[i].toImage();
            QCOMPARE(image.size(), QSize(16, 16));
            QCOMPARE(qAlpha(image.pixel(0, 15)), 0);
            QCOMPARE(qAlpha(image.pixel(15, 0)), 0);
            int blue = 0;
            for (int y = 1; y < 15; ++y)
                for (int x = 1; x < 15; ++x) {
                    const QRgb p = image.pixel(x, y);
                    QVERIFY(p == qRgb(255, 255, 255) || p == qRgb(0, 0, 255));
                    blue += p == qRgb(0, 0, 255);
                }
            QCOMPARE(blue == 0, i == 0);
        }
        const std::pair<QToolButton *, int> buttons[] = {
            {g.Btn_Nothing, 0}, {g.Btn_Square, 2}, {g.Btn_SHexH, 4}, {g.Btn_HexH, 6},
            {g.Btn_Diamond, 3}, {g.Btn_SHexV, 5},  {g.Btn_HexV, 7},
        };
        for (auto [button, kind] : buttons) {
            QCOMPARE(button->defaultAction()->data().toInt(), kind);
            QCOMPARE(button->defaultAction()->actionGroup(), g.G_ActionList);
            QCOMPARE(button->icon().pixmap(16, 16).toImage(), g.G_ImageList[kind].toImage());
            QVERIFY(button->defaultAction()->text().isEmpty());
            QCOMPARE(button->isChecked(), kind == 0);
        }
    }

    // Tab walks the boxes, bars and check box in order and wraps around;
    // the disabled boxes and the panels are skipped.
    void tabOrder()
    {
        TF_Grid &g = grid();
        const QWidget *const order[]
            = {g.E_SizeV,  g.ColorBarR, g.ColorBarG,  g.ColorBarB, g.E_ColorR,
               g.E_ColorG, g.E_ColorB,  g.Check_Grid, g.E_SizeH};
        for (const QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(g.E_SizeH, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), g.Check_Grid);
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"E_SizeH", "E_SizeV", "E_ColorR", "E_ColorG", "E_ColorB"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // Only digits, Backspace and the keys that type no character reach a
    // box; everything else beeps. Nothing is applied while typing.
    void keyFilter()
    {
        QFETCH(QString, name);
        QLineEdit *e = box(qPrintable(name));
        activateGrid(e);
        const int start = redraws(); // a click into another box leaves E_SizeH
        const QString before = e->text();
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, QStringLiteral("1a b-.,+2"));
        QCOMPARE(e->text(), before + "12");
        QCOMPARE(beeps, 7);

        QApplication::clipboard()->setText(QStringLiteral("77"));
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(e->text(), before + "12");
        QCOMPARE(beeps, 10);

        // "…12": Left, Backspace deletes the 1; Home, Delete the first digit.
        QTest::keyClick(e, Qt::Key_Left);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), before + "2");
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClick(e, Qt::Key_Right);
        QTest::keyClick(e, Qt::Key_End);
        QCOMPARE(e->text(), before.mid(1) + "2");
        QCOMPARE(beeps, 10);
        QCOMPARE(redraws(), start);
        QCOMPARE(QApplication::focusWidget(), e);
        QVERIFY(dialogs.errors.isEmpty());
    }

    // Enter applies both sizes and leaves the focus in the box.
    void enterAppliesBothSizes()
    {
        TF_Grid &g = grid();
        g.E_SizeV->setText(QStringLiteral("8"));
        retype(g.E_SizeH, QStringLiteral("16"));
        QCOMPARE(redraws(), 0);
        QTest::keyClick(g.E_SizeH, Qt::Key_Return);
        QCOMPARE(core().SizeH, 16);
        QCOMPARE(core().SizeV, 8);
        QCOMPARE(redraws(), 1);
        QCOMPARE(QApplication::focusWidget(), g.E_SizeH);
        QCOMPARE(beeps, 0);
    }

    // Switching to the main window does not leave the box; the next move
    // within the grid window does.
    void sizeAppliedOnlyWhenLeftInsideTheWindow()
    {
        TF_Grid &g = grid();
        retype(g.E_SizeH, QStringLiteral("20"));
        F_Canvas->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(F_Canvas));
        QCOMPARE(core().SizeH, 32);
        QCOMPARE(redraws(), 0);

        g.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&g));
        QCOMPARE(QApplication::focusWidget(), g.E_SizeH); // the window kept it
        QCOMPARE(redraws(), 0);
        QTest::keyClick(g.E_SizeH, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), g.E_SizeV);
        QCOMPARE(core().SizeH, 20);
        QCOMPARE(redraws(), 1);

        // A click on another control leaves the box as well.
        retype(g.E_SizeV, QStringLiteral("24"));
        QTest::mouseClick(g.ColorBarR, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(core().SizeV, 24);
        QCOMPARE(redraws(), 2);
    }

    void conversionErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("sizeH"); // after the failure; E_SizeH holds "20" unapplied
        QTest::newRow("eleven nines, size H") << "E_SizeH"
                                              << "99999999999" << 32;
        QTest::newRow("empty size box") << "E_SizeH"
                                        << "" << 32;
        // SizeH is read and stored first; SizeV keeps its value, no redraw.
        QTest::newRow("V fails after H stored") << "E_SizeV"
                                                << "99999999999" << 20;
        QTest::newRow("eleven nines, colour") << "E_ColorG"
                                              << "99999999999" << 32;
    }

    // A text that does not convert shows the conversion error, the text
    // stays as typed, and neither the colour nor the view changes.
    void conversionErrors()
    {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(int, sizeH);
        TF_Grid &g = grid();
        QLineEdit *e = box(qPrintable(name));
        g.ColorBarG->setValue(7);
        activateGrid(e);
        if (e != g.E_SizeH)
            g.E_SizeH->setText(QStringLiteral("20")); // not yet applied
        const int start = redraws();
        retype(e, typed);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(dialogs.errors, QStringList {notAnInteger(typed)});
        QCOMPARE(e->text(), typed);
        QCOMPARE(core().SizeH, sizeH);
        QCOMPARE(core().SizeV, 32);
        QCOMPARE(redraws(), start);
        const Colours now = colours();
        QCOMPARE(QList<int>({now.barR, now.barG, now.barB}), QList<int>({0, 7, 0}));
        QCOMPARE(now.swatch, rgb(0, 7, 0));
        QCOMPARE(now.brush, rgb(0, 7, 0));
    }

    void colourBoxes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<int>("redraws"); // bar G starts at 40
        QTest::newRow("300") << "300"
                             << "255" << 1 << 2;
        QTest::newRow("seven leading zeros") << "0000000300"
                                             << "255" << 1 << 2;
        QTest::newRow("empty becomes 0 silently") << ""
                                                  << "0" << 0 << 2;
        QTest::newRow("255") << "255"
                             << "255" << 0 << 2;
        QTest::newRow("40, no bar moves") << "40"
                                          << "40" << 0 << 1;
    }

    // A colour box applied by Enter: the box, its bar, the swatch and the
    // colour layer agree; one redraw per bar that moves, one more after.
    void colourBoxes()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, beeps);
        QFETCH(int, redraws);
        TF_Grid &g = grid();
        g.ColorBarG->setValue(40);
        activateGrid(g.E_ColorG);
        const int start = this->redraws();
        retype(g.E_ColorG, typed);
        QTest::keyClick(g.E_ColorG, Qt::Key_Enter);
        QCOMPARE(g.E_ColorG->text(), shown);
        QCOMPARE(this->beeps, beeps);
        QCOMPARE(this->redraws() - start, redraws);
        QCOMPARE(QApplication::focusWidget(), g.E_ColorG);
        compareColours(colours(), 0, shown.toInt(), 0);
        QVERIFY(dialogs.errors.isEmpty());
    }

    // Every bar that moves redraws at once, nested, then once more: values
    // read before the first bar moves are not lost.
    void colourBoxesMoveEveryBar()
    {
        TF_Grid &g = grid();
        g.E_ColorR->setText(QStringLiteral("10"));
        g.E_ColorG->setText(QStringLiteral("20"));
        activateGrid(g.E_ColorB);
        const int start = redraws();
        retype(g.E_ColorB, QStringLiteral("30"));
        QTest::keyClick(g.E_ColorB, Qt::Key_Tab);
        QCOMPARE(redraws() - start, 4);
        compareColours(colours(), 10, 20, 30);
    }

    // A drag of the thumb redraws at every position it passes; keys move a
    // bar that has the focus.
    void draggedBar()
    {
        TF_Grid &g = grid();
        QScrollBar *bar = g.ColorBarR;
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Horizontal;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         QStyle::SC_ScrollBarSlider, bar);
        QPoint at = thumb.center();
        QTest::mousePress(bar, Qt::LeftButton, {}, at);
        const int start = redraws(); // the press leaves E_SizeH
        QCOMPARE(bar->value(), 0);
        QList<int> seen;
        for (int step = 0; step < 12; ++step) {
            at.rx() += 3;
            QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(bar, &move);
            if (seen.isEmpty() || seen.last() != bar->value())
                seen << bar->value();
            QCOMPARE(g.E_ColorR->text(), QString::number(bar->value()));
            QCOMPARE(core().ColorLayer.brushColor(), rgb(bar->value(), 0, 0));
        }
        QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
        QVERIFY(seen.size() >= 10);
        QCOMPARE(redraws() - start, seen.size());

        const int dragged = redraws();
        const int value = bar->value();
        QCOMPARE(QApplication::focusWidget(), bar); // a click gives a bar the focus
        QTest::keyClick(bar, Qt::Key_Right); // adds, as the arrow points
        QCOMPARE(bar->value(), value + 1);
        QTest::keyClick(bar, Qt::Key_End);
        QCOMPARE(redraws(), dragged + 2);
        compareColours(colours(), 255, 0, 0);
    }

    void chooser()
    {
        TF_Grid &g = grid();
        // Cancelled: nothing changes.
        g.ColorBarB->setValue(9);
        const int start = redraws();
        QTest::mouseClick(g.ColorPanel, Qt::LeftButton);
        QCOMPARE(dialogs.chooserOpenedWith, QList<QColor> {Qt::black});
        QCOMPARE(redraws(), start);
        compareColours(colours(), 0, 0, 9);

        // Chosen: boxes, bars, swatch and colour layer take it; three bars
        // move, so four redraws.
        dialogs.choose = QColor(18, 52, 86);
        QTest::mouseClick(g.ColorPanel, Qt::LeftButton);
        QCOMPARE(redraws(), start + 4);
        compareColours(colours(), 18, 52, 86);
        QCOMPARE(QApplication::focusWidget(), g.E_SizeH); // no box was left

        // The chooser keeps its own last colour; the bars do not hand theirs.
        g.ColorBarR->setValue(255);
        g.ColorBarG->setValue(0);
        g.ColorBarB->setValue(0);
        dialogs.choose.reset();
        QTest::mouseClick(g.ColorPanel, Qt::LeftButton);
        QCOMPARE(dialogs.chooserOpenedWith.last(), QColor(18, 52, 86));
        compareColours(colours(), 255, 0, 0);
    }

    void chooserOpensBlackAfterBarsSet()
    {
        TF_Grid &g = grid();
        g.ColorBarR->setValue(255);
        QTest::mouseClick(g.ColorPanel, Qt::LeftButton);
        QCOMPARE(dialogs.chooserOpenedWith, QList<QColor> {Qt::black});
    }

    // Every click runs the kind's action, also on the button already down,
    // which stays down; typing in a box is not applied by it.
    void kindButtons()
    {
        TF_Grid &g = grid();
        const std::pair<QToolButton *, int> buttons[] = {
            {g.Btn_Square, 2},  {g.Btn_Square, 2},  {g.Btn_Diamond, 3}, {g.Btn_SHexH, 4},
            {g.Btn_SHexV, 5},   {g.Btn_HexH, 6},    {g.Btn_HexV, 7},    {g.Btn_HexV, 7},
            {g.Btn_Nothing, 0}, {g.Btn_Nothing, 0},
        };
        int expected = 0;
        for (auto [button, kind] : buttons) {
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(core().GridKind, kind);
            QCOMPARE(redraws(), ++expected);
            QVERIFY(button->isChecked());
            QCOMPARE(g.G_ActionList->checkedAction(), button->defaultAction());
        }
        QCOMPARE(QApplication::focusWidget(), g.E_SizeH);
    }

    // The close box hides the window and raises Tool_VGrid; nothing else
    // changes, and showing it again shows every setting as it was.
    void closeKeepsEverything()
    {
        TF_Grid &g = grid();
        QTest::mouseClick(g.Btn_HexH, Qt::LeftButton);
        retype(g.E_SizeH, QStringLiteral("12"));
        QTest::keyClick(g.E_SizeH, Qt::Key_Return);
        g.ColorBarR->setValue(200);
        QTest::mouseClick(g.Check_Grid, Qt::LeftButton);
        const int before = redraws();
        QVERIFY(F_Canvas->Tool_VGrid->isChecked());

        QVERIFY(g.close());
        QVERIFY(!g.isVisible());
        QVERIFY(!F_Canvas->Tool_VGrid->isChecked());
        QVERIFY(F_Canvas->isVisible());
        QCOMPARE(redraws(), before);
        g.show();
        QCOMPARE(core().GridKind, 6);
        QVERIFY(g.Btn_HexH->isChecked());
        QCOMPARE(core().SizeH, 12);
        QCOMPARE(g.E_SizeH->text(), QStringLiteral("12"));
        compareColours(colours(), 200, 0, 0);
        QVERIFY(!g.Check_Grid->isChecked());
    }

    // The check box decides only what is saved: no redraw, the view stays.
    void checkGridChangesOnlySaving()
    {
        TF_Grid &g = grid();
        showPicture(40, 30);
        QTest::mouseClick(g.Btn_Square, Qt::LeftButton);
        const Surface shown = F_Canvas->core().C_Canvas.picture();
        QCOMPARE(shown.width(), 40);
        activateGrid(g.Check_Grid); // leaving E_SizeH redraws once
        const int before = redraws();
        QTest::mouseClick(g.Check_Grid, Qt::LeftButton);
        QVERIFY(!g.Check_Grid->isChecked());
        QTest::keyClick(g.Check_Grid, Qt::Key_Space);
        QVERIFY(g.Check_Grid->isChecked());
        QCOMPARE(redraws(), before);
        QVERIFY(test::samePixels(F_Canvas->core().C_Canvas.picture(), shown));
    }

    // Pasted text skips the key filter. A negative size is stored as it is
    // and drawn by the routines' formulas; nothing fails.
    void pastedNegativeSize()
    {
        TF_Grid &g = grid();
        QTest::mouseClick(g.Btn_Square, Qt::LeftButton);
        QApplication::clipboard()->setText(QStringLiteral("-8"));
        retype(g.E_SizeH, QString());
        QTest::keyClick(g.E_SizeH, Qt::Key_Insert, Qt::ShiftModifier);
        if (g.E_SizeH->text().isEmpty())
            g.E_SizeH->paste();
        QCOMPARE(g.E_SizeH->text(), QStringLiteral("-8"));
        QTest::keyClick(g.E_SizeH, Qt::Key_Return);
        QCOMPARE(core().SizeH, -8);
        QCOMPARE(redraws(), 2);
        QVERIFY(dialogs.errors.isEmpty());
    }
};

QTEST_MAIN(GridWindowTest)
#include "test_gridwindow.moc"
