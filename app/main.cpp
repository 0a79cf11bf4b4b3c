#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/DesktopIdentity.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The program reads no command line: Qt is given the program's name
    // only, so that it takes none of its own options from the arguments
    // either.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    masume::ui::setDesktopIdentity();
    createWindows();
    const int result = app.exec();
    // Both windows live until the event loop has ended.
    delete F_Grid;
    F_Grid = nullptr;
    delete F_Canvas;
    F_Canvas = nullptr;
    return result;
}
