#include "disassembler/DisasmSupport.h"

#include "support/TestFiles.h"

#include "common/TextFile.h"
#include "disassembler/Disassemble48.h"
#include "disassembler/Disassemble51.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace distest
{

namespace
{

template <typename Message> QStringList messageTexts(const std::vector<Message> &messages)
{
    QStringList out;
    for (const Message &m : messages)
        out << QStringLiteral("%1|%2|%3").arg(m.title).arg(m.style).arg(m.text);
    return out;
}

QString unescape(QString text)
{
    return text.replace(u"\\r"_qs, u"\r"_qs).replace(u"\\n"_qs, u"\n"_qs).replace(u"\\t"_qs, u"\t"_qs);
}

struct Check {
    QString file;
    QString op;
    QString text;
    int count = 0;
};

struct Case {
    QString name;
    JobInput input;
    QByteArray before;
    std::optional<QString> preset;
    QString result;
    QStringList says;
    bool drive = false;
    std::vector<Check> checks;
};

QByteArray filled(const QString &size, const QString &fill)
{
    return QByteArray(size.toInt(nullptr, 16),
                      static_cast<char>(fill.isEmpty() ? 0 : fill.toInt(nullptr, 16)));
}

std::vector<Case> parseCases(const QString &path)
{
    std::vector<Case> cases;
    const QString text = QString::fromUtf8(twtest::readBytes(path));
    EXPECT_FALSE(text.isEmpty()) << path.toStdString();
    for (const QString &line : text.split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype blank = line.indexOf(u' ');
        const QString key = line.left(blank);
        const QString rest = blank < 0 ? QString() : line.mid(blank + 1);
        const QStringList words = rest.split(u' ', Qt::SkipEmptyParts);
        if (key == u"case") {
            cases.push_back({});
            cases.back().name = rest;
            continue;
        }
        if (cases.empty()) {
            ADD_FAILURE() << "before the first case: " << line.toStdString();
            continue;
        }
        Case &c = cases.back();
        if (key == u"image") {
            c.input.bin = filled(words.value(0), words.value(1));
        } else if (key == u"at") {
            const QStringList head = rest.section(u':', 0, 0).split(u' ');
            const int address = head.value(0).toInt(nullptr, 16);
            const QByteArray bytes = QByteArray::fromHex(rest.section(u':', 1).toLatin1())
                                         .repeated(head.size() > 1 ? head[1].mid(1).toInt() : 1);
            if (c.input.bin.size() < address + bytes.size())
                c.input.bin.resize(address + bytes.size(), '\0');
            c.input.bin.replace(address, bytes.size(), bytes);
        } else if (key == u"start" || key == u"end") {
            (key == u"start" ? c.input.start : c.input.end) = rest;
        } else if (key == u"partial" || key == u"nofile" || key == u"drive") {
            (key == u"partial" ? c.input.partial : key == u"nofile" ? c.input.noFile : c.drive) = true;
        } else if (key == u"before") {
            c.before = filled(words.value(0), words.value(1));
        } else if (key == u"preset") {
            c.preset = unescape(rest);
        } else if (key == u"out") {
            c.input.out = rest;
        } else if (key == u"result") {
            c.result = rest;
        } else if (key == u"say") {
            c.says << unescape(rest);
        } else if (key == u"asm" || key == u"lst" || key == u"err") {
            Check check{key, words.value(0), unescape(rest.mid(rest.indexOf(u' ') + 1))};
            if (check.op == u"none")
                check.text.clear();
            if (check.op == u"count") {
                check.count = words.value(1).toInt();
                check.text = unescape(rest.section(u' ', 2));
            }
            if (check.op == u"=" && !c.checks.empty() && c.checks.back().op == u"=" &&
                c.checks.back().file == key)
                c.checks.back().text += check.text;
            else
                c.checks.push_back(check);
        } else {
            ADD_FAILURE() << "unknown line: " << line.toStdString();
        }
    }
    return cases;
}

void checkFile(const Job &job, const Check &check)
{
    const QByteArray actual = job.files.value(check.file);
    const QByteArray expected = tw::encodeText(check.text);
    const std::string shown = QString::fromLatin1(actual).toStdString();
    if (check.op == u"none")
        EXPECT_FALSE(job.files.contains(check.file)) << check.file.toStdString() << " exists";
    else if (!job.files.contains(check.file))
        ADD_FAILURE() << check.file.toStdString() << " missing";
    else if (check.op == u"=")
        EXPECT_EQ(actual.toStdString(), expected.toStdString());
    else if (check.op == u"~")
        EXPECT_TRUE(actual.contains(expected)) << check.text.toStdString() << " not in\n" << shown;
    else if (check.op == u"$")
        EXPECT_TRUE(actual.endsWith(expected)) << shown;
    else if (check.op == u"!")
        EXPECT_FALSE(actual.contains(expected)) << check.text.toStdString();
    else if (check.op == u"count")
        EXPECT_EQ(actual.count(expected), check.count) << check.text.toStdString();
    else if (check.op == u"sound")
        EXPECT_EQ(readOutput(actual).problems.join(u'\n').toStdString(), "");
    else if (check.op == u"at")
        EXPECT_EQ(readOutput(actual).code[check.text.section(u' ', 0, 0).toLong(nullptr, 16)].toStdString(),
                  check.text.section(u' ', 1).toStdString());
    else
        ADD_FAILURE() << "unknown check " << check.op.toStdString();
}

// The same job through twdrive: the exit status and the files agree.
void checkDriver(Cpu cpu, const Case &c, const Job &job)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    twtest::writeBytes(dir.filePath(u"in.bin"_qs), c.input.bin);
    QStringList args = {cpu == Cpu::Mcs51 ? u"dis51"_qs : u"dis48"_qs, dir.filePath(u"in.bin"_qs),
                        dir.filePath(c.input.out)};
    if (!c.input.start.isEmpty() || !c.input.end.isEmpty())
        args << c.input.start << c.input.end;
    const twtest::ProcessResult run = twtest::runDriver(args);
    EXPECT_EQ(run.exitCode, job.result == u"ok" ? 0 : 1);
    for (auto it = job.files.begin(); it != job.files.end(); ++it) {
        const QString name = it.key() == u"asm" ? c.input.out : u"in."_qs + it.key();
        EXPECT_EQ(twtest::readBytes(dir.filePath(name)), it.value()) << name.toStdString();
    }
}

} // namespace

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out += static_cast<char>(value);
    return out;
}

