#include "AssemblyDriver.h"

#include "OutputFiles.h"
#include "assembler/common/Messages.h"
#include "assembler/common/Numbers.h"
#include "base/MessageStyle.h"
#include "common/Paths.h"
#include "source/Normaliser.h"

#include "common/CheckedFile.h"
#include "common/OutcomeWriter.h"

#include <algorithm>
#include <new>

namespace tw
{

namespace
{

QString normaliserFailureMessage()
{
    return QStringLiteral(u"规格化出错，请检查你的源程序！");
}

std::string putPiece(const PieceSink &put, const QByteArray &piece)
{
    return put(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
}

// Stretches of the normalised copy encoded at a time: its bytes are never held whole.
constexpr qsizetype kCopyStretch = 64 * 1024;

// The normalised copy's bytes in the source's encoding, encoded as they are written. Both
// encodings take one character at a time, so a cut anywhere but inside a surrogate pair gives the
// bytes the whole text would.
ContentWriter normalisedCopy(const QString &text, TextEncoding encoding)
{
    return [text, encoding](const PieceSink &put) {
        for (qsizetype at = 0; at < text.size();) {
            qsizetype end = std::min(at + kCopyStretch, text.size());
            if (end < text.size() && text.at(end - 1).isHighSurrogate())
                --end;
            if (std::string reason = putPiece(put, encodeOutputText(text.sliced(at, end - at), encoding));
                !reason.empty())
                return reason;
            at = end;
        }
        return std::string();
    };
}

ToolNote failureNote(const QString &message)
{
    return toolNote(message, MsgStyle::Ok + MsgStyle::Exclamation, QString::fromUtf8(kAssemblyTitle));
}

} // namespace

AssemblyDriver::AssemblyDriver(const QString &binPath, const AssemblyObserver &observer)
    : m_observer(observer)
{
    m_result.paths = outputPathsFor(binPath);
    m_outcome.title = kAssemblyTitle;
}

AssemblyOutcome AssemblyDriver::plan(const QString &sourcePath, const std::optional<QByteArray> &sourceBytes)
{
    // Not one file is touched when the run would write over its source or its own outputs.
    if (!sourceBytes && runPathsCollide(sourcePath, m_result.paths.bin)) {
        m_result.failureMessage = collidingPathsMessage();
        m_outcome.notes = {failureNote(m_result.failureMessage)};
        return {std::move(m_result), std::move(m_outcome)};
    }
    status(AsmStatus::Normalising);
    if (normalise(sourcePath, sourceBytes)) {
        try {
            status(AsmStatus::PassOne);
            passOne();
            status(AsmStatus::PassTwo);
            passTwo();
            m_inPassTwo = false;
            writeOutputs();
            m_result.completed = true;
            m_result.errorCount = m_errors.count();
        } catch (const AssemblyFailure &failure) {
            fail(failure.message());
        } catch (const std::bad_alloc &) {
            fail(outOfMemoryMessage());
        } catch (const std::exception &error) {
            // Our own fault: said as such, with the statement it stopped at, never blamed on the source.
            fail(internalErrorMessage(QString::fromUtf8(error.what()), m_lineNumber,
                                      statementAt(m_lineNumber)));
        }
    }
    return {std::move(m_result), std::move(m_outcome)};
}

AssemblyOutcome planAssembly(AsmCpu cpu, const AssemblyJob &job, const AssemblyObserver &observer)
{
    const std::unique_ptr<AssemblyDriver> assembler = cpu == AsmCpu::Mcs48
                                                          ? makeAssembler48(job.binPath, observer)
                                                          : makeAssembler51(job.binPath, observer);
    return assembler->plan(job.sourcePath, job.sourceBytes);
}

AssemblyResult assembleFile(AsmCpu cpu, const QString &sourcePath, const QString &binPath,
                            const AssemblyObserver &observer)
{
    return carryOutAssembly(planAssembly(cpu, {sourcePath, binPath, std::nullopt}, observer));
}

bool AssemblyDriver::normalise(const QString &sourcePath, const std::optional<QByteArray> &sourceBytes)
{
    if (sourcePath.size() < 3) {
        fail(normaliserFailureMessage());
        return false;
    }
    CheckedRead source;
    if (sourceBytes) {
        source.bytes = *sourceBytes;
    } else {
        // A device, a folder or a file far beyond any program is refused before it is read.
        source = readFileChecked(sourcePath, kMaxTextFileBytes);
        if (!source.ok()) {
            fail(sourceReadFailureMessage(sourcePath, source.reason));
            return false;
        }
        m_outcome.inputs.push_back(nativePath(sourcePath));
    }
    const TextFileContent content = decodeText(source.bytes);
    m_encoding = content.encoding;
    m_errors.setEncoding(m_encoding);
    m_source = normaliseText(content.text);
    const QString a51 = replaceLastThree(sourcePath, QStringLiteral("a51"));
    PlannedFile copy;
    copy.path = nativePath(a51);
    copy.content = normalisedCopy(m_source.text, m_encoding);
    m_outcome.files.push_back(std::move(copy));
    m_filesBeforePasses = m_outcome.files.size();
    m_result.normalisedPath = a51;
    return true;
}

QString AssemblyDriver::statementAt(long long lineNumber) const
{
    return lineNumber >= 1 && lineNumber <= lineCount()
               ? m_source.line(static_cast<qsizetype>(lineNumber - 1)).toString()
               : QString();
}

void AssemblyDriver::fail(const QString &message)
{
    // What the passes planned is not this run's output; the copy stays.
    m_outcome.files.erase(m_outcome.files.begin() + static_cast<std::ptrdiff_t>(m_filesBeforePasses),
                          m_outcome.files.end());
    QStringList kept;
    if (m_inPassTwo) {
        // The listing so far shows where the run stopped.
        m_inPassTwo = false;
        kept = writePartialListing();
    }
    // No output of an earlier run stays to look like this one's. They are removed only once this
    // run's files are written (a run that read no source writes none and leaves them), and files
    // are replaced whole, not removed first, so that a successful run keeps their links and modes.
    const OutputPaths &paths = m_result.paths;
    QStringList stale = removedOnFailure() + QStringList{paths.listing, paths.listingLines};
    stale.removeDuplicates();
    for (const QString &path : stale)
        if (!m_outcome.files.empty() && !kept.contains(path))
            m_outcome.stale.push_back(nativePath(path));
    m_result.completed = false;
    m_result.failureMessage = message;
    m_outcome.notes = {failureNote(message)};
}

void AssemblyDriver::status(const QString &text)
{
    if (m_observer.status)
        m_observer.status(text);
}

QString AssemblyDriver::statementText(const QString &line)
{
    return upperCase(trimBlanks(line));
}

QString AssemblyDriver::scanText(qsizetype index)
{
    const QString line = lineAt(index);
    const auto at = static_cast<std::size_t>(index);
    if (m_inPassTwo && at < m_rewritten.size() && !m_rewritten[at])
        return line;
    QString text = statementText(line);
    if (!m_inPassTwo) {
        if (m_rewritten.size() != static_cast<std::size_t>(lineCount()))
            m_rewritten.assign(static_cast<std::size_t>(lineCount()), true);
        // Both steps give the line itself back when they change nothing.
        m_rewritten[at] = text.constData() != line.constData() || text.size() != line.size();
    }
    return text;
}

void AssemblyDriver::startPassTwo()
{
    m_inPassTwo = true;
    m_pc = 0;
    m_lineNumber = 0;
    m_errors.clear();
    m_listing.clear();
    m_placedLabels.clear();
    if (m_observer.passTwoStarts)
        m_observer.passTwoStarts(m_linesRead);
}

void AssemblyDriver::reserveListing()
{
    // A statement of many bytes (DB) continues on lines of its own; a non-ASCII line may take
    // up to three bytes a character: room beyond this is made as the listing grows.
    m_listing.reserve(2 * m_source.text.size() + 48 * lineCount() + 64);
}

void AssemblyDriver::passTwoLineStarts()
{
    if (m_observer.lineDone)
        m_observer.lineDone();
}

namespace
{

// Operands are cut at these characters, so a label holding one could never be named.
bool isLabelName(QStringView name)
{
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == u',' || c == u'，' || c == u';' || c == u'；' || c == u' ' || c == u'\t';
    });
}

} // namespace

