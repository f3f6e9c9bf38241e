#pragma once
// Message-box styles and answers. A style is buttons + icon + default button, added together as
// the old style numbers were (52 = YesNo + Exclamation).
namespace tw::MsgStyle
{
constexpr int Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
constexpr int DefaultButton2 = 256, DefaultButton3 = 512;
} // namespace tw::MsgStyle

// The answers, as the button pressed.
namespace tw::MsgAnswer
{
constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
} // namespace tw::MsgAnswer

namespace tw
{

// What a box answers when nobody chooses (a script, the headless driver): its first button.
constexpr int firstButton(int style)
{
    switch (style & 7) {
    case MsgStyle::AbortRetryIgnore:
        return MsgAnswer::Abort;
    case MsgStyle::YesNoCancel:
    case MsgStyle::YesNo:
        return MsgAnswer::Yes;
    case MsgStyle::RetryCancel:
        return MsgAnswer::Retry;
    default:
        return MsgAnswer::Ok;
    }
}

} // namespace tw
