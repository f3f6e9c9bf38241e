#include "disassembler/DisasmSupport.h"

#include "support/TestFiles.h"

#include "base/FileNames.h"
#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
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

// The file a disassembly writes beside its output, for a path as the window holds it.
QString sideFilePath(const QString &output, const char *ending)
{
    return tw::fromNativePath(tw::sideFilePath(tw::nativePath(output), ending));
}

QStringList messageTexts(const tw::ScriptedPrompter &prompter)
{
    QStringList out;
    for (const tw::ScriptedPrompter::Call &call : prompter.calls())
        out << QStringLiteral("%1|%2|%3").arg(call.title).arg(call.style).arg(call.text);
    return out;
}

// What became of the job: the disassembler's status, then what the writer made of its plan.
QString resultText(tw::DisasmStatus status, tw::WriteResult written)
{
    switch (status) {
    case tw::DisasmStatus::Unreadable:
        return u"refused"_qs;
    case tw::DisasmStatus::InputTooLong:
        return u"too-long"_qs;
    case tw::DisasmStatus::Failed:
        return u"failed"_qs;
    case tw::DisasmStatus::Completed:
        break;
    }
    return written == tw::WriteResult::Written    ? u"ok"_qs
           : written == tw::WriteResult::Declined ? u"declined"_qs
                                                  : u"unwritten"_qs;
}

QString unescape(QString text)
{
    return text.replace(u"\\r"_qs, u"\r"_qs).replace(u"\\n"_qs, u"\n"_qs).replace(u"\\t"_qs, u"\t"_qs);
}

// One expectation on a file of the job: "FILE OP TEXT" as the case files write it.
void checkFile(const Job &job, const QString &file, const QString &op, const QString &text)
{
    const QByteArray actual = job.files.value(file);
    const QByteArray expected = tw::encodeText(text);
    const std::string shown = text.toStdString() + "\nin\n" + QString::fromLatin1(actual).toStdString();
    if (op == u"none")
        EXPECT_FALSE(job.files.contains(file)) << file.toStdString() << " exists";
    else if (!job.files.contains(file))
        ADD_FAILURE() << file.toStdString() << " missing";
    else if (op == u"=")
        EXPECT_EQ(actual, expected);
    else if (op == u"~")
        EXPECT_TRUE(actual.contains(expected)) << shown;
    else if (op == u"$")
        EXPECT_TRUE(actual.endsWith(expected)) << shown;
    else if (op == u"!")
        EXPECT_FALSE(actual.contains(expected)) << shown;
    else if (op == u"count")
        EXPECT_EQ(actual.count(tw::encodeText(text.section(u' ', 1))), text.section(u' ', 0, 0).toInt());
    else if (op == u"sound")
        EXPECT_EQ(readOutput(actual).problems, QStringList());
    else if (op == u"at")
        EXPECT_EQ(readOutput(actual).code[text.section(u' ', 0, 0).toLong(nullptr, 16)],
                  text.section(u' ', 1));
    else
        ADD_FAILURE() << "unknown check " << op.toStdString();
}

// The same job through twdrive: the exit status and the files agree.
void checkDriver(Cpu cpu, const JobInput &input, const Job &job)
{
    QTemporaryDir dir;
    twtest::writeBytes(dir.filePath(u"in.bin"_qs), input.bin);
    QStringList args = {cpu == Cpu::Mcs51 ? u"dis51"_qs : u"dis48"_qs, dir.filePath(u"in.bin"_qs),
                        dir.filePath(input.out)};
    if (!input.start.isEmpty() || !input.end.isEmpty())
        args << input.start << input.end;
    EXPECT_EQ(twtest::runDriver(args).exitCode, job.result == u"ok" ? 0 : 1);
    for (auto it = job.files.begin(); it != job.files.end(); ++it) {
        const QString out = dir.filePath(input.out);
        const QString path = it.key() == u"asm" ? out : sideFilePath(out, it.key().toLatin1().constData());
        EXPECT_EQ(twtest::readBytes(path), it.value()) << path.toStdString();
    }
}

