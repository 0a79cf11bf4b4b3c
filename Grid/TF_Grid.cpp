#include "Grid/TF_Grid.h"

#include "Canvas/TF_Canvas.h"

#include <QCheckBox>

TF_Grid *F_Grid = nullptr;

TF_Grid::TF_Grid(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("F_Grid"));
    setWindowTitle(QStringLiteral("F_Grid"));
    // Closing the main window alone ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    Check_Grid = new QCheckBox(QStringLiteral("グリッド付で画像を保存"), this);
    Check_Grid->setObjectName(QStringLiteral("Check_Grid"));
    Check_Grid->setChecked(true);
    m_core.setCanvas(&F_Canvas->core());
    F_Canvas->core().setGrid(&m_core);
    FormCreate();
}

TF_Grid::~TF_Grid() = default;

void TF_Grid::FormCreate()
{
    m_core.FormCreate("32", "32");
}

void TF_Grid::DrawGLine()
{
    m_core.DrawGLine();
}

void TF_Grid::DrawGrid()
{
    m_core.DrawGrid();
}
