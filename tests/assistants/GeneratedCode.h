#pragma once
// Generated set-up code taken through our own tool chain: written to a source file, assembled by
// the MCS-51 assembler and started in the simulator core, so that tests look at what the chip
// does with it rather than at its text.
#include "assembler/AssemblyRun.h"
#include "common/CodeImageFile.h"
#include "common/TextFile.h"
#include "simulator/Cpu51.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace twtest
{

// Assembles program followed by tail (both CR LF text) and runs the image until it reaches the
// label HERE; returns nothing (with a test failure) when that does not work.
inline std::unique_ptr<tw::Cpu51> runGeneratedCode(const QString &program, const QString &tail)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("setup.asm"));
    const QString bin = dir.filePath(QStringLiteral("setup.bin"));
    QString text = program;
    if (!text.isEmpty() && !text.endsWith(QStringLiteral("\r\n")))
        text += QStringLiteral("\r\n");
    writeBytes(source, tw::encodeText(text + tail + QStringLiteral("\r\nHERE: SJMP HERE\r\n")));
    const tw::AssemblyResult result = tw::assembleFile(tw::AsmCpu::Mcs51, source, bin);
    EXPECT_TRUE(result.completed) << qPrintable(result.failureMessage);
    EXPECT_EQ(result.errorCount, 0) << qPrintable(program);
    if (!result.completed || result.errorCount != 0)
        return nullptr;
    auto image = std::make_unique<tw::CodeImage>();
    const int length = tw::loadCodeImage(bin, *image);
    auto cpu = std::make_unique<tw::Cpu51>();
    cpu->loadCode(image->bytes.data(), length);
    cpu->reset();
    // The set-up is straight-line code: it has run once the PC rests on the final jump.
    const int here = length - 2;
    for (int step = 0; step < 100 && cpu->pc != here; ++step)
        cpu->step();
    EXPECT_EQ(cpu->pc, here);
    return cpu;
}

} // namespace twtest
