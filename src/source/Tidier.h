#pragma once
// The source tidier the editor runs after saving an .asm file: it rewrites the file in the
// normalised layout, so that what the user sees is what will be assembled.
#include <QString>
#include <optional>

namespace tw
{

// True when the path (an editor's caption) names a source the tidier rewrites: its last three
// characters are "asm" or "ASM" (mixed case such as "Asm" is left alone).
bool isTidiedSourcePath(const QString &path);

// The tidied form of a whole source text (lines up to the first END statement).
QString tidySourceText(const QString &text);

// Rewrites the file at path in place, in its own encoding. Returns the new text, or std::nullopt
// when the path is no source, the file could not be read or written, or its bytes are neither
// GBK nor UTF-8 text; the file then stays as it was (the rewrite is atomic, so a failed write
// never leaves half a file).
std::optional<QString> tidySourceFile(const QString &path);

} // namespace tw
