#include "HelpWindow.h"

#include "Launchers.h"
#include "common/Prompter.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tw
{

HelpWindow::HelpWindow(Prompter &prompter, QWidget *parent)
    // A dialog-type window of its parent, as the tool windows are: the window manager keeps it
    // above the main window, which would otherwise cover it for good where no task bar brings it
    // back. It keeps the minimise and maximise buttons of a window one reads in.
    : QWidget(parent, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_prompter(prompter.forWindow(this))
{
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"帮助"_s);
    m_browser = new QTextBrowser(this);
    // Pages link to one another; web and mail links go to the desktop.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        const QString scheme = url.scheme();
        if (scheme == u"http"_s || scheme == u"https"_s || scheme == u"mailto"_s)
            openLinkOrSay(url, *m_prompter);
        else
            m_browser->setSource(m_browser->source().resolved(url));
    });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(760, 560);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::showPage(const QString &path)
{
    const QFileInfo page(path);
    if (!page.isFile()) {
        m_browser->setHtml(u"<p>找不到帮助文件：%1</p>"_s.arg(path.toHtmlEscaped()));
        return;
    }
    m_browser->setSearchPaths({page.absolutePath()});
    m_browser->setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
}

} // namespace tw
