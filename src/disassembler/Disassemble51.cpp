#include "disassembler/Disassemble51.h"

#include "common/Paths.h"
#include "disassembler/Messages.h"

#include <QFile>

namespace tw
{

Disasm51Result disassemble51(const Disasm51Job &job)
{
    const QString listPath =
        job.segmentListPath.isEmpty() ? replaceLastThree(job.outPath, u"lst"_qs) : job.segmentListPath;
    const std::string binName = QFile::encodeName(job.binPath).toStdString();
    const std::string outName = QFile::encodeName(job.outPath).toStdString();
    const std::string listName = QFile::encodeName(listPath).toStdString();
    const Disasm51PlainResult plain = disassemble51(
        Disasm51PlainJob{binName, outName, listName, job.startText.toStdString(), job.endText.toStdString()});

    // The names go back as the caller gave them.
    const auto pathOf = [&](const std::string &name) {
        return name == outName ? job.outPath : name == listName ? listPath : QFile::decodeName(name.c_str());
    };
    Disasm51Result result;
    result.outcome = plain.outcome;
    for (const DisasmNote &note : plain.messages)
        result.messages.push_back(qtMessage(note));
    result.segmentListText = QString::fromStdString(plain.segmentListText);
    for (const std::string &name : plain.filesWritten)
        result.filesWritten << pathOf(name);
    if (!plain.openPath.empty())
        result.openPath = pathOf(plain.openPath);
    result.startAddress = plain.startAddress;
    result.endAddress = plain.endAddress;
    return result;
}

} // namespace tw
