#include "Canvas/TF_Canvas.h"

#include "Canvas/PictureDialog.h"
#include "Grid/TF_Grid.h"
#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/WaitCursor.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

TF_Canvas *F_Canvas = nullptr;

// Qt's resource initialiser must be called outside any namespace.
static void initCanvasResources()
{
    Q_INIT_RESOURCE(canvas);
}

namespace {

using masume::ui::guarded;

// A tool button that never shows a tool tip: hints are kept on the commands
// but not displayed.
class HintlessToolButton : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip || event->type() == QEvent::WhatsThis) {
            event->accept();
            return true;
        }
        return QToolButton::event(event);
    }
};

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(12);
    return font;
}

} // namespace

TF_Canvas::TF_Canvas(QWidget *parent)
    : QMainWindow(parent)
    , C_Canvas(new masume::ui::PictureBox(this))
    , m_core(*C_Canvas)
    , m_commands(m_core, *this)
{
    initCanvasResources();
    createControls();
    FormCreate();
}

TF_Canvas::~TF_Canvas() = default;

// The window's description: every control with its name, place, texts and
// settings, top to bottom, then the commands, the tool bar and the menu.
void TF_Canvas::createControls()
{
    setObjectName(QStringLiteral("F_Canvas"));
    setWindowTitle(QStringLiteral("F_Canvas"));
    setFont(windowFont());
    // The window paints no background of its own: the menu, the tool bar,
    // the scrolling area and the status bar cover it and paint their own.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);

    for (const char *file : {"file-new", "file-open", "file-save", "file-save-as", "file-exit",
                             "picture-open", "picture-save", "picture-save-as"})
        C_ImageList.append(QIcon(QStringLiteral(":/canvas/%1.png").arg(QLatin1String(file))));

    // Commands: name, category, caption, picture, shortcut, enabled, hint.
    const QKeySequence none;
    FileNew1 = createAction("FileNew1", "ファイル", "新規(&N)", 0, none, false, "");
    FileOpen1
        = createAction("FileOpen1", "ファイル", "開く(&O)...", 1,
                       QKeySequence(Qt::CTRL | Qt::Key_O), false, "開く|既存のファイルを開く");
    FileSave1 = createAction("FileSave1", "ファイル", "上書き保存(&S)", 2,
                             QKeySequence(Qt::CTRL | Qt::Key_S), false, "");
    FileSaveAs1 = createAction("FileSaveAs1", "ファイル", "名前を付けて保存(&A)...", 3,
                               QKeySequence(Qt::CTRL | Qt::Key_A), false,
                               "別名で保存|現在のファイルに新しい名前をつけて保存");
    FileExit1 = createAction("FileExit1", "ファイル", "終了(&X)", 4, none, true,
                             "終了|アプリケーションを終了する");
    OpenPicture1 = createAction("OpenPicture1", "ダイアログ", "背景画像を開く", 5,
                                QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O), true, "画像を開く");
    SavePicture1 = createAction("SavePicture1", "ダイアログ", "現在画像を上書き保存", 6,
                                QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), true, "画像の保存");
    SaveAsPicture1 = createAction("SaveAsPicture1", "ダイアログ", "現在画像を名前を付けて保存", 7,
                                  QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A), true, "画像の保存");
    connect(FileExit1, &QAction::triggered, this, [this] { guarded([this] { close(); }); });
    connect(OpenPicture1, &QAction::triggered, this, [this] { OpenPicture1Execute(); });
    connect(SavePicture1, &QAction::triggered, this, [this] { SavePicture1Execute(SavePicture1); });
    connect(SaveAsPicture1, &QAction::triggered, this, [this] { SaveAsPicture1Execute(); });

    // Menu C_Menu: "ファイル(&F)" with its ten items.
    C_Menu = new QMenuBar(this);
    C_Menu->setObjectName(QStringLiteral("C_Menu"));
    C_Menu->setAutoFillBackground(true);
    // In the window, also on desktops that offer a global menu bar.
    C_Menu->setNativeMenuBar(false);
    setMenuBar(C_Menu);
    Files1 = C_Menu->addMenu(QStringLiteral("ファイル(&F)"));
    Files1->setObjectName(QStringLiteral("Files1"));
    Files1->setFont(windowFont());
    Files1->addAction(FileNew1); // New1
    Files1->addAction(FileOpen1); // Open1
    Files1->addAction(OpenPicture1); // Open2
    Files1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Files1->addAction(FileSave1); // Save1
    Files1->addAction(FileSaveAs1); // SaveAs1
    Files1->addAction(SavePicture1); // Save2
    Files1->addAction(SaveAsPicture1); // SaveAs2
    Files1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Files1->addAction(FileExit1); // Exit1

    // Tool bar C_ToolBar: top edge, full width, 29 high, border width 1,
    // flat 23 x 22 buttons at the lefts below (inside the border, 2 pixels
    // from its top) and the divider ToolDiv1 of 8 at 115. The buttons sit on
    // one strip in the bar, so that Qt's tool bar layout adds no spacing of
    // its own.
    C_ToolBar = new QToolBar(this);
    C_ToolBar->setObjectName(QStringLiteral("C_ToolBar"));
    C_ToolBar->setMovable(false);
    C_ToolBar->setFloatable(false);
    C_ToolBar->setIconSize(QSize(16, 16));
    C_ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    C_ToolBar->setAutoFillBackground(true);
    C_ToolBar->layout()->setContentsMargins(1, 1, 1, 1);
    C_ToolBar->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, C_ToolBar);
    auto *strip = new QWidget(C_ToolBar);
    strip->setObjectName(QStringLiteral("C_ToolBarStrip"));
    strip->setFixedSize(169, 27);
    Tool_FN = createToolButton(strip, "Tool_FN", 0, FileNew1);
    Tool_FO = createToolButton(strip, "Tool_FO", 23, FileOpen1);
    Tool_FOP = createToolButton(strip, "Tool_FOP", 46, OpenPicture1);
    Tool_FS = createToolButton(strip, "Tool_FS", 69, FileSave1);
    Tool_FSP = createToolButton(strip, "Tool_FSP", 92, SavePicture1);
    auto *divider = new QFrame(strip);
    divider->setObjectName(QStringLiteral("ToolDiv1"));
    divider->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    divider->setGeometry(115, 2, 8, 22);
    Tool_VGrid = createToolButton(strip, "Tool_VGrid", 123, nullptr);
    ToolButton2 = createToolButton(strip, "ToolButton2", 146, nullptr);
    C_ToolBar->addWidget(strip);
    connect(Tool_VGrid, &QToolButton::clicked, this, [this] { Tool_VGridClick(Tool_VGrid); });
    connect(ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(ToolButton2); });

    // ScrollBox1: the rest between tool bar and status bar (688 x 386 at the
    // design size), single sunken border, button face, scroll bars when the
    // picture is larger than the area. C_Canvas at (0, 0) inside, 105 x 105
    // at start.
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    ScrollBox1->setBackgroundRole(QPalette::Button);
    ScrollBox1->setAutoFillBackground(true);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    C_Canvas->setObjectName(QStringLiteral("C_Canvas"));
    ScrollBox1->setWidget(C_Canvas);
    setCentralWidget(ScrollBox1);
    // A newly opened picture is shown from its top-left corner, not at the
    // place the previous one was scrolled to.
    connect(C_Canvas, &masume::ui::PictureBox::sizeSet, ScrollBox1, [this] {
        ScrollBox1->horizontalScrollBar()->setValue(0);
        ScrollBox1->verticalScrollBar()->setValue(0);
    });

    // StatusBar1: bottom edge, 19 high, one panel 50 wide, never any text.
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setAutoFillBackground(true);
    auto *panel = new QFrame(StatusBar1);
    panel->setObjectName(QStringLiteral("StatusPanel0"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedWidth(50);
    StatusBar1->addWidget(panel);
    setStatusBar(StatusBar1);

    setTabOrder(C_ToolBar, ScrollBox1);

    // Left 192, top 107. The design's outer 696 x 480 includes a Windows
    // frame; here the inside is sized so that ScrollBox1 gets its design
    // size of 688 x 386 between the bars, and the frame is the window
    // manager's.
    move(192, 107);
    resize(688, C_Menu->sizeHint().height() + 29 + 386 + 19);
}

QAction *TF_Canvas::createAction(const char *name, const QString &category, const QString &caption,
                                 int imageIndex, const QKeySequence &shortcut, bool enabled,
                                 const QString &hint)
{
    auto *action = new QAction(C_ImageList.value(imageIndex), caption, this);
    action->setObjectName(QLatin1String(name));
    action->setProperty("category", category);
    action->setProperty("imageIndex", imageIndex);
    action->setProperty("hint", hint);
    action->setShortcut(shortcut);
    // The commands work while either window of the program is active.
    action->setShortcutContext(Qt::ApplicationShortcut);
    action->setEnabled(enabled);
    C_ActionList.append(action);
    return action;
}

QToolButton *TF_Canvas::createToolButton(QWidget *strip, const char *name, int left,
                                         QAction *action)
{
    auto *button = new HintlessToolButton(strip);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setGeometry(left, 2, 23, 22);
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFocusPolicy(Qt::NoFocus);
    if (action) {
        button->setDefaultAction(action);
    } else {
        // The two check buttons show neither picture nor text; both start
        // pressed.
        button->setCheckable(true);
        button->setChecked(true);
    }
    return button;
}

void TF_Canvas::FormCreate()
{
    guarded([this] { m_core.FormCreate(); });
}

void TF_Canvas::OpenPicture1Execute()
{
    guarded([this] {
        if (openPictureDialog().choose())
            OpenPicture1Accept(OpenPicture1);
    });
}

void TF_Canvas::SaveAsPicture1Execute()
{
    guarded([this] { executeSaveAs(); });
}

void TF_Canvas::OpenPicture1Accept(QObject *Sender)
{
    guarded([this] { m_commands.OpenPicture1Accept(openPictureDialog().fileName()); });
}

void TF_Canvas::SaveAsPicture1Accept(QObject *Sender)
{
    guarded([this] { m_commands.SaveAsPicture1Accept(savePictureDialog().fileName()); });
}

void TF_Canvas::SavePicture1Execute(QObject *Sender)
{
    guarded([this] { m_commands.SavePicture1Execute(); });
}

void TF_Canvas::CompoundLayer()
{
    guarded([this] { m_core.CompoundLayer(); });
}

void TF_Canvas::Tool_VGridClick(QObject *Sender)
{
    guarded([this] {
        if (F_Grid)
            F_Grid->setVisible(Tool_VGrid->isChecked());
    });
}

void TF_Canvas::ToolButton2Click(QObject *Sender)
{
    // The button only toggles its own look.
}

masume::ui::PictureDialog &TF_Canvas::openPictureDialog()
{
    if (!m_openDialog)
        m_openDialog = new masume::ui::PictureDialog(QFileDialog::AcceptOpen, this);
    return *m_openDialog;
}

masume::ui::PictureDialog &TF_Canvas::savePictureDialog()
{
    if (!m_saveDialog)
        m_saveDialog = new masume::ui::PictureDialog(QFileDialog::AcceptSave, this);
    return *m_saveDialog;
}

bool TF_Canvas::event(QEvent *event)
{
    // Hints are never displayed: the status bar receives no text.
    if (event->type() == QEvent::StatusTip) {
        event->accept();
        return true;
    }
    return QMainWindow::event(event);
}

QMenu *TF_Canvas::createPopupMenu()
{
    // No menu for hiding the tool bar.
    return nullptr;
}

bool TF_Canvas::confirmOverwrite()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                    QStringLiteral("上書きします。よろしいですか？"), QMessageBox::NoButton, this);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel);
    masume::ui::dialogs().exec(box);
    return box.clickedButton() == ok;
}

void TF_Canvas::executeSaveAs()
{
    if (savePictureDialog().choose())
        SaveAsPicture1Accept(SaveAsPicture1);
}

bool TF_Canvas::saveWithGrid()
{
    return F_Grid->Check_Grid->isChecked();
}

void TF_Canvas::drawGLine()
{
    // The grid window's chain itself, not its guarded slot: an error then
    // reaches this window's guard after the wait cursor has gone.
    F_Grid->core().DrawGLine();
}

void TF_Canvas::longWork(const std::function<void()> &work)
{
    masume::ui::WaitCursor wait;
    work();
}
