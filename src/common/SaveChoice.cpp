#include "SaveChoice.h"
#include "CheckedFile.h"
#include "Prompter.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tw
{

QString replaceFileQuestion(const QString &path)
{
    // QFileDialog's own source text and context, so that the catalogue gives what Qt's box shows.
    return QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
        .arg(QFileInfo(path).fileName());
}

SaveChoice chooseSaveName(Prompter &prompter, const QString &title, const QString &filter,
                          const QString &start, const std::function<QString(const QString &)> &finish)
{
    QString shownAt = start;
    for (;;) {
        QString path = prompter.saveFileNameUnasked(title, filter, shownAt);
        if (path.isEmpty())
            return {};
        if (finish)
            path = finish(path);
        const FileState standing = fileStateAt(path);
        if (!standing.exists || !outputRefusalAt(path).isEmpty())
            return {path, standing};
        if (prompter.message(replaceFileQuestion(path),
                             MsgStyle::YesNo + MsgStyle::Exclamation + MsgStyle::DefaultButton2,
                             title) == MsgAnswer::Yes)
            return {path, standing};
        shownAt = path;
    }
}

} // namespace tw
