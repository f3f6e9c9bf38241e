#pragma once
// The FAQ shown in the text viewer from Help > FAQ.
#include <QString>

namespace tw
{

// Numbered questions and answers, every line ended by CR LF, an empty line after each item.
QString faqText();

} // namespace tw
