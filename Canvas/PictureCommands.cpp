#include "Canvas/PictureCommands.h"

#include "Canvas/SaveRules.h"
#include "picture/PictureFile.h"

namespace masume {

void PictureCommands::OpenPicture1Accept(const std::string &fileName)
{
    m_canvas.setPictureFileName(fileName);
    m_host.longWork([this] {
        Surface background;
        {
            // The holder keeps a JPEG file's bytes until decoded; it goes
            // at the end of this block on every path.
            const Picture holder = readPicture(m_canvas.PictureFileName());
            background = makeSurface(holder);
        }
        m_canvas.takePicture(std::move(background));
    });
}

void PictureCommands::SavePicture1Execute()
{
    if (fileExists(m_canvas.PictureFileName()) && !m_host.confirmOverwrite()) {
        m_host.executeSaveAs();
        return;
    }
    const Surface &composite = m_canvas.Compounds()[m_host.saveWithGrid() ? 1 : 0];
    m_host.longWork([&] {
        // A name without extension keeps the ".bmp" appended to it, also
        // when writing then fails.
        std::string fileName = m_canvas.PictureFileName();
        try {
            writePictureFile(composite, fileName);
        } catch (...) {
            m_canvas.setPictureFileName(std::move(fileName));
            throw;
        }
        m_canvas.setPictureFileName(std::move(fileName));
    });
}

void PictureCommands::SaveAsPicture1Accept(const std::string &fileName)
{
    m_canvas.setPictureFileName(fileName);
    SavePicture1Execute();
}

} // namespace masume
