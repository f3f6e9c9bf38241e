#include "disassembler/Messages.h"

#include "common/Prompter.h"

namespace tw
{

DisasmMessage limitMessage(DisasmLimit limit, int bound)
{
    QString table;
    switch (limit) {
    case DisasmLimit::PendingTargets:
        table = QStringLiteral(u"待反汇编的转移目标");
        break;
    case DisasmLimit::Labels:
        table = QStringLiteral(u"标号数目");
        break;
    case DisasmLimit::Segments:
    case DisasmLimit::None:
        table = QStringLiteral(u"程序段数目");
        break;
    }
    return {table + QStringLiteral(u"超过") + QString::number(bound) +
                QStringLiteral(u"个，超出本软件的处理能力！"),
            MsgStyle::Exclamation, kInformationCaption};
}

} // namespace tw
