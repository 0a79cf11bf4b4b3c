// Both windows under a real X server, driven as a person drives them: every
// press, release, wheel turn and key goes through the server (see
// support/RealInput.h), and every modal window (error box, overwrite
// question, picture dialogs, colour chooser, preview) runs its own event
// loop and is answered with real input while it is up. These are the things
// Qt's offscreen platform cannot show: the server's pointer grab, Qt's
// blocking of windows behind a modal one, popups, and which window has the
// keyboard.
//
// The program is started as it starts itself; controls are found by their
// object names. Runs on Qt's xcb platform only (the test tier "xcb" of
// `make test`, under Xvfb, with no window manager).

#include "app/Startup.h"
#include "support/CurrentFolder.h"
#include "support/RealInput.h"
#include "ui/Guard.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>

#include <iterator>
#include <memory>
#include <optional>
#include <utility>

// The two windows, as start-up leaves them to the event loop's end.
class TF_Canvas;
class TF_Grid;
extern TF_Canvas *F_Canvas;
extern TF_Grid *F_Grid;

using namespace masume::test;

namespace {

const QString Fixtures = QDir::cleanPath(QStringLiteral(MASUME_FIXTURES));
const QString Bmp24 = Fixtures + "/bmpsuite/g/rgb24.bmp"; // 127 x 64

template<typename T = QWidget> T *inCanvas(const char *name)
{
    return control<T>(QStringLiteral("F_Canvas"), QLatin1String(name));
}

// Where a part of a scroll bar is, in its own coordinates.
QRect barPart(const QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

// Qt's file dialogs open in the folder the last one was accepted in, for the
// whole process; each test has a folder of its own.
void inTestFolder(QWidget *dialog)
{
    if (auto *files = qobject_cast<QFileDialog *>(dialog))
        files->setDirectory(QDir::currentPath());
}

QAbstractButton *buttonOf(QWidget *box, const QString &text)
{
    for (QAbstractButton *b : box->findChildren<QAbstractButton *>())
        if (b->text() == text && b->isVisible())
            return b;
    return nullptr;
}

// The completion list of a picture dialog's name field, when it is on
// screen.
QWidget *visibleCompletionList()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QAbstractItemView *>(w) && w->windowType() == Qt::Popup && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

class WindowSystemTest : public QObject
{
    Q_OBJECT

    std::optional<TemporaryCurrentFolder> folder;
    std::optional<RealInput> input;
    std::optional<ModalWatchdog> watchdog;

    RealInput &in() { return *input; }

    // As a click on its title bar would with a window manager.
    void activate(QWidget *window)
    {
        window->raise();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    // Clicks into a number box of the grid window and replaces its text by
    // typing: End, Backspace over all of it, the new digits.
    void retype(const char *box, const QString &digits)
    {
        auto *e = inGrid<QLineEdit>(box);
        in().click(e);
        QTRY_COMPARE(QApplication::focusWidget(), e);
        QStringList keys {QStringLiteral("End")};
        for (qsizetype i = 0; i < e->text().size(); ++i)
            keys << QStringLiteral("BackSpace");
        in().keys(keys);
        if (!digits.isEmpty())
            in().type(digits);
        QTRY_COMPARE(e->text(), digits);
    }

    // A picture opened through the open dialog, by keys alone.
    void openByKeys(QWidget *from, const QString &name)
    {
        activate(from);
        ModalAnswer answer([this, name](QWidget *dialog) {
            inTestFolder(dialog);
            in().type(name);
            in().key(QStringLiteral("Return"));
        });
        in().key(QStringLiteral("ctrl+alt+o"));
        QTRY_VERIFY(answer.done());
        QVERIFY(answer.closedByAnswer());
        QVERIFY(waitForNoModal());
        QTRY_COMPARE(QApplication::activeWindow(), from);
    }

    // A square grid and a size box holding "0" that is not applied yet: the
    // next move to another control of the grid window fails with the
    // division error and opens the error box.
    void prepareFailingLeave()
    {
        activate(grid());
        in().click(inGrid("Btn_Square"));
        QTRY_VERIFY(inGrid<QToolButton>("Btn_Square")->isChecked());
        retype("E_SizeH", QStringLiteral("0"));
    }

private slots:
    void initTestCase()
    {
        if (!realInputAvailable())
            QSKIP("needs Qt's xcb platform and xdotool");
    }

    void init()
    {
        folder.emplace();
        QVERIFY(folder->isValid());
        input.emplace();
        watchdog.emplace();
        createWindows();
        QVERIFY(QTest::qWaitForWindowExposed(canvas()));
        QVERIFY(QTest::qWaitForWindowExposed(grid()));
    }

    void cleanup()
    {
        input.reset(); // lets go of any button still held
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        const QStringList unexpected = watchdog->closed();
        watchdog.reset();
        destroyWindows();
        folder.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(QLatin1Char('\n'))));
    }

    // As the program starts: the main window has the keyboard, so that its
    // shortcuts work at once, and no control of the grid window lies hidden
    // under the main window, which overlaps it.
    void atStart()
    {
        QTRY_COMPARE(QApplication::activeWindow(), canvas());
        const auto hidden = [] {
            QStringList names;
            for (QWidget *w : grid()->findChildren<QWidget *>()) {
                if (w->objectName().isEmpty() || !w->isVisible() || !w->isEnabled())
                    continue;
                QWidget *there = QApplication::widgetAt(w->mapToGlobal(w->rect().center()));
                if (!there || (there != w && !w->isAncestorOf(there)))
                    names << w->objectName();
            }
            return names;
        };
        QTRY_COMPARE(hidden(), QStringList());
        ModalAnswer answer([this](QWidget *) { in().key(QStringLiteral("Escape")); });
        in().key(QStringLiteral("ctrl+alt+o"));
        QTRY_VERIFY(answer.done());
        QCOMPARE(answer.classNames(), QStringList({"masume::ui::PictureDialog"}));
    }

    void pressThatOpensAnErrorBox_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("part"); // of a colour bar, or -1
        QTest::addColumn<bool>("answerWithKey"); // Enter with the button held
        QTest::addColumn<int>("value"); // the bar's value afterwards, or -1
        QTest::newRow("bar's right arrow, OK clicked")
            << "ColorBarG" << int(QStyle::SC_ScrollBarAddLine) << false << 1;
        QTest::newRow("bar's right arrow, Enter while held")
            << "ColorBarG" << int(QStyle::SC_ScrollBarAddLine) << true << -1;
        QTest::newRow("bar's track, OK clicked")
            << "ColorBarG" << int(QStyle::SC_ScrollBarAddPage) << false << 1;
        QTest::newRow("bar's thumb, OK clicked")
            << "ColorBarB" << int(QStyle::SC_ScrollBarSlider) << false << 0;
        QTest::newRow("check box, OK clicked") << "Check_Grid" << -1 << false << -1;
    }

