#pragma once

#include <QDialog>

namespace masume::ui {

// Every modal dialog of the program (file dialogs, colour chooser,
// confirmation, error box) is run through here, so that tests answer them
// without a person.
class DialogRunner
{
public:
    virtual ~DialogRunner() = default;
    // Runs dialog modally; returns its result (QDialog::Accepted, a
    // QMessageBox button, ...).
    virtual int exec(QDialog &dialog) = 0;
};

DialogRunner &dialogs();
// Replaces the runner (null restores the real one); for tests.
void setDialogRunner(DialogRunner *runner);

} // namespace masume::ui
