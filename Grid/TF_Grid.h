#pragma once

#include "Grid/GridCore.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QWidget>

class ColorSwatch;
class QAction;
class QActionGroup;
class QCheckBox;
class QCloseEvent;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QScrollBar;
class QToolButton;

// The grid settings window: grid kind, cell sizes, line colour and whether
// saving includes the grid. Every change is applied and drawn at once: kind
// and sizes through the core's DrawGLine, colour through its DrawGrid. The
// window knows nothing of the main window: its core reaches the main
// window's through CanvasLink, and closing it is announced by closed();
// start-up connects both (app/Startup.h).
//
// The grid colour has no field of its own: the three bar positions, the
// three colour boxes, the swatch and the brush of the colour layer hold it
// together, and the handlers keep them equal.
//
// Number boxes apply their text when they are left (the focus moves to
// another control of this window by Tab, Backtab, a click or a shortcut) or
// on Enter. Switching to the main window or another program does not leave
// a box.
class TF_Grid : public QWidget
{
    Q_OBJECT

public:
    explicit TF_Grid(QWidget *parent = nullptr);
    ~TF_Grid() override;

    // The settings, the mask, the colour layer and the drawing chain.
    masume::GridCore &core() { return m_core; }
    const masume::GridCore &core() const { return m_core; }

    // The controls, in the order of the window's description.
    QLabel *L_Type01 = nullptr;
    QWidget *GridButtons = nullptr;
    QToolButton *Btn_Nothing = nullptr;
    QToolButton *Btn_Square = nullptr;
    QToolButton *Btn_SHexH = nullptr;
    QToolButton *Btn_HexH = nullptr;
    QToolButton *Btn_Diamond = nullptr;
    QToolButton *Btn_SHexV = nullptr;
    QToolButton *Btn_HexV = nullptr;
    // Whether saving writes the picture with the grid; the view does not
    // depend on it.
    QCheckBox *Check_Grid = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *L_Size02 = nullptr;
    QLineEdit *E_SizeH = nullptr;
    QLabel *L_Size04 = nullptr;
    QLabel *L_Size01 = nullptr;
    QLabel *L_Size03 = nullptr;
    QLineEdit *E_SizeV = nullptr;
    QLabel *L_Size05 = nullptr;
    // Edit3 "m =" Edit4 "pixel": inert, disabled, never read or written.
    QLineEdit *Edit3 = nullptr;
    QLabel *L_Length02 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLabel *L_Length03 = nullptr;
    QFrame *Bevel2 = nullptr;
    ColorSwatch *ColorPanel = nullptr;
    QLabel *L_Color01 = nullptr;
    QLabel *L_Color02 = nullptr;
    QScrollBar *ColorBarR = nullptr;
    QLineEdit *E_ColorR = nullptr;
    QLabel *L_Color03 = nullptr;
    QScrollBar *ColorBarG = nullptr;
    QLineEdit *E_ColorG = nullptr;
    QLabel *L_Color04 = nullptr;
    QScrollBar *ColorBarB = nullptr;
    QLineEdit *E_ColorB = nullptr;
    QFrame *Bevel3 = nullptr;

    // The seven grid-kind actions, one exclusive group; an action's data is
    // its kind code, which is also the index of its picture.
    QActionGroup *G_ActionList = nullptr;
    QAction *Grid_Nothing = nullptr;
    QAction *Grid_Square = nullptr;
    QAction *Grid_Diamond = nullptr;
    QAction *Grid_SHexH = nullptr;
    QAction *Grid_SHexV = nullptr;
    QAction *Grid_HexH = nullptr;
    QAction *Grid_HexV = nullptr;
    // Ten 16 x 16 pictures indexed as the kinds (see Grid/GridPictures.h).
    QList<QPixmap> G_ImageList;

    // The key filter of the five number boxes. Enter runs the box's leave
    // handler and passes; a digit or Backspace passes; any other character
    // (control characters such as Ctrl+V included) is dropped with a beep.
    // Keys that type no character pass untouched. Returns whether the key
    // goes on to the box.
    bool KeyPressLimit(QLineEdit *Sender, const QKeyEvent &Key);
    // Close box: announces closed(), on which the main window's Tool_VGrid
    // is raised (without running its click handler); the window then only
    // hides.
    void FormClose(QCloseEvent *Action);

signals:
    // The close box was used; the window is hiding, every setting stays.
    void closed();

public slots:
    // The window's side of creation: the core's set-up with the sizes read
    // from E_SizeH and E_SizeV. Draws nothing.
    void FormCreate();
    // Stores Sender's kind and redraws from the mask on.
    void GridTypeExecute(QAction *Sender);
    // Leave handler of both size boxes: reads SizeH from E_SizeH, then SizeV
    // from E_SizeV, then redraws. A failing conversion stops it there.
    void GridSizeChange(QObject *Sender);
    // Change handler of the three bars: boxes, swatch and colour layer take
    // the bars' colour; one redraw of the colour layer on.
    void ColorBarChange(QObject *Sender);
    // Leave handler of the three colour boxes: "" becomes "0", a value above
    // 255 becomes "255" with a beep; then the bars move to the boxes' values
    // (each bar that moves redraws, nested), and the colour is set and drawn
    // once more.
    void E_ColorChange(QLineEdit *Sender);
    // Opens the colour chooser with the colour last chosen in it (black the
    // first time); a chosen colour goes into the boxes and E_ColorChange
    // runs as if E_ColorB was left.
    void ColorPanelClick(QObject *Sender);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createKindButtons();
    QLineEdit *numberBox(QObject *object) const;
    void runLeaveHandler(QLineEdit *box);

    masume::GridCore m_core;
    QColor m_chooserColour = Qt::black;
};
