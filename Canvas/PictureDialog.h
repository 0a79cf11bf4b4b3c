#pragma once

#include <QFileDialog>

#include <string>

class QLineEdit;

namespace masume::ui {

class PicturePreview;

// One entry of the picture dialogs' file-type list: the text shown and the
// patterns it stands for.
struct PictureFilterEntry
{
    QString text; // "JPEG イメージファイル (*.jpg)"
    QStringList patterns; // "*.jpg"
};

// The file-type list of the picture dialogs, built from the picture format
// table: "すべてのファイル (*.jpg;*.jpeg;...)" first, then one entry per row.
QList<PictureFilterEntry> pictureFilterEntries();

// The open-picture and save-picture dialogs: Qt's own file dialog (so the
// preview can sit beside the file list), the file-type list with its texts
// exactly as the program writes them, the first entry selected at first use,
// no default extension, no question of its own before an existing file is
// chosen, any name accepted whether the file exists or not, resizable.
class PictureDialog : public QFileDialog
{
    Q_OBJECT

public:
    PictureDialog(AcceptMode mode, QWidget *parent);

    // Runs the dialog through the program's dialog runner, opening with the
    // name last accepted in it. True on OK; cancelling changes nothing.
    bool choose();
    // The name last accepted, as the file system spells it.
    const std::string &fileName() const { return m_fileName; }

    PicturePreview *preview() const { return m_preview; }

protected:
    void hideEvent(QHideEvent *event) override;

private:
    // Qt's name field of the dialog.
    QLineEdit *nameField() const;

    PicturePreview *m_preview;
    QString m_accepted;
    std::string m_fileName;
};

} // namespace masume::ui
