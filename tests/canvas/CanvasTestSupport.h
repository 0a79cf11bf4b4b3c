#pragma once

// Helpers of the main window's tests: a dialog runner that answers each
// modal dialog from a script and records what was shown, whole files,
// pictures written for the tests, and the windows' state to compare.

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "app/Dialogs.h"
#include "common/Error.h"
#include "picture/PictureFile.h"
#include "raster/Surface.h"
#include "support/Pixels.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <functional>

namespace masume::test {

// What a dialog showed when it ran.
struct ShownDialog
{
    QString kind; // "error", "question", "open", "save", "preview", or the class name
    QString title; // message boxes and the preview window
    QString text; // message boxes
    QStringList buttons;
    QString defaultButton;
    QString escapeButton;
    bool waitCursor = false; // the wait cursor was up while it ran
    QString selectedFile; // file dialogs: the name they opened with
    QSize size;
};

// Runs every modal dialog through the next answer of a script; a dialog
// without an answer is closed as its Esc key would close it (an error box
// with its OK). Everything shown is recorded.
class ScriptedDialogs final : public ui::DialogRunner
{
public:
    using Answer = std::function<int(QDialog &)>;

    int exec(QDialog &dialog) override
    {
        ShownDialog shown;
        shown.waitCursor = QApplication::overrideCursor() != nullptr;
        shown.size = dialog.size();
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            shown.kind = box->icon() == QMessageBox::Critical ? QStringLiteral("error")
                : box->icon() == QMessageBox::Question        ? QStringLiteral("question")
                                                              : QStringLiteral("message");
            shown.title = box->windowTitle();
            shown.text = box->text();
            for (QAbstractButton *b : box->buttons())
                shown.buttons << b->text();
            if (box->defaultButton())
                shown.defaultButton = box->defaultButton()->text();
            if (box->escapeButton())
                shown.escapeButton = box->escapeButton()->text();
        } else if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            shown.kind = files->acceptMode() == QFileDialog::AcceptOpen ? QStringLiteral("open")
                                                                        : QStringLiteral("save");
            shown.selectedFile = files->selectedFiles().value(0);
        } else if (dialog.objectName() == QLatin1String("PreviewWindow")) {
            shown.kind = QStringLiteral("preview");
            shown.title = dialog.windowTitle();
        } else {
            shown.kind = QString::fromLatin1(dialog.metaObject()->className());
        }
        this->shown.append(shown);
        if (!answers.isEmpty())
            return answers.takeFirst()(dialog);
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            if (box->escapeButton())
                box->escapeButton()->click();
            return QMessageBox::Ok;
        }
        return QDialog::Rejected;
    }

    // The kinds of the dialogs shown so far, in order.
    QStringList kinds() const
    {
        QStringList out;
        for (const ShownDialog &s : shown)
            out << s.kind;
        return out;
    }

    QList<Answer> answers;
    QList<ShownDialog> shown;
};

// A file dialog answered with a name, as if typed and OK pressed.
inline ScriptedDialogs::Answer chooseFile(const QString &path)
{
    return [path](QDialog &dialog) {
        auto *files = qobject_cast<QFileDialog *>(&dialog);
        if (!files)
            return int(QDialog::Rejected);
        files->selectFile(path);
        return int(QDialog::Accepted);
    };
}

// Any dialog cancelled.
inline ScriptedDialogs::Answer cancel()
{
    return [](QDialog &dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog); box && box->escapeButton())
            box->escapeButton()->click();
        return int(QDialog::Rejected);
    };
}

// A message box answered with the button of that text.
inline ScriptedDialogs::Answer press(const QString &text)
{
    return [text](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (!box)
            return int(QDialog::Rejected);
        for (QAbstractButton *b : box->buttons())
            if (b->text() == text) {
                b->click();
                return box->result();
            }
        return int(QDialog::Rejected);
    };
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A picture read back as opening reads it.
inline Surface readBack(const QString &path)
{
    return makeSurface(readPicture(QFile::encodeName(path).toStdString()));
}

// A 24-bit surface of w x h with a different colour in every pixel.
inline Surface gradient(int w, int h)
{
    Surface s(w, h, PixelFormat::Rgb24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, rgb(x * 7, y * 5, (x + y) * 3));
    return s;
}

// A valid 16 x 16 icon file of one 32-bit image.
inline QByteArray iconFile()
{
    QByteArray out;
    auto u16 = [&](int v) { out.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); };
    auto u32 = [&](quint32 v) {
        u16(int(v & 0xFFFF));
        u16(int(v >> 16));
    };
    const int pixels = 16 * 16 * 4, mask = 16 * 4;
    u16(0), u16(1), u16(1); // reserved, type icon, one image
    out.append(char(16)).append(char(16)); // width, height
    out.append(char(0)).append(char(0)); // colours, reserved
    u16(1), u16(32); // planes, bits
    u32(40 + pixels + mask), u32(6 + 16); // size, offset
    u32(40), u32(16), u32(32), u16(1), u16(32); // header, width, 2 x height, planes, bits
    u32(0), u32(pixels + mask), u32(0), u32(0), u32(0), u32(0);
    out.append(QByteArray(pixels, char(0x80)));
    out.append(QByteArray(mask, char(0)));
    return out;
}

// Everything opening may change, to compare before and after.
struct State
{
    std::string name;
    Surface layer, compound0, compound1, shown, mask, colourLayer;
    int width, height;

    static State of(TF_Canvas &c, TF_Grid &g)
    {
        return {c.core().PictureFileName, c.core().Layers[0],    c.core().Compounds[0],
                c.core().Compounds[1],    c.C_Canvas->picture(), g.core().GridMask,
                g.core().ColorLayer,      c.C_Canvas->width(),   c.C_Canvas->height()};
    }
};

inline bool sameSurfaces(const State &a, const State &b)
{
    return samePixels(a.layer, b.layer) && samePixels(a.compound0, b.compound0)
        && samePixels(a.compound1, b.compound1) && samePixels(a.shown, b.shown)
        && samePixels(a.mask, b.mask) && samePixels(a.colourLayer, b.colourLayer)
        && a.width == b.width && a.height == b.height;
}

} // namespace masume::test
