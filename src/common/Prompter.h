#pragma once
// Every message box, question and file, print and font dialog of the system goes through a
// Prompter: QtPrompter shows the real dialogs, ScriptedPrompter records calls and answers from a
// script (tests).
#include "base/MessageStyle.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

namespace tw
{

struct FontChoice {
    QString family;
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class PrintRange { All, Selection };
struct PrintChoice {
    PrintRange range = PrintRange::All;
    int copies = 1;
};

class Prompter
{
  public:
    virtual ~Prompter() = default;

    // Shows a message box; returns the MsgAnswer of the button pressed.
    virtual int message(const QString &text, int style = MsgStyle::Ok, const QString &title = QString()) = 0;

    // File dialogs. filter uses Qt's form ("汇编源文件 (*.asm);;所有文件 (*.*)"); a text that ends in
    // a pattern of its own is shown without the one Qt's form adds ("所有文件(*.*) (*)" shows
    // "所有文件(*.*)" and lists every file). Empty when cancelled.
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &start = QString()) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter,
                                 const QString &start = QString()) = 0;
    // A save dialog that puts no overwrite question of its own: the caller puts it, so that it
    // can take down the file it asks about (common/SaveChoice.h).
    virtual QString saveFileNameUnasked(const QString &title, const QString &filter,
                                        const QString &start = QString()) = 0;
    // An open dialog that also returns a typed name of a file that does not exist, for commands
    // that report a missing file themselves.
    virtual QString openFileNameOrTyped(const QString &title, const QString &filter,
                                        const QString &start = QString())
    {
        return openFileName(title, filter, start);
    }

    virtual std::optional<FontChoice> chooseFont(const FontChoice &current) = 0;
    // Printer set-up; false when cancelled.
    virtual bool printSetup() = 0;
    // The print dialog; std::nullopt when cancelled.
    virtual std::optional<PrintChoice> choosePrint(bool selectionAvailable) = 0;

    // The same prompts owned by the window that asks: a tool window's boxes and dialogs open over
    // it and hand the focus back to it, instead of raising the main window over it.
    virtual std::unique_ptr<Prompter> forWindow(QWidget *asker) = 0;
};

} // namespace tw
