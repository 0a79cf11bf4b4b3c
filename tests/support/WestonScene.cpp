#include "support/WestonScene.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>
#include <QWindow>

namespace masume::test {

namespace {

QString sceneGraph()
{
    QProcess debug;
    debug.start(QStringLiteral("weston-debug"), {QStringLiteral("scene-graph")});
    debug.waitForFinished(1500);
    if (debug.state() != QProcess::NotRunning) {
        debug.kill();
        debug.waitForFinished();
    }
    return QString::fromUtf8(debug.readAllStandardOutput());
}

} // namespace

QList<SceneWindow> sceneWindows()
{
    // "View 0 (role xdg_toplevel, ..., top-level window 'F_Grid' of ...)"
    // followed by "position: (9, 246) -> (218, 583)".
    static const QRegularExpression title(QStringLiteral("top-level window '([^']*)'"));
    static const QRegularExpression position(
        QStringLiteral("position: \\((-?\\d+), (-?\\d+)\\) -> \\((-?\\d+), (-?\\d+)\\)"));
    QList<SceneWindow> out;
    const QStringList lines = sceneGraph().split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch t = title.match(lines[i]);
        const QRegularExpressionMatch p = position.match(lines[i + 1]);
        if (!t.hasMatch() || !p.hasMatch())
            continue;
        const QPoint from(p.captured(1).toInt(), p.captured(2).toInt());
        const QPoint to(p.captured(3).toInt(), p.captured(4).toInt());
        out.append({t.captured(1), QRect(from, to - QPoint(1, 1))});
    }
    return out;
}

QStringList sceneTitles()
{
    QStringList titles;
    for (const SceneWindow &window : sceneWindows())
        titles << window.title;
    return titles;
}

QPoint onOutput(const QWidget *w, QPoint at)
{
    const QWidget *window = w->window();
    for (const SceneWindow &scene : sceneWindows()) {
        if (scene.title != window->windowTitle())
            continue;
        const QMargins decoration = window->windowHandle()->frameMargins();
        return scene.rect.topLeft() + QPoint(decoration.left(), decoration.top())
            + w->mapTo(window, at);
    }
    return {};
}

} // namespace masume::test
