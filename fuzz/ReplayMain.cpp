// Runs a fuzz target over files instead of under libFuzzer: the regression inputs and seeds of
// each target go through the normal (and the sanitizer) test run this way.
//   fuzz_NAME_replay [--regressions FOLDER] INPUT...
// FOLDER holds the inputs that once failed (fuzz/regressions/NAME). A target that never had a
// finding has none, and a checkout keeps no empty folder, so a FOLDER that is not there is no
// inputs. Every INPUT, a file or a folder of files, must be there.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace
{

int replay(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int failures = 0;
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const bool regressions = std::strcmp(argv[i], "--regressions") == 0 && i + 1 < argc;
        if (regressions)
            ++i;
        const QString path = QFile::decodeName(argv[i]);
        const QFileInfo info(path);
        if (regressions && !info.exists())
            continue;
        if (info.isDir()) {
            QDirIterator files(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                failures += replay(files.next());
                ++inputs;
            }
        } else {
            failures += replay(path);
            ++inputs;
        }
    }
    std::printf("%d inputs replayed\n", inputs);
    return failures == 0 ? 0 : 1;
}
