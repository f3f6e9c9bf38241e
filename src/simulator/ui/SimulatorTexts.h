#pragma once
// Captions, tool tips and messages the simulator window's files share.
#include "common/Prompter.h"

#include <QString>
#include <string_view>

namespace tw
{

// The simulator's input errors and notices: OK with the information icon, no title.
constexpr int kSimulatorNotice = MsgStyle::Ok + MsgStyle::Information;

inline const QString kRunCaption = QStringLiteral(u"连续运行");
inline const QString kToBreakpointCaption = QStringLiteral(u"执行到断点");
inline const QString kStopCaption = QStringLiteral(u"停止运行");
inline const QString kSetBreakpointCaption = QStringLiteral(u"设置断点");
inline const QString kClearBreakpointCaption = QStringLiteral(u"清除断点");
inline const QString kSetBreakpointTip = QStringLiteral(u"在当前的PC处设置断点");
inline const QString kClearBreakpointTip = QStringLiteral(u"清除已设置的断点");
inline const QString kInternalRamSet = QStringLiteral(u"片内RAM设置");
inline const QString kExternalRamSet = QStringLiteral(u"片外RAM设置");
inline const QString kInternalAddressTip = QStringLiteral(u"片内RAM地址应小于2位十六进制代码");
inline const QString kExternalAddressTip = QStringLiteral(u"片外RAM地址应小于4位十六进制代码");
inline const QString kTransmitRateCaption = QStringLiteral(u"单片机发送程序的");
inline const QString kBaudRateCaption = QStringLiteral(u"波特率");
inline const QString kHexOnly = QStringLiteral(u"请输入十六进制代码！");

// The simulator's questions: Yes and No with the exclamation icon.
constexpr int kSimulatorQuestion = MsgStyle::YesNo + MsgStyle::Exclamation;

// The core's texts are UTF-8 string views.
inline QString fromUtf8View(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tw
