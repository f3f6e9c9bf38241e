#include "AssemblyDriver.h"

#include "Numbers.h"
#include "OutputFiles.h"
#include "assembler/common/Messages.h"
#include "common/Paths.h"
#include "source/Normaliser.h"

#include "common/CheckedFile.h"

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

} // namespace

AssemblyDriver::AssemblyDriver(const QString &binPath, const AssemblyObserver &observer)
    : m_observer(observer)
{
    m_result.paths = outputPathsFor(binPath);
}

AssemblyResult AssemblyDriver::run(const QString &sourcePath)
{
    // Not one file is touched when the run would write over its source or its own outputs.
    if (runPathsCollide(sourcePath, m_result.paths.bin)) {
        m_result.failureMessage = collidingPathsMessage();
        return m_result;
    }
    status(AsmStatus::Normalising);
    if (!normalise(sourcePath))
        return m_result;
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
        fail(internalErrorMessage(QString::fromUtf8(error.what()), m_lineNumber, statementAt(m_lineNumber)));
    }
    return m_result;
}

bool AssemblyDriver::normalise(const QString &sourcePath)
{
    if (sourcePath.size() < 3) {
        fail(normaliserFailureMessage());
        return false;
    }
    // A device, a folder or a file far beyond any program is refused before it is read.
    const CheckedRead source = readFileChecked(sourcePath, kMaxTextFileBytes);
    if (!source.ok()) {
        fail(sourceReadFailureMessage(sourcePath, source.reason));
        return false;
    }
    const TextFileContent content = decodeText(source.bytes);
    m_encoding = content.encoding;
    m_errors.setEncoding(m_encoding);
    NormalisedSource normalised = normaliseText(content.text);
    const QString a51 = replaceLastThree(sourcePath, QStringLiteral("a51"));
    const QString reason =
        replaceFileChecked(a51, encodeOutputText(normalised.text, m_encoding), WriteSync::Generated);
    if (!reason.isEmpty()) {
        fail(writeFailureMessage(a51, reason));
        return false;
    }
    m_result.normalisedPath = a51;
    m_source = std::move(normalised);
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
    QStringList kept;
    if (m_inPassTwo) {
        // The listing so far shows where the run stopped; when even that cannot be written, the
        // run's own message still stands, with the listing's fault added to it.
        m_inPassTwo = false;
        try {
            kept = writePartialListing();
        } catch (const AssemblyFailure &failure) {
            m_result.failureMessage = message + QStringLiteral("\r\n") + failure.message();
        }
    }
    // No output of an earlier run stays to look like this one's. Files are replaced whole, not
    // removed first, so that a successful run keeps their links and modes.
    const OutputPaths &paths = m_result.paths;
    for (const QString &path : removedOnFailure() + QStringList{paths.listing, paths.listingLines})
        if (!kept.contains(path))
            removeStaleOutput(path);
    m_result.completed = false;
    if (m_result.failureMessage.isEmpty())
        m_result.failureMessage = message;
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

void AssemblyDriver::writeFile(const QString &path, const QByteArray &bytes)
{
    writeFile(path, {QByteArrayView(bytes)});
}

void AssemblyDriver::writeFile(const QString &path, std::initializer_list<QByteArrayView> pieces)
{
    const QString reason = replaceFileChecked(
        path, std::span<const QByteArrayView>(pieces.begin(), pieces.size()), WriteSync::Generated);
    if (!reason.isEmpty())
        throw AssemblyFailure(writeFailureMessage(path, reason));
    m_result.filesWritten << path;
}

void AssemblyDriver::writeReportAndImage()
{
    const OutputPaths &paths = m_result.paths;
    const QByteArray heading = errorReportHeadingBytes(m_errors.count(), m_encoding);
    writeFile(paths.errorReport, {heading, m_errors.lines(), m_errors.count() > 0 ? "\r\n" : ""});
    const int length = codeImageLength(*m_image, m_highestEmitted);
    writeFile(paths.bin, QByteArray(reinterpret_cast<const char *>(m_image->bytes.data()), length));
}

} // namespace tw
