#pragma once
// Plain-text boxes whose texts are kept with CR LF line ends: the box shows each CR LF as one line
// break and gives its lines back ended by CR LF.
#include <QString>

class QPlainTextEdit;

namespace tw
{

void setCrLfText(QPlainTextEdit *box, const QString &text);
QString crLfText(const QPlainTextEdit *box);

} // namespace tw
