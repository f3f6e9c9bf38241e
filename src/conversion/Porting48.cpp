#include "Porting48.h"

#include "Messages.h"
#include "PortTable48.h"
#include "ToolMessages.h"
#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"
#include "common/TextFile.h"
#include "common/Vb.h"
#include "base/FileNames.h"

#include <algorithm>
#include <vector>

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

QString fromView(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The kind of operand an (upper-case) operand text names; labels, numbers and whatever else no
// form of the table names are Other.
Operand48 operandKind(const QString &text)
{
    if (text.size() == 2 && text[0] == u'R' && text[1] >= u'0' && text[1] <= u'7')
        return Operand48::Rn;
    if (text == u"@R0" || text == u"@R1")
        return Operand48::AtRi;
    if (text.size() == 2 && text[0] == u'P' && text[1] >= u'4' && text[1] <= u'7')
        return Operand48::Pp;
    if (text.startsWith(u'#'))
        return Operand48::Imm;
    for (int k = 0; k < static_cast<int>(Operand48::Other); ++k) {
        const auto kind = static_cast<Operand48>(k);
        const std::string_view name = portOperandName(kind);
        if (!name.empty() && text == QLatin1String(name.data(), static_cast<qsizetype>(name.size())))
            return kind;
    }
    return Operand48::Other;
}

// How many operands the table's forms of a word have at most.
int operandCapacity(std::string_view word)
{
    int capacity = 0;
    for (const mcs48::OpcodeRow &row : mcs48::kOpcodes)
        if (portWordNames(word, row))
            capacity = std::max(capacity, int(row.operands[0] != Operand48::None) +
                                              int(row.operands[1] != Operand48::None));
    return capacity;
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
        result.report = QStringLiteral("    ") + ConvText::PortClean + kCrLf;
    else
        result.report =
            QStringLiteral("    ") + ConvText::portErrorsText(m_errors) + kCrLf + kCrLf + m_report + kCrLf;
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
    // Mnemonics are ASCII: a word that is not cannot match one.
    const QByteArray ascii = word.toLatin1();
    const std::string_view name(ascii.constData(), static_cast<std::size_t>(ascii.size()));
    if (isPortDirective48(name))
        return QString();
    std::vector<const PortRule *> rules;
    bool readsOperands = false;
    for (const PortRule &rule : portRules48())
        if (rule.word == name) {
            rules.push_back(&rule);
            readsOperands = readsOperands || rule.readsOperands();
        }
    if (rules.empty())
        return refuse(fromView(PortText::BadOpcode));
    if (readsOperands) {
        // Operands belong to this line only; one left out is an error, not a leftover.
        m_op1.clear();
        m_op2.clear();
        const bool two = operandCapacity(name) == 2;
        split(rest, two ? 2 : 1, two);
        if (m_op1.isEmpty() || (two && m_op2.isEmpty()))
            return refuse(fromView(PortText::BadOperand));
    }
    const Operand48 first = operandKind(m_op1);
    const Operand48 second = operandKind(m_op2);
    for (const PortRule *rule : rules) {
        if (!admits(rule->first, first) || !admits(rule->second, second))
            continue;
        switch (rule->action) {
        case PortAction::Keep:
            return QString();
        case PortAction::Refuse:
            return refuse(fromView(rule->text));
        case PortAction::Write:
            return fromView(rule->text)
                .replace(QStringLiteral("%d"), word.right(1))
                .replace(QStringLiteral("%1"), m_op1)
                .replace(QStringLiteral("%2"), m_op2);
        }
    }
    return refuse(fromView(PortText::BadOperand));
}

void Porter::split(QString text, int capacity, bool fullWidthComma)
{
    QString token;
    int count = 0;
    auto store = [&]() {
        if (token.isEmpty())
            return true;
        if (count >= capacity) {
            logError(fromView(PortText::TooManyOperands));
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
    return fromNativePath(sideFilePath(nativePath(output), "err"));
}

ToolOutcome portSourceFile(const QString &source, const QString &output)
{
    const QString report = portReportPath(output);
    std::optional<ToolNote> problem = ownInputProblem(output, {source}, ConvText::PortOwnInput);
    if (!problem)
        problem = ownInputProblem(report, {source, output}, ConvText::PortReportOwnInput);
    if (problem)
        return refusal(*problem);
    const CheckedRead read = readFileChecked(source, kMaxTextFileBytes);
    if (!read.ok())
        return refusal(toolNote(ConvText::sourceReadFailureText(source, read.reason), kNoticeStyle,
                                ConvText::BuildTitle));
    const TextFileContent content = decodeText(read.bytes);
    const PortResult result = portSource48(splitLines(content.text));
    // The ported text goes back in the source's encoding; one that cannot hold a character of it
    // (a byte the source's encoding could not read) cannot be written.
    const std::optional<QByteArray> ported = tryEncodeText(result.ported, content.encoding);
    if (!ported)
        return refusal(toolNote(ConvText::PortFailed, kCheckStyle, ConvText::BuildTitle));
    ToolOutcome outcome;
    outcome.title = ConvText::BuildTitle.toStdString();
    outcome.inputs = inputPaths({source});
    outcome.files = {plannedFile(output, *ported, true),
                     plannedFile(report, encodeText(result.report, TextEncoding::Gbk), true)};
    const QString question =
        result.errorCount == 0
            ? ConvText::PortClean + QStringLiteral(u"\r\n打开转换后程序吗？")
            : ConvText::portErrorsText(result.errorCount) + QStringLiteral(u"\r\n打开转换后的程序吗？");
    outcome.done.push_back(toolNote(question, kCheckStyle, ConvText::BuildTitle));
    outcome.openOnYes = nativePath(output);
    return outcome;
}

} // namespace tw
