#pragma once
// Qt's own texts (the common dialogs, the message-box buttons) in the program's language.
#include <memory>

class QTranslator;

namespace tw
{

// Installs Qt's Chinese translation from Qt's translations folder into the running application.
// The texts stay in force as long as the returned translator lives; null (and English texts)
// where the translation is not installed.
std::unique_ptr<QTranslator> installQtChineseTexts();

} // namespace tw
