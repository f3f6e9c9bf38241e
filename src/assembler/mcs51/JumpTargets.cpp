#include "JumpTargets.h"

#include "assembler/common/Messages.h"

#include <optional>

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

struct Target {
    bool number; // else an address: a label's or "$"
    long long value;
};

int reject(const QString &message, ErrorSink &errors)
{
    errors.record(message);
    return 0;
}

int outOfRange(ErrorSink &errors)
{
    return reject(kJumpOutOfRangeError, errors);
}

// A text that reads as a number is a number even when a label has that name. An unknown name
// records "标号未定义" and gives nothing.
std::optional<Target> resolve(const QString &text, long long pc, const LabelTable &labels, ErrorSink &errors)
{
    const long long number = readNumber(text);
    if (number != NotANumber)
        return Target{true, number};
    if (const auto label = labels.find(text))
        return Target{false, *label};
    if (text == u"$")
        return Target{false, pc};
    reject(kUndefinedLabelError, errors);
    return std::nullopt;
}

} // namespace

std::uint8_t relativeOffset(const QString &target, long long pc, int length, const LabelTable &labels,
                            ErrorSink &errors)
{
    const auto t = resolve(target, pc, labels, errors);
    if (!t)
        return 0;
    if (t->number)
        return t->value <= 0xFF ? static_cast<std::uint8_t>(t->value) : outOfRange(errors);
    const long long offset = t->value - (pc + length);
    if (offset < -128 || offset > 127)
        return outOfRange(errors);
    return static_cast<std::uint8_t>(offset & 0xFF);
}

int pageTarget(const QString &target, long long pc, const LabelTable &labels, ErrorSink &errors)
{
    const auto t = resolve(target, pc, labels, errors);
    if (!t)
        return 0;
    if (t->number)
        return t->value <= 0x7FF ? static_cast<int>(t->value) : outOfRange(errors);
    // The page is that of the address after the two-byte instruction.
    if (t->value < 0 || t->value / 2048 != (pc + 2) / 2048)
        return outOfRange(errors);
    return static_cast<int>(t->value % 2048);
}

int longTarget(const QString &target, long long pc, const LabelTable &labels, ErrorSink &errors)
{
    const auto t = resolve(target, pc, labels, errors);
    if (!t)
        return 0;
    return t->value >= 0 && t->value <= 0xFFFF ? static_cast<int>(t->value) : outOfRange(errors);
}

} // namespace tw::mcs51
