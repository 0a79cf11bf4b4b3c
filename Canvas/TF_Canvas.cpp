#include "Canvas/TF_Canvas.h"

TF_Canvas *F_Canvas = nullptr;

TF_Canvas::TF_Canvas(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("F_Canvas"));
    setWindowTitle(QStringLiteral("F_Canvas"));
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
