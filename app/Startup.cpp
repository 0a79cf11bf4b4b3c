#include "app/Startup.h"

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/QtTranslation.h"
#include "app/WindowLinks.h"
#include "picture/PictureFile.h"
#include "ui/FocusAfterModal.h"
#include "ui/ReleaseAfterModal.h"
#include "ui/ScreenFit.h"
#include "ui/ToolWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

TF_Canvas *F_Canvas = nullptr;
TF_Grid *F_Grid = nullptr;

namespace {

// The program keeps no state between runs. Qt's own dialogs would read and
// write their history, last folder and custom colours in the user's
// QtProject.conf (and read the system's); their settings go to a folder
// that can hold no file, so nothing is read or written.
void keepNoSettings()
{
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, QStringLiteral("/dev/null"));
}

// What the windows need of a real window system, once per application:
// Qt's own texts in Japanese, and the mouse and keyboard handed back
// properly when a modal window closes.
void installWindowBehaviour()
{
    masume::ui::loadQtTranslation();
    if (!qApp->findChild<masume::ui::ReleaseAfterModal *>())
        qApp->installEventFilter(new masume::ui::ReleaseAfterModal(qApp));
    if (!qApp->findChild<masume::ui::FocusAfterModal *>())
        qApp->installEventFilter(new masume::ui::FocusAfterModal(qApp));
}

} // namespace

void createWindows()
{
    keepNoSettings();
    installWindowBehaviour();

    // A display of 8 or fewer bits per pixel is tested once, here.
    const QScreen *screen = QGuiApplication::primaryScreen();
    masume::setJpegEightBitOutput(screen && screen->depth() <= 8);

    F_Canvas = new TF_Canvas;
    F_Grid = new TF_Grid;
    connectWindows(*F_Canvas, *F_Grid);
    // The grid window is the main window's tool window: above it wherever
    // the two overlap, under any window manager and on Wayland.
    masume::ui::makeToolWindow(*F_Grid, *F_Canvas);
    masume::ui::keepOnScreen(*F_Canvas);
    masume::ui::keepOnScreen(*F_Grid);
    // The main window has the keyboard from the start, so that its
    // shortcuts work at once (without a window manager no window would be
    // active until a click), where the window system lets the program
    // choose. No raising of either afterwards: a window manager that sees a
    // window raise itself while another has the keyboard may flag it as
    // demanding attention.
    masume::ui::showWithToolWindow(*F_Canvas, *F_Grid);
}

void destroyWindows()
{
    delete F_Grid;
    F_Grid = nullptr;
    delete F_Canvas;
    F_Canvas = nullptr;
}
