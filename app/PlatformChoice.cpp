#include "app/PlatformChoice.h"

#include <QByteArray>
#include <QtGlobal>

namespace masume::ui {

void choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    // Qt tries the platforms in turn; the second only where the first cannot
    // connect to its display.
    const bool hasXServer = !qEnvironmentVariableIsEmpty("DISPLAY");
    qputenv("QT_QPA_PLATFORM", QByteArray(hasXServer ? "xcb;wayland" : "wayland;xcb"));
}

} // namespace masume::ui
