// Any bytes as an .obj text: read as the Start command reads it, converted both ways through
// files, and the digits written back for an image must read as the same image.
#include "FuzzSupport.h"

#include "common/OutcomeWriter.h"
#include "common/ScriptedPrompter.h"
#include "conversion/ObjConversion.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString problem;
    const std::optional<QByteArray> image = tw::objTextToBin(text, &problem);
    if (!image && problem.isEmpty())
        twfuzz::finding("a refused .obj text without a reason");
    if (image) {
        const QByteArray digits = tw::binToObjText(*image);
        if (digits.size() != image->size() * 2 || tw::objTextToBin(digits) != image)
            twfuzz::finding("an image does not survive its .obj text");
    }

    static const QString obj = twfuzz::workPath("prog.obj");
    static const QString bin = twfuzz::workPath("prog.bin");
    static const QString back = twfuzz::workPath("back.obj");
    twfuzz::writeInput(obj, data, size);
    QFile::remove(bin);
    tw::ScriptedPrompter prompter;
    const bool converted =
        tw::carryOut(tw::convertObjToBin(obj, bin), prompter).result == tw::WriteResult::Written;
    if (converted != image.has_value())
        twfuzz::finding("the Start command and the reader disagree on an .obj text");
    if (!converted) {
        if (QFile::exists(bin))
            twfuzz::finding("a refused .obj text left an output");
        return 0;
    }
    if (twfuzz::readOutput(bin) != *image)
        twfuzz::finding("the written image differs from the text's");
    if (tw::carryOut(tw::convertBinToObj(bin, back), prompter).result != tw::WriteResult::Written ||
        twfuzz::readOutput(back) != tw::binToObjText(*image))
        twfuzz::finding("bin to obj did not write the image's digits");
    return 0;
}