// One case: its "case" line and the lines up to the next one.
void runCase(Cpu cpu, const QStringList &lines)
{
    SCOPED_TRACE(lines.value(0).toStdString());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    JobInput input;
    QByteArray before;
    std::optional<QString> preset;
    bool drive = false;
    QStringList expectations;
    const auto filled = [](const QStringList &words) {
        return QByteArray(words.value(0).toInt(nullptr, 16),
                          static_cast<char>(words.value(1).toInt(nullptr, 16)));
    };
    for (const QString &line : lines.mid(1)) {
        const QString key = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        if (key == u"image") {
            input.bin = filled(rest.split(u' '));
        } else if (key == u"at") {
            const QStringList head = rest.section(u':', 0, 0).split(u' ');
            const int address = head.value(0).toInt(nullptr, 16);
            const QByteArray bytes = QByteArray::fromHex(rest.section(u':', 1).toLatin1())
                                         .repeated(head.size() > 1 ? head[1].mid(1).toInt() : 1);
            if (input.bin.size() < address + bytes.size())
                input.bin.resize(address + bytes.size(), '\0');
            input.bin.replace(address, bytes.size(), bytes);
        } else if (key == u"start" || key == u"end") {
            (key == u"start" ? input.start : input.end) = rest;
        } else if (key == u"partial" || key == u"nofile" || key == u"drive") {
            (key == u"partial" ? input.partial : key == u"nofile" ? input.noFile : drive) = true;
        } else if (key == u"before") {
            before = filled(rest.split(u' '));
        } else if (key == u"preset") {
            preset = rest;
        } else if (key == u"out") {
            input.out = rest;
        } else if (!line.isEmpty() && !line.startsWith(u'#')) {
            expectations << line;
        }
    }
    if (!before.isEmpty())
        runJob(cpu, dir.path(), before);
    if (preset)
        twtest::writeBytes(dir.filePath(input.out), tw::encodeText(*preset));
    const Job job = runJob(cpu, dir.path(), input);
    QString result = u"ok"_qs;
    QStringList says;
    QMap<QString, QString> whole;
    for (const QString &line : expectations) {
        const QString key = line.section(u' ', 0, 0);
        const QString op = line.section(u' ', 1, 1);
        if (key == u"result")
            result = op;
        else if (key == u"say")
            says << unescape(line.section(u' ', 1));
        else if (op == u"=")
            whole[key] += unescape(line.section(u' ', 2));
        else
            checkFile(job, key, op, unescape(line.section(u' ', 2)));
    }
    EXPECT_EQ(job.result, result);
    if (!says.isEmpty()) {
        EXPECT_EQ(job.messages, says);
    }
    for (auto it = whole.begin(); it != whole.end(); ++it)
        checkFile(job, it.key(), u"="_qs, it.value());
    // What the job says it wrote is what is there.
    QStringList written = job.written;
    written.sort();
    if (!preset && before.isEmpty()) {
        EXPECT_EQ(written, job.files.keys());
    }
    if (drive)
        checkDriver(cpu, input, job);
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
    // The disassemblers take file-name bytes and UTF-8 address texts, as the window gives them.
    const std::string binPath = tw::nativePath(bin);
    const std::string outPath = tw::nativePath(out);
    const std::string start = input.start.toStdString();
    const std::string end = input.end.toStdString();
    tw::DisasmStatus status;
    tw::ToolOutcome outcome;
    if (cpu == Cpu::Mcs51) {
        const tw::Disasm51Result r = tw::disassemble51({binPath, outPath, start, end});
        status = r.status;
        outcome = r.outcome;
    } else {
        const tw::Disasm48Result r = tw::disassemble48({binPath, outPath, start, end, input.partial});
        status = r.status;
        outcome = r.outcome;
        EXPECT_EQ(tw::fromNativePath(r.proposedOutputPath), QDir(dir).filePath(u"in.asm"_qs));
        EXPECT_EQ(tw::fromNativePath(r.dumpPath), sideFilePath(out, "err"));
    }
    EXPECT_EQ(outcome.openOnYes, status == tw::DisasmStatus::Completed ? tw::nativePath(out) : std::string());
    // The writer keeps every output off the image, under any name.
    EXPECT_EQ(outcome.inputs, std::vector<std::string>{binPath});
    // The window's writer, every box answered with its first button (Yes, OK).
    tw::ScriptedPrompter prompter;
    const tw::CarriedOut carried = tw::carryOut(outcome, prompter);
    Job job;
    job.result = resultText(status, carried.result);
    job.messages = messageTexts(prompter);
    for (const std::string &path : carried.written)
        job.written << QFileInfo(tw::fromNativePath(path)).suffix();
    for (const QString &suffix : {u"asm"_qs, u"lst"_qs, u"err"_qs}) {
        const QString path = suffix == u"asm" ? out : sideFilePath(out, suffix.toLatin1().constData());
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

QByteArray reassemble(Cpu cpu, const QString &dir, int size)
{
    const QString bin = QDir(dir).filePath(u"in.bin"_qs);
    QFile::remove(bin);
    const twtest::ProcessResult run =
        twtest::runDriver({cpu == Cpu::Mcs51 ? u"asm51"_qs : u"asm48"_qs, QDir(dir).filePath(u"in.asm"_qs)});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    QByteArray image = twtest::readBytes(bin);
    image.resize(size, '\0');
    return image;
}

void runCases(Cpu cpu, const QString &text)
{
    const QStringList cases = (u'\n' + text).split(u"\ncase "_qs).mid(1);
    EXPECT_FALSE(cases.isEmpty());
    for (const QString &block : cases)
        runCase(cpu, block.split(u'\n'));
}

void runCaseFile(Cpu cpu, const QString &relativePath)
{
    runCases(cpu, QString::fromUtf8(twtest::readBytes(twtest::dataPath(relativePath))));
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
            pc += line.count(u',') + 1;
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
