#pragma once

#include "raster/Surface.h"

namespace masume {

// The seam of the main window's picture control C_Canvas: a size of its own
// (that of the current picture, 105 x 105 before the first one), which the
// grid mask and the colour layer follow, and the picture it shows at 1:1.
class PictureControl
{
public:
    static constexpr int InitialSize = 105;

    virtual ~PictureControl() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void setWidth(int width) = 0;
    virtual void setHeight(int height) = 0;

    virtual const Surface &picture() const = 0;
    // Shows a copy of picture, replacing the one shown; when it fails (for
    // want of memory) the one shown stays.
    virtual void setPicture(const Surface &picture) = 0;
    // Sets the width, then the height of the picture shown.
    virtual void resizePicture(int width, int height) = 0;
};

// A picture control without a window, for the core's own use and its tests.
class PictureHolder : public PictureControl
{
public:
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void setWidth(int width) override { m_width = width; }
    void setHeight(int height) override { m_height = height; }
    const Surface &picture() const override { return m_picture; }
    void setPicture(const Surface &picture) override
    {
        m_picture.assign(picture);
        ++m_pictureChanges;
    }
    void resizePicture(int width, int height) override
    {
        m_picture.setWidth(width);
        m_picture.setHeight(height);
    }
    // How many times a picture was handed over.
    int pictureChanges() const { return m_pictureChanges; }

private:
    int m_width = InitialSize;
    int m_height = InitialSize;
    Surface m_picture;
    int m_pictureChanges = 0;
};

} // namespace masume
