#pragma once
// "bin 代码还原": a code image read from a memory chip whose address or data lines were wired to
// the bus in another order, put back into the order the processor sees.
#include "base/ToolOutcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace tw
{

// Memory data line i is wired to bus data line dataLines[i]; address line i to addressLines[i].
using DataWiring = std::array<int, 8>;
using AddressWiring = std::array<int, 16>;

// Bit i of the stored byte moves to bit dataLines[i].
std::uint8_t busByte(std::uint8_t stored, const DataWiring &dataLines);
// Bit i of the stored address moves to bit addressLines[i]; when two lines name the same bus
// line, the higher memory line wins.
int busAddress(int stored, const AddressWiring &addressLines);

// The restored image: as long as the input; bytes mapped past its end are dropped, places no byte
// reached stay 00H.
QByteArray restoredImage(const QByteArray &stored, bool dataSwapped, const DataWiring &dataLines,
                         bool addressSwapped, const AddressWiring &addressLines);

struct RestoreJob {
    QString input;
    QString output;
    bool dataSwapped = false;
    bool addressSwapped = false;
    QStringList dataTexts;    // the eight data-line lists' texts
    QStringList addressTexts; // the sixteen address-line lists' texts
};

// The whole "还  原" command: the data-line check, the path and size checks, the output,
// "转换完成！".
ToolOutcome restoreFile(const RestoreJob &job);

} // namespace tw
