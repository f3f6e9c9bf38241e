// twdrive send / isp: the serial sender and the programmer's commands without their windows.
// send goes to a real device (a pseudo-terminal from socat, say); isp runs against the simulated
// AT89S51 of the tests.
#include "Commands.h"

#include "links/Programmer.h"
#include "links/QtSerialLink.h"
#include "links/SendFile.h"
#include "links/SerialSender.h"
#include "links/SimAt89s51.h"

#include <QCoreApplication>
#include <QTextStream>

namespace
{

int send(const QStringList &args)
{
    QTextStream out(stdout);
    if (args.size() < 2 || args.size() > 5) {
        return twdrive::usageError("send");
    }
    tw::SendImage image;
    if (tw::loadSendFile(args[0], image) != tw::SendLoad::Loaded) {
        out << "LOAD FAILED\n";
        return 1;
    }
    tw::SendJob job;
    job.device = args[1];
    job.baud = args.size() > 2 ? args[2].toInt() : 9600;
    job.parity = args.size() > 3 ? args[3].toLatin1().at(0) : 'n';
    if (args.size() > 4) {
        if (tw::parseFileHeader(args[4], job.header) != tw::HeaderCheck::Ok) {
            out << "BAD HEADER\n";
            return 1;
        }
        job.withHeader = true;
    }
    job.blocks = QByteArray(reinterpret_cast<const char *>(image.image.bytes.data()),
                            image.blockCount * tw::kSendBlockSize);
    out << "LENGTH " << tw::sendLengthText(image.length) << "\nBLOCKS " << image.blockCount << "\n";
    if (image.blockCount == 0)
        return 0;
    tw::QtSerialLink link;
    tw::SerialSender sender(link);
    tw::SendOutcome outcome = tw::SendOutcome::Cancelled;
    QObject::connect(&sender, &tw::SerialSender::finished, [&outcome](tw::SendOutcome result) {
        outcome = result;
        QCoreApplication::exit(0);
    });
    sender.start(job);
    if (sender.isRunning())
        QCoreApplication::exec();
    const char *names[] = {"COMPLETED",        "PORT FAILED", "RATE NOT TAKEN",
                           "PARITY NOT TAKEN", "TIMED OUT",   "CANCELLED"};
    out << names[static_cast<int>(outcome)] << "\n";
    return outcome == tw::SendOutcome::Completed ? 0 : 1;
}

int isp(const QStringList &args)
{
    QTextStream out(stdout);
    if (args.isEmpty() || args.size() > 2) {
        return twdrive::usageError("isp");
    }
    twtest::VirtualClock clock;
    twtest::SimAt89s51 chip(clock);
    chip.flash.fill(0x00); // an old program, so that the first blank check has something to find
    tw::ProgrammerMemory memory;
    tw::Programmer programmer(memory, chip, clock);
    programmer.startPort();
    programmer.programmingEnable();
    if (programmer.openFile(args[0]) != tw::Programmer::FileLoad::Loaded) {
        out << "OPEN FAILED\n";
        return 1;
    }
    const QString bits = args.size() > 1 ? args[1] : QString();
    const tw::LockBits lock{bits.mid(0, 1) == u"1"_qs, bits.mid(1, 1) == u"1"_qs, bits.mid(2, 1) == u"1"_qs};
    auto show = [&](const char *step) {
        out << "== " << step << "\n" << QString(programmer.boxText()).replace(u"\r\n"_qs, u"\n"_qs);
    };
    const int length = programmer.dataLength();
    const QByteArray file(reinterpret_cast<const char *>(programmer.buffer().bytes.data()), length);
    show("open");
    programmer.blankCheck();
    show("blank check");
    programmer.automatic(lock);
    show("automatic");
    const bool same = QByteArray(reinterpret_cast<const char *>(chip.flash.data()), length) == file;
    programmer.readOut();
    show("read-out");
    out << "LOCK BITS " << chip.lockBits() << "\nTIMING FAULTS " << chip.timingFaults.size() << "\n"
        << (same ? "CHIP SAME AS FILE\n" : "CHIP DIFFERS FROM FILE\n");
    return same && chip.timingFaults.isEmpty() ? 0 : 1;
}

} // namespace

TW_DRIVER_COMMAND("send", send);
TW_DRIVER_COMMAND("isp", isp);
