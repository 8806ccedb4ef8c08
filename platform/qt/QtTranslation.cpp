#include "platform/qt/QtTranslation.h"

#include <memory>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

namespace vardelo {

bool loadQtTranslation(QCoreApplication& app)
{
    // A package that carries Qt with the program puts the file beside it, where Qt's own folder is not.
    const QStringList folders {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    for (const QString& folder : folders) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QStringLiteral("qtbase_ru"), folder)
            && QCoreApplication::installTranslator(translator.get())) {
            translator.release()->setParent(&app);
            return true;
        }
    }
    return false;
}

} // namespace vardelo
