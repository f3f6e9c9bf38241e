#pragma once
// Helpers for tests that go through real files.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace twtest {

// Absolute path of a fixture under tests/data.
QString dataPath(const QString &relative);

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs a program (the headless driver, or a peer such as as31) and waits for it.
ProcessResult runProgram(const QString &program, const QStringList &args,
                         const QString &workingDir = QString(), int timeoutMs = 120000);
ProcessResult runDriver(const QStringList &args);

// True when a peer program is on PATH; tests of that peer skip otherwise.
bool havePeer(const QString &program);

} // namespace twtest
