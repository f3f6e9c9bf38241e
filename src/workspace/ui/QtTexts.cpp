#include "QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <cstring>

namespace tw
{

QString QtTextsFallback::translate(const char *context, const char *sourceText, const char *, int) const
{
    struct Text {
        const char *context;
        const char *source;
        const char16_t *chinese;
    };
    // The catalogue's own words for these names, which it has under the file dialog's context
    // where Qt 5 kept them.
    static const Text texts[] = {
        {"QAbstractFileIconProvider", "Folder", u"文件夹"},
        {"QAbstractFileIconProvider", "Drive", u"驱动器"},
    };
    if (!context || !sourceText)
        return {};
    for (const Text &text : texts)
        if (std::strcmp(context, text.context) == 0 && std::strcmp(sourceText, text.source) == 0)
            return QString::fromUtf16(text.chinese);
    return {};
}

QtChineseTexts::~QtChineseTexts()
{
    QLocale::setDefault(m_previousLocale);
}

std::unique_ptr<QtChineseTexts> installQtChineseTexts()
{
    std::unique_ptr<QtChineseTexts> texts(new QtChineseTexts);
    if (!texts->m_catalogue.load(QStringLiteral("qtbase_zh_CN"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    // The translator installed last is asked first: the fallback goes in before the catalogue, so
    // the catalogue's own text wins wherever it has one.
    QCoreApplication::installTranslator(&texts->m_fallback);
    if (!QCoreApplication::installTranslator(&texts->m_catalogue))
        return nullptr;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    return texts;
}

} // namespace tw
