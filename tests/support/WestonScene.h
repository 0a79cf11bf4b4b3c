#pragma once

// What weston shows of the program's windows, read from the compositor's
// scene graph through its debug protocol (weston-debug; weston started with
// --debug, as tests/desktops/under-weston.sh does). Wayland gives a client
// neither the places of its windows nor their stacking; the compositor's
// own scene graph has both.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace masume::test {

struct SceneWindow
{
    QString title;
    QRect rect; // the surface on the output, in the compositor's pixels
};

// The program's top-level windows as the compositor stacks them, top first.
QList<SceneWindow> sceneWindows();

// The titles of sceneWindows(), top first.
QStringList sceneTitles();

// Where the point `at` of widget w is on the compositor's output: its
// window's surface as the scene graph places it, less Qt's own decoration
// around the window. An invalid point where the window is not mapped.
QPoint onOutput(const QWidget *w, QPoint at);

} // namespace masume::test
