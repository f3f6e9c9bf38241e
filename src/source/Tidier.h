#pragma once
// The source tidier the editor runs after saving an .asm file: it rewrites the file in the
// normalised layout, so that what the user sees is what will be assembled.
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
    explicit operator bool() const { return result == Result::Tidied; }
};

// Rewrites the file at path in place, in the encoding it is in (given when the caller has just
// written it, else detected). Only ASCII letters and the full-width comma, semicolon and colon may
// change: a file holding bytes its encoding cannot read, or whose tidied text would differ in any
// other character up to its END line, is refused and stays as it was (as it does after a failed
// write, which is atomic).
TidyOutcome tidySourceFile(const QString &path, std::optional<TextEncoding> encoding = std::nullopt);

} // namespace tw
