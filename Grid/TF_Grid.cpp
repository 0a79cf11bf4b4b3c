#include "Grid/TF_Grid.h"

#include "Canvas/TF_Canvas.h"
#include "Grid/ColorBar.h"
#include "Grid/ColorSwatch.h"
#include "Grid/GridPictures.h"
#include "app/Beep.h"
#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/WaitCursor.h"
#include "common/NumberConversion.h"
#include "common/Quotient.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>

#include <string>

TF_Grid *F_Grid = nullptr;

using masume::ui::guarded;

namespace {

std::string textOf(const QLineEdit *box)
{
    return box->text().toStdString();
}

bool isLeaving(Qt::FocusReason reason)
{
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::MouseFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        return true;
    default: // the window deactivated, a popup or menu opened
        return false;
    }
}

} // namespace

TF_Grid::TF_Grid(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("F_Grid"));
    setWindowTitle(QStringLiteral("F_Grid"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    // Closing the main window alone ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(12);
    setFont(font);
    move(805, 396);
    setFixedSize(209, 313);

    createControls();

    m_core.setCanvas(&F_Canvas->core());
    F_Canvas->core().setGrid(&m_core);
    FormCreate();
}

TF_Grid::~TF_Grid() = default;

// The window's description: every control with its name, place, text and
// settings, then the tab order and the handlers.
void TF_Grid::createControls()
{
    G_ImageList = masume::ui::gridPictures();

    auto label = [this](const char *name, int x, int y, const char *text) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QLatin1String(name));
        l->move(x, y);
        l->resize(l->sizeHint()); // sized to its text
        return l;
    };
    auto numberBox = [this](const char *name, int x, int y, const char *text) {
        auto *e = new QLineEdit(QString::fromUtf8(text), this);
        e->setObjectName(QLatin1String(name));
        e->setGeometry(x, y, 33, 20);
        // Every character must pass the key filter: no composed input, no
        // dropped text.
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->setAcceptDrops(false);
        e->installEventFilter(this);
        return e;
    };
    auto bevel = [this](const char *name, int y) {
        auto *f = new QFrame(this);
        f->setObjectName(QLatin1String(name));
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Sunken);
        f->setGeometry(8, y, 193, 2);
        return f;
    };
    auto colourBar = [this](const char *name, int y) {
        auto *b = new ColorBar(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(32, y, 129, 16);
        b->setRange(0, 255);
        b->setValue(0);
        b->setSingleStep(1);
        b->setPageStep(1);
        b->setTracking(true); // every position of a drag runs the handler
        b->setFocusPolicy(Qt::StrongFocus);
        return b;
    };

    L_Type01 = label("L_Type01", 8, 12, "TYPE");
    GridButtons = new QWidget(this);
    GridButtons->setObjectName(QStringLiteral("GridButtons"));
    GridButtons->setGeometry(56, 8, 145, 49);
    Check_Grid = new QCheckBox(QStringLiteral("グリッド付で画像を保存"), this);
    Check_Grid->setObjectName(QStringLiteral("Check_Grid"));
    Check_Grid->setGeometry(64, 64, 145, 17);
    Check_Grid->setChecked(true);
    if (Check_Grid->sizeHint().width() > Check_Grid->width()) {
        // The fallback gothic sets kana a full em wide, where the
        // proportional one is narrower; tightened by a pixel a character,
        // the text fits the box, which ends at the window's edge.
        QFont tight = font();
        tight.setLetterSpacing(QFont::AbsoluteSpacing, -1);
        Check_Grid->setFont(tight);
    }
    Bevel1 = bevel("Bevel1", 88);
    L_Size02 = label("L_Size02", 48, 100, "Horizontal");
    E_SizeH = numberBox("E_SizeH", 120, 96, "32");
    L_Size04 = label("L_Size04", 168, 100, "pixel");
    L_Size01 = label("L_Size01", 8, 116, "SIZE");
    L_Size03 = label("L_Size03", 48, 132, "Vertical");
    E_SizeV = numberBox("E_SizeV", 120, 128, "32");
    L_Size05 = label("L_Size05", 168, 132, "pixel");
    Edit3 = new QLineEdit(QStringLiteral("Edit3"), this);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setGeometry(48, 160, 33, 20);
    Edit3->setEnabled(false);
    Edit3->setCursorPosition(0); // shows the start of its text
    L_Length02 = label("L_Length02", 88, 164, "m =");
    Edit4 = new QLineEdit(QStringLiteral("Edit4"), this);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setGeometry(120, 160, 33, 20);
    Edit4->setEnabled(false);
    Edit4->setCursorPosition(0); // shows the start of its text
    L_Length03 = label("L_Length03", 168, 164, "pixel");
    Bevel2 = bevel("Bevel2", 184);
    ColorPanel = new ColorSwatch(this);
    ColorPanel->setObjectName(QStringLiteral("ColorPanel"));
    ColorPanel->setGeometry(160, 192, 41, 25);
    ColorPanel->setColour(masume::Black);
    L_Color01 = label("L_Color01", 8, 200, "COLOR");
    L_Color02 = label("L_Color02", 16, 228, "R");
    ColorBarR = colourBar("ColorBarR", 226);
    E_ColorR = numberBox("E_ColorR", 168, 224, "0");
    L_Color03 = label("L_Color03", 16, 252, "G");
    ColorBarG = colourBar("ColorBarG", 250);
    E_ColorG = numberBox("E_ColorG", 168, 248, "0");
    L_Color04 = label("L_Color04", 16, 276, "B");
    ColorBarB = colourBar("ColorBarB", 274);
    E_ColorB = numberBox("E_ColorB", 168, 272, "0");
    Bevel3 = bevel("Bevel3", 304);

    // The grid-kind actions and their buttons: exactly one is down; a click
    // on the one that is down keeps it down and still runs.
    G_ActionList = new QActionGroup(this);
    G_ActionList->setObjectName(QStringLiteral("G_ActionList"));
    G_ActionList->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    auto kind = [this](const char *actionName, int code, const char *buttonName, int x, int y,
                       QToolButton *&button) {
        auto *a = new QAction(G_ActionList);
        a->setObjectName(QLatin1String(actionName));
        a->setCheckable(true);
        a->setData(code);
        a->setIcon(QIcon(G_ImageList.value(code)));
        auto *b = new QToolButton(GridButtons);
        b->setObjectName(QLatin1String(buttonName));
        b->setDefaultAction(a);
        b->setGeometry(x, y, 23, 22);
        b->setIconSize(QSize(16, 16));
        b->setFocusPolicy(Qt::NoFocus); // clicking a kind leaves no box
        button = b;
        connect(a, &QAction::triggered, this, [this, a] { GridTypeExecute(a); });
        return a;
    };
    using namespace masume::GridKinds;
    Grid_Nothing = kind("Grid_Nothing", Nothing, "Btn_Nothing", 0, 0, Btn_Nothing);
    Grid_Square = kind("Grid_Square", Square, "Btn_Square", 24, 0, Btn_Square);
    Grid_SHexH = kind("Grid_SHexH", StaggeredRows, "Btn_SHexH", 48, 0, Btn_SHexH);
    Grid_HexH = kind("Grid_HexH", HexRows, "Btn_HexH", 72, 0, Btn_HexH);
    Grid_Diamond = kind("Grid_Diamond", Diamond, "Btn_Diamond", 24, 24, Btn_Diamond);
    Grid_SHexV = kind("Grid_SHexV", StaggeredColumns, "Btn_SHexV", 48, 24, Btn_SHexV);
    Grid_HexV = kind("Grid_HexV", HexColumns, "Btn_HexV", 72, 24, Btn_HexV);
    Grid_Nothing->setChecked(true);

    // Tab order; disabled boxes and the panels take no focus and are
    // skipped.
    QWidget *const tabOrder[]
        = {E_SizeH,  E_SizeV,  Edit3,    Edit4,      ColorBarR,   ColorBarG, ColorBarB,
           E_ColorR, E_ColorG, E_ColorB, ColorPanel, GridButtons, Check_Grid};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    E_SizeH->setFocus(); // the first of the tab order has the focus on showing

    for (QScrollBar *bar : {ColorBarR, ColorBarG, ColorBarB})
        connect(bar, &QScrollBar::valueChanged, this, [this, bar] { ColorBarChange(bar); });
    connect(ColorPanel, &ColorSwatch::clicked, this, [this] { ColorPanelClick(ColorPanel); });
}

