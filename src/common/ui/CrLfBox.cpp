#include "CrLfBox.h"

#include <QPlainTextEdit>

namespace tw
{

void setCrLfText(QPlainTextEdit *box, const QString &text)
{
    box->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QString crLfText(const QPlainTextEdit *box)
{
    return box->toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

} // namespace tw
