#pragma once

#include "Canvas/CanvasCore.h"

#include <functional>
#include <string>

namespace masume {

// What the picture commands ask of the windows around them. The main window
// answers with its dialogs and the grid window's check box; tests and other
// front ends answer with their own.
class PictureCommandHost
{
public:
    virtual ~PictureCommandHost() = default;

    // The question "上書きします。よろしいですか？" before an existing file
    // is replaced; true only for OK.
    virtual bool confirmOverwrite() = 0;
    // Executes the save-as command: its dialog and, when the user accepts a
    // name, SaveAsPicture1Accept with it. Cancelling does nothing.
    virtual void executeSaveAs() = 0;
    // Whether saving writes the picture with the grid (the grid window's
    // check box Check_Grid).
    virtual bool saveWithGrid() = 0;
    // Runs reading, decoding, drawing or writing, which takes up to a second
    // on a large picture; never a question or a dialog.
    virtual void longWork(const std::function<void()> &work) { work(); }
};

// Opening and saving pictures, on the main window's state (PictureFileName,
// Layers, Compounds, the picture control) and, through it, the grid
// window's surfaces.
class PictureCommands
{
public:
    PictureCommands(CanvasCore &canvas, PictureCommandHost &host)
        : m_canvas(canvas)
        , m_host(host)
    {
    }

    // Opens the file chosen in the open-picture dialog. PictureFileName
    // takes the name first and keeps it whatever happens. Only when the file
    // was read and made into a picture does the main window take it
    // (CanvasCore::takePicture: all surfaces at its size, then DrawGLine;
    // all or nothing when memory runs out).
    void OpenPicture1Accept(const std::string &fileName);

    // Saves the composite chosen by Check_Grid under PictureFileName. An
    // existing file is replaced only after OK to the question; any other
    // answer executes the save-as command instead.
    void SavePicture1Execute();

    // Takes the name chosen in the save-picture dialog and saves under it,
    // asking again when that file exists.
    void SaveAsPicture1Accept(const std::string &fileName);

private:
    CanvasCore &m_canvas;
    PictureCommandHost &m_host;
};

} // namespace masume
