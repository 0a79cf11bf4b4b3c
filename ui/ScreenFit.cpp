#include "ui/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace masume::ui {

namespace {

// One axis: the start and length of a span fitted into [areaStart, areaStart
// + areaLength).
std::pair<int, int> fittedSpan(int start, int length, int areaStart, int areaLength, bool resizable)
{
    if (resizable)
        length = std::min(length, areaLength);
    start = std::min(start, areaStart + areaLength - length);
    start = std::max(start, areaStart);
    return {start, length};
}

// Wayland gives a program no positions; Qt's offscreen platform (tests) has
// no screen that anyone sees.
bool placesItsOwnWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("offscreen");
}

bool resizable(const QWidget &window)
{
    return window.minimumSize() != window.maximumSize();
}

// Qt rounds a window's place and size to device pixels each on its own, so
// that on a fractional scale a frame that ends at the area's edge in
// logical pixels may end a device pixel beyond it: such a frame moves back
// a logical pixel.
QRect withinDevicePixels(QRect frame, const QRect &area, qreal ratio)
{
    const auto end
        = [ratio](int start, int length) { return qRound(start * ratio) + qRound(length * ratio); };
    while (frame.x() > area.x() && end(frame.x(), frame.width()) > end(area.x(), area.width()))
        frame.moveLeft(frame.x() - 1);
    while (frame.y() > area.y() && end(frame.y(), frame.height()) > end(area.y(), area.height()))
        frame.moveTop(frame.y() - 1);
    return frame;
}

void fit(QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QScreen *screen = QGuiApplication::screenAt(frame.topLeft());
    if (!screen)
        screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect fitted = withinDevicePixels(fittedFrame(frame, area, resizable(window)), area,
                                            screen->devicePixelRatio());
    if (fitted.size() != frame.size()
        && QGuiApplication::platformName() != QLatin1String("offscreen"))
        window.resize(window.size() + fitted.size() - frame.size());
    if (fitted.topLeft() != frame.topLeft() && !placesItsOwnWindows())
        window.move(fitted.topLeft());
}

// Fits its window once more at the window's first exposure, then goes.
class FitWhenFramed final : public QObject
{
public:
    FitWhenFramed(QWidget &window)
        : QObject(&window)
        , m_window(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && m_window.windowHandle()
            && m_window.windowHandle()->isExposed()) {
            fit(m_window);
            deleteLater();
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    QWidget &m_window;
};

} // namespace

QRect fittedFrame(const QRect &frame, const QRect &area, bool resizable)
{
    const auto [x, width] = fittedSpan(frame.x(), frame.width(), area.x(), area.width(), resizable);
    const auto [y, height]
        = fittedSpan(frame.y(), frame.height(), area.y(), area.height(), resizable);
    return {x, y, width, height};
}

void keepOnScreen(QWidget &window)
{
    fit(window);
    window.winId(); // the window handle that is exposed
    window.windowHandle()->installEventFilter(new FitWhenFramed(window));
}

} // namespace masume::ui
