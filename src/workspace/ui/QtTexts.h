#pragma once
// Qt's own texts (the common dialogs, the message-box buttons) in the program's language.
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace tw
{

// The texts Qt's Chinese catalogue lacks but the file dialogs show. Qt 6 moved the file list's
// type names ("Folder", "Drive") to a context of their own that the catalogue of Debian 12's
// Qt 6.4 has no entries for. Only those pairs: everything else is left to the catalogue.
class QtTextsFallback : public QTranslator
{
  public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
};

// Qt's Chinese texts in force while it lives: Qt's catalogue, the fallback above, and Chinese as
// the default locale, from which the file list takes its type names ("未知", "纯文本文档") out of
// the system's MIME database and the file dialogs their sizes and dates.
class QtChineseTexts
{
  public:
    QtChineseTexts(const QtChineseTexts &) = delete;
    QtChineseTexts &operator=(const QtChineseTexts &) = delete;
    ~QtChineseTexts();

  private:
    friend std::unique_ptr<QtChineseTexts> installQtChineseTexts();
    QtChineseTexts() = default;

    QLocale m_previousLocale; // the default when the texts were installed, back when they go
    QtTextsFallback m_fallback;
    QTranslator m_catalogue;
};

// Installs Qt's Chinese texts into the running application. Null (and English texts) where Qt's
// translation is not installed.
std::unique_ptr<QtChineseTexts> installQtChineseTexts();

} // namespace tw
