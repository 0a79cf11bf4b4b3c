#pragma once

#include "raster/Colour.h"

#include <QWidget>

// A panel that shows one colour and reports clicks: a lowered outer bevel,
// a raised inner bevel and the colour inside. It takes no keyboard focus, so
// clicking it leaves no number box.
class ColorSwatch : public QWidget
{
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    masume::Colour colour() const { return m_colour; }
    // Repaints when the colour changes.
    void setColour(masume::Colour colour);

signals:
    // A left-button press and release, both inside the panel.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    masume::Colour m_colour = masume::Black;
    bool m_pressed = false;
};