    // A press on a control leaves a number box whose "0" fails: the error
    // box opens before the control has seen the press, and takes the
    // release. Once the box is closed the control must not stay pressed: a
    // bar does not step on by itself, a thumb is not left dragged.
    void pressThatOpensAnErrorBox()
    {
        QFETCH(QString, control);
        QFETCH(int, part);
        QFETCH(bool, answerWithKey);
        QFETCH(int, value);
        prepareFailingLeave();
        QWidget *target = grid()->findChild<QWidget *>(control);
        QVERIFY(target);
        auto *bar = qobject_cast<QScrollBar *>(target);
        const QPoint at = bar ? barPart(bar, QStyle::SubControl(part)).center()
                              : QPoint(8, target->height() / 2);

        QString shown;
        ModalAnswer answer([&](QWidget *box) {
            if (auto *message = qobject_cast<QMessageBox *>(box))
                shown = message->text();
            if (answerWithKey) {
                in().key(QStringLiteral("Return"));
            } else {
                in().release();
                in().click(buttonOf(box, QStringLiteral("OK")));
            }
        });
        in().moveTo(target, at);
        in().press();
        QTRY_VERIFY(answer.done());
        QVERIFY(answer.closedByAnswer());
        QCOMPARE(shown, QStringLiteral("0 による浮動小数点数除算."));
        if (answerWithKey)
            in().release();

        if (bar) {
            if (value >= 0)
                QTRY_COMPARE(bar->value(), value);
            const int settled = bar->value();
            QTest::qWait(1200); // a repeating bar steps every 50 ms after 500
            QCOMPARE(bar->value(), settled);
            QVERIFY(!bar->isSliderDown());
            // Moving over the bar with no button held moves nothing.
            in().moveTo(bar, bar->rect().topRight() + QPoint(-20, 8));
            QTest::qWait(100);
            QCOMPARE(bar->value(), settled);
            // The colour boxes agree with the bars: nothing ran behind them.
            QCOMPARE(inGrid<QLineEdit>(control == "ColorBarG" ? "E_ColorG" : "E_ColorB")->text(),
                     QString::number(settled));
        } else {
            auto *button = qobject_cast<QAbstractButton *>(target);
            QTRY_VERIFY(!button->isDown());
        }
    }

