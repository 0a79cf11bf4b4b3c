#pragma once

#include "Canvas/CanvasCore.h"
#include "Canvas/PictureBox.h"
#include "Canvas/PictureCommands.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>

class QAction;
class QMenu;
class QMenuBar;
class QScrollArea;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace masume::ui {
class GridWindowLink;
struct CanvasCommand;
class PictureDialog;
} // namespace masume::ui

// The main window: menu, tool bar, the picture at 1:1 in a scrolling view and
// an empty status bar; the background, the two composites and the picture
// commands. Every handler runs inside the program's error guard. The window
// knows nothing of the grid window: its core reaches the grid window's
// through the cores' seams, and what it asks of the grid window goes through
// a GridWindowLink; start-up connects both (app/Startup.h).
class TF_Canvas : public QMainWindow, private masume::PictureCommandHost
{
    Q_OBJECT

public:
    explicit TF_Canvas(QWidget *parent = nullptr);
    ~TF_Canvas() override;

    // The pictures, the composition and the current file name.
    masume::CanvasCore &core() { return m_core; }
    const masume::CanvasCore &core() const { return m_core; }

    // The grid window's answers (null: none); set once at start-up.
    void setGridWindow(masume::ui::GridWindowLink *gridWindow) { m_gridWindow = gridWindow; }

    // Controls, in the window's order from top to bottom.
    QMenuBar *C_Menu = nullptr;
    QMenu *Files1 = nullptr;
    QToolBar *C_ToolBar = nullptr;
    QToolButton *Tool_FN = nullptr;
    QToolButton *Tool_FO = nullptr;
    QToolButton *Tool_FOP = nullptr;
    QToolButton *Tool_FS = nullptr;
    QToolButton *Tool_FSP = nullptr;
    // Shows and hides the grid window; pressed while it is visible. Its
    // click handler runs on clicks only, not when code sets it.
    QToolButton *Tool_VGrid = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    // The picture control; it exists before the window's core, which holds
    // it.
    masume::ui::PictureBox *C_Canvas;
    QStatusBar *StatusBar1 = nullptr;

    // The command pictures, 16 x 16, by index.
    QList<QIcon> C_ImageList;
    // The commands. Each carries its category, picture index and hint as
    // the properties "category", "imageIndex" and "hint"; the hint is never
    // shown.
    QList<QAction *> C_ActionList;
    QAction *FileNew1 = nullptr;
    QAction *FileOpen1 = nullptr;
    QAction *FileSave1 = nullptr;
    QAction *FileSaveAs1 = nullptr;
    QAction *FileExit1 = nullptr;
    QAction *OpenPicture1 = nullptr;
    QAction *SavePicture1 = nullptr;
    QAction *SaveAsPicture1 = nullptr;

    // The dialogs of the commands OpenPicture1 and SaveAsPicture1, made at
    // their first use and kept.
    masume::ui::PictureDialog &openPictureDialog();
    masume::ui::PictureDialog &savePictureDialog();

public slots:
    void FormCreate();
    void OpenPicture1Accept(QObject *Sender);
    void SaveAsPicture1Accept(QObject *Sender);
    void SavePicture1Execute(QObject *Sender);
    void Tool_VGridClick(QObject *Sender);
    void ToolButton2Click(QObject *Sender);

protected:
    bool event(QEvent *event) override;
    QMenu *createPopupMenu() override;

private:
    void createControls();
    QAction *createAction(const masume::ui::CanvasCommand &command);
    QToolButton *createToolButton(QWidget *strip, const char *name, int left, QAction *action);

    // The commands' execute handlers for the dialog commands: the dialog,
    // then on OK the accept handler.
    void OpenPicture1Execute();
    void SaveAsPicture1Execute();

    // PictureCommandHost
    bool confirmOverwrite() override;
    void executeSaveAs() override;
    bool saveWithGrid() override;
    void longWork(const std::function<void()> &work) override;

    masume::ui::PictureDialog *m_openDialog = nullptr;
    masume::ui::PictureDialog *m_saveDialog = nullptr;
    masume::ui::GridWindowLink *m_gridWindow = nullptr;
    masume::CanvasCore m_core;
    masume::PictureCommands m_commands;
};
