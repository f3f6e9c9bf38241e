#pragma once
// The real dialogs.
#include "common/Prompter.h"

#include <QPointer>

class QWidget;
class QPrinter;

namespace tw
{

class QtPrompter : public Prompter
{
  public:
    explicit QtPrompter(QWidget *parent = nullptr);
    ~QtPrompter() override;

    // The window that owns the boxes and dialogs (the main window for the main window's own
    // prompter; forWindow gives each tool window one of its own).
    void setParent(QWidget *parent) { m_parent = parent; }
    QWidget *parent() const { return m_parent; }
    // The caption of message boxes that are given none: the product's name.
    void setDefaultTitle(const QString &title) { m_session->defaultTitle = title; }
    // The printer that print set-up configures and printing uses (one for the session).
    QPrinter *printer();

    int message(const QString &text, int style, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter, const QString &start) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &start) override;
    QString saveFileNameUnasked(const QString &title, const QString &filter, const QString &start) override;
    QString openFileNameOrTyped(const QString &title, const QString &filter, const QString &start) override;
    std::optional<FontChoice> chooseFont(const FontChoice &current) override;
    bool printSetup() override;
    std::optional<PrintChoice> choosePrint(bool selectionAvailable) override;
    std::unique_ptr<Prompter> forWindow(QWidget *asker) override;

  private:
    QString runSaveDialog(const QString &title, const QString &filter, const QString &start,
                          bool asksBeforeReplacing);

    // What every window's prompter shares: the default caption and the one printer.
    struct Session {
        QString defaultTitle;
        std::unique_ptr<QPrinter> printer;
        ~Session();
    };

    QPointer<QWidget> m_parent;
    std::shared_ptr<Session> m_session;
};

} // namespace tw