    // A bar dragged by its thumb when an error box opens (a redraw that
    // fails; here a handler made to fail once): the drag ends with the box.
    void errorBoxWhileABarIsDragged()
    {
        activate(grid());
        auto *bar = inGrid<QScrollBar>("ColorBarR");
        bool failed = false;
        QObject failing; // ends the failure with the test
        connect(bar, &QScrollBar::valueChanged, &failing, [&](int v) {
            if (v >= 5 && !failed) {
                failed = true;
                masume::ui::showErrorBox("メモリが不足しています");
            }
        });
        ModalAnswer answer([&](QWidget *box) {
            in().release();
            in().click(buttonOf(box, QStringLiteral("OK")));
        });
        const QPoint thumb = barPart(bar, QStyle::SC_ScrollBarSlider).center();
        in().moveTo(bar, thumb);
        in().press();
        for (int dx = 4; dx <= 40 && !failed; dx += 4) {
            in().moveTo(bar, thumb + QPoint(dx, 0));
            QTest::qWait(20);
        }
        QTRY_VERIFY(answer.done());
        QTRY_VERIFY(!bar->isSliderDown());
        const int settled = bar->value();
        QVERIFY(settled >= 5);
        in().moveTo(bar, thumb + QPoint(60, 0));
        QTest::qWait(200);
        QCOMPARE(bar->value(), settled);
        // The bar takes the next click as usual: one step from its arrow.
        in().click(bar, barPart(bar, QStyle::SC_ScrollBarAddLine).center());
        QTRY_COMPARE(bar->value(), settled + 1);
        QTest::qWait(700);
        QCOMPARE(bar->value(), settled + 1);
    }

