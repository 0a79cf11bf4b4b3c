#include "Canvas/TF_Canvas.h"

#include <QToolButton>

TF_Canvas *F_Canvas = nullptr;

TF_Canvas::TF_Canvas(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("F_Canvas"));
    setWindowTitle(QStringLiteral("F_Canvas"));
    Tool_VGrid = new QToolButton(this);
    Tool_VGrid->setObjectName(QStringLiteral("Tool_VGrid"));
    Tool_VGrid->setCheckable(true);
    Tool_VGrid->setChecked(true);
    FormCreate();
}

TF_Canvas::~TF_Canvas() = default;

void TF_Canvas::FormCreate()
{
    m_core.FormCreate();
}

void TF_Canvas::CompoundLayer()
{
    m_core.CompoundLayer();
}
