// Build step: turns the routine sources (one .asm file per routine, header comment first) into the
// read-only database of the fixed-point and floating-point libraries.
//   tw_subroutine_maker OUT.db FIXED_DIR FLOAT_DIR
#include "assistants/SubroutineLibraries.h"
#include "assistants/SubroutineSource.h"
#include "common/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

using namespace tw;

namespace
{

int fail(const QString &text)
{
    std::fprintf(stderr, "tw_subroutine_maker: %s\n", qPrintable(text));
    return 1;
}

// The routines of one folder in file-name order; empty error text on success.
QString readFolder(const QString &folder, QList<SubroutineRecord> &records)
{
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.asm")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return folder + QStringLiteral(": no routines");
    for (const QString &file : files) {
        const auto content = readTextFile(dir.filePath(file));
        if (!content)
            return dir.filePath(file) + QStringLiteral(": cannot be read");
        QString error;
        const auto source = parseSubroutineSource(content->text, &error);
        if (!source)
            return dir.filePath(file) + QStringLiteral(": ") + error;
        // The same checks a user's routine passes, so the fixed tables fit the same fields.
        const QString problem = newRoutineProblem(source->record);
        if (!problem.isEmpty())
            return dir.filePath(file) + QStringLiteral(": ") + problem;
        records.append(source->record);
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: tw_subroutine_maker OUT.db FIXED_DIR FLOAT_DIR"));
    const QString out = args[1];
    const QString partial = out + QStringLiteral(".part");
    QFile::remove(partial);
    const std::pair<QString, const char *> tables[] = {{args[2], kFixedPointTable},
                                                       {args[3], kFloatingPointTable}};
    for (const auto &[folder, table] : tables) {
        QList<SubroutineRecord> records;
        QString error = readFolder(folder, records);
        SubroutineStore store;
        if (error.isEmpty())
            error = store.openOrCreate(partial, QString::fromLatin1(table));
        if (error.isEmpty())
            error = store.addAll(records);
        if (!error.isEmpty()) {
            store.close();
            QFile::remove(partial);
            return fail(error);
        }
    }
    // The old file goes only once the new one is complete.
    QFile::remove(out);
    if (!QFile::rename(partial, out))
        return fail(out + QStringLiteral(": cannot be written"));
    return 0;
}
