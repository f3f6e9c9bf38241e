#pragma once
// Where the program finds its data and keeps its work files.
#include <QString>

namespace tw
{

// The program folder: help pages, raster fonts and library databases. It is the data/ folder
// beside the executable; the environment variable TW_PROGRAM_FOLDER overrides it (tests).
QString programFolder();

// The work folder (~/.local/share/tarnwick), made on first use.
QString workFolder();

// A path with its last three characters replaced: ("a/b.bin", "lt") gives "a/b.lt" (the file-name
// rule of base/FileNames.h).
QString replaceLastThree(const QString &path, const QString &ending);

// True when a path ends in "bin" or "BIN": the code-image test of every window that takes a
// .bin (mixed case such as "Bin" is not one).
bool hasBinEnding(const QString &path);

// Whether two paths name the same file, after resolving links and relative parts (a hard link is
// its file too); the second may not exist yet. An empty path names no file.
bool isSameFile(const QString &existing, const QString &other);

// The file name without its folder.
QString stripPath(const QString &path);

} // namespace tw
