#pragma once
// What the MCS-51 and MCS-48 drivers share: the run from normalising through both passes to the
// output files, the failure that ends it, and the label and file bookkeeping of the passes.
#include "AssemblyRun.h"
#include "DuplicateList.h"
#include "ErrorList.h"
#include "assembler/common/Symbols.h"
#include "base/CodeImage.h"
#include "common/TextFile.h"
#include "source/Normaliser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

namespace tw
{

class AssemblyDriver
{
  public:
    AssemblyDriver(const QString &binPath, const AssemblyObserver &observer);
    virtual ~AssemblyDriver() = default;
    AssemblyDriver(const AssemblyDriver &) = delete;
    AssemblyDriver &operator=(const AssemblyDriver &) = delete;

    // Normalise, pass 1, pass 2, and the outputs planned; nothing is written. An AssemblyFailure
    // ends the run as a failure with its message; anything else the passes throw is reported as an
    // internal error. sourceBytes, when given, stand in for the file at sourcePath. Once a driver.
    AssemblyOutcome plan(const QString &sourcePath, const std::optional<QByteArray> &sourceBytes = {});

  protected:
    virtual void passOne() = 0;
    virtual void passTwo() = 0;
    // Writes the outputs into the run's outcome (writeFile).
    virtual void writeOutputs() = 0;
    // A failure in pass 2 keeps the listing gathered so far: writes it into the outcome and gives
    // its files.
    virtual QStringList writePartialListing() = 0;
    // The output files a failed run leaves stale, apart from those writePartialListing() wrote.
    virtual QStringList removedOnFailure() const = 0;

    void status(const QString &text);
    // A line as the word scan reads it: blanks (not TABs) trimmed at both ends, upper-cased.
    static QString statementText(const QString &line);
    // statementText of the copy's line index. Pass 1 notes the lines that are so already (in the
    // normalised copy nearly all are), and pass 2 takes those as they stand.
    QString scanText(qsizetype index);
    // Pass 2 starts over the lines from address 0 with no errors recorded.
    void startPassTwo();
    // Room for the listing of the whole source, taken once: address and code fields, line number
    // and the line itself. Pages of it never written cost no memory.
    void reserveListing();
    // Pass 2 reads one more line: tells the observer.
    void passTwoLineStarts();
    // Pass 1 met the label name: a second definition only counts as a duplicate, a name no
    // operand could ever name is not entered. True when the caller enters it; throws when the
    // table is full.
    bool isNewLabel(const QString &name);
    // Pass 2 met the label name: one error for a name no operand could ever name, for each
    // duplicate definition, for an EQU value that is no code address; and, for a label that
    // stands for its line's address, one when pass 1 gave it another address.
    void checkLabel(const QString &name, bool badEquValue, bool placedHere);

    // Puts a generated file into the run's outcome, its bytes the pieces one after the other. The
    // pieces are shared, not copied (the listing is most of two files), and never joined: they are
    // written as they stand when the outcome is carried out.
    void writeFile(const QString &path, std::initializer_list<QByteArray> pieces);
    // The error report, then the code image up to the highest address filled.
    void writeReportAndImage();

    const AssemblyObserver &m_observer;
    AssemblyResult m_result;
    ToolOutcome m_outcome;
    NormalisedSource m_source; // the normalised copy
    qsizetype lineCount() const { return m_source.lineCount(); }
    // Line index of the normalised copy, as a string over the copy's own characters.
    QString lineAt(qsizetype index) const
    {
        const QStringView line = m_source.line(index);
        return QString::fromRawData(line.data(), line.size());
    }
    TextEncoding m_encoding = TextEncoding::Gbk;

    std::unique_ptr<CodeImage> m_image = std::make_unique<CodeImage>();
    LabelTable m_labels;
    DuplicateList m_duplicates;
    ErrorList m_errors;
    long long m_pc = 0;
    long long m_lineNumber = 0;
    int m_linesRead = 0;
    // Highest address a statement of pass 2 filled: the code image is written up to here, so
    // trailing zero bytes of tables and strings reach the chip.
    int m_highestEmitted = -1;
    bool m_inPassTwo = false;
    QByteArray m_listing; // the listing lines, in the source's encoding

  private:
    std::vector<bool> m_rewritten; // by line: statementText changed it in pass 1
    // Labels pass 2 has met, so that only a first definition is compared with pass 1.
    TextSet m_placedLabels;
    // Files of the outcome planned before the passes: the normalised copy.
    std::size_t m_filesBeforePasses = 0;
    // Reads the source (bounded) unless its bytes are given, and plans its normalised copy
    // (source.a51, the path less its last three characters, "a51") in the source's encoding; the
    // passes read its lines. On a failure it ends the run with a message naming the file and the
    // reason, and returns false.
    bool normalise(const QString &sourcePath, const std::optional<QByteArray> &sourceBytes);
    // The normalised line of a 1-based line number; empty outside the copy.
    QString statementAt(long long lineNumber) const;
    void fail(const QString &message);
};

// Each CPU's passes over the run (Assemble51.cpp, Assemble48.cpp), as planAssembly makes them.
std::unique_ptr<AssemblyDriver> makeAssembler51(const QString &binPath, const AssemblyObserver &observer);
std::unique_ptr<AssemblyDriver> makeAssembler48(const QString &binPath, const AssemblyObserver &observer);

} // namespace tw
