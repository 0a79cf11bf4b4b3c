#include "Canvas/PictureBox.h"

#include "Canvas/SurfaceImage.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace masume::ui {

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    // Not opaque: where there is no picture the parent's background shows.
    fitToPixels();
}

void PictureBox::setWidth(int width)
{
    m_width = std::max(width, 0);
    fitToPixels();
    emit sizeSet();
}

void PictureBox::setHeight(int height)
{
    m_height = std::max(height, 0);
    fitToPixels();
    emit sizeSet();
}

void PictureBox::setPicture(const Surface &picture)
{
    // Scheduling the repaint is the only step that may fail (for want of
    // memory), so it comes first: the picture shown is replaced or kept.
    update();
    m_picture.assign(picture);
}

void PictureBox::resizePicture(int width, int height)
{
    m_picture.setWidth(width);
    m_picture.setHeight(height);
    update();
}

void PictureBox::fitToPixels()
{
    const qreal ratio = devicePixelRatioF();
    QWidget::resize(int(std::ceil(m_width / ratio)), int(std::ceil(m_height / ratio)));
}

bool PictureBox::event(QEvent *event)
{
    // Moving to a screen of another scale changes how many logical pixels
    // the picture needs.
    if (event->type() == QEvent::ScreenChangeInternal)
        fitToPixels();
    return QWidget::event(event);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    const qreal ratio = devicePixelRatioF();
    // Only the exposed part is built and drawn: the picture pixels under it
    // (whole pixels, clipped to the picture), at the same place in logical
    // pixels.
    const QRectF exposed = event->rect();
    const QRect source = QRectF(exposed.x() * ratio, exposed.y() * ratio, exposed.width() * ratio,
                                exposed.height() * ratio)
                             .toAlignedRect();
    const QImage part = surfaceImagePart(m_picture, source);
    if (part.isNull())
        return;
    const QRect shown = source.intersected(QRect(0, 0, m_picture.width(), m_picture.height()));
    const QRectF target(shown.x() / ratio, shown.y() / ratio, shown.width() / ratio,
                        shown.height() / ratio);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, part, QRectF(part.rect()));
}

} // namespace masume::ui
