#pragma once
// Save dialogs whose overwrite question is the agreement: the file a save replaces is the one that
// stood at the name when the user was asked, not whatever stands there once the dialog has gone.
#include "base/FileAccess.h"

#include <QString>
#include <functional>

namespace tw
{

class Prompter;

struct SaveChoice {
    QString path;     // empty: the dialog was cancelled
    FileState agreed; // what stood at path as the user agreed to replace it; no file: the name was free
};

// Qt's own question before a save dialog replaces a file ("NAME 已存在。\n您想要替换它吗？" with
// the Chinese catalogue), word for word as the dialog would put it.
QString replaceFileQuestion(const QString &path);

// The save dialog, its overwrite question put through the prompter right after what stands at the
// chosen name is taken down: Yes gives that name with that file; No, the default as in Qt's box,
// shows the dialog again at that name. finish turns the dialog's name into the one written (an
// extension the caller adds). A name the writer refuses before any question (a folder, a device, a
// read-only file, a folder that takes no new file: outputRefusal) is not asked about, where Yes
// could do nothing, but left to the write, which refuses it.
SaveChoice chooseSaveName(Prompter &prompter, const QString &title, const QString &filter,
                          const QString &start, const std::function<QString(const QString &)> &finish = {});

} // namespace tw
