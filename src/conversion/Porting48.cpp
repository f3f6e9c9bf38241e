#include "Porting48.h"

#include "PortTable48.h"
#include "ToolMessages.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "common/TextFile.h"
#include "common/Vb.h"

#include <algorithm>

namespace tw
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
const QString kTab = QStringLiteral("\t");

const QString kHeader = QStringLiteral(u";由MCS48源程序转换得MCS51程序\r\n"
                                       u";本文件由Tarnwick的源程序移植工具生成\r\n"
                                       u";以分号注释掉的语句不能自动移植，请手工改写\r\n"
                                       u";不能移植的语句列在同名的.err文件中\r\n");

bool isBlank(QChar c)
{
    return c == u' ';
}

bool isComment(QChar c)
{
    return c == u';' || c == u'；';
}

QString upperAscii(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return upper;
}

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString leftTrimBlanks(const QString &text)
{
    qsizetype first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    return text.mid(first);
}

bool matchesAlternative(const char16_t *alternatives, const QString &text)
{
    if (!alternatives)
        return true;
    const QStringList options = QString::fromUtf16(alternatives).split(u'|');
    return options.contains(text);
}

class Porter
{
  public:
    PortResult run(const QStringList &lines);

  private:
    QString scanLine(const QString &line, const QString &upper, bool *produced);
    QString translate(const QString &word, const QString &rest);
    void split(QString text, int capacity, bool fullWidthComma);
    QString refuse(const QString &message);
    void logError(const QString &message);

    QString m_line; // the current source line as read
    int m_lineNo = 0;
    int m_errors = 0;
    QString m_report;
    QString m_op1;
    QString m_op2;
};

PortResult Porter::run(const QStringList &lines)
{
    QString ported = kHeader;
    for (const QString &line : lines) {
        m_line = line;
        const QString upper = upperAscii(trimBlanks(line));
        if (!upper.isEmpty()) {
            ++m_lineNo;
            bool produced = false;
            const QString out = scanLine(line, upper, &produced);
            if (produced)
                ported += out + kCrLf;
        }
        if (line.endsWith(QStringLiteral("\tEND")) || line.endsWith(QStringLiteral("\tend")))
            break;
    }
    PortResult result;
    result.ported = ported + kCrLf;
    result.errorCount = m_errors;
    if (m_errors == 0)
        result.report = QStringLiteral(u"    转换成功，没有发现问题！") + kCrLf;
    else
        result.report = QStringLiteral(u"    转换过程发现") + vbStr(m_errors) +
                        QStringLiteral(u"处不能转换。") + kCrLf + kCrLf + m_report + kCrLf;
    return result;
}

// Only the first word of a line is looked at; a label ends with a colon.
QString Porter::scanLine(const QString &line, const QString &upper, bool *produced)
{
    *produced = true;
    QString word;
    QString prefix;
    QString rest = upper;
    while (!rest.isEmpty()) {
        const QChar c = rest[0];
        rest.remove(0, 1);
        if (isComment(c))
            return line;
        if (c == u':' || c == u'：') {
            rest = leftTrimBlanks(rest);
            prefix = word + u':' + kTab;
            word.clear();
        } else if (c == u' ' || c == u'\t') {
            rest = leftTrimBlanks(rest);
            if (word.isEmpty())
                continue;
            const QString text = translate(word, rest);
            return text.isEmpty() ? line : (prefix.isEmpty() ? kTab : prefix) + text;
        } else {
            word += c;
        }
    }
    if (word.isEmpty()) {
        // A label alone on its line stays: jumps to it must still find it.
        *produced = !prefix.isEmpty();
        return line;
    }
    const QString text = translate(word, QString());
    return text.isEmpty() ? line : prefix + text;
}

