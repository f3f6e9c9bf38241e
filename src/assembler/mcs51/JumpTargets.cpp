#include "JumpTargets.h"

namespace tw::mcs51
{

using namespace Qt::StringLiterals;

namespace
{

struct Target {
    enum Kind { Number, Address, Unknown } kind;
    long long value;
};

// A text that reads as a number is a number even when a label has that name.
Target resolve(const QString &text, long long pc, const LabelTable &labels)
{
    const long long number = readNumber(text);
    if (number != NotANumber)
        return {Target::Number, number};
    if (const auto label = labels.find(text))
        return {Target::Address, *label};
    if (text == u"$")
        return {Target::Address, pc};
    return {Target::Unknown, 0};
}

int reject(const QString &message, ErrorSink &errors)
{
    errors.record(message);
    return 0;
}

int outOfRange(ErrorSink &errors)
{
    return reject(u"转移范围越界"_s, errors);
}

} // namespace

std::uint8_t relativeOffset(const QString &target, long long pc, int length, const LabelTable &labels,
                            ErrorSink &errors)
{
    const Target t = resolve(target, pc, labels);
    switch (t.kind) {
    case Target::Number:
        return t.value <= 0xFF ? static_cast<std::uint8_t>(t.value) : outOfRange(errors);
    case Target::Address: {
        const long long offset = t.value - (pc + length);
        if (offset < -128 || offset > 127)
            return outOfRange(errors);
        return static_cast<std::uint8_t>(offset & 0xFF);
    }
    case Target::Unknown:
        break;
    }
    return reject(u"标号未定义"_s, errors);
}

int pageTarget(const QString &target, long long pc, const LabelTable &labels, ErrorSink &errors)
{
    const Target t = resolve(target, pc, labels);
    switch (t.kind) {
    case Target::Number:
        return t.value <= 0x7FF ? static_cast<int>(t.value) : outOfRange(errors);
    case Target::Address:
        // The page is that of the address after the two-byte instruction.
        if (t.value < 0 || t.value / 2048 != (pc + 2) / 2048)
            return outOfRange(errors);
        return static_cast<int>(t.value % 2048);
    case Target::Unknown:
        break;
    }
    return reject(u"标号未定义"_s, errors);
}

int longTarget(const QString &target, long long pc, const LabelTable &labels, ErrorSink &errors)
{
    const Target t = resolve(target, pc, labels);
    switch (t.kind) {
    case Target::Number:
    case Target::Address:
        return t.value >= 0 && t.value <= 0xFFFF ? static_cast<int>(t.value) : outOfRange(errors);
    case Target::Unknown:
        break;
    }
    return reject(u"标号未定义"_s, errors);
}

} // namespace tw::mcs51
