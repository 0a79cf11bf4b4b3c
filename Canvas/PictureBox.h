#pragma once

#include "Canvas/PictureControl.h"

#include <QWidget>

namespace masume::ui {

// The picture control C_Canvas: shows its picture at 1:1 from its top-left
// corner, one picture pixel per device pixel also on a scaled screen, with
// no stretching, centring or smoothing. Its own width and height are in
// picture pixels (105 x 105 before the first picture); the widget takes that
// many device pixels. Where it has no picture it paints nothing, so its
// parent's background shows through.
class PictureBox : public QWidget, public PictureControl
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void setWidth(int width) override;
    void setHeight(int height) override;

    const Surface &picture() const override { return m_picture; }
    void setPicture(const Surface &picture) override;
    void resizePicture(int width, int height) override;

signals:
    // The control's width or height was set: a new picture takes its place
    // (opening sets both), which is shown from its top-left corner.
    void sizeSet();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Brings the widget to m_width x m_height device pixels at the current
    // device pixel ratio.
    void fitToPixels();

    int m_width = InitialSize;
    int m_height = InitialSize;
    // Often the composite with grid as recorded blits, never stored whole:
    // each paint builds only the exposed part (see surfaceImagePart).
    Surface m_picture;
};

} // namespace masume::ui
