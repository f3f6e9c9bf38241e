#include "Output48.h"

#include <QFile>
#include <QRegularExpression>

namespace twtest
{

Output48 readOutput48(const QString &text)
{
    Output48 out;
    static const QRegularExpression equ(QStringLiteral("^(L\\d+): EQU  ([0-9A-F]{4})H$"));
    static const QRegularExpression prefix(QStringLiteral("^(L\\d+): (.*)$"));
    static const QRegularExpression org(QStringLiteral("^ORG ([0-9A-F]{4})H$"));
    static const QRegularExpression operand(QStringLiteral("([ ,])(L\\d+)$"));
    static const QRegularExpression dbItem(QStringLiteral("^([0-9A-F]{2})H$"));
    std::map<long, QString> unresolved;
    long pc = -1;
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line == QStringLiteral("END"))
            break;
        if (auto m = equ.match(line); m.hasMatch()) {
            out.labels[m.captured(1)] = m.captured(2).toLong(nullptr, 16);
            ++out.definitions[m.captured(1)];
            continue;
        }
        if (auto m = org.match(line); m.hasMatch()) {
            pc = m.captured(1).toLong(nullptr, 16);
            continue;
        }
        if (pc < 0) {
            out.problems << QStringLiteral("before ORG: ") + line;
            continue;
        }
        if (auto m = prefix.match(line); m.hasMatch()) {
            out.labels[m.captured(1)] = pc;
            ++out.definitions[m.captured(1)];
            line = m.captured(2);
        }
        if (line.startsWith(QStringLiteral("DB "))) {
            for (const QString &item : line.mid(3).split(QStringLiteral(", "))) {
                const auto m = dbItem.match(item);
                if (!m.hasMatch())
                    out.problems << QStringLiteral("DB item: ") + line;
                out.data[pc++] = static_cast<std::uint8_t>(m.captured(1).toUInt(nullptr, 16));
            }
            continue;
        }
        const auto m = operand.match(line);
        if (m.hasMatch())
            out.used << m.captured(2);
        out.lengths[pc] = (m.hasMatch() || line.contains(u'#')) ? 2 : 1;
        unresolved[pc] = line;
        pc += out.lengths[pc];
    }
    for (auto &[address, statement] : unresolved) {
        const auto m = operand.match(statement);
        if (m.hasMatch()) {
            const auto label = out.labels.find(m.captured(2));
            if (label == out.labels.end())
                out.problems << QStringLiteral("undefined label: ") + statement;
            else
                statement = statement.left(m.capturedStart(2)) + u'>' +
                            QStringLiteral("%1").arg(label->second, 4, 16, QChar(u'0')).toUpper();
        }
        out.code[address] = statement;
    }
    for (const auto &[label, times] : out.definitions)
        if (times > 1)
            out.problems << QStringLiteral("defined twice: ") + label;
    return out;
}

Output48 readOutputFile48(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Output48 out;
        out.problems << QStringLiteral("cannot read ") + path;
        return out;
    }
    return readOutput48(QString::fromLatin1(file.readAll()));
}

} // namespace twtest
