#include "FuzzSupport.h"

#include "common/InternalError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace twfuzz
{

namespace
{

QTemporaryDir &workFolder()
{
    // Made on first use and kept for the process's life: libFuzzer never returns from its loop.
    static QTemporaryDir *folder = [] {
        const QString shm = QStringLiteral("/dev/shm");
        const QString base = QDir(shm).exists() ? shm : QDir::tempPath();
        auto *made = new QTemporaryDir(base + QStringLiteral("/tw-fuzz-XXXXXX"));
        if (!made->isValid())
            finding("no work folder");
        return made;
    }();
    return *folder;
}

} // namespace

QString workPath(const char *name)
{
    return workFolder().filePath(QString::fromLatin1(name));
}

void writeInput(const QString &path, const std::uint8_t *data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        finding("cannot write the work file", path);
}

QByteArray readOutput(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void finding(const char *what, const QString &detail)
{
    std::fprintf(stderr, "FINDING: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

} // namespace twfuzz

// Internal errors abort, so that they are findings, not quiet messages.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    tw::setInternalErrorsFatal(true);
    return 0;
}
