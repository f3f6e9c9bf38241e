#include "AssemblyDriver.h"

#include "Normaliser.h"
#include "Numbers.h"
#include "OutputFiles.h"
#include "assembler/common/Messages.h"

#include <QFile>

namespace tw
{

AssemblyDriver::AssemblyDriver(const QString &binPath, const AssemblyObserver &observer)
    : m_observer(observer)
{
    m_result.paths = outputPathsFor(binPath);
}

AssemblyResult AssemblyDriver::run(const QString &sourcePath)
{
    // Whatever happens, no listing of an earlier run stays to look like this one's.
    QFile::remove(m_result.paths.listing);
    QFile::remove(m_result.paths.listingLines);
    status(AsmStatus::Normalising);
    auto a51 = normaliseSourceFile(sourcePath);
    if (!a51) {
        fail(normaliserFailureMessage());
        return m_result;
    }
    m_result.normalisedPath = a51->path;
    m_lines = std::move(a51->lines);
    m_encoding = a51->encoding;
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
    } catch (const std::exception &) {
        fail(unrecognisedStatementMessage());
    }
    return m_result;
}

void AssemblyDriver::fail(const QString &message)
{
    QStringList kept;
    if (m_inPassTwo) {
        // The listing so far shows where the run stopped.
        m_inPassTwo = false;
        try {
            kept = writePartialListing();
        } catch (const AssemblyFailure &) {
        }
    }
    for (const QString &path : removedOnFailure())
        if (!kept.contains(path))
            QFile::remove(path);
    m_result.completed = false;
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

void AssemblyDriver::startPassTwo()
{
    m_inPassTwo = true;
    m_pc = 0;
    m_lineNumber = 0;
    m_errors.clear();
    m_listing.clear();
    if (m_observer.passTwoStarts)
        m_observer.passTwoStarts(m_linesRead);
}

void AssemblyDriver::passTwoLineStarts()
{
    if (m_observer.lineDone)
        m_observer.lineDone();
}

bool AssemblyDriver::isNewLabel(const QString &name)
{
    if (m_labels.contains(name)) {
        m_duplicates.add(name);
        return false;
    }
    if (m_labels.count() >= kMaxLabels)
        throw AssemblyFailure(tooManyLabelsMessage());
    return true;
}

void AssemblyDriver::checkLabel(const QString &name, bool badEquValue)
{
    for (int i = m_duplicates.countOf(name); i > 0; --i)
        m_errors.record(kDuplicateLabelError);
    if (badEquValue)
        m_errors.record(kIllegalOperandError);
}

void AssemblyDriver::writeFile(const QString &path, const QByteArray &bytes)
{
    if (!writeBinaryFile(path, bytes, WriteSync::Generated))
        throw AssemblyFailure(QStringLiteral(u"文件写入失败：") + path);
    m_result.filesWritten << path;
}

void AssemblyDriver::writeText(const QString &path, const QString &text)
{
    writeFile(path, encodeOutputText(text, m_encoding));
}

void AssemblyDriver::writeReportAndImage()
{
    const OutputPaths &paths = m_result.paths;
    writeText(paths.errorReport, errorReportText(m_errors.count(), m_errors.text()));
    QFile::remove(paths.bin);
    const int length = codeImageLength(*m_image, m_highestEmitted);
    writeFile(paths.bin, QByteArray(reinterpret_cast<const char *>(m_image->bytes.data()), length));
}

} // namespace tw
