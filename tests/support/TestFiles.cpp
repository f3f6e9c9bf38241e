#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace twtest
{

QString dataPath(const QString &relative)
{
    return QDir(QStringLiteral(TW_TEST_DATA_DIR)).filePath(relative);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

ProcessResult runProgram(const QString &program, const QStringList &args, const QString &workingDir,
                         int timeoutMs)
{
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(program, args);
    ProcessResult result;
    if (!process.waitForStarted(timeoutMs))
        return result;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult runDriver(const QStringList &args)
{
    return runProgram(QStringLiteral(TW_TWDRIVE), args);
}

bool havePeer(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString missingProgram(const QStringList &programs)
{
    for (const QString &program : programs)
        if (!havePeer(program))
            return program;
    return {};
}

bool requiredUnderCi()
{
    return qgetenv("CI") == "true";
}

} // namespace twtest
