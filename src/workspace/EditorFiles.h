#pragma once
// File rules of the editor windows that need no widgets: the save dialogs, line ends and
// encodings on the way in and out, and which files are closed without asking.
#include "common/CheckedFile.h"
#include "common/TextFile.h"

#include <QString>

namespace tw
{

struct FileDialogText {
    QString title;
    QString filter; // Qt's form
};
// The save dialogs of an editor: Save of an unnamed text, and Save As.
FileDialogText saveDialogText();
FileDialogText saveAsDialogText();

// A chosen save name without an extension gets ".asm", as the dialog's default extension does.
QString withDefaultSuffix(const QString &path);

// File text (CR LF, LF or a lone CR) to editor text (LF only), and back (CR LF).
QString editorTextFromFile(const QString &fileText);
QString fileTextFromEditor(const QString &editorText);

// How an editor's text goes back to disk.
struct SaveEncoding {
    TextEncoding encoding = TextEncoding::Gbk;
    // Asked first when the write would not give back the file's bytes (another encoding, or bytes
    // that could not be read replaced): Yes writes, any other answer saves nothing. Empty: write.
    QString question;
};
// A text read from a file goes back in the encoding it was read in; when that cannot hold it (a
// stray byte read as U+FFFD, or a character GBK lacks) the question offers UTF-8. A new text is
// written in GBK, or in UTF-8 when GBK cannot hold it.
SaveEncoding saveEncodingFor(const QString &fileText, TextEncoding readIn, bool strayBytes,
                             bool readFromFile);

// The message of a failed save; cannotEncode when the encoding could not hold a character.
QString saveFailedText(const QString &path, bool cannotEncode);
// The message of a tidy refused because it would change a character other than ASCII ones.
QString tidyRefusedText(const QString &path);

// What a file held when an editor last read or wrote it, so that a save can tell whether another
// program has changed it since.
struct DiskState {
    QString path; // empty: nothing remembered
    qint64 size = 0;
    QByteArray hash;
    FileState state; // what stood at the path then: the file a save replaces unasked

    static DiskState of(const QString &path, const QByteArray &bytes, const FileState &state);
    // True when path is the remembered file and it now holds other bytes (or cannot be read to
    // tell). A file that is gone has nothing left to lose, so it does not count as changed.
    bool changedAt(const QString &path) const;
};
// The question before a save overwrites such a change.
QString changedOnDiskText(const QString &path);

// Code images and listings are closed without the save question.
bool closesWithoutQuestion(const QString &openFile);

} // namespace tw
