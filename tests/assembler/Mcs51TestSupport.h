#pragma once
// Helpers shared by the assembler tests: an error sink that keeps what it is told, a small
// two-pass assembly of normalised lines through the MCS-51 sizer and encoder, the translation of
// such a program into as31's syntax, and the reader of the "a | b | c" case tables in tests/data.
#include "assembler/common/Numbers.h"
#include "assembler/common/Aliases.h"
#include "assembler/common/Symbols.h"
#include "assembler/mcs51/Encoder.h"
#include "assembler/mcs51/Sizer.h"
#include "base/CodeImage.h"

#include "support/TestFiles.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>

namespace twtest
{

struct RecordingSink : tw::ErrorSink {
    QStringList messages;
    void record(const QString &message) override { messages.append(message); }
};

// One statement of normalised text: "LABEL:\tMNEMONIC\tOPERANDS" or "\tMNEMONIC\tOPERANDS".
struct Statement {
    QString label;
    QString word;
    QString rest;
};

inline Statement parseStatement(const QString &line)
{
    Statement s;
    QString text = line;
    const int colon = static_cast<int>(text.indexOf(u":\t"));
    if (colon > 0 && !text.left(colon).contains(u'\t')) {
        s.label = text.left(colon);
        text = text.mid(colon + 2);
    }
    text = text.trimmed();
    const int tab = static_cast<int>(text.indexOf(u'\t'));
    s.word = tab < 0 ? text : text.left(tab);
    s.rest = tab < 0 ? QString() : text.mid(tab + 1);
    return s;
}

// The word after a name in "NAME EQU value", "NAME BIT value" or "NAME 等值 value", else "".
inline QString definitionWord(const Statement &s)
{
    const QString word = s.rest.section(u'\t', 0, 0);
    return tw::standardMnemonic(word) == u"EQU" ? word : QString();
}

// What the small assembly below produced: bytes by address, and every error message.
struct MiniAssembly {
    std::unique_ptr<tw::CodeImage> image = std::make_unique<tw::CodeImage>();
    QMap<int, int> bytes; // address -> byte of each statement's length
    QStringList errors;
    tw::LabelTable labels;
    tw::VariableTable variables;
};

// Two passes over normalised lines with the sizer and the encoder alone, the way the driver uses
// them: labels fixed in pass 1, variables known from their defining line on in both passes.
inline std::unique_ptr<MiniAssembly> assembleLines(const QStringList &lines)
{
    auto result = std::make_unique<MiniAssembly>();
    long long pc = 0;
    for (const QString &line : lines) {
        const Statement s = parseStatement(line);
        if (!s.label.isEmpty())
            result->labels.define(s.label, pc);
        if (!definitionWord(s).isEmpty())
            result->variables.set(s.word, s.rest.section(u'\t', 1, 1));
        pc = tw::mcs51::nextAddress(pc, s.word, s.rest, result->variables);
    }
    result->variables.clear();
    RecordingSink sink;
    tw::mcs51::EncodeContext ctx{*result->image, result->labels, result->variables, sink};
    pc = 0;
    for (const QString &line : lines) {
        const Statement s = parseStatement(line);
        const auto encoded = tw::mcs51::encodeStatement(pc, s.word, s.rest, ctx);
        for (int i = 0; i < encoded.length; ++i)
            result->bytes.insert(static_cast<int>(pc + i), (*result->image)[static_cast<int>(pc + i)]);
        pc = tw::mcs51::nextAddress(pc, s.word, s.rest, result->variables);
    }
    result->errors = sink.messages;
    return result;
}

// The same program in as31's syntax: standard mnemonics, directives with a dot, "$" as "*", quoted
// DB text in double quotes, Chinese register names in their standard form, and a variable defined
// by BIT as a flag.
inline QString toAs31(const QStringList &lines)
{
    QString out;
    for (const QString &line : lines) {
        const Statement s = parseStatement(line);
        const QString definition = definitionWord(s);
        if (!definition.isEmpty()) {
            const QString directive =
                definition == u"BIT" ? QStringLiteral("\t.flag ") : QStringLiteral("\t.equ ");
            out += directive + s.word + QStringLiteral(", ") + s.rest.section(u'\t', 1, 1) +
                   QStringLiteral("\r\n");
            continue;
        }
        QString word = tw::standardMnemonic(s.word);
        if (word == u"ORG" || word == u"DB" || word == u"DW" || word == u"END")
            word = u'.' + word;
        const qsizetype comment = s.rest.indexOf(u';');
        QStringList operands = s.rest.left(comment).split(u',');
        for (QString &operand : operands) {
            if (operand == u"$")
                operand = u'*';
            else if (operand.startsWith(u'\'') && operand.endsWith(u'\''))
                operand = u'"' + operand.mid(1, operand.size() - 2) + u'"';
            else if (std::any_of(operand.cbegin(), operand.cend(),
                                 [](QChar c) { return c.unicode() > 0x7F; }))
                operand = tw::standardRegister(operand);
        }
        if (!s.label.isEmpty())
            out += s.label + u':';
        out += u'\t' + word + u'\t' + operands.join(u',') + QStringLiteral("\r\n");
    }
    return out;
}

// The rows of a case table under tests/data/assembler (UTF-8): fields split at "|" and trimmed;
// empty lines and lines starting with "#" are skipped. Missing trailing fields read as empty.
inline QList<QStringList> readTable(const QString &relative, int fields)
{
    QList<QStringList> rows;
    const QString text = QString::fromUtf8(readBytes(dataPath(QStringLiteral("assembler/") + relative)));
    for (const QString &line : text.split(u'\n')) {
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        QStringList row = line.split(u'|');
        for (QString &field : row)
            field = field.trimmed();
        while (row.size() < fields)
            row.append(QString());
        rows.append(row);
    }
    return rows;
}

} // namespace twtest
