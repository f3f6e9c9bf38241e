#pragma once
// Message-box styles: buttons + icon + default button, added together as the old style numbers
// were (52 = YesNo + Exclamation).
namespace tw::MsgStyle
{
constexpr int Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton2 = 256, DefaultButton3 = 512;
} // namespace tw::MsgStyle
