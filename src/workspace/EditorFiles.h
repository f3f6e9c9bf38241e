#pragma once
// File rules of the editor windows that need no widgets: the save dialogs, line ends and
// encodings on the way in and out, and which files are closed without asking.
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

// The encoding to write text in: the preferred one when it holds every character, else UTF-8.
TextEncoding encodingFor(const QString &text, TextEncoding preferred);

// Code images and listings are closed without the save question.
bool closesWithoutQuestion(const QString &openFile);

} // namespace tw
