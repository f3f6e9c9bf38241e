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

    void setParent(QWidget *parent) { m_parent = parent; }
    // The caption of message boxes that are given none: the product's name.
    void setDefaultTitle(const QString &title) { m_defaultTitle = title; }
    // The printer that print set-up configures and printing uses (one for the session).
    QPrinter *printer();

    int message(const QString &text, int style, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter, const QString &start) override;
    QString saveFileName(const QString &title, const QString &filter, const QString &start) override;
    QString openFileNameOrTyped(const QString &title, const QString &filter, const QString &start) override;
    std::optional<FontChoice> chooseFont(const FontChoice &current) override;
    bool printSetup() override;
    std::optional<PrintChoice> choosePrint(bool selectionAvailable) override;

  private:
    QPointer<QWidget> m_parent;
    QString m_defaultTitle;
    QPrinter *m_printer = nullptr;
};

} // namespace tw
