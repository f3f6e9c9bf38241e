#include "FileListTexts.h"

#include <QFileSystemModel>
#include <QLocale>
#include <iterator>

namespace tw
{

namespace
{
// QFileSystemModel's columns.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
} // namespace

QString fileSizeText(qint64 bytes, const QLocale &locale)
{
    if (bytes < 1024)
        return locale.toString(bytes) + QStringLiteral(u" 字节");
    static const char *const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double size = double(bytes) / 1024;
    int unit = 0;
    while (size >= 1024 && unit + 1 < int(std::size(units))) {
        size /= 1024;
        ++unit;
    }
    return locale.toString(size, 'f', 2) + u' ' + QLatin1String(units[unit]);
}

QVariant FileListTexts::data(const QModelIndex &index, int role) const
{
    QVariant shown = QIdentityProxyModel::data(index, role);
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    // A folder's size stays blank, and so does anything the model has not looked at yet.
    if (role != Qt::DisplayRole || !files || shown.toString().isEmpty())
        return shown;
    const QModelIndex source = mapToSource(index);
    if (index.column() == kSizeColumn)
        return fileSizeText(files->size(source), QLocale());
    if (index.column() == kDateColumn)
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    return shown;
}

} // namespace tw
