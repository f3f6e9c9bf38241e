#pragma once
// What an assembly run reports to whoever started it (the assembler window, the test driver).
#include "OutputFiles.h"
#include "base/ToolOutcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tw
{

// Progress callbacks; any may be empty.
struct AssemblyObserver {
    std::function<void(const QString &)> status;    // the status text changed
    std::function<void(int maximum)> passTwoStarts; // pass 2 begins over this many lines
    std::function<void()> lineDone;                 // pass 2 read one more line
};

namespace AsmStatus
{
inline const QString Normalising = QStringLiteral(u"  正在对源程序进行规格化处理，请等待...");
inline const QString PassOne = QStringLiteral(u"正在进行第一遍扫描，请等待...");
inline const QString PassTwo = QStringLiteral(u"正在进行第二遍扫描，请等待...");
} // namespace AsmStatus

// The caption of the run's boxes: its failure, a file fault, the end questions.
inline constexpr const char *kAssemblyTitle = "编译信息";

struct AssemblyResult {
    // True when the run went through and wrote its files; false after a fatal failure.
    bool completed = false;
    int errorCount = 0;
    // The fatal message shown to the user when the run failed.
    QString failureMessage;
    OutputPaths paths;
    QString normalisedPath;
    QStringList filesWritten;

    // The first line of the error report (also what the test driver prints).
    QString summary() const;
};

// A run as it ends, before anything is written: its result, the files it wants written and the
// outputs of an earlier run that would pass for this one's (stale, removed only once the files
// are written). A completed run plans the normalised copy, the listings, the error report and the
// code image; a failed one the copy, and after a failure in pass 2 the listing gathered so far, and
// its message is the outcome's first note. The files' contents share the run's own buffers, so
// planning copies none of them.
struct AssemblyOutcome {
    AssemblyResult result;
    ToolOutcome outcome;
};

struct AssemblyJob {
    QString sourcePath;
    QString binPath;
    // When given, the source's bytes: nothing is read, and sourcePath only names the normalised
    // copy (nor is it compared with the outputs, as no file of the run is looked at).
    std::optional<QByteArray> sourceBytes;
};

// The chip a run assembles for; the assembler window's CPU choice.
enum class AsmCpu { Mcs51 = 0, Mcs48 = 1 };

// Normalises the source into its a51 copy and assembles it for the CPU; the outcome plans the copy
// and the listing, listing-lines, error-report and code-image files named after job.binPath
// (MCS-51: .lst, .lt, .err, .bin; MCS-48: .lt, .lst, .err, .bin, every listing line carrying its
// statement's address), and writes nothing. A fatal failure (too many labels, an EQU without
// operand, an address error, a full duplicate list, anything the passes cannot handle) ends the
// run with failureMessage set: a failure in pass 2 keeps the listing gathered so far (MCS-51 both
// listings, MCS-48 the .lst), and the other files of an earlier run are stale, so that nothing
// looks current.
AssemblyOutcome planAssembly(AsmCpu cpu, const AssemblyJob &job, const AssemblyObserver &observer = {});

// planAssembly of the source file, carried out (carryOutAssembly).
AssemblyResult assembleFile(AsmCpu cpu, const QString &sourcePath, const QString &binPath,
                            const AssemblyObserver &observer = {});

// Carries a planned run out through the writer with nobody to ask, and gives the result as the
// callers without a window report it: the files written; when one of them cannot be written, none
// of the run's files is left, the earlier ones stay as they were, and the run is a failure whose
// message ends with the writer's ("文件写入失败：PATH（REASON）").
AssemblyResult carryOutAssembly(const AssemblyOutcome &planned);

} // namespace tw

namespace tw
{

// The start command's input checks, in order: the first message that applies, or an empty text
// when the run may start. source and bin are the two path fields as typed.
QString startCheckMessage(const QString &source, const QString &bin);

// True when two of the files a run reads or writes are one file: the source, its a51 copy, the
// code image and the listing, listing-lines and error-report files named after it. Paths are
// compared as canonical paths; one not made yet by its folder's canonical path and its name.
// Such a run would overwrite (or, failing, delete) the source or one of its own outputs.
bool runPathsCollide(const QString &source, const QString &bin);
QString collidingPathsMessage();

// The code-image path the window proposes for a source path: its last three characters -> "bin".
QString binPathForSource(const QString &source);

} // namespace tw
