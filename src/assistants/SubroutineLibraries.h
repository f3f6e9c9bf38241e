#pragma once
// The three subroutine libraries (fixed point, floating point, the user's own), where they live,
// and the checks a new user routine passes before it is stored.
#include "SubroutineStore.h"

#include <QString>

namespace tw
{

enum class SubroutineLibrary { FixedPoint, FloatingPoint, User };

struct LibraryPlace {
    QString caption; // window caption and list text
    QString path;    // database file
    QString table;
    bool readOnly = true;
};

// The fixed libraries' file: built with the program and kept in the program folder.
inline constexpr const char *kFixedLibraryFile = "zcx.db";
// The user library's file, made in the work folder on first use.
inline constexpr const char *kUserLibraryFile = "yhzcx.db";
inline constexpr const char *kFixedPointTable = "ddys";
inline constexpr const char *kFloatingPointTable = "fdys";
inline constexpr const char *kUserTable = "yhzcx";

LibraryPlace libraryPlace(SubroutineLibrary library);

namespace LibraryText
{
inline const QString DesignCaption = QStringLiteral(u"实用子程序");
inline const QString NamePlaceholder = QStringLiteral(u"子程序名称");
inline const QString MessageTitle = QStringLiteral(u"信息");
} // namespace LibraryText

// The first of the confirm command's checks that fails, as its message; empty when the record may
// be stored. After the six emptiness checks come the refusals of names, resource and stack texts
// longer than their fields.
QString newRoutineProblem(const SubroutineRecord &record);

// What the window says when a library cannot be opened, read or written.
QString libraryOpenFailure(const QString &path, const QString &engineError);
QString libraryWriteFailure(const QString &path, const QString &engineError);

} // namespace tw
