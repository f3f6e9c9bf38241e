#include "QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tw
{

std::unique_ptr<QTranslator> installQtChineseTexts()
{
    auto texts = std::make_unique<QTranslator>();
    if (!texts->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(texts.get()))
        return nullptr;
    return texts;
}

} // namespace tw