Job runJob(Cpu cpu, const QString &dir, const JobInput &input)
{
    const QString bin = QDir(dir).filePath(u"in.bin"_qs);
    const QString out = QDir(dir).filePath(input.out);
    if (!input.noFile)
        twtest::writeBytes(bin, input.bin);
    Job job;
    QStringList written;
    if (cpu == Cpu::Mcs51) {
        const tw::Disasm51Result r = tw::disassemble51({bin, out, QString(), input.start, input.end});
        job.result = r.outcome == tw::DisasmOutcome::Completed      ? u"ok"_qs
                     : r.outcome == tw::DisasmOutcome::InputTooLong ? u"too-long"_qs
                                                                    : u"failed"_qs;
        job.messages = messageTexts(r.messages);
        written = r.filesWritten;
        EXPECT_EQ(r.openPath, job.result == u"ok" ? out : QString());
    } else {
        const tw::Disasm48Outcome r = tw::Disassemble48({bin, out, input.start, input.end, input.partial});
        job.result = r.succeeded ? u"ok"_qs : u"failed"_qs;
        job.messages = messageTexts(r.messages);
        written = r.filesWritten;
        EXPECT_EQ(r.opensOutputOnYes, r.succeeded);
        EXPECT_EQ(r.proposedOutputPath, QDir(dir).filePath(u"in.asm"_qs));
        EXPECT_EQ(r.dumpPath, QDir(dir).filePath(u"in.err"_qs));
    }
    for (const QString &path : written)
        job.written << QFileInfo(path).suffix();
    for (const QString &suffix : {u"asm"_qs, u"lst"_qs, u"err"_qs}) {
        const QString path = suffix == u"asm" ? out : QDir(dir).filePath(u"in."_qs + suffix);
        if (QFile::exists(path))
            job.files[suffix] = twtest::readBytes(path);
    }
    return job;
}

