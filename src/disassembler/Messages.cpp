#include "disassembler/Messages.h"

namespace tw
{

DisasmMessage qtMessage(const DisasmNote &note)
{
    return {QString::fromStdString(note.text), note.style, QString::fromStdString(note.title)};
}

DisasmMessage limitMessage(DisasmLimit limit, int bound)
{
    return qtMessage(limitNote(limit, bound));
}

} // namespace tw
