#pragma once

#include "Canvas/PictureControl.h"
#include "Grid/GridCore.h"
#include "raster/Surface.h"

#include <array>
#include <string>
#include <vector>

namespace masume {

// The main window's pictures and its composition: the background in
// Layers[0] (the list always holds exactly that one element), the picture
// without grid in Compounds[0] and with grid in Compounds[1].
//
// The state is read through accessors of its own names; the pictures change
// only through the composition and through taking a new picture.
class CanvasCore : public CanvasLink
{
public:
    explicit CanvasCore(PictureControl &control)
        : C_Canvas(control)
    {
    }

    // The picture control, which shows Compounds[1].
    PictureControl &C_Canvas;

    const std::vector<Surface> &Layers() const { return m_layers; }
    const std::array<Surface, 2> &Compounds() const { return m_compounds; }
    // The current picture file: empty at start, never cleared; opening, Save
    // As and saving (".bmp" appended) set it. The next save writes there.
    const std::string &PictureFileName() const { return m_pictureFileName; }
    void setPictureFileName(std::string fileName) { m_pictureFileName = std::move(fileName); }

    // The grid window's half, set once at start-up (connectCores).
    void setGrid(GridCore *grid) { m_grid = grid; }
    GridCore *grid() const { return m_grid; }

    // Set-up at the window's creation: one empty layer, two empty composites.
    void FormCreate();

    // Copies the background into both composites, whitens the line pixels of
    // Compounds[1] with the mask and paints them with the colour layer, then
    // hands a copy of Compounds[1] to the picture control. Costs at most one
    // real copy of the picture: the copies share pixels until drawn on.
    void CompoundLayer() override;

    // Takes background (any format; made 24-bit here) as the new picture:
    // the background Layers[0], the picture control's width and height and
    // the picture it shows, both composites, GridMask and ColorLayer take
    // the picture and its size, in this order; then the grid core's
    // DrawGLine composes the view. Everything is allocated before the first
    // change, and when memory runs out on the way, all of it comes back:
    // nothing that was shown or loaded changes. When DrawGLine fails
    // otherwise (a size of 0), the composites and the picture shown stay the
    // previous ones at the new size.
    void takePicture(Surface background);

    int canvasWidth() const override { return C_Canvas.width(); }
    int canvasHeight() const override { return C_Canvas.height(); }

private:
    // What a new picture replaces on this side, made beside what is in
    // place.
    struct Pictures
    {
        Surface layer, shown, compound0, compound1;
        int width, height;
    };
    Pictures picturesFor(const Surface &background) const;
    // Moves and the control's setters only.
    Pictures exchangePictures(Pictures &&pictures);

    std::vector<Surface> m_layers;
    std::array<Surface, 2> m_compounds;
    std::string m_pictureFileName;
    GridCore *m_grid = nullptr;
};

// Joins the two windows' halves, each reaching the other through its seam:
// the grid core the picture control's size and the composition, the canvas
// core the mask, the colour layer and DrawGLine. Start-up calls it once
// after creating both windows, the front ends without windows likewise,
// before anything is drawn.
void connectCores(CanvasCore &canvas, GridCore &grid);

} // namespace masume
