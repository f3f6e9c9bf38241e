#include "RoutinePaths.h"

#include "SubroutineRig.h"
#include "common/TextFile.h"
#include "isa/Mcs51.h"
#include "simulator/Flags51.h"

#include <QRegularExpression>
#include <algorithm>

namespace twtest
{

namespace
{

using tw::mcs51::Operand;

constexpr std::uint8_t kCarry = 0x80, kAux = 0x40, kOverflow = 0x04;

// A bit that is known 0, known 1 or unknown.
struct Bit {
    bool known = false, value = false;
    static Bit of(bool v) { return {true, v}; }
    bool isKnown(bool v) const { return known && value == v; }
};

Bit notBit(Bit b)
{
    return {b.known, b.known && !b.value};
}

Bit xorBit(Bit a, Bit b)
{
    return {a.known && b.known, a.known && b.known && a.value != b.value};
}

Bit bitOf(Tri t, int n)
{
    return {bool(t.known >> n & 1), bool(t.value >> n & 1)};
}

Tri withBit(Tri t, int n, Bit b)
{
    const auto mask = static_cast<std::uint8_t>(1u << n);
    t.known = static_cast<std::uint8_t>(b.known ? t.known | mask : t.known & ~mask);
    t.value = static_cast<std::uint8_t>(b.known && b.value ? t.value | mask : t.value & ~mask);
    return t;
}

Tri triAnd(Tri a, Tri b)
{
    const auto known =
        static_cast<std::uint8_t>((a.known & b.known) | (a.known & ~a.value) | (b.known & ~b.value));
    return {static_cast<std::uint8_t>(a.value & b.value & known), known};
}

Tri triOr(Tri a, Tri b)
{
    const auto known = static_cast<std::uint8_t>((a.known & b.known) | a.value | b.value);
    return {static_cast<std::uint8_t>((a.value | b.value) & known), known};
}

Tri triXor(Tri a, Tri b)
{
    const auto known = static_cast<std::uint8_t>(a.known & b.known);
    return {static_cast<std::uint8_t>((a.value ^ b.value) & known), known};
}

Tri triNot(Tri a)
{
    return {static_cast<std::uint8_t>(~a.value & a.known), a.known};
}

struct Sum {
    Tri value;
    Bit carry, aux, overflow;
};

// a + b + carry, bit by bit: a sum bit is known when its three inputs are, a carry when two of
// its inputs agree.
Sum triAdd(Tri a, Tri b, Bit carryIn)
{
    Sum sum;
    Bit carry = carryIn, intoTop;
    for (int n = 0; n < 8; ++n) {
        const Bit x = bitOf(a, n), y = bitOf(b, n);
        const bool all = x.known && y.known && carry.known;
        sum.value = withBit(sum.value, n, {all, all && (x.value ^ y.value ^ carry.value)});
        const int ones = (x.known && x.value) + (y.known && y.value) + (carry.known && carry.value);
        const int zeros = (x.known && !x.value) + (y.known && !y.value) + (carry.known && !carry.value);
        if (n == 7)
            intoTop = carry;
        carry = ones >= 2 ? Bit::of(true) : zeros >= 2 ? Bit::of(false) : Bit{};
        if (n == 3)
            sum.aux = carry;
    }
    sum.carry = carry;
    sum.overflow = xorBit(intoTop, carry);
    return sum;
}

// a - b - borrow as a + ~b + !borrow, whose carries are the inverted borrows.
Sum triSubtract(Tri a, Tri b, Bit borrowIn)
{
    Sum sum = triAdd(a, triNot(b), notBit(borrowIn));
    sum.carry = notBit(sum.carry);
    sum.aux = notBit(sum.aux);
    return sum;
}

// Known when every bit is known 0, or when some bit is known 1.
Bit isZero(Tri t)
{
    if (t.value != 0)
        return Bit::of(false);
    return t.full() ? Bit::of(true) : Bit{};
}

int sfrCell(std::uint8_t address)
{
    for (std::size_t k = 0; k < kCellSfrs.size(); ++k)
        if (kCellSfrs[k] == address)
            return kIramCells + static_cast<int>(k);
    throw PathError("SFR " + std::to_string(address) + " is not followed");
}

int directCell(std::uint8_t address)
{
    return address < 0x80 ? address : sfrCell(address);
}

QString hex(int value)
{
    return QStringLiteral("%1H").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

// One instruction and the state it works on.
class Machine
{
  public:
    Machine(const std::vector<std::uint8_t> &code, PathState &state) : image(code), s(state)
    {
        if (s.pc + 3 > static_cast<int>(image.size()))
            throw PathError("the path leaves the code at " + hex(s.pc).toStdString());
        op = image[s.pc];
        b1 = image[s.pc + 1u];
        b2 = image[s.pc + 2u];
        row = &tw::mcs51::kOpcodes[op];
        next = static_cast<std::uint16_t>(s.pc + row->length);
    }

    Tri &cell(int index) { return s.cells[static_cast<std::size_t>(index)]; }
    Tri &a() { return cell(kCellA); }
    Tri &psw() { return cell(kCellPsw); }
    Bit carry() { return bitOf(psw(), 7); }
    void setCarry(Bit c) { psw() = withBit(psw(), 7, c); }

    int regCell(int n)
    {
        const Tri p = psw();
        if ((p.known & 0x18) != 0x18)
            throw PathError("register bank unknown at " + hex(s.pc).toStdString());
        return (p.value >> 3 & 3) * 8 + n;
    }
    int pointerCell(int n)
    {
        const Tri p = cell(regCell(n));
        if (!p.full())
            throw PathError("@R" + std::to_string(n) + " unknown at " + hex(s.pc).toStdString());
        return p.value;
    }

    // The byte operand `k` (0-based, source order) reads or writes.
    int operandCell(int k)
    {
        switch (row->operands[static_cast<std::size_t>(k)]) {
        case Operand::A:
            return kCellA;
        case Operand::R:
            return regCell(op & 7);
        case Operand::AtR:
            return pointerCell(op & 1);
        case Operand::Direct:
            return directCell(operandByte(k));
        default:
            throw PathError("operand not a byte at " + hex(s.pc).toStdString());
        }
    }
    // The operand bytes follow the opcode in source order, but MOV dir,dir (85H) has its source
    // first.
    std::uint8_t operandByte(int k)
    {
        int offset = 0;
        for (int j = 0; j < k; ++j)
            offset += tw::mcs51::operandBytes(row->operands[static_cast<std::size_t>(j)]);
        if (op == 0x85)
            offset = 1 - offset;
        return offset == 0 ? b1 : b2;
    }
    Tri read(int k)
    {
        const Operand kind = row->operands[static_cast<std::size_t>(k)];
        if (kind == Operand::Imm)
            return Tri::of(operandByte(k));
        return cell(operandCell(k));
    }
    void write(int k, Tri value) { cell(operandCell(k)) = value; }

    // A bit operand: its cell and bit number.
    std::pair<int, int> bitPlace(int k)
    {
        const std::uint8_t address = operandByte(k);
        if (address < 0x80)
            return {0x20 + (address >> 3), address & 7};
        return {sfrCell(static_cast<std::uint8_t>(address & 0xF8)), address & 7};
    }
    Bit readBit(int k)
    {
        const auto [c, n] = bitPlace(k);
        return bitOf(cell(c), n);
    }
    void writeBit(int k, Bit value)
    {
        const auto [c, n] = bitPlace(k);
        cell(c) = withBit(cell(c), n, value);
    }

    std::uint16_t target()
    {
        switch (row->operands[static_cast<std::size_t>(row->operandCount() - 1)]) {
        case Operand::Rel:
            return static_cast<std::uint16_t>(next + static_cast<std::int8_t>(image[next - 1u]));
        case Operand::Addr11:
            return static_cast<std::uint16_t>((next & 0xF800) | (op & 0xE0) << 3 | b1);
        case Operand::Addr16:
            return static_cast<std::uint16_t>(b1 << 8 | b2);
        default:
            throw PathError("no target at " + hex(s.pc).toStdString());
        }
    }

    void push(Tri value)
    {
        Tri &sp = cell(kCellSp);
        if (!sp.full())
            throw PathError("SP unknown");
        sp = Tri::of(static_cast<std::uint8_t>(sp.value + 1));
        cell(sp.value) = value;
    }
    Tri pop()
    {
        Tri &sp = cell(kCellSp);
        if (!sp.full())
            throw PathError("SP unknown");
        const Tri value = cell(sp.value);
        sp = Tri::of(static_cast<std::uint8_t>(sp.value - 1));
        return value;
    }

    void arithmetic(Sum sum)
    {
        a() = sum.value;
        psw() = withBit(withBit(withBit(psw(), 7, sum.carry), 6, sum.aux), 2, sum.overflow);
    }

    const std::vector<std::uint8_t> &image;
    PathState &s;
    std::uint8_t op = 0, b1 = 0, b2 = 0;
    const tw::mcs51::OpcodeRow *row = nullptr;
    std::uint16_t next = 0;
};

// The adders of the simulator itself when every input is known.
Sum knownAdd(Tri a, Tri b, Bit carryIn, bool subtract)
{
    if (!a.full() || !b.full() || !carryIn.known)
        return subtract ? triSubtract(a, b, carryIn) : triAdd(a, b, carryIn);
    std::uint8_t psw = 0;
    const std::uint8_t value = subtract ? tw::flags::subtract(psw, a.value, b.value, carryIn.value)
                                        : tw::flags::add(psw, a.value, b.value, carryIn.value);
    return {Tri::of(value), Bit::of(psw & kCarry), Bit::of(psw & kAux), Bit::of(psw & kOverflow)};
}

} // namespace

std::uint16_t RoutineCode::at(const QString &label, int offset) const
{
    if (!labels.contains(label))
        throw PathError(file.toStdString() + ": no label " + label.toStdString());
    const int k = index(labels.value(label)) + offset;
    if (k < 0 || k >= static_cast<int>(starts.size()))
        throw PathError(file.toStdString() + ": " + label.toStdString() + " offset outside the code");
    return starts[static_cast<std::size_t>(k)];
}

std::uint16_t RoutineCode::line(const QString &text, int offset) const
{
    const int first = static_cast<int>(texts.indexOf(text));
    if (first < 0 || texts.lastIndexOf(text) != first)
        throw PathError(file.toStdString() + ": not one line reads " + text.toStdString());
    const int k = first + offset;
    if (k < 0 || k >= static_cast<int>(starts.size()))
        throw PathError(file.toStdString() + ": " + text.toStdString() + " offset outside the code");
    return starts[static_cast<std::size_t>(k)];
}

int RoutineCode::index(std::uint16_t address) const
{
    const auto found = std::find(starts.begin(), starts.end(), address);
    if (found == starts.end())
        throw PathError(file.toStdString() + ": no instruction at " + hex(address).toStdString());
    return static_cast<int>(found - starts.begin());
}

RoutineCode routineCode(const QString &relative)
{
    RoutineCode code;
    code.file = relative;
    const auto content = tw::readTextFile(routinePath(relative));
    const auto source = content ? tw::parseSubroutineSource(content->text) : std::nullopt;
    if (!source)
        throw PathError(relative.toStdString() + ": cannot be read");
    code.source = *source;
    QString problem;
    const QString text = codeWithCallees(code.source, problem);
    if (!problem.isEmpty())
        throw PathError(problem.toStdString());

    // Each label's address comes back from a table of jumps after the code (DW takes numbers only).
    static const QRegularExpression labelAt(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*):"));
    QStringList names;
    for (const QString &row : text.split(u'\n')) {
        QString body = row.section(u';', 0, 0).trimmed();
        const auto match = labelAt.match(body);
        if (match.hasMatch()) {
            names.append(match.captured(1).toUpper());
            body = body.mid(match.capturedLength()).trimmed();
        }
        if (!body.isEmpty())
            code.texts.append(body.simplified().toUpper());
    }
    QString table;
    for (const QString &name : names)
        table += QStringLiteral("\tLJMP\t") + name + QStringLiteral("\r\n");
    const QString caller = QStringLiteral("\tORG\t0\r\n\tLCALL\t") + code.source.entryLabel +
                           QStringLiteral("\r\nTWDONE:\tSJMP\tTWDONE\r\n");
    const auto bytes = assembleAround(code.source, caller, table);
    if (!bytes)
        throw PathError(relative.toStdString() + " does not assemble");
    code.image.assign(bytes->begin(), bytes->end());
    const int tableStart = static_cast<int>(code.image.size()) - 3 * static_cast<int>(names.size());
    for (int k = 0; k < names.size(); ++k)
        code.labels.insert(names[k], static_cast<std::uint16_t>(code.image[tableStart + 3 * k + 1] << 8 |
                                                                code.image[tableStart + 3 * k + 2]));
    if (code.labels.value(code.source.entryLabel.toUpper()) != code.entry)
        throw PathError(relative.toStdString() + ": the routine does not start at 5");
    for (int address = code.entry; address < tableStart;
         address += tw::mcs51::kOpcodes[code.image[static_cast<std::size_t>(address)]].length)
        code.starts.push_back(static_cast<std::uint16_t>(address));
    if (static_cast<int>(code.starts.size()) != code.texts.size())
        throw PathError(relative.toStdString() + ": source lines and instructions differ");
    // Room for the operand bytes of the last instruction.
    code.image.resize(code.image.size() + 3, 0);
    return code;
}

PathState rigEntry(const RoutineCode &code)
{
    PathState state;
    state.cells[0x60] = Tri::of(0x03);
    state.cells[0x61] = Tri::of(0x00);
    state.cells[kCellSp] = Tri::of(0x61);
    state.cells[0] = Tri::of(kXAddress);
    state.cells[1] = Tri::of(kYAddress);
    state.cells[kCellPsw] = {0x00, 0x18};
    state.pc = code.entry;
    return state;
}

Step stepPaths(const std::vector<std::uint8_t> &image, const PathState &state)
{
    Step step;
    PathState &s = step.next[0];
    s = state;
    Machine m(image, s);
    step.cycles = machineCycles(m.op);
    step.count = 1;
    s.pc = m.next;
    const std::string_view name = m.row->mnemonic;
    const auto operand = [&](int k) { return m.row->operands[static_cast<std::size_t>(k)]; };
    // A branch: the fall-through state is next[0], the taken one next[1] (pc set here).
    const auto branch = [&](Bit taken, const std::function<void(PathState &, bool)> &refine) {
        const std::uint16_t target = m.target();
        if (taken.known) {
            if (taken.value)
                s.pc = target;
            return;
        }
        step.next[1] = s;
        step.next[1].pc = target;
        refine(step.next[0], false);
        refine(step.next[1], true);
        step.count = 2;
    };

    if (name == "NOP") {
    } else if (name == "AJMP" || name == "LJMP" || name == "SJMP") {
        s.pc = m.target();
    } else if (name == "ACALL" || name == "LCALL") {
        const std::uint16_t target = m.target();
        m.push(Tri::of(static_cast<std::uint8_t>(m.next)));
        m.push(Tri::of(static_cast<std::uint8_t>(m.next >> 8)));
        s.pc = target;
    } else if (name == "RET" || name == "RETI") {
        const Tri high = m.pop(), low = m.pop();
        if (!high.full() || !low.full())
            throw PathError("return address unknown");
        s.pc = static_cast<std::uint16_t>(high.value << 8 | low.value);
    } else if (name == "MOV") {
        if (operand(0) == Operand::C) {
            m.setCarry(m.readBit(1));
        } else if (operand(1) == Operand::C) {
            m.writeBit(0, m.carry());
        } else if (operand(0) == Operand::Dptr) {
            m.cell(kCellDph) = Tri::of(m.b1);
            m.cell(kCellDpl) = Tri::of(m.b2);
        } else {
            m.write(0, m.read(1));
        }
    } else if (name == "PUSH") {
        // SP goes up first: PUSH SP stores the new value.
        Tri &sp = m.cell(kCellSp);
        m.push(Tri{});
        m.cell(sp.value) = m.read(0);
    } else if (name == "POP") {
        const Tri value = m.pop();
        m.write(0, value);
    } else if (name == "XCH") {
        const Tri other = m.read(1);
        m.write(1, m.a());
        m.a() = other;
    } else if (name == "XCHD") {
        const Tri other = m.read(1), acc = m.a();
        const auto low = [](Tri high, Tri low) {
            return Tri{static_cast<std::uint8_t>((high.value & 0xF0) | (low.value & 0x0F)),
                       static_cast<std::uint8_t>((high.known & 0xF0) | (low.known & 0x0F))};
        };
        m.write(1, low(other, acc));
        m.a() = low(acc, other);
    } else if (name == "INC" || name == "DEC") {
        const Tri one = Tri::of(name == "INC" ? 0x01 : 0xFF);
        if (operand(0) == Operand::Dptr) {
            const Sum low = triAdd(m.cell(kCellDpl), one, Bit::of(false));
            m.cell(kCellDph) = triAdd(m.cell(kCellDph), Tri::of(0), low.carry).value;
            m.cell(kCellDpl) = low.value;
        } else {
            m.write(0, knownAdd(m.read(0), one, Bit::of(false), false).value);
        }
    } else if (name == "ADD" || name == "ADDC") {
        m.arithmetic(knownAdd(m.a(), m.read(1), name == "ADD" ? Bit::of(false) : m.carry(), false));
    } else if (name == "SUBB") {
        m.arithmetic(knownAdd(m.a(), m.read(1), m.carry(), true));
    } else if (name == "ANL" || name == "ORL" || name == "XRL") {
        if (operand(0) == Operand::C) {
            Bit b = m.readBit(1);
            if (operand(1) == Operand::NotBit)
                b = notBit(b);
            const Tri c = withBit(Tri{}, 0, m.carry()), v = withBit(Tri{}, 0, b);
            m.setCarry(bitOf(name == "ANL" ? triAnd(c, v) : triOr(c, v), 0));
        } else {
            const Tri x = m.read(0), y = m.read(1);
            m.write(0, name == "ANL" ? triAnd(x, y) : name == "ORL" ? triOr(x, y) : triXor(x, y));
        }
    } else if (name == "CLR" || name == "SETB" || name == "CPL") {
        if (operand(0) == Operand::A) {
            m.a() = name == "CLR" ? Tri::of(0) : triNot(m.a());
        } else {
            const Bit now = operand(0) == Operand::C ? m.carry() : m.readBit(0);
            const Bit after = name == "CLR" ? Bit::of(false) : name == "SETB" ? Bit::of(true) : notBit(now);
            if (operand(0) == Operand::C)
                m.setCarry(after);
            else
                m.writeBit(0, after);
        }
    } else if (name == "RL" || name == "RR" || name == "RLC" || name == "RRC") {
        const Tri acc = m.a();
        const bool left = name == "RL" || name == "RLC";
        const bool throughCarry = name == "RLC" || name == "RRC";
        const Bit in = throughCarry ? m.carry() : bitOf(acc, left ? 7 : 0);
        Tri out;
        for (int n = 0; n < 8; ++n) {
            const int from = left ? n - 1 : n + 1;
            out = withBit(out, n, from < 0 || from > 7 ? in : bitOf(acc, from));
        }
        m.a() = out;
        if (throughCarry)
            m.setCarry(bitOf(acc, left ? 7 : 0));
    } else if (name == "SWAP") {
        const Tri acc = m.a();
        m.a() = {static_cast<std::uint8_t>(acc.value << 4 | acc.value >> 4),
                 static_cast<std::uint8_t>(acc.known << 4 | acc.known >> 4)};
    } else if (name == "DA") {
        const Tri acc = m.a();
        const Bit c = m.carry(), aux = bitOf(m.psw(), 6);
        if (acc.full() && c.known && aux.known) {
            std::uint8_t psw = static_cast<std::uint8_t>((c.value ? kCarry : 0) | (aux.value ? kAux : 0));
            m.a() = Tri::of(tw::flags::decimalAdjust(psw, acc.value));
            m.setCarry(Bit::of(psw & kCarry));
        } else {
            m.a() = Tri{};
            m.setCarry(c.isKnown(true) ? c : Bit{}); // DA only ever sets CY
        }
    } else if (name == "MUL" || name == "DIV") {
        const Tri x = m.a(), y = m.cell(kCellB);
        Tri low, high;
        Bit overflow;
        if (x.full() && y.full()) {
            const bool mul = name == "MUL";
            const unsigned product = x.value * y.value;
            overflow = Bit::of(mul ? product > 0xFF : y.value == 0);
            low = Tri::of(mul       ? static_cast<std::uint8_t>(product)
                          : y.value ? static_cast<std::uint8_t>(x.value / y.value)
                                    : x.value);
            high = Tri::of(mul       ? static_cast<std::uint8_t>(product >> 8)
                           : y.value ? static_cast<std::uint8_t>(x.value % y.value)
                                     : y.value);
        } else if (name == "MUL" && (x == Tri::of(0) || y == Tri::of(0))) {
            low = high = Tri::of(0);
            overflow = Bit::of(false);
        }
        m.a() = low;
        m.cell(kCellB) = high;
        m.psw() = withBit(withBit(m.psw(), 7, Bit::of(false)), 2, overflow);
    } else if (name == "JC" || name == "JNC") {
        const bool onSet = name == "JC";
        const Bit c = m.carry();
        branch({c.known, c.known && c.value == onSet}, [&](PathState &p, bool taken) {
            p.cells[kCellPsw] = withBit(p.cells[kCellPsw], 7, Bit::of(taken == onSet));
        });
    } else if (name == "JB" || name == "JNB" || name == "JBC") {
        const bool onSet = name != "JNB";
        const Bit b = m.readBit(0);
        const auto [c, n] = m.bitPlace(0);
        if (name == "JBC" && b.isKnown(true))
            m.cell(c) = withBit(m.cell(c), n, Bit::of(false));
        branch({b.known, b.known && b.value == onSet}, [&, c = c, n = n](PathState &p, bool taken) {
            const bool set = taken == onSet;
            p.cells[static_cast<std::size_t>(c)] =
                withBit(p.cells[static_cast<std::size_t>(c)], n, Bit::of(set && name != "JBC"));
        });
    } else if (name == "JZ" || name == "JNZ") {
        const bool onZero = name == "JZ";
        const Bit zero = isZero(m.a());
        branch({zero.known, zero.known && zero.value == onZero}, [&](PathState &p, bool taken) {
            if (taken == onZero)
                p.cells[kCellA] = Tri::of(0);
        });
    } else if (name == "CJNE") {
        const Tri x = m.read(0), y = m.read(1);
        const Sum difference = knownAdd(x, y, Bit::of(false), true);
        const Bit equal = isZero(triXor(x, y));
        m.setCarry(difference.carry);
        const int place = m.operandCell(0);
        branch(notBit(equal), [&](PathState &p, bool taken) {
            if (taken)
                return;
            p.cells[kCellPsw] = withBit(p.cells[kCellPsw], 7, Bit::of(false));
            if (y.full())
                p.cells[static_cast<std::size_t>(place)] = y;
        });
    } else if (name == "DJNZ") {
        const Tri count = knownAdd(m.read(0), Tri::of(0xFF), Bit::of(false), false).value;
        const int place = m.operandCell(0);
        m.cell(place) = count;
        branch(notBit(isZero(count)), [&](PathState &p, bool taken) {
            if (!taken)
                p.cells[static_cast<std::size_t>(place)] = Tri::of(0);
        });
    } else {
        throw PathError(std::string("instruction not followed: ") + std::string(name) + " at " +
                        hex(state.pc).toStdString());
    }
    // P follows A in the CPU; nothing here reads it.
    for (int k = 0; k < step.count; ++k) {
        Tri &p = step.next[static_cast<std::size_t>(k)].cells[kCellPsw];
        p = withBit(p, 0, Bit{});
    }
    return step;
}

void loadCpu(tw::Cpu51 &cpu, const std::vector<std::uint8_t> &image, const PathState &state,
             const PathState *fill)
{
    cpu.loadCode(image.data(), static_cast<std::int32_t>(image.size()));
    cpu.reset();
    const auto value = [&](int k) {
        const Tri t = state.cells[static_cast<std::size_t>(k)];
        const std::uint8_t other = fill ? fill->cells[static_cast<std::size_t>(k)].value : 0;
        return static_cast<std::uint8_t>(t.value | (other & ~t.known));
    };
    for (int k = 0; k < kIramCells; ++k)
        cpu.iram[static_cast<std::size_t>(k)] = value(k);
    for (std::size_t k = 0; k < kCellSfrs.size(); ++k)
        cpu.sfr[kCellSfrs[k]] = value(kIramCells + static_cast<int>(k));
    cpu.updateParity();
    cpu.syncDerivedState();
    cpu.pc = state.pc;
}

long runToDone(tw::Cpu51 &cpu, std::uint16_t done, std::uint16_t watch, int *watched)
{
    long cycles = 0;
    for (long steps = 0; cpu.pc != done; ++steps) {
        if (steps > 10000000)
            throw PathError("the routine does not return");
        if (watched && cpu.pc == watch)
            ++*watched;
        cycles += machineCycles(cpu.code[cpu.pc]);
        cpu.step();
    }
    return cycles;
}

void PathCost::join(const PathCost &other)
{
    if (other.most < 0)
        return;
    if (most < 0) {
        *this = other;
        return;
    }
    most = std::max(most, other.most);
    least = std::min(least, other.least);
}

void PathSearch::limit(std::uint16_t address, int most)
{
    if (m_limits.size() == kMaxLimits)
        throw PathError("too many limits");
    m_limits.emplace_back(address, most);
}

void PathSearch::forget(std::uint16_t address, int cell, std::uint8_t mask)
{
    m_forgets.push_back({address, cell, mask});
}

void PathSearch::cut(std::uint16_t address, std::function<long(const PathState &)> rest)
{
    m_cuts.emplace_back(address, std::move(rest));
}

PathCost PathSearch::run(const PathState &start)
{
    return walk(start);
}

PathCost PathSearch::walk(PathState state)
{
    long cycles = 0;
    for (long steps = 0;; ++steps) {
        if (steps > 1000000)
            throw PathError("a path runs on without a branch at " + hex(state.pc).toStdString());
        if (state.pc == m_code.done)
            return {cycles, cycles};
        for (const auto &[address, rest] : m_cuts)
            if (state.pc == address) {
                const long tail = rest(state);
                return {cycles + tail, cycles + tail};
            }
        // limit() keeps m_limits within counts; the second bound says so to the compiler, which
        // otherwise warns (-Wstringop-overflow) of a write past counts.
        for (std::size_t k = 0; k < m_limits.size() && k < state.counts.size(); ++k)
            if (state.pc == m_limits[k].first && ++state.counts[k] > m_limits[k].second)
                return {};
        for (const Forget &f : m_forgets)
            if (state.pc == f.address) {
                Tri &t = state.cells[static_cast<std::size_t>(f.cell)];
                t.known = static_cast<std::uint8_t>(t.known & ~f.mask);
                t.value = static_cast<std::uint8_t>(t.value & t.known);
            }
        Step step = stepPaths(m_code.image, state);
        cycles += step.cycles;
        if (step.count == 1) {
            state = step.next[0];
            continue;
        }
        std::string key(reinterpret_cast<const char *>(&state), sizeof state);
        if (const auto found = m_memo.find(key); found != m_memo.end()) {
            PathCost cost = found->second;
            cost.add(cycles);
            return cost;
        }
        if (!m_open.insert(key).second)
            throw PathError("a loop without a bound at " + hex(state.pc).toStdString());
        if (m_memo.size() > 3000000)
            throw PathError("too many paths");
        PathCost cost;
        for (int k = 0; k < 2; ++k)
            cost.join(walk(step.next[static_cast<std::size_t>(k)]));
        m_open.erase(key);
        m_memo.emplace(std::move(key), cost);
        cost.add(cycles);
        return cost;
    }
}

} // namespace twtest
