#include "app/WindowLinks.h"

#include "Canvas/GridWindowLink.h"
#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"

#include <QCheckBox>
#include <QPointer>
#include <QToolButton>

namespace {

// The grid window's answers to the main window, for as long as the grid
// window lives; owned by the main window.
class GridWindowAnswers final : public QObject, public masume::ui::GridWindowLink
{
public:
    GridWindowAnswers(TF_Grid &grid, QObject *owner)
        : QObject(owner)
        , m_grid(&grid)
    {
    }
    bool saveWithGrid() const override { return !m_grid || m_grid->Check_Grid->isChecked(); }
    void setGridWindowVisible(bool visible) override
    {
        if (m_grid)
            m_grid->setVisible(visible);
    }

private:
    QPointer<TF_Grid> m_grid;
};

} // namespace

void connectWindows(TF_Canvas &canvas, TF_Grid &grid)
{
    masume::connectCores(canvas.core(), grid.core());
    canvas.setGridWindow(new GridWindowAnswers(grid, &canvas));
    QToolButton *button = canvas.Tool_VGrid;
    QObject::connect(&grid, &TF_Grid::closed, button, [button] { button->setChecked(false); });
}
