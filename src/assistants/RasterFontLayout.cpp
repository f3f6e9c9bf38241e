#include "RasterFontLayout.h"

#include <array>

namespace tw
{

const RasterFontLayout &rasterFontLayout(GlyphMode mode)
{
    static const std::array<RasterFontLayout, kGlyphModeCount> layouts = {{
        {"asc16", 16, 8, 16, 1, 0, false, 8, 8},
        // A 12-pixel row still takes two bytes; its last four bits are drawn as they stand.
        {"HZK12", 24, 16, 12, 2, 0xA1, false, 4, 8},
        {"hzk16", 32, 16, 16, 2, 0xA1, false, 4, 8},
        // The 24-pixel file starts at zone 16, the first zone of hanzi, and holds no symbols.
        {"hzk24S", 72, 24, 24, 3, 0xB0, true, 0, 0},
    }};
    return layouts[static_cast<int>(mode)];
}

int rasterGlyphCount(GlyphMode mode)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    if (layout.firstLead == 0)
        return 256;
    return (kLastLead - layout.firstLead + 1) * kPlacesPerZone;
}

qint64 rasterFileSize(GlyphMode mode)
{
    return qint64(rasterGlyphCount(mode)) * rasterFontLayout(mode).glyphBytes;
}

std::optional<int> rasterGlyphIndex(GlyphMode mode, qint16 code)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    if (layout.firstLead == 0) {
        if (code < 0 || code > 255)
            return std::nullopt;
        return code;
    }
    // Only codes the file holds are read: anything else (a single-byte code, GBK beyond GB2312,
    // the symbol zones in the 24-pixel file) would land on another glyph or before the file.
    const int unsignedCode = static_cast<quint16>(code);
    const int lead = unsignedCode >> 8;
    const int trail = unsignedCode & 0xFF;
    if (lead < layout.firstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail)
        return std::nullopt;
    return (lead - layout.firstLead) * kPlacesPerZone + (trail - kFirstTrail);
}

std::optional<qint64> rasterGlyphOffset(GlyphMode mode, qint16 code)
{
    const std::optional<int> index = rasterGlyphIndex(mode, code);
    if (!index)
        return std::nullopt;
    return qint64(*index) * rasterFontLayout(mode).glyphBytes;
}

qint16 twoByteCode(int lead, int trail)
{
    return static_cast<qint16>(static_cast<quint16>((lead << 8) | trail));
}

} // namespace tw
