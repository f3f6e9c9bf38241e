#pragma once
// Looking a typed character up in the raster font files of the program folder.
#include "RasterFontLayout.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tw
{

// The code-page-936 (GBK) code of the first character of a text as a signed 16-bit value: a
// single-byte character 0-255, a two-byte one lead * 256 + trail taken negative. A character GBK
// cannot write becomes "?", as the system's conversion makes it. Nothing for an empty text.
std::optional<qint16> gbkCodeOf(const QString &text);

// The font a typed key chooses: a two-byte character takes the checked size option (1-3; option 0
// keeps the current font), a single-byte one or a control key the 8x16 font.
GlyphMode glyphModeForKey(qint16 keyCode, GlyphMode current, int checkedOption);

// The code the window shows: the decimal code in the 8x16 font, otherwise the four-digit 区位码
// (zone and place, each from 1, a "0" in front below 10).
QString glyphCodeText(GlyphMode mode, qint16 code);

// The pattern by rows (16, 24, 32 or 72 bytes; the 24-pixel file turned from columns), read from
// the mode's file in the folder. Bytes past the file's end read as 0. Nothing when the file
// cannot be opened or does not hold the code; no file is ever created.
std::optional<QByteArray> readGlyphRows(const QString &folder, GlyphMode mode, qint16 code);

} // namespace tw
