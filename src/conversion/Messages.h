#pragma once
// The conversion window's and the code-file tools' texts in one place: message captions, the
// tools' messages and questions, the file-dialog and frame captions, and the porting report.
#include <QString>
#include <string_view>

namespace tw
{

namespace ConvText
{
// Captions of the message boxes.
inline const QString InfoTitle = QStringLiteral(u"信息");
inline const QString BuildTitle = QStringLiteral(u"编译信息");

inline const QString Done = QStringLiteral(u"转换完成！");
inline const QString OwnInput = QStringLiteral(u"转换后的文件不可以与待转换的文件同名！");
inline const QString HexDigitsOnly = QStringLiteral(u"请输入十六进制代码！");
inline const QString AtMostFourDigits = QStringLiteral(u"不能大于4位！");
inline const QString BadStartAddress = QStringLiteral(u"起始地址应为1～4位十六进制数！");

// The path checks of the Start command, per tool.
inline const QString ChooseConvertInput = QStringLiteral(u"请选择待转换的文件！");
inline const QString MissingConvertInput = QStringLiteral(u"待转换的文件不存在！");
inline const QString ChooseConvertOutput = QStringLiteral(u"请选择转换后的文件存放地址！");
// The disassembly's: disassembler/common/MessageTexts.h.
inline const QString ChoosePortInput = QStringLiteral(u"请选择待移植的文件！");
inline const QString MissingPortInput = QStringLiteral(u"待移植的文件不存在！");
inline const QString ChoosePortOutput = QStringLiteral(u"请选择移植后的文件存放地址！");

// Hex conversion through the outside converter.
inline const QString ConversionFailed = QStringLiteral(u"转换失败！");
inline const QString AddressBeyondFFFF = QStringLiteral(u"数据地址超出0000H～FFFFH范围。");
inline const QString NoSrecCat = QStringLiteral(u"找不到转换程序srec_cat。");
inline const QString NoTemporaryFolder = QStringLiteral(u"不能建立临时文件夹。");
inline const QString ConverterFailed = QStringLiteral(u"转换程序没有正常运行。");
inline const QString ConverterWroteNothing = QStringLiteral(u"转换程序没有生成目标文件。");
inline const QString NotStraightHex = QStringLiteral(u"文件不是Straight HEX格式。");
inline const QString NotOverwritten = QStringLiteral(u"没有覆盖原文件，转换结果未保存。");
QString missingScriptText(const QString &script);
QString unconvertibleFormatText(const QString &format);
// "文件中没有数据：PATH": a hex file without a single data byte, in any format.
QString noDataText(const QString &path);

// Obj text.
inline const QString NonHexCharacter = QStringLiteral(u"文件中有非十六进制字符，不能转换！");
inline const QString OddDigitCount = QStringLiteral(u"文件中的十六进制数字个数为奇数，不能转换！");

// Split and merge.
inline const QString ChooseSplitInput = QStringLiteral(u"请选择待拆分的文件！");
inline const QString MissingSplitInput = QStringLiteral(u"待拆分的文件不存在！");
inline const QString BadSplitSize = QStringLiteral(u"片内ROM空间只能选1KB、2KB、4KB或8KB！");
QString tooSmallToSplitText(const QString &sizeText);
inline const QString ChooseFirstMergeInput = QStringLiteral(u"请选择待合并的第一个文件！");
inline const QString MissingFirstMergeInput = QStringLiteral(u"待合并的第一个文件不存在！");
inline const QString ChooseSecondMergeInput = QStringLiteral(u"请选择待合并的第二个文件！");
inline const QString MissingSecondMergeInput = QStringLiteral(u"待合并的第二个文件不存在！");
inline const QString ChooseMergeOutput = QStringLiteral(u"请选择合并后的文件存放地址！");
inline const QString MergeOutputIsInput = QStringLiteral(u"合并后的文件不可以与要合并的文件同名！");
inline const QString InputIsMergeOutput = QStringLiteral(u"要合并的文件不可以与合并后的文件同名！");
inline const QString MergeOverlap = QStringLiteral(u"地址空间存在重合现象，不能正常合并！");
inline const QString MergeDone = QStringLiteral(u"合并完成！");

// Compare.
inline const QString ChooseFirstCompareInput = QStringLiteral(u"请选择待比较的第一个文件！");
inline const QString MissingFirstCompareInput = QStringLiteral(u"待比较的第一个文件不存在！");
inline const QString ChooseSecondCompareInput = QStringLiteral(u"请选择待比较的第二个文件！");
inline const QString MissingSecondCompareInput = QStringLiteral(u"待比较的第二个文件不存在！");
inline const QString CompareDone = QStringLiteral(u"比较完成！\r\n\r\n");
inline const QString LengthsDiffer = QStringLiteral(u"两文件长度不相同！");
inline const QString FilesEqual = QStringLiteral(u"两文件相同！");
inline const QString ReportIsInput = QStringLiteral(u"比较报告report.txt不可以与要比较的文件同名！");
// "两文件有 n处不相同！": the report's line and the question's first line.
QString differencesText(int differences);

// Restore.
inline const QString DataLinesJoined = QStringLiteral(u"存储器的两个数据线是不可能并接在一起的！");
inline const QString BadWiring = QStringLiteral(u"跳线设置有误，数据线只能是0～7，地址线只能是0～15！");
inline const QString ChooseRestoreInput = QStringLiteral(u"请选择待还原的文件！");
inline const QString MissingRestoreInput = QStringLiteral(u"待还原的文件不存在！");
inline const QString ChooseRestoreOutput = QStringLiteral(u"请选择还原后的文件存放地址！");
inline const QString RestoreTooLong = QStringLiteral(u"待还原的文件超过64KB，不能还原！");
inline const QString RestoreOwnInput = QStringLiteral(u"还原后的文件不可以与待还原的文件同名！");

// Porting.
inline const QString PortOwnInput = QStringLiteral(u"移植后的文件不可以与待移植的文件同名！");
inline const QString PortReportOwnInput =
    QStringLiteral(u"出错报告文件不可以与待移植的文件或移植后的文件同名！");
inline const QString PortFailed = QStringLiteral(u"转换失败，可能存在有不可识别的语句！");
// "源程序文件读取失败：PATH（REASON）".
QString sourceReadFailureText(const QString &path, const QString &reason);
inline const QString PortClean = QStringLiteral(u"转换成功，没有发现问题！");
// "转换过程发现 n处不能转换。": the report's summary and the question's first line.
QString portErrorsText(int errors);

// Captions of the file dialogs and of the window's path frames.
inline const QString FileFormatCaption = QStringLiteral(u"文件格式转换");
inline const QString ConvertInputCaption = QStringLiteral(u"请选择待转换的文件");
inline const QString ConvertOutputCaption = QStringLiteral(u"转换后的文件另存为");
inline const QString SplitInputCaption = QStringLiteral(u"请选择待拆分的文件");
inline const QString FirstMergeInputCaption = QStringLiteral(u"请选择待合并的第一个文件");
inline const QString SecondMergeInputCaption = QStringLiteral(u"请选择待合并的第二个文件");
inline const QString MergeOutputCaption = QStringLiteral(u"合并后的文件另存为");
inline const QString FirstCompareInputCaption = QStringLiteral(u"请选择待比较的第一个文件");
inline const QString SecondCompareInputCaption = QStringLiteral(u"请选择待比较的第二个文件");
inline const QString PortInputCaption = QStringLiteral(u"请选择待移植的文件");
inline const QString PortOutputCaption = QStringLiteral(u"移植后的文件另存为");
inline const QString RestoreInputCaption = QStringLiteral(u"请选择待还原的文件");
inline const QString RestoreOutputCaption = QStringLiteral(u"还原后的文件另存为");
inline const QString DisassemblyInputCaption = QStringLiteral(u"请选择待反汇编的文件");
inline const QString DisassemblyOutputCaption = QStringLiteral(u"反汇编后的文件另存为");
inline const QString BrowseCaption = QStringLiteral(u"浏  览");
inline const QString SaveAsCaption = QStringLiteral(u"另存为");
inline const QString FileLengthCaption = QStringLiteral(u"文件长度           字节");
inline const QString FillCaption = QStringLiteral(u"空字节填充为");
} // namespace ConvText

// The porting report's messages; the porting rules name them, so they are compile-time texts.
namespace PortText
{
inline constexpr std::u16string_view BadOpcode = u"操作码错误 "; // ends with a blank
inline constexpr std::u16string_view BadOperand = u"操作数错误";
inline constexpr std::u16string_view TooManyOperands = u"操作数过多";
inline constexpr std::u16string_view Expander = u"对8243扩展芯片的操作";
inline constexpr std::u16string_view ProgramCounter = u"对程序指针PC的操作";
inline constexpr std::u16string_view NoF1 = u"MCS51无F1标志";
inline constexpr std::u16string_view NoSuchFeature = u"MCS51无此功能";
} // namespace PortText

} // namespace tw
