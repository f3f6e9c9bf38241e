#pragma once
// Text to its UTF-16 code units written as numbers, and back.
#include <QString>
#include <optional>

namespace tw
{

enum class UnicodeFormat {
    Decimal,      // " 20013,  25991"
    Hex,          // "0x4E2D, 0x6587"
    ContinuousHex // "4E2D6587"
};

// The codes of every unit of text after its leading blanks; nothing when no unit is left.
std::optional<QString> unicodeCodesOf(const QString &text, UnicodeFormat format);

struct DecodedText {
    QString text;
    QString error; // the message to show instead of a result (exclamation icon, title "信息")
};

// The text that a list of codes stands for. Blanks are ignored; in the decimal and hexadecimal
// forms a comma or TAB ends an item, even an empty one (code 0).
DecodedText textOfUnicodeCodes(const QString &codes, UnicodeFormat format);

// The value of a four-digit hex item, "0x" prefix allowed: upper-case A-F and digits count, any
// other character and a missing one count 0 ("0x41" gives 4100h).
int unicodeHexItemValue(const QString &item);

QString hexCodeErrorMessage();
QString decimalCodeErrorMessage();

} // namespace tw
