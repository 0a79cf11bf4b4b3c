#pragma once

namespace masume::ui {

// What the main window asks of the grid window. Start-up answers with the
// real one (app/WindowLinks.h); without an answer, as when the main window
// is built alone, saving writes the picture with the grid and Tool_VGrid
// only toggles.
class GridWindowLink
{
public:
    virtual ~GridWindowLink() = default;
    // Whether saving writes the picture with the grid: the grid window's
    // check box Check_Grid.
    virtual bool saveWithGrid() const = 0;
    // Shows or hides the grid window, as Tool_VGrid is pressed or raised.
    virtual void setGridWindowVisible(bool visible) = 0;
};

} // namespace masume::ui
