#pragma once
// The file dialogs' size and date columns in the program's language.
#include <QIdentityProxyModel>

class QLocale;

namespace tw
{

// Qt's file list writes sizes and dates in the system's locale, which speaks English ("5 bytes",
// "4.88 KiB", "7 Dec 2026") on a system set to C whatever language the program speaks. This
// writes them in the program's own locale, with sizes as Chinese file managers give them.
class FileListTexts : public QIdentityProxyModel
{
  public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

// "5 字节" up to 1023 bytes, then "4.88 KB", "3.00 MB", ... counted in 1024s.
QString fileSizeText(qint64 bytes, const QLocale &locale);

} // namespace tw
