#include "Paths.h"

#include "base/FileNames.h"
#include "base/SamePath.h"
#include "common/OutcomeWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace tw
{

QString programFolder()
{
    const QString overridden = qEnvironmentVariable("TW_PROGRAM_FOLDER");
    if (!overridden.isEmpty())
        return overridden;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("data"));
}

QString workFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty())
        folder = QDir::home().filePath(QStringLiteral(".local/share/tarnwick"));
    QDir().mkpath(folder);
    return folder;
}

bool isSameFile(const QString &existing, const QString &other)
{
    return isSameFilePath(nativePath(existing), nativePath(other));
}

bool hasBinEnding(const QString &path)
{
    return path.endsWith(QLatin1String("bin")) || path.endsWith(QLatin1String("BIN"));
}

QString replaceLastThree(const QString &path, const QString &ending)
{
    return fromNativePath(replaceLastThree(nativePath(path), ending.toStdString()));
}

QString stripPath(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

} // namespace tw
