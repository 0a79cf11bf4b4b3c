#pragma once

#include "Grid/GridCore.h"

#include <QWidget>

class QCheckBox;

class TF_Grid;
// The grid settings window, set once at start-up.
extern TF_Grid *F_Grid;

// The grid settings window: grid kind, sizes, colour.
class TF_Grid : public QWidget
{
    Q_OBJECT

public:
    explicit TF_Grid(QWidget *parent = nullptr);
    ~TF_Grid() override;

    masume::GridCore &core() { return m_core; }

    // Whether saving writes the picture with the grid.
    QCheckBox *Check_Grid = nullptr;

public slots:
    void FormCreate();
    void DrawGLine();
    void DrawGrid();

private:
    masume::GridCore m_core;
};
