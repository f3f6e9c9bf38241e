#include "OutputFiles.h"

#include "common/CodeImage.h"
#include "common/Hex.h"
#include "common/Paths.h"
#include "common/Vb.h"

#include <algorithm>

namespace tw
{

namespace
{

QString padTo8(const QString &text)
{
    return text.size() >= 8 ? text : text + QString(8 - text.size(), u' ');
}

// Label values outside the address space (a colon EQU of a large number) still get listed.
QString listedValue(long long value)
{
    if (value >= 0 && value <= 0xFFFF)
        return hexWord(value);
    return QString::number(value, 16).toUpper();
}

void appendHeading(QStringList &out, const QString &heading)
{
    out << QString() << QString() << heading << QString();
}

} // namespace

OutputPaths outputPathsFor(const QString &binPath)
{
    return {binPath, replaceLastThree(binPath, QStringLiteral("lst")),
            replaceLastThree(binPath, QStringLiteral("lt")),
            replaceLastThree(binPath, QStringLiteral("err"))};
}

QString addressField(long long address)
{
    if (address < 0 || address > 0xFFFF)
        return blankAddressField();
    return QStringLiteral("  ") + hexWord(address) + QStringLiteral("  ");
}

void appendListingLines(QStringList &out, const QString &addressFieldText, const QString &codeText,
                        long long address, long long lineNumber, const QString &sourceLine)
{
    out << addressFieldText + padTo8(codeText.left(8)) + u'\t' + vbStr(lineNumber) + u'\t' + sourceLine;
    for (qsizetype k = 1; 8 * k < codeText.size(); ++k)
        out << addressField(address + 4 * k) + padTo8(codeText.mid(8 * k, 8));
}

void appendLabelLists(QStringList &out, const std::vector<NamedValue> &labels,
                      const std::vector<QString> &duplicates, const std::vector<NamedText> &variables)
{
    if (!labels.empty()) {
        appendHeading(out, QStringLiteral(u"  程序中使用的标号如下："));
        for (const NamedValue &label : labels)
            out << QStringLiteral("  ") + label.name + u'\t' + listedValue(label.value);
    }
    if (!duplicates.empty()) {
        appendHeading(out, QStringLiteral(u"  程序中重复定义的标号如下："));
        for (const QString &name : duplicates)
            out << QStringLiteral("  ") + name;
    }
    if (!variables.empty()) {
        appendHeading(out, QStringLiteral(u"  程序中定义的变量如下："));
        for (const NamedText &variable : variables)
            out << QStringLiteral("  ") + variable.name + u'\t' + variable.text;
    }
}

QString listingCreditLine()
{
    return QStringLiteral(u"  Tarnwick 汇编程序清单");
}

QString errorReportText(int errorCount, const QString &errorLines)
{
    if (errorCount == 0)
        return QStringLiteral(u"    汇编成功，没有发现错误！\r\n");
    return QStringLiteral(u"    汇编过程发现") + vbStr(errorCount) + QStringLiteral(u"处错误。\r\n\r\n") +
           errorLines + QStringLiteral("\r\n");
}

int codeImageLength(const CodeImage &image, int highestEmitted)
{
    int last = 0xFFFF;
    while (last > 0 && image[last] == 0)
        --last;
    return std::max(last, std::min(highestEmitted, 0xFFFF)) + 1;
}

} // namespace tw
