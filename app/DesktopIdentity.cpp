#include "app/DesktopIdentity.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

// Resources of a static library register only when referenced.
static void initIconResources()
{
    Q_INIT_RESOURCE(icon);
}

namespace masume::ui {

void setDesktopIdentity()
{
    initIconResources();
    // One drawing per size, each named after its width in pixels (16.png
    // ... 256.png), so that small sizes are not shrunk from a large one.
    QIcon icon;
    const QDir folder(QStringLiteral(":/icon"));
    for (const QString &name : folder.entryList({QStringLiteral("*.png")})) {
        const int size = QFileInfo(name).baseName().toInt();
        icon.addFile(folder.filePath(name), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral(MASUME_APP_ID));
}

} // namespace masume::ui
