#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace masume::ui {

void loadQtTranslation()
{
    const QString name = QStringLiteral("qtbase_ja");
    if (qApp->findChild<QTranslator *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *translator = new QTranslator(qApp);
    translator->setObjectName(name);
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace masume::ui
