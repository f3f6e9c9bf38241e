#pragma once
// The help window: our own HTML pages from the program folder's help/ folder.
#include <QWidget>
#include <memory>

class QTextBrowser;

namespace tw
{

class Prompter;

class HelpWindow : public QWidget
{
    Q_OBJECT

  public:
    // Links the pages cannot follow themselves go to the desktop; failures are said through
    // prompter, over this window.
    explicit HelpWindow(Prompter &prompter, QWidget *parent = nullptr);
    ~HelpWindow() override;

    // Shows a page; a missing page is said in the window itself.
    void showPage(const QString &path);
    QTextBrowser *browser() const { return m_browser; }

  private:
    std::unique_ptr<Prompter> m_prompter;
    QTextBrowser *m_browser = nullptr;
};

} // namespace tw
