#pragma once
// How the code-file tools talk to the user: the window's message styles and titles, the path
// checks every tool starts with, the guard that keeps a tool from writing over its input, and the
// checked read of an input. A tool hands back an outcome (base/ToolOutcome.h): what it says and
// what it wants written; the window and the driver carry it out with the one writer.
#include "Messages.h"
#include "base/ToolOutcome.h"
#include "common/Paths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw
{

// Check messages: exclamation, Yes and No, the answer is not used.
constexpr int kCheckStyle = 52;
// Notices: exclamation and OK.
constexpr int kNoticeStyle = 48;
// Refusals of the name guards and the restore: information icon, OK, no title.
constexpr int kRefusalStyle = 64;

ToolNote checkNote(const QString &text);
ToolNote noticeNote(const QString &text);
ToolNote refusalNote(const QString &text);
// An outcome that only says why nothing is written.
ToolOutcome refusal(const ToolNote &note);

// Something is at the path (a folder, a pipe, a link that leads nowhere readable): not missing.
// What it is, and why it cannot be read, the checked read names.
bool isPresent(const QString &path);

// The messages of one tool's path checks, in the order they are made.
struct PathCheckTexts {
    QString noInput;      // the input box is empty
    QString missingInput; // nothing at the input path
    QString noOutput;     // the output box is empty
};

// The first check that fails: empty input, nothing at the input path, empty output; std::nullopt
// when all pass.
std::optional<ToolNote> pathsProblem(const PathCheckTexts &texts, const QString &input,
                                     const QString &output);
std::optional<ToolNote> inputProblem(const QString &noInput, const QString &missingInput,
                                     const QString &input);

// The refusal of an output that is one of the inputs, in the style of the name guards.
std::optional<ToolNote> ownInputProblem(const QString &output, const QStringList &inputs,
                                        const QString &message);

// A whole input under the checked read (regular files only, size known before reading), or the
// notice naming the file and the reason: "文件读取失败：PATH（REASON）".
struct ToolInput {
    QByteArray bytes;
    std::optional<ToolNote> fault;
    bool ok() const { return !fault; }
};
ToolInput readToolInput(const QString &path);

// The file-name bytes of the inputs a tool read, for the writer to keep its outputs off them.
std::vector<std::string> inputPaths(const QStringList &inputs);

// Writes the files (common/OutcomeWriter.h: plannedFile), made from the inputs, then the notice.
ToolOutcome writeThenNotice(std::vector<PlannedFile> files, const QString &notice,
                            const QStringList &inputs = {});

} // namespace tw
