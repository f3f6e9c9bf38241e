#pragma once
// How the code-file tools talk to the user: the window's message styles and titles, the path
// checks every tool starts with, and the guard that keeps a tool from writing over its input.
#include "Messages.h"
#include "common/Paths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw
{

class Prompter;

// Check messages: exclamation, Yes and No, the answer is not used.
constexpr int kCheckStyle = 52;
// Notices: exclamation and OK.
constexpr int kNoticeStyle = 48;
// Refusals of the name guards and the restore: information icon, OK, no title.
constexpr int kRefusalStyle = 64;

void showCheck(Prompter &prompter, const QString &text);
void showNotice(Prompter &prompter, const QString &text);

// A file the tools can read: an ordinary file (no folder) at that path.
bool isExistingFile(const QString &path);

// The messages of one tool's path checks, in the order they are made.
struct PathCheckTexts {
    QString noInput;      // the input box is empty
    QString missingInput; // no file at the input path
    QString noOutput;     // the output box is empty
};

// Empty input, missing input, empty output: the first that fails shows its message; false then.
bool checkPaths(Prompter &prompter, const PathCheckTexts &texts, const QString &input, const QString &output);
bool checkInput(Prompter &prompter, const QString &noInput, const QString &missingInput,
                const QString &input);

// Refuses an output that is one of the inputs, with the message in the style of the name guards;
// true when it was refused.
bool refuseOwnInput(Prompter &prompter, const QString &output, const QStringList &inputs,
                    const QString &message);

} // namespace tw

namespace tw
{

// Whole-file access with a notice when it fails ("不能读取文件：" / "不能写入文件：", the path and the reason).
// Writes replace the old file only once the new one is complete.
std::optional<QByteArray> readToolInput(Prompter &prompter, const QString &path);
bool writeToolOutput(Prompter &prompter, const QString &path, const QByteArray &bytes);

} // namespace tw
