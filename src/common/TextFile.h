#pragma once
// Text files as the system reads and writes them: GBK (code page 936) or UTF-8, decided for the
// whole file (EncodingDetection.h) and written back in the encoding they were read in.
#include "CheckedFile.h"
#include "EncodingDetection.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>
#include <span>

namespace tw
{

struct TextFileContent {
    QString text;                              // line ends kept as they stand in the file
    TextEncoding encoding = TextEncoding::Gbk; // how to write it back
    bool byteOrderMark = false;                // a UTF-8 file began with one (not part of text)
    // Bytes the encoding cannot read became U+FFFD: writing text back would not give these bytes.
    bool strayBytes = false;
};

// Decodes a whole file's bytes in the encoding detectEncoding finds.
TextFileContent decodeText(const QByteArray &bytes);
// Decodes them in a known encoding (a file this program has just written).
TextFileContent decodeText(const QByteArray &bytes, TextEncoding encoding);

// The text in the encoding, or std::nullopt when the encoding cannot hold one of its characters:
// nothing is ever replaced by "?". With byteOrderMark a UTF-8 text is preceded by the mark.
std::optional<QByteArray> tryEncodeText(const QString &text, TextEncoding encoding,
                                        bool byteOrderMark = false);
// For text the encoding is known to hold (generated from text read in it, or ASCII); a character
// it cannot hold comes out as the converter's substitute. Files are written with tryEncodeText.
QByteArray encodeText(const QString &text, TextEncoding encoding = TextEncoding::Gbk);

// Reads a whole file; std::nullopt when it cannot be opened, is no regular file or is larger
// than kMaxTextFileBytes.
std::optional<TextFileContent> readTextFile(const QString &path);

// Splits at CR LF, LF or a lone CR. A final line end does not make an extra empty line.
QStringList splitLines(const QString &text);

// Writes text as it stands (no line-end change), atomically; false when it cannot be written or the
// encoding cannot hold one of its characters (the old file then stays as it was).
bool writeTextFile(const QString &path, const QString &text, TextEncoding encoding = TextEncoding::Gbk,
                   WriteSync sync = WriteSync::Durable);
// Writes each line followed by CR LF.
bool writeLines(const QString &path, const QStringList &lines, TextEncoding encoding = TextEncoding::Gbk);

// Whole-file binary access, within the same bounds as readTextFile; writes through
// replaceFileChecked (links kept, permissions kept).
std::optional<QByteArray> readBinaryFile(const QString &path);
bool writeBinaryFile(const QString &path, const QByteArray &bytes, WriteSync sync = WriteSync::Durable);
// The same for a file made of pieces, written one after the other: a large file need not be
// joined in memory first.
bool writeBinaryFile(const QString &path, std::initializer_list<QByteArrayView> pieces,
                     WriteSync sync = WriteSync::Durable);
bool writeBinaryFile(const QString &path, std::span<const QByteArrayView> pieces,
                     WriteSync sync = WriteSync::Durable);

} // namespace tw