QLineEdit *TF_Grid::numberBox(QObject *object) const
{
    for (QLineEdit *box : {E_SizeH, E_SizeV, E_ColorR, E_ColorG, E_ColorB})
        if (object == box)
            return box;
    return nullptr;
}

void TF_Grid::runLeaveHandler(QLineEdit *box)
{
    if (box == E_SizeH || box == E_SizeV)
        GridSizeChange(box);
    else
        E_ColorChange(box);
}

bool TF_Grid::eventFilter(QObject *watched, QEvent *event)
{
    QLineEdit *box = numberBox(watched);
    if (!box)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        return !KeyPressLimit(box, *static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::FocusOut) {
        // By now the focus widget is the one that takes the focus.
        const QWidget *next = QApplication::focusWidget();
        if (isLeaving(static_cast<QFocusEvent *>(event)->reason()) && next
            && next->window() == this)
            runLeaveHandler(box);
    }
    return false;
}

bool TF_Grid::KeyPressLimit(QLineEdit *Sender, const QKeyEvent &Key)
{
    bool passes = true;
    guarded([&] {
        const int key = Key.key();
        const Qt::KeyboardModifiers chord
            = Key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runLeaveHandler(Sender);
            return;
        }
        if (key == Qt::Key_Backspace && !chord)
            return;
        // Keys that type no character (arrows, Home, End, Delete, Tab, F1,
        // a modifier alone) are the box's and the window's own.
        if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab
            || Key.text().isEmpty())
            return;
        const QString text = Key.text();
        if (!chord && text.size() == 1 && text[0] >= u'0' && text[0] <= u'9')
            return;
        // Any other character, a Ctrl chord (which types a control
        // character) included.
        passes = false;
        masume::ui::beep();
    });
    return passes;
}

