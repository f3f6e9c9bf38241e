#include "FileFaults.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace twtest
{

namespace
{

bool folderTakesNewFiles(const QString &path)
{
    const QByteArray probe = QFile::encodeName(QDir(path).filePath(QStringLiteral(".probe")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

} // namespace

bool makeSparseFile(const QString &path, long long size)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return sized;
}

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() != 0) {
        ::chmod(name.constData(), 0555);
    } else {
        m_immutable = runProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), path}).exitCode == 0;
    }
    m_active = !folderTakesNewFiles(path);
    if (!m_active)
        release();
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    release();
}

void ReadOnlyFolder::release()
{
    if (m_immutable)
        runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    else
        ::chmod(QFile::encodeName(m_path).constData(), 0755);
    m_immutable = false;
}

} // namespace twtest
