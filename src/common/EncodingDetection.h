#pragma once
// Which of the two encodings the system reads (GBK, code page 936, and UTF-8) a file's bytes are
// in, decided for the whole file.
#include <QByteArrayView>

namespace tw
{

enum class TextEncoding { Gbk, Utf8 };

// True when the bytes begin with the UTF-8 byte-order mark.
bool hasUtf8ByteOrderMark(QByteArrayView bytes);

// A byte-order mark means UTF-8; plain ASCII is GBK. Otherwise the bytes that only one of the two
// reads without error are in that one. About 1,900 common GBK characters are also valid UTF-8
// byte pairs, so bytes both read are weighed: GBK Chinese read as UTF-8 gives Cyrillic, Greek and
// accented letters, UTF-8 Chinese read as GBK gives characters outside GB2312; the reading with
// clearly fewer of those wins. Where that does not tell them apart the charset detector decides,
// and GBK wins when it is unsure.
TextEncoding detectEncoding(QByteArrayView bytes);

// True when the bytes end with a GBK lead byte that has no second byte after it.
bool endsInsideGbkCharacter(QByteArrayView bytes);

} // namespace tw
