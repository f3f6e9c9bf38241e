#pragma once
// What every fuzz target shares: a private work folder for the files a run reads and writes, and
// internal errors that stop the process so the fuzzer records the input.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace twfuzz
{

// A file name in this process's work folder (on a memory file system where there is one).
QString workPath(const char *name);

// Writes bytes to path, replacing it; aborts when it cannot (a broken work folder is no finding).
void writeInput(const QString &path, const std::uint8_t *data, std::size_t size);
QByteArray readOutput(const QString &path);

// Stops the process with a message: the fuzzer keeps the input that led here.
[[noreturn]] void finding(const char *what, const QString &detail = QString());

} // namespace twfuzz