bool AssemblyDriver::isNewLabel(const QString &name)
{
    if (!isLabelName(name))
        return false;
    if (m_labels.contains(name)) {
        m_duplicates.add(name);
        return false;
    }
    if (m_labels.count() >= kMaxLabels)
        throw AssemblyFailure(tooManyLabelsMessage());
    return true;
}

void AssemblyDriver::checkLabel(const QString &name, bool badEquValue, bool placedHere)
{
    if (!isLabelName(name)) {
        m_errors.record(kIllegalOperandError);
        return;
    }
    for (int i = m_duplicates.countOf(name); i > 0; --i)
        m_errors.record(kDuplicateLabelError);
    if (badEquValue)
        m_errors.record(kIllegalOperandError);
    // Jumps were encoded with pass 1's address: code placed elsewhere would jump wrong.
    if (placedHere && m_placedLabels.find(QStringView(name)) == m_placedLabels.end()) {
        m_placedLabels.emplace(QStringView(name).toString()); // name may borrow the line's text
        const long long *value = m_labels.find(name);
        if (!value || *value != m_pc)
            m_errors.record(kLabelAddressError);
    }
}

void AssemblyDriver::writeFile(const QString &path, std::initializer_list<QByteArray> pieces)
{
    PlannedFile file;
    file.path = nativePath(path);
    file.content = [pieces = std::vector<QByteArray>(pieces)](const PieceSink &put) {
        for (const QByteArray &piece : pieces)
            if (std::string reason = piece.isEmpty() ? std::string() : putPiece(put, piece); !reason.empty())
                return reason;
        return std::string();
    };
    m_outcome.files.push_back(std::move(file));
}

void AssemblyDriver::writeReportAndImage()
{
    const OutputPaths &paths = m_result.paths;
    const QByteArray heading = errorReportHeadingBytes(m_errors.count(), m_encoding);
    writeFile(paths.errorReport, {heading, m_errors.lines(), m_errors.count() > 0 ? "\r\n" : ""});
    const int length = codeImageLength(*m_image, m_highestEmitted);
    writeFile(paths.bin, {QByteArray(reinterpret_cast<const char *>(m_image->bytes.data()), length)});
}

} // namespace tw
