#include "Grid/ColorBar.h"

#include <QKeyEvent>

ColorBar::ColorBar(QWidget *parent)
    : QScrollBar(Qt::Horizontal, parent)
{
}

void ColorBar::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_Left && key != Qt::Key_Right) {
        QScrollBar::keyPressEvent(event);
        return;
    }
    // Towards the end the arrow points to: the maximum lies on the right,
    // or on the left in a right-to-left layout.
    const bool towardsMaximum = (key == Qt::Key_Right) != isRightToLeft();
    triggerAction(towardsMaximum ? SliderSingleStepAdd : SliderSingleStepSub);
    event->accept();
}
