#pragma once

#include <QScrollBar>

// A colour bar: a horizontal scroll bar whose arrow keys follow the screen,
// as on the platform's other horizontal bars: Right and Down add, Left and
// Up take away (PageDown and PageUp likewise, Home and End go to 0 and 255).
// Qt's scroll bars invert their controls so that a vertical bar moves the
// way a document scrolls; on a horizontal bar that turns Left and Right
// around. The wheel keeps Qt's own direction, as in every Qt program.
class ColorBar : public QScrollBar
{
    Q_OBJECT

public:
    explicit ColorBar(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
