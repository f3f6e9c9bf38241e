#pragma once
// Helpers for tests that go through real files.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace twtest
{

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

// True when a peer program is on PATH.
bool havePeer(const QString &program);
// The first of the programs that is not on PATH; empty when all are.
QString missingProgram(const QStringList &programs);
// Under CI (CI=true) every peer and tool the tests use must be installed: a test that misses one
// fails instead of skipping.
bool requiredUnderCi();

} // namespace twtest

// Skips the test when one of the programs is missing, or fails it under CI.
#define TW_REQUIRE_PROGRAMS(...)                                                                             \
    if (const QString missing_ = twtest::missingProgram({__VA_ARGS__}); !missing_.isEmpty()) {               \
        if (twtest::requiredUnderCi())                                                                       \
            FAIL() << missing_.toStdString() << " is not installed (required under CI)";                     \
        GTEST_SKIP() << missing_.toStdString() << " is not installed";                                       \
    }
