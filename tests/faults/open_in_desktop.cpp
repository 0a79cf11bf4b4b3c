// A test program: the desktop program's two windows, started as the
// program starts them, open the file named by the one argument through the
// main window's open command, its dialog answered with that name. The
// text of any error box goes to standard error (Qt's own messages do not),
// and the program ends. Run as a process of its own, it shows what opening
// a file costs the desktop program (time, peak memory).

#include "Canvas/TF_Canvas.h"
#include "app/Startup.h"
#include "canvas/CanvasTestSupport.h"

#include <QAction>
#include <QApplication>

#include <cstdio>

using namespace masume::test;

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PICTURE\n", argv[0]);
        return 2;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    ScriptedDialogs dialogs;
    masume::ui::setDialogRunner(&dialogs);
    createWindows();
    dialogs.answers << chooseFile(QString::fromLocal8Bit(argv[1]));
    F_Canvas->OpenPicture1->trigger();
    for (const ShownDialog &shown : dialogs.shown)
        if (shown.kind == QLatin1String("error"))
            std::fprintf(stderr, "%s\n", shown.text.toUtf8().constData());
    const int width = F_Canvas->core().Layers()[0].width();
    destroyWindows();
    masume::ui::setDialogRunner(nullptr);
    std::printf("%d\n", width);
    return 0;
}
