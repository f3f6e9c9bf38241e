#include "disasm51/MessageTexts.h"

#include "base/MessageStyle.h"

namespace tw
{

DisasmNote limitNote(DisasmLimit limit, int bound)
{
    std::string table;
    switch (limit) {
    case DisasmLimit::PendingTargets:
        table = "待反汇编的转移目标";
        break;
    case DisasmLimit::Labels:
        table = "标号数目";
        break;
    case DisasmLimit::Segments:
    case DisasmLimit::None:
        table = "程序段数目";
        break;
    }
    return {table + "超过" + std::to_string(bound) + "个，超出本软件的处理能力！", MsgStyle::Exclamation,
            std::string(disasmText::kInformationCaption)};
}

} // namespace tw