    // Arrow keys move a focused colour bar the way they point; the wheel
    // turns it as it turns any horizontal scroll bar of a Qt program.
    void colourBarKeysAndWheel()
    {
        activate(grid());
        auto *bar = inGrid<QScrollBar>("ColorBarR");
        in().click(inGrid("E_SizeV"));
        in().key(QStringLiteral("Tab"));
        QTRY_COMPARE(QApplication::focusWidget(), bar);
        const QList<std::pair<QString, int>> steps = {
            {"Right", 1}, {"Right", 2}, {"Right", 3}, {"Left", 2},  {"Down", 3},
            {"Up", 2},    {"Next", 3},  {"Prior", 2}, {"End", 255}, {"Home", 0},
        };
        for (const auto &[key, expected] : steps) {
            in().key(key);
            QTRY_COMPARE(bar->value(), expected);
            QCOMPARE(inGrid<QLineEdit>("E_ColorR")->text(), QString::number(expected));
        }

        // A plain Qt scroll bar beside it shows the platform's direction.
        QWidget reference;
        reference.setGeometry(100, 100, 200, 40);
        QScrollBar plain(Qt::Horizontal, &reference);
        plain.setGeometry(10, 10, 180, 16);
        plain.setRange(0, 255);
        plain.setSingleStep(1);
        plain.setPageStep(1); // as a colour bar's; a wheel notch moves a page at most
        reference.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reference));
        for (int notches : {-1, -1, 1}) {
            const int before = plain.value(), barBefore = bar->value();
            in().wheel(&plain, notches);
            QTRY_VERIFY(plain.value() != before);
            in().wheel(bar, notches);
            QTRY_COMPARE(bar->value() - barBefore, plain.value() - before);
            QCOMPARE(bar->value() - barBefore, notches < 0 ? 1 : -1); // towards the user: right
        }
        QVERIFY(bar->value() > 0);
    }

    // Tab and Shift+Tab walk the grid window's controls round in both
    // directions; in the main window the keyboard stays in the view.
    void tabRoundBothWindows()
    {
        activate(grid());
        in().click(inGrid("E_SizeH"));
        QTRY_COMPARE(QApplication::focusWidget(), inGrid("E_SizeH"));
        const char *const order[] = {"E_SizeV",  "ColorBarR", "ColorBarG",  "ColorBarB", "E_ColorR",
                                     "E_ColorG", "E_ColorB",  "Check_Grid", "E_SizeH"};
        for (const char *name : order) {
            in().key(QStringLiteral("Tab"));
            QTRY_COMPARE(QApplication::focusWidget(), inGrid(name));
        }
        for (int i = int(std::size(order)) - 2; i >= -1; --i) {
            in().key(QStringLiteral("shift+Tab"));
            QTRY_COMPARE(QApplication::focusWidget(), inGrid(i >= 0 ? order[i] : "E_SizeH"));
        }

        activate(canvas());
        QTRY_COMPARE(QApplication::focusWidget(), inCanvas("ScrollBox1"));
        in().keys({QStringLiteral("Tab"), QStringLiteral("shift+Tab"), QStringLiteral("Tab")});
        QTest::qWait(100);
        QCOMPARE(QApplication::focusWidget(), inCanvas("ScrollBox1"));
    }

    // The menu by keys alone: Alt+F opens it, the arrows choose a command
    // (greyed ones are passed over), Enter runs it, Esc closes its dialog
    // and the keyboard is back in the main window.
    void menuByKeys()
    {
        activate(canvas());
        in().key(QStringLiteral("alt+f"));
        QTRY_VERIFY(QApplication::activePopupWidget());
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), QStringLiteral("Files1"));
        for (int i = 0; i < 10
             && (!menu->activeAction() || menu->activeAction()->objectName() != "SaveAsPicture1");
             ++i) {
            in().key(QStringLiteral("Down"));
            QTest::qWait(50);
        }
        QCOMPARE(menu->activeAction()->objectName(), QStringLiteral("SaveAsPicture1"));
        ModalAnswer answer([this](QWidget *) { in().key(QStringLiteral("Escape")); });
        in().key(QStringLiteral("Return"));
        QTRY_VERIFY(answer.done());
        QCOMPARE(answer.classNames(), QStringList({"masume::ui::PictureDialog"}));
        QTRY_COMPARE(QApplication::activeWindow(), canvas());
        QVERIFY(!QApplication::activePopupWidget());
    }

    void completionListGoesWithTheDialog_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("name"); // typed after "p.bm", with the list up
        QTest::addColumn<QString>("caption"); // of the preview then
        QTest::newRow("open p.bmp") << "ctrl+alt+o"
                                    << "p.bmp"
                                    << " (127x64)";
        QTest::newRow("save as the new name p.bm") << "ctrl+alt+a"
                                                   << "p.bm"
                                                   << "画像:";
    }

    // A name typed into a picture dialog opens the name field's completion
    // list; Enter accepts the name from within the list. The list goes with
    // the dialog, and the next click reaches what it is aimed at.
    void completionListGoesWithTheDialog()
    {
        QFETCH(QString, keys);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QVERIFY(QFile::copy(Bmp24, QStringLiteral("p.bmp")));
        activate(canvas());
        bool listShown = false;
        QString preview;
        ModalAnswer answer([&](QWidget *dialog) {
            inTestFolder(dialog);
            in().type(QStringLiteral("p.bm"));
            listShown = QTest::qWaitFor([] { return visibleCompletionList() != nullptr; });
            in().type(name.mid(4));
            const auto *label = dialog->findChild<QLabel *>("PictureLabel");
            (void)QTest::qWaitFor([&] { return (preview = label->text()) == caption; });
            in().key(QStringLiteral("Return"));
        });
        in().key(keys);
        QTRY_VERIFY(answer.done());
        QVERIFY(answer.closedByAnswer());
        QVERIFY(listShown);
        QVERIFY(waitForNoModal());

        QTRY_VERIFY(!visibleCompletionList());
        QVERIFY(!QApplication::activePopupWidget());
        auto *square = inGrid<QToolButton>("Btn_Square");
        in().click(square);
        QTRY_VERIFY(square->isChecked());
        QVERIFY(QFile::exists(name));
        // The preview followed the typed name.
        QCOMPARE(preview, caption);
    }

    void focusComesBack_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("focus"); // the control with the keyboard before
        QTest::addColumn<QString>("opens"); // keys, or the control clicked
        QTest::addColumn<QStringList>("answers"); // one key per modal window, in turn
        QTest::addColumn<QString>("after"); // the control with the keyboard after
        QTest::newRow("colour chooser, cancelled")
            << "F_Grid"
            << "E_ColorR"
            << "ColorPanel" << QStringList {"Escape"} << "E_ColorR";
        QTest::newRow("colour chooser, chosen")
            << "F_Grid"
            << "E_ColorG"
            << "ColorPanel" << QStringList {"Return"} << "E_ColorG";
        QTest::newRow("error box from a box left by Tab")
            << "F_Grid"
            << "E_SizeH"
            << "Tab" << QStringList {"Return"} << "E_SizeV";
        QTest::newRow("overwrite question from the grid window's shortcut, OK")
            << "F_Grid"
            << "E_ColorB"
            << "ctrl+alt+s" << QStringList {"Return"} << "E_ColorB";
        QTest::newRow("overwrite question cancelled, then the save dialog")
            << "F_Grid"
            << "E_SizeV"
            << "ctrl+alt+s" << QStringList {"Escape", "Escape"} << "E_SizeV";
        QTest::newRow("open dialog from the grid window, cancelled")
            << "F_Grid"
            << "E_ColorR"
            << "ctrl+alt+o" << QStringList {"Escape"} << "E_ColorR";
        QTest::newRow("save dialog from the main window, cancelled")
            << "F_Canvas"
            << "ScrollBox1"
            << "ctrl+alt+a" << QStringList {"Escape"} << "ScrollBox1";
    }

    // Closing a modal window gives the keyboard back to the window and the
    // control the user was in, with or without a window manager.
    void focusComesBack()
    {
        QFETCH(QString, window);
        QFETCH(QString, focus);
        QFETCH(QString, opens);
        QFETCH(QStringList, answers);
        QFETCH(QString, after);
        // A picture whose file exists, so that saving asks first.
        QVERIFY(QFile::copy(Bmp24, QStringLiteral("p.bmp")));
        openByKeys(canvas(), QStringLiteral("p.bmp"));
        if (opens == QStringLiteral("Tab"))
            prepareFailingLeave();

        QWidget *w = topLevel(window);
        activate(w);
        QWidget *start = w->findChild<QWidget *>(focus);
        QVERIFY(start);
        if (start->focusPolicy() & Qt::ClickFocus)
            in().click(start);
        else
            start->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), start);

        QList<ModalAnswer::Answer> keys;
        for (const QString &key : answers)
            keys << [this, key](QWidget *) { in().key(key); };
        ModalAnswer answered(keys);
        if (QWidget *clicked = w->findChild<QWidget *>(opens))
            in().click(clicked);
        else
            in().key(opens);
        QTRY_VERIFY(answered.done());
        QVERIFY(answered.closedByAnswer());
        QCOMPARE(answered.classNames().size(), answers.size());
        QVERIFY(waitForNoModal());

        QTRY_COMPARE(QApplication::activeWindow(), w);
        QTRY_COMPARE(QApplication::focusWidget(), w->findChild<QWidget *>(after));
    }

    // The preview window, opened from the open dialog and closed with Esc,
    // gives the keyboard back to the dialog; the dialog then to the window.
    void previewWindow()
    {
        QVERIFY(QFile::copy(Bmp24, QStringLiteral("p.bmp")));
        activate(grid());
        in().click(inGrid("E_ColorG"));
        QString title;
        QSize size;
        bool dialogActiveAgain = false;
        ModalAnswer dialog([&](QWidget *d) {
            inTestFolder(d);
            in().type(QStringLiteral("p.bmp"));
            auto *button = d->findChild<QToolButton *>("PreviewButton");
            (void)QTest::qWaitFor([&] { return button->isEnabled(); });
            // The name field's completion list takes the next click to
            // close itself, as Qt's popups do; Esc closes it alone.
            if (visibleCompletionList())
                in().key(QStringLiteral("Escape"));
            (void)QTest::qWaitFor([] { return !visibleCompletionList(); });
            ModalAnswer preview([&](QWidget *p) {
                title = p->windowTitle();
                size = p->size();
                in().key(QStringLiteral("Escape"));
            });
            in().click(button);
            (void)QTest::qWaitFor([&] { return preview.done(); });
            dialogActiveAgain = QTest::qWaitFor([&] { return d->isActiveWindow(); });
            in().key(QStringLiteral("Escape"));
        });
        in().key(QStringLiteral("ctrl+alt+o"));
        QTRY_VERIFY(dialog.done());
        QVERIFY(dialog.closedByAnswer());
        QCOMPARE(title, QStringLiteral("プレビュー"));
        QVERIFY(size.width() >= 127 && size.height() >= 64);
        QVERIFY(dialogActiveAgain);
        QTRY_COMPARE(QApplication::activeWindow(), grid());
        QCOMPARE(QApplication::focusWidget(), inGrid("E_ColorG"));
    }
};

QTEST_MAIN(WindowSystemTest)
#include "test_window_system.moc"
