#include "disassembler/common/MessageTexts.h"

#include "base/MessageStyle.h"

namespace tw
{

ToolNote disasmNote(std::string_view text, std::string_view title, bool yesNo)
{
    return {std::string(text), MsgStyle::Exclamation + (yesNo ? MsgStyle::YesNo : MsgStyle::Ok),
            std::string(title)};
}

ToolNote limitNote(DisasmLimit limit, int bound)
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
    return disasmNote(table + "超过" + std::to_string(bound) + "个，超出本软件的处理能力！",
                      disasmText::kInformationCaption);
}

} // namespace tw
