#pragma once
// Text files as the system reads and writes them: GBK (code page 936) by default; a file that is
// valid UTF-8 is read as UTF-8 and written back as UTF-8, so nothing is lost.
#include "CheckedFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw
{

enum class TextEncoding { Gbk, Utf8 };

struct TextFileContent {
    QString text;                              // line ends kept as they stand in the file
    TextEncoding encoding = TextEncoding::Gbk; // how to write it back
};

// Decodes bytes: plain ASCII as GBK, else UTF-8 when valid, else GBK (with replacement
// characters for bytes that are not GBK either).
TextFileContent decodeText(const QByteArray &bytes);
QByteArray encodeText(const QString &text, TextEncoding encoding = TextEncoding::Gbk);

// Reads a whole file; std::nullopt when it cannot be opened, is no regular file or is larger
// than kMaxTextFileBytes.
std::optional<TextFileContent> readTextFile(const QString &path);

// Splits at CR LF, LF or a lone CR. A final line end does not make an extra empty line.
QStringList splitLines(const QString &text);

// Writes text as it stands (no line-end change), atomically; false when it cannot be written.
bool writeTextFile(const QString &path, const QString &text, TextEncoding encoding = TextEncoding::Gbk,
                   WriteSync sync = WriteSync::Durable);
// Writes each line followed by CR LF.
bool writeLines(const QString &path, const QStringList &lines, TextEncoding encoding = TextEncoding::Gbk);

// Whole-file binary access, within the same bounds as readTextFile; writes through
// replaceFileChecked (links kept, permissions kept).
std::optional<QByteArray> readBinaryFile(const QString &path);
bool writeBinaryFile(const QString &path, const QByteArray &bytes, WriteSync sync = WriteSync::Durable);

} // namespace tw
