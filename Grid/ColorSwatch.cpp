#include "Grid/ColorSwatch.h"

#include <QMouseEvent>
#include <QPainter>

ColorSwatch::ColorSwatch(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorSwatch::setColour(masume::Colour colour)
{
    colour &= masume::White;
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    using namespace masume;
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, QColor(redOf(m_colour), greenOf(m_colour), blueOf(m_colour)));
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    // One-pixel bevel: top and left edges in one colour, bottom and right in
    // the other.
    auto bevel = [&](const QRect &b, const QColor &topLeft, const QColor &bottomRight) {
        p.fillRect(b.left(), b.top(), b.width(), 1, topLeft);
        p.fillRect(b.left(), b.top(), 1, b.height(), topLeft);
        p.fillRect(b.left(), b.bottom(), b.width(), 1, bottomRight);
        p.fillRect(b.right(), b.top(), 1, b.height(), bottomRight);
    };
    bevel(r, shadow, light); // lowered outer
    bevel(r.adjusted(1, 1, -1, -1), light, shadow); // raised inner
}

void ColorSwatch::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint()))
        emit clicked();
}
