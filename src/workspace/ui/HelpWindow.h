#pragma once
// The help window: our own HTML pages from the program folder's help/ folder.
#include <QWidget>

class QTextBrowser;

namespace tw
{

class HelpWindow : public QWidget
{
    Q_OBJECT

  public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows a page; a missing page is said in the window itself.
    void showPage(const QString &path);
    QTextBrowser *browser() const { return m_browser; }

  private:
    QTextBrowser *m_browser = nullptr;
};

} // namespace tw
