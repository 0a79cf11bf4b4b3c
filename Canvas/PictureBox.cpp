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
    m_image = QImage();
    m_imageStale = true;
}

void PictureBox::resizePicture(int width, int height)
{
    m_picture.setWidth(width);
    m_picture.setHeight(height);
    pictureChanged();
}

void PictureBox::pictureChanged()
{
    m_image = QImage();
    m_imageStale = true;
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
    if (m_imageStale || (!m_image.isNull() && m_image.devicePixelRatio() != ratio)) {
        m_image = surfaceImage(m_picture);
        m_image.setDevicePixelRatio(ratio);
        m_imageStale = false;
    }
    if (m_image.isNull())
        return;
    // Only the exposed part is drawn: the source rectangle in picture
    // pixels, the target at the same place in logical pixels.
    const QRectF exposed = event->rect();
    const QRectF source = QRectF(exposed.x() * ratio, exposed.y() * ratio, exposed.width() * ratio,
                                 exposed.height() * ratio)
                              .intersected(QRectF(m_image.rect()));
    if (source.isEmpty())
        return;
    const QRectF target(source.x() / ratio, source.y() / ratio, source.width() / ratio,
                        source.height() / ratio);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, m_image, source);
}

} // namespace masume::ui
