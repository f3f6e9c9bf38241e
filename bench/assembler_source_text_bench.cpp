// Reading a large source with Chinese comments: the whole-file encoding decision (both decoders,
// the character weighing and the charset detector where needed) and the decode, in GBK and UTF-8.
#include "common/TextFile.h"

#include <QString>
#include <benchmark/benchmark.h>

namespace
{

// 16,000 statements, every other one with a comment of one to four Chinese characters, some of
// them GBK byte pairs that are also valid UTF-8 (写一位, 取值).
QString chineseSource()
{
    static const QString comments[] = {QStringLiteral(u";写一位"), QStringLiteral(u";取值"),
                                       QStringLiteral(u";循环计数"), QStringLiteral(u";延时")};
    QString text;
    for (int i = 0; i < 16000; ++i) {
        text += QStringLiteral("L%1:\tMOV\tA,#12H").arg(i);
        if (i % 2 == 0)
            text += u'\t' + comments[(i / 2) % 4];
        text += QStringLiteral("\r\n");
    }
    return text;
}

void decodeChineseSource(benchmark::State &state, tw::TextEncoding encoding)
{
    const QByteArray bytes = *tw::tryEncodeText(chineseSource(), encoding);
    for (auto _ : state) {
        const tw::TextFileContent content = tw::decodeText(bytes);
        if (content.encoding != encoding)
            state.SkipWithError("read in the wrong encoding");
        benchmark::DoNotOptimize(content.text.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK_CAPTURE(decodeChineseSource, gbk, tw::TextEncoding::Gbk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeChineseSource, utf8, tw::TextEncoding::Utf8)->Unit(benchmark::kMillisecond);

} // namespace
