#include "disassembler/StartChecks.h"

#include "base/MessageStyle.h"
#include "base/FileNames.h"
#include "base/SamePath.h"
#include "disassembler/common/DisasmText.h"
#include "disassembler/common/MessageTexts.h"

namespace tw
{
namespace
{

ToolNote checkNote(std::string_view text)
{
    return disasmNote(text, disasmText::kInformationCaption, true);
}

// The name guards' refusal: the output would destroy the code image it is made from.
ToolNote refusalNote(std::string_view text)
{
    return {std::string(text), MsgStyle::Information, std::string()};
}

} // namespace

DisasmStartCheck checkDisassemblyStart(const std::string &binPath, const std::string &outPath,
                                       std::string_view sideEnding)
{
    using namespace disasmText;
    DisasmStartCheck check;
    if (binPath.empty())
        check.refusal = checkNote(kChooseInput);
    else if (!isPathPresent(binPath))
        check.refusal = checkNote(kMissingInput);
    if (check.refusal)
        return check;
    check.inputAccepted = true;
    if (outPath.empty())
        check.refusal = checkNote(kChooseOutput);
    else if (isSameFilePath(binPath, outPath))
        check.refusal = refusalNote(kOutputIsInput);
    else if (isSameFilePath(binPath, sideFilePath(outPath, sideEnding)))
        check.refusal = refusalNote(kSideFileIsInput);
    return check;
}

} // namespace tw
