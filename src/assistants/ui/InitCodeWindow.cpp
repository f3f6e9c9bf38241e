#include "InitCodeWindow.h"

#include "common/Prompter.h"

#include "BaudPageWidget.h"
#include "DigitKeyFilter.h"
#include "InterruptPageWidget.h"
#include "TimerPageWidget.h"
#include "common/ui/Twips.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"
#include "workspace/ui/ToolWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStackedWidget>

namespace tw
{

InitCodeWindow::~InitCodeWindow() = default;

InitCodeWindow::InitCodeWindow(Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompter(prompter.forWindow(this)),
      m_digitFilter(new DigitKeyFilter(*m_prompter, this)), m_pages(new QStackedWidget(this)),
      m_baud(new BaudPageWidget(*m_digitFilter)), m_timer(new TimerPageWidget(*m_prompter, *m_digitFilter)),
      m_interrupt(new InterruptPageWidget)
{
    setObjectName(QString::fromLatin1(ToolName::InitCode));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(378, 336);
    m_pages->setGeometry(8, 8, 361, 321);
    m_pages->addWidget(m_baud);
    m_pages->addWidget(m_timer);
    m_pages->addWidget(m_interrupt);
    // Centred across the screen's width (2895 twips left of the middle), near its top.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screenPlace(screen->size(), 2895, 0.05));
    }
}

void InitCodeWindow::openPage(Page page)
{
    static const QString titles[] = {QStringLiteral(u"波特率设置"), QStringLiteral(u"定时/计数器设置"),
                                     QStringLiteral(u"中断设置")};
    setWindowTitle(titles[page]);
    m_pages->setCurrentIndex(page);
    if (page == BaudPage)
        m_baud->fillLists();
    else if (page == TimerPage)
        m_timer->fillLists();
}

void registerInitCodeWindow()
{
    const std::pair<const char *, InitCodeWindow::Page> launchers[] = {
        {Menu::BaudRate, InitCodeWindow::BaudPage},
        {Menu::TimerCounter, InitCodeWindow::TimerPage},
        {Menu::Interrupts, InitCodeWindow::InterruptPage}};
    QList<ToolMenuItem> items;
    for (const auto &[item, page] : launchers)
        items.append({QString::fromLatin1(item), [page](Workspace &workspace) {
                          if (auto *window = showToolWindow<InitCodeWindow>(workspace, ToolName::InitCode))
                              window->openPage(page);
                      }});
    registerTool(
        ToolName::InitCode,
        [](Workspace &workspace) -> QWidget * { return new InitCodeWindow(workspace.prompter()); }, items);
}

} // namespace tw
