#pragma once
// The source tidier the editor runs after saving an .asm file: it rewrites the file in the
// normalised layout, so that what the user sees is what will be assembled.
#include "common/CheckedFile.h"
#include "common/TextFile.h"

#include <QString>
#include <optional>

namespace tw
{

// True when the path (an editor's caption) names a source the tidier rewrites: its last three
// characters are "asm" or "ASM" (mixed case such as "Asm" is left alone).
bool isTidiedSourcePath(const QString &path);

// The tidied form of a whole source text (lines up to the first END statement).
QString tidySourceText(const QString &text);

struct TidyOutcome {
    enum class Result {
        Tidied,  // the file now holds text
        Skipped, // no source path, or the file could not be read or written: nothing said
        Refused  // the rewrite would change a character other than ASCII ones: left alone
    };
    Result result = Result::Skipped;
    QString text;
    FileState written; // what the name holds after the rewrite, while it is still the tidier's
    explicit operator bool() const { return result == Result::Tidied; }
};

// Rewrites the file at path in place, in the encoding it is in (given when the caller has just
// written it, else detected). Only ASCII letters and the full-width comma, semicolon and colon may
// change: a file holding bytes its encoding cannot read, or whose tidied text would differ in any
// other character up to its END line, is refused and stays as it was (as it does after a failed
// write, which is atomic).
// The file rewritten is the one expected says stood there (the file a save has just written);
// without it, the one read. Any other file at the name, one another program put there since, is
// skipped and left as it is.
TidyOutcome tidySourceFile(const QString &path, std::optional<TextEncoding> encoding = std::nullopt,
                           const std::optional<FileState> &expected = std::nullopt);

} // namespace tw