void TF_Grid::FormClose(QCloseEvent *Action)
{
    guarded([&] {
        if (F_Canvas && F_Canvas->Tool_VGrid)
            F_Canvas->Tool_VGrid->setChecked(false); // does not run its click handler
    });
}

void TF_Grid::closeEvent(QCloseEvent *event)
{
    FormClose(event);
    event->accept(); // hides; the window and every setting stay
}

void TF_Grid::FormCreate()
{
    guarded([&] { m_core.FormCreate(textOf(E_SizeH), textOf(E_SizeV)); });
}

void TF_Grid::GridTypeExecute(QAction *Sender)
{
    guarded([&] {
        masume::ui::WaitCursor wait;
        m_core.GridTypeExecute(Sender->data().toInt());
    });
}

void TF_Grid::DrawGLine()
{
    guarded([&] {
        masume::ui::WaitCursor wait;
        m_core.DrawGLine();
    });
}

void TF_Grid::DrawGrid()
{
    guarded([&] { m_core.DrawGrid(); });
}

void TF_Grid::GridSizeChange(QObject *Sender)
{
    guarded([&] {
        // No bounds: 0 and negative sizes (which only pasting can bring)
        // go to the grid routines as they are.
        m_core.SizeH = masume::strToInt(textOf(E_SizeH));
        m_core.SizeV = masume::strToInt(textOf(E_SizeV));
        masume::ui::WaitCursor wait;
        m_core.DrawGLine();
    });
}

void TF_Grid::ColorBarChange(QObject *Sender)
{
    guarded([&] {
        const int R = ColorBarR->value();
        const int G = ColorBarG->value();
        const int B = ColorBarB->value();
        E_ColorR->setText(QString::number(R));
        E_ColorG->setText(QString::number(G));
        E_ColorB->setText(QString::number(B));
        const masume::Colour colour = masume::rgb(R, G, B);
        ColorPanel->setColour(colour);
        m_core.ColorLayer.setBrushColor(colour);
        m_core.DrawGrid();
    });
}

void TF_Grid::E_ColorChange(QLineEdit *Sender)
{
    guarded([&] {
        if (Sender->text().isEmpty()) {
            Sender->setText(QStringLiteral("0"));
        } else if (masume::strToInt(textOf(Sender)) > 255) {
            Sender->setText(QStringLiteral("255"));
            masume::ui::beep();
        }
        // All three are read before any bar moves: a bar that moves runs
        // ColorBarChange at once, which rewrites the boxes from the bars.
        const int32_t R = masume::strToInt(textOf(E_ColorR));
        const int32_t G = masume::strToInt(textOf(E_ColorG));
        const int32_t B = masume::strToInt(textOf(E_ColorB));
        masume::ui::WaitCursor wait; // up to four redraws
        ColorBarR->setValue(R); // clamped to 0..255
        ColorBarG->setValue(G);
        ColorBarB->setValue(B);
        // Built from the low 8 bits of each value, as the boxes hold them.
        const masume::Colour colour = masume::rgb(uint32_t(R), uint32_t(G), uint32_t(B));
        ColorPanel->setColour(colour);
        m_core.ColorLayer.setBrushColor(colour);
        m_core.DrawGrid();
    });
}

void TF_Grid::ColorPanelClick(QObject *Sender)
{
    guarded([&] {
        QColorDialog ColorDialog1(this);
        ColorDialog1.setObjectName(QStringLiteral("ColorDialog1"));
        ColorDialog1.setCurrentColor(m_chooserColour);
        if (masume::ui::dialogs().exec(ColorDialog1) != QDialog::Accepted)
            return;
        const QColor chosen = ColorDialog1.currentColor();
        m_chooserColour = chosen;
        const int64_t c = int64_t(chosen.red()) + chosen.green() * 256 + chosen.blue() * 65536;
        const int64_t B = masume::trunc(masume::quotient(c, 65536));
        const int64_t G = masume::trunc(masume::quotient(c - B * 65536, 256));
        const int64_t R = c - B * 65536 - G * 256;
        E_ColorR->setText(QString::number(R));
        E_ColorG->setText(QString::number(G));
        E_ColorB->setText(QString::number(B));
        E_ColorChange(E_ColorB);
    });
}
