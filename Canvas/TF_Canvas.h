#pragma once

#include "Canvas/CanvasCore.h"

#include <QMainWindow>

class QToolButton;

class TF_Canvas;
// The main window, set once at start-up.
extern TF_Canvas *F_Canvas;

// The main window: the background, the two composites and the picture view.
class TF_Canvas : public QMainWindow
{
    Q_OBJECT

public:
    explicit TF_Canvas(QWidget *parent = nullptr);
    ~TF_Canvas() override;

    masume::CanvasCore &core() { return m_core; }

    // The tool button that shows and hides the grid window; pressed while it
    // is visible.
    QToolButton *Tool_VGrid = nullptr;

public slots:
    void FormCreate();
    void CompoundLayer();

private:
    masume::PictureHolder m_view;
    masume::CanvasCore m_core {m_view};
};
