#pragma once
// The disassemblers' message texts and captions in one place, as UTF-8.
#include "base/ToolOutcome.h"
#include "disassembler/common/DisasmJob.h"

#include <string>
#include <string_view>

namespace tw
{

namespace disasmText
{
constexpr std::string_view kDisassemblyCaption = "反汇编信息";
constexpr std::string_view kInformationCaption = "信息";

constexpr std::string_view kDisassemblyFailed = "反汇编失败！";
constexpr std::string_view kNotMcs48Code = "存在有非MCS48操作码，反汇编失败！";
constexpr std::string_view kTooLongFor51 = "目标代码长度超出范围，此非51单片机机器码？";
constexpr std::string_view kTooLongFor48 = "目标代码长度超出范围，此非48单片机机器码？";
constexpr std::string_view kUndefinedCode = "存在无定义代码！";
constexpr std::string_view kLabelPassFailed = "出错！";
constexpr std::string_view kDisassemblyDone = "反汇编完成！\r\n打开汇编语言程序吗？";

// The Start command's checks before either disassembler runs.
constexpr std::string_view kChooseInput = "请选择待反汇编的文件！";
constexpr std::string_view kMissingInput = "待反汇编的文件不存在！";
constexpr std::string_view kChooseOutput = "请选择反汇编后的文件存放地址！";
constexpr std::string_view kOutputIsInput = "反汇编后的文件不可以与待反汇编的文件同名！";
constexpr std::string_view kSideFileIsInput = "反汇编的附带文件不可以与待反汇编的文件同名！";
} // namespace disasmText

// A message box of the disassembler: exclamation icon, OK, or Yes and No with yesNo.
ToolNote disasmNote(std::string_view text, std::string_view title, bool yesNo = false);

// A table of the job reached its bound (the number of entries it holds).
ToolNote limitNote(DisasmLimit limit, int bound);

} // namespace tw
