#include "app/Guard.h"

#include "app/Dialogs.h"
#include "common/Error.h"
#include "common/ErrorBox.h"
#include "common/Messages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <new>

namespace masume::ui {

void showErrorBox(const std::string &message)
{
    const std::string title
        = applicationTitle(QCoreApplication::applicationFilePath().toStdString());
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title),
                    QString::fromStdString(errorBoxText(message)), QMessageBox::Ok);
    // The program's own text, not Qt's translation of it.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    dialogs().exec(box);
}

void guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Error &e) {
        showErrorBox(e.what());
    } catch (const std::bad_alloc &) {
        showErrorBox(msg::OutOfMemory);
    }
}

} // namespace masume::ui
