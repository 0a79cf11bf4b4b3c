#include "ui/Dialogs.h"

namespace masume::ui {

namespace {

class ModalRunner final : public DialogRunner
{
public:
    int exec(QDialog &dialog) override { return dialog.exec(); }
};

ModalRunner modalRunner;
DialogRunner *current = &modalRunner;

} // namespace

DialogRunner &dialogs()
{
    return *current;
}

void setDialogRunner(DialogRunner *runner)
{
    current = runner ? runner : &modalRunner;
}

} // namespace masume::ui
