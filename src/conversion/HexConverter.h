#pragma once
// "hex to bin" and "bin to hex": the hex formats are read and written by srec_cat through two
// small scripts of ours in the program folder (converter/hexbin.sh, converter/binhex.sh), run in a
// private temporary folder on a copy of the input, so the user's file is never moved or touched.
// "Straight HEX" (plain digit pairs) is read here; "DMD16 HEX", which no free converter reads, is
// refused.
#include "base/ToolOutcome.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tw
{

// The letters of the window's format options: i Intel, m Motorola, t Tektronix, x XTI SDSMAC,
// s Straight HEX, d DMD16 HEX.
struct HexToBinJob {
    QString input;
    QString output;
    QChar format = u'i';
    QChar fill = u'0'; // 0: holes 00H, 1: holes FFH
};

struct BinToHexJob {
    QString input;
    QString output;
    QString startAddress; // 1 to 4 hexadecimal digits: the address of the image's first byte
};

// What one converter run gave: the converted bytes, or why there are none.
struct ConverterRun {
    std::optional<QByteArray> bytes;
    QString problem; // the message shown on failure
};

// The converter's complaint as the user should read it: the first line of its errors that is no
// warning, joined where srec_cat wrapped it, with the private copy's path replaced by the user's.
QString converterComplaint(const QByteArray &errors, const QString &copyPath, const QString &userPath);

// The script runs alone, no question asked: the unit that tests and the driver compare with peers.
ConverterRun runHexToBin(const HexToBinJob &job);
ConverterRun runBinToHex(const BinToHexJob &job);

// The whole command after the path checks: the format and address checks, the run, then the output
// with the question "文件已存在！覆盖吗？" when it exists, and "转换完成！" (also after No).
ToolOutcome convertHexToBin(const HexToBinJob &job);
ToolOutcome convertBinToHex(const BinToHexJob &job);

// Plain hexadecimal digit pairs, blanks and line ends between them allowed.
std::optional<QByteArray> straightHexToBin(const QByteArray &text);

// Where the scripts are: the program folder, or data/ one level up from the executable (the
// build tree's driver).
QString converterScript(const QString &name);

} // namespace tw
