#include "app/DesktopIdentity.h"
#include "app/PlatformChoice.h"
#include "app/Startup.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A file-size limit makes a write fail with EFBIG, which the save
    // reports, instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    // The program reads no command line: Qt is given the program's name
    // only, so that it takes none of its own options from the arguments
    // either.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    masume::ui::choosePlatform();
    QApplication app(qtArgc, qtArgv);
    masume::ui::setDesktopIdentity();
    createWindows();
    const int result = app.exec();
    // Both windows live until the event loop has ended.
    destroyWindows();
    return result;
}
