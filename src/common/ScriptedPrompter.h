#pragma once
// A Prompter for tests: records every call and answers from a script.
#include "Prompter.h"

#include <QList>
#include <QVariant>

#include <functional>

namespace tw
{

class ScriptedPrompter : public Prompter
{
  public:
    enum class Kind { Message, OpenFile, SaveFile, Font, PrintSetup, Print };
    struct Call {
        Kind kind;
        int style = 0;
        QString title;
        QString text;                   // message text, or the dialog's filter
        const QWidget *asker = nullptr; // the window a forWindow prompter asked for; null: none
        QString start;                  // where a file dialog opened (a folder or a name)
    };

    // Queue answers, consumed in order: an int for message boxes, a QString for file dialogs
    // (empty = cancel), a bool for print set-up, FontChoice/PrintChoice through their own queues.
    void answerMessage(int answer) { m_messages.push_back({answer, {}}); }
    // The same, after meanwhile has run while the box is open: what another program does while
    // the user thinks it over.
    void answerMessage(int answer, std::function<void()> meanwhile)
    {
        m_messages.push_back({answer, std::move(meanwhile)});
    }
    void answerFile(const QString &path) { m_files.push_back({path, {}}); }
    // The same, with meanwhile run as the dialog closes: what another program does before the
    // caller gets to look at the name.
    void answerFile(const QString &path, std::function<void()> meanwhile)
    {
        m_files.push_back({path, std::move(meanwhile)});
    }
    void answerFont(std::optional<FontChoice> font) { m_fonts.push_back(font); }
    void answerPrintSetup(bool ok) { m_printSetups.push_back(ok); }
    void answerPrint(std::optional<PrintChoice> choice) { m_prints.push_back(choice); }

    const QList<Call> &calls() const { return m_calls; }
    QStringList messageTexts() const;
    void clearCalls() { m_calls.clear(); }

    // Unscripted message boxes answer with the box's first button (Ok, Yes, Abort, Retry).
    int message(const QString &text, int style, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter, const QString &start) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &start) override;
    // Recorded as a SaveFile call too.
    QString saveFileNameUnasked(const QString &title, const QString &filter, const QString &start) override;
    std::optional<FontChoice> chooseFont(const FontChoice &current) override;
    bool printSetup() override;
    std::optional<PrintChoice> choosePrint(bool selectionAvailable) override;
    // Answers from the same script and records the asking window with each call.
    std::unique_ptr<Prompter> forWindow(QWidget *asker) override;

  private:
    class WindowPrompter;
    void record(Kind kind, int style, const QString &title, const QString &text, const QString &start = {});

    const QWidget *m_asker = nullptr;
    QList<Call> m_calls;
    struct MessageAnswer {
        int answer;
        std::function<void()> meanwhile;
    };
    QList<MessageAnswer> m_messages;
    struct FileAnswer {
        QString path;
        std::function<void()> meanwhile;
    };
    QString nextFile();
    QList<FileAnswer> m_files;
    QList<std::optional<FontChoice>> m_fonts;
    QList<bool> m_printSetups;
    QList<std::optional<PrintChoice>> m_prints;
};

} // namespace tw
