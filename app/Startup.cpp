#include "app/Startup.h"

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/QtTranslation.h"
#include "app/WindowLinks.h"
#include "picture/PictureFile.h"
#include "ui/FocusAfterModal.h"
#include "ui/ReleaseAfterModal.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWindow>

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
    F_Grid->show();
    F_Canvas->show();
    // The main window takes the keyboard as it appears, as a window manager
    // would give it (without one, no window of the program would be active
    // and no shortcut would work until a click). The small grid window
    // stays above it where the two overlap, so that none of its controls
    // starts out hidden under the main window; a window manager raises the
    // main window when it activates it, once it is mapped, so the grid
    // window goes up again after that first activation.
    F_Canvas->activateWindow();
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) // no stacking there
        return;
    F_Grid->raise();
    auto *firstActivation = new QObject(F_Grid);
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, firstActivation,
                     [firstActivation](QWindow *focus) {
                         if (!focus || focus != F_Canvas->windowHandle())
                             return;
                         F_Grid->raise();
                         firstActivation->deleteLater();
                     });
}

void destroyWindows()
{
    delete F_Grid;
    F_Grid = nullptr;
    delete F_Canvas;
    F_Canvas = nullptr;
}
