#include "Canvas/PictureDialog.h"

#include "Canvas/PicturePreview.h"
#include "app/Dialogs.h"
#include "picture/PictureFile.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QLineEdit>

namespace masume::ui {

QList<PictureFilterEntry> pictureFilterEntries()
{
    // "text|patterns|text|patterns|...", patterns joined with ";".
    const QStringList parts = QString::fromStdString(pictureDialogFilter()).split(QLatin1Char('|'));
    QList<PictureFilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts[i], parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)});
    return entries;
}

PictureDialog::PictureDialog(AcceptMode mode, QWidget *parent)
    : QFileDialog(parent)
{
    setObjectName(mode == AcceptOpen ? QStringLiteral("OpenPictureDialog")
                                     : QStringLiteral("SavePictureDialog"));
    setOption(DontUseNativeDialog);
    setOption(DontConfirmOverwrite);
    setAcceptMode(mode);
    setFileMode(AnyFile);
    setSizeGripEnabled(true);

    // Qt reads a filter's patterns from its text, split at blanks, where the
    // program's texts join them with ";". So Qt is given texts it can read,
    // and its list then shows the program's own.
    const QList<PictureFilterEntry> entries = pictureFilterEntries();
    QStringList readable;
    for (const PictureFilterEntry &entry : entries) {
        const QString description = entry.text.left(entry.text.lastIndexOf(QLatin1String(" (")));
        readable.append(description + QLatin1String(" (") + entry.patterns.join(QLatin1Char(' '))
                        + QLatin1Char(')'));
    }
    setNameFilters(readable);
    if (auto *types = findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < entries.size() && i < types->count(); ++i)
            types->setItemText(i, entries[i].text);
    }

    m_preview = new PicturePreview(this);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_preview, 1, grid->columnCount(), 1, 1);
    // The preview shows the file the dialog would give back now: the one
    // chosen in the list, or the name typed into the name field.
    connect(this, &QFileDialog::currentChanged, m_preview, &PicturePreview::showFile);
    if (QLineEdit *name = nameField())
        connect(name, &QLineEdit::textChanged, this, [this](const QString &typed) {
            m_preview->showFile(typed.isEmpty() ? QString() : directory().absoluteFilePath(typed));
        });
}

QLineEdit *PictureDialog::nameField() const
{
    return findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

void PictureDialog::hideEvent(QHideEvent *event)
{
    // Enter in the name field closes the dialog from within the field's
    // completion list, which Qt then leaves on screen: a popup that would
    // take the next click anywhere. It goes with the dialog.
    if (QLineEdit *name = nameField())
        if (QCompleter *completer = name->completer())
            if (completer->popup() && completer->popup()->isVisible())
                completer->popup()->hide();
    QFileDialog::hideEvent(event);
}

bool PictureDialog::choose()
{
    if (!m_accepted.isEmpty())
        selectFile(m_accepted);
    const int result = dialogs().exec(*this);
    // The preview's picture may be a large photo: not kept while hidden.
    m_preview->showFile(QString());
    if (result != Accepted)
        return false;
    const QStringList chosen = selectedFiles();
    if (chosen.isEmpty())
        return false;
    m_accepted = chosen.first();
    m_fileName = QFile::encodeName(m_accepted).toStdString();
    return true;
}

} // namespace masume::ui