Job runJob(Cpu cpu, const QString &dir, const QByteArray &bin, const QString &start, const QString &end)
{
    JobInput input;
    input.bin = bin;
    input.start = start;
    input.end = end;
    return runJob(cpu, dir, input);
}

void runCaseFile(Cpu cpu, const QString &relativePath)
{
    const std::vector<Case> cases = parseCases(twtest::dataPath(relativePath));
    EXPECT_FALSE(cases.empty());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        if (!c.before.isEmpty())
            runJob(cpu, dir.path(), c.before);
        if (c.preset)
            twtest::writeBytes(dir.filePath(c.input.out), tw::encodeText(*c.preset));
        const Job job = runJob(cpu, dir.path(), c.input);
        EXPECT_EQ(job.result, c.result.isEmpty() ? u"ok"_qs : c.result);
        if (!c.says.isEmpty()) {
            EXPECT_EQ(job.messages.join(u'\n').toStdString(), c.says.join(u'\n').toStdString());
        }
        // What the job says it wrote is what is there.
        QStringList written = job.written;
        written.sort();
        if (!c.preset && c.before.isEmpty()) {
            EXPECT_EQ(written, job.files.keys());
        }
        for (const Check &check : c.checks)
            checkFile(job, check);
        if (c.drive)
            checkDriver(cpu, c, job);
    }
}

Listing readOutput(const QByteArray &text)
{
    Listing out;
    static const QRegularExpression equ(u"^(L\\d+): EQU  ([0-9A-F]{4})H$"_qs);
    static const QRegularExpression prefix(u"^(L\\d+): (.*)$"_qs);
    static const QRegularExpression org(u"^ORG ([0-9A-F]{4})H$"_qs);
    static const QRegularExpression operand(u"([ ,])(L\\d+)$"_qs);
    std::map<QString, long> labels;
    std::map<long, QString> unresolved;
    long pc = -1;
    const QStringList lines = tw::splitLines(QString::fromLatin1(text));
    for (QString line : lines.mid(1)) {
        if (line == u"END")
            break;
        QRegularExpressionMatch m;
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (m = org.match(line); m.hasMatch()) {
            pc = m.captured(1).toLong(nullptr, 16);
            continue;
        }
        long address = pc;
        if (m = equ.match(line); m.hasMatch())
            address = m.captured(2).toLong(nullptr, 16);
        else if (pc < 0)
            out.problems << u"before ORG: "_qs + line;
        if (m = prefix.match(line); m.hasMatch()) {
            if (labels.count(m.captured(1)))
                out.problems << u"defined twice: "_qs + line;
            labels[m.captured(1)] = address;
            line = m.captured(2);
        }
        if (line.startsWith(u"EQU"))
            continue;
        if (line.startsWith(u"DB ")) {
            for (const QString &item : line.mid(3).split(u", "_qs))
                out.data[pc++] = static_cast<std::uint8_t>(item.chopped(1).toUInt(nullptr, 16));
            continue;
        }
        if (line.endsWith(u' ') || line.endsWith(u','))
            out.problems << u"empty operand: "_qs + line;
        const bool target = operand.match(line).hasMatch();
        out.lengths[pc] = target || line.contains(u'#') ? 2 : 1;
        unresolved[pc] = line;
        pc += out.lengths[pc];
    }
    for (auto &[address, statement] : unresolved) {
        const QRegularExpressionMatch m = operand.match(statement);
        if (m.hasMatch()) {
            const auto label = labels.find(m.captured(2));
            if (label == labels.end())
                out.problems << u"undefined label: "_qs + statement;
            else
                statement = statement.left(m.capturedStart(2)) + u'>' +
                            u"%1"_qs.arg(label->second, 4, 16, QChar(u'0')).toUpper();
        }
        out.code[address] = statement;
    }
    out.labels = static_cast<int>(labels.size());
    return out;
}

} // namespace distest