QString Porter::translate(const QString &word, const QString &rest)
{
    const std::span<const PortRow> table = portTable48();
    const auto first = std::find_if(table.begin(), table.end(), [&word](const PortRow &row) {
        return matchesAlternative(row.words, word);
    });
    if (first == table.end())
        return refuse(QStringLiteral(u"操作码错误 "));
    if (first->split != PortSplit::None) {
        // Operands belong to this line only; one left out is an error, not a leftover.
        m_op1.clear();
        m_op2.clear();
        const bool two = first->split == PortSplit::Two;
        split(rest, two ? 2 : 1, two);
        if (m_op1.isEmpty() || (two && m_op2.isEmpty()))
            return refuse(QStringLiteral(u"操作数错误"));
    }
    for (auto row = first; row != table.end(); ++row) {
        if (!matchesAlternative(row->words, word) || !matchesAlternative(row->op1, m_op1) ||
            !matchesAlternative(row->op2, m_op2))
            continue;
        switch (row->action) {
        case PortAction::Keep:
            return QString();
        case PortAction::Refuse:
            return refuse(QString::fromUtf16(row->text));
        case PortAction::Write:
            return QString::fromUtf16(row->text)
                .replace(QStringLiteral("%d"), word.right(1))
                .replace(QStringLiteral("%1"), m_op1)
                .replace(QStringLiteral("%2"), m_op2);
        }
    }
    return refuse(QStringLiteral(u"操作码错误 "));
}

void Porter::split(QString text, int capacity, bool fullWidthComma)
{
    QString token;
    int count = 0;
    auto store = [&]() {
        if (token.isEmpty())
            return true;
        if (count >= capacity) {
            logError(QStringLiteral(u"操作数过多"));
            return false;
        }
        (count == 0 ? m_op1 : m_op2) = token;
        ++count;
        token.clear();
        return true;
    };
    for (QChar c : text) {
        if (isComment(c))
            break;
        const bool separator = c == u'\t' || c == u' ' || c == u',' || (fullWidthComma && c == u'，');
        if (!separator)
            token += c;
        else if (!store())
            return;
    }
    store();
}

QString Porter::refuse(const QString &message)
{
    logError(message);
    return u';' + m_line;
}

void Porter::logError(const QString &message)
{
    ++m_errors;
    m_report += vbStr(m_errors) + kTab + QStringLiteral(u"第") + vbStr(m_lineNo) + QStringLiteral(u"行") +
                kTab + message + kCrLf;
}

} // namespace

PortResult portSource48(const QStringList &lines)
{
    return Porter().run(lines);
}

QString portReportPath(const QString &output)
{
    return replaceLastThree(output, QStringLiteral("err"));
}

PortFileOutcome portSourceFile(Prompter &prompter, const QString &source, const QString &output)
{
    PortFileOutcome outcome;
    const QString report = portReportPath(output);
    if (refuseOwnInput(prompter, output, {source},
                       QStringLiteral(u"移植后的文件不可以与待移植的文件同名！")) ||
        refuseOwnInput(prompter, report, {source, output},
                       QStringLiteral(u"出错报告文件不可以与待移植的文件或移植后的文件同名！")))
        return outcome;
    const auto failed = [&prompter, &outcome] {
        prompter.message(QStringLiteral(u"转换失败，可能存在有不可识别的语句！"), kCheckStyle,
                         ConvText::BuildTitle);
        return outcome;
    };
    const std::optional<TextFileContent> content = readTextFile(source);
    if (!content)
        return failed();
    const PortResult result = portSource48(splitLines(content->text));
    if (!writeTextFile(output, result.ported, content->encoding, WriteSync::Generated))
        return failed();
    const QString question = result.errorCount == 0
                                 ? QStringLiteral(u"转换成功，没有发现问题！\r\n打开转换后程序吗？")
                                 : QStringLiteral(u"转换过程发现") + vbStr(result.errorCount) +
                                       QStringLiteral(u"处不能转换。\r\n打开转换后的程序吗？");
    const int answer = prompter.message(question, kCheckStyle, ConvText::BuildTitle);
    if (!writeTextFile(report, result.report, TextEncoding::Gbk, WriteSync::Generated))
        return failed();
    outcome.written = true;
    outcome.errorCount = result.errorCount;
    outcome.openOnYes = answer == MsgAnswer::Yes;
    return outcome;
}

} // namespace tw
