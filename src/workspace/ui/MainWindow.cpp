#include "MainWindow.h"

#include "EditorDesk.h"
#include "HelpWindow.h"
#include "Launchers.h"
#include "MainFrame.h"
#include "ToolHost.h"
#include "ToolRegistry.h"
#include "common/Prompter.h"
#include "workspace/ExternalPrograms.h"
#include "workspace/MenuNames.h"
#include "workspace/Messages.h"
#include "workspace/ProductInfo.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace tw
{

MainWindow::MainWindow(Prompter &prompter, QWidget *parent) : QMainWindow(parent), m_prompter(prompter)
{
    setObjectName(u"MainWindow"_s);
    setWindowTitle(productName());
    // The frame's own right-click menu would hide the toolbar without the View item knowing.
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_desk = std::make_unique<EditorDesk>(*this, *this, prompter);
    m_frame = std::make_unique<MainFrame>(*this, [this](const QString &itemName) { runCommand(itemName); });
    m_tools = std::make_unique<ToolHost>(*this, *this);
    QMenu *windowMenu = m_frame->topMenu(QString::fromLatin1(Menu::Window));
    connect(windowMenu, &QMenu::aboutToShow, m_desk.get(),
            [this, windowMenu] { m_desk->fillWindowMenu(windowMenu); });
    bindCommands();
    resize(1000, 700);
}

MainWindow::~MainWindow()
{
    // Tool and editor windows go while the main window they talk to is still whole.
    m_tools->deleteAll();
    m_desk->deleteEditors();
}

// ---- the menu commands --------------------------------------------------------------------------

void MainWindow::bindCommands()
{
    bindFileCommands();
    bindEditCommands();
    bindViewAndHelpCommands();
}

void MainWindow::bindFileCommands()
{
    EditorDesk *desk = m_desk.get();
    m_commands.insert({
        {Menu::FileNew, [desk] { desk->newFile(); }},
        {Menu::FileOpen, [desk] { desk->openFileOfKind(u"打开源程序文件"_s, kSourceFileFilter); }},
        {Menu::ViewListing,
         [desk] {
             desk->openFileOfKind(u"打开列表文件"_s, u" 列表文件(*.lst) (*.lst);;所有文件(*.*) (*)"_s);
         }},
        {Menu::ViewErrors,
         [desk] {
             desk->openFileOfKind(u"打开编译信息文件"_s, u" 编译信息(*.err) (*.err);;所有文件(*.*) (*)"_s);
         }},
        {Menu::FileSave, [desk] { desk->saveActive(false); }},
        {Menu::FileSaveAs, [desk] { desk->saveActive(true); }},
        {Menu::FileCloseAll, [desk] { desk->closeAllEditors(); }},
        {Menu::PrintSetup, [desk] { desk->printSetup(); }},
        {Menu::FilePrint, [desk] { desk->printActive(); }},
        {Menu::FileExit, [this] { close(); }},
    });
}

void MainWindow::bindEditCommands()
{
    EditorDesk *desk = m_desk.get();
    m_commands.insert({
        {Menu::EditUndo, [desk] { desk->editUndo(false); }},
        {Menu::EditRedo, [desk] { desk->editUndo(true); }},
        {Menu::EditSelectAll, [desk] { desk->editSelectAll(); }},
        {Menu::EditCopy, [desk] { desk->editCopy(false); }},
        {Menu::EditCut, [desk] { desk->editCopy(true); }},
        {Menu::EditPaste, [desk] { desk->editPaste(); }},
        {Menu::FontCommand, [desk] { desk->chooseFont(); }},
        {Menu::WindowTile, [desk] { desk->tileEditors(); }},
        {Menu::WindowCascade, [desk] { desk->cascadeEditors(); }},
    });
}

void MainWindow::bindViewAndHelpCommands()
{
    MainFrame *frame = m_frame.get();
    m_commands.insert({
        {Menu::ViewToolbar, [frame] { frame->toggleToolBar(); }},
        {Menu::ViewStatusBar, [frame] { frame->toggleStatusBar(); }},
        // An outside program, like the links below: no window of ours.
        {Menu::Calculator, [this] { startCalculator(); }},
        {Menu::LatestVersion, [this] { openLinkOrSay(latestVersionUrl(), m_prompter); }},
        {QString::fromLatin1(Menu::Mail),
         [this] { openLinkOrSay(QUrl(u"mailto:"_s + mailAddress(0)), m_prompter); }},
        // The empty entry before the mail item only keeps it apart.
        {QString::fromLatin1(Menu::Blank), [] {}},
    });
}

void MainWindow::runCommand(const QString &itemName)
{
    const auto command = m_commands.constFind(itemName);
    if (command != m_commands.constEnd())
        (*command)();
    else
        runOtherSubsystemCommand(itemName);
}

void MainWindow::runOtherSubsystemCommand(const QString &itemName)
{
    if (const MenuCommand command = menuCommand(itemName)) {
        command(*this);
        return;
    }
    const QString tool = defaultToolOfMenuItem(itemName);
    if (!tool.isEmpty() && isToolRegistered(tool)) {
        showTool(tool);
        return;
    }
    m_prompter.message(u"该功能尚未提供。"_s, MsgStyle::Information, kWorkspaceInfoTitle);
}

void MainWindow::startCalculator()
{
    startFirstProgramOrSay(calculatorPrograms(), u"计算器"_s, m_prompter);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_desk->closeAllEditors()) {
        event->ignore();
        return;
    }
    m_tools->unloadAll();
    event->accept();
}

// ---- Workspace, each call handed to the part that keeps it ---------------------------------------

void MainWindow::setMenuEnabled(const QString &name, bool enabled)
{
    m_frame->setMenuEnabled(name, enabled);
}

bool MainWindow::isMenuEnabled(const QString &name) const
{
    return m_frame->isMenuEnabled(name);
}

void MainWindow::setMenuVisible(const QString &name, bool visible)
{
    m_frame->setMenuVisible(name, visible);
}

bool MainWindow::isMenuVisible(const QString &name) const
{
    return m_frame->isMenuVisible(name);
}

int MainWindow::toolbarButtonCount() const
{
    return MainWindowState::ToolbarSlots;
}

void MainWindow::setToolbarButtonEnabled(int position, bool enabled)
{
    m_frame->setToolbarButtonEnabled(position, enabled);
}

void MainWindow::setToolbarButtonEnabled(const QString &key, bool enabled)
{
    m_frame->setToolbarButtonEnabled(key, enabled);
}

bool MainWindow::isToolbarButtonEnabled(int position) const
{
    return m_frame->isToolbarButtonEnabled(position);
}

void MainWindow::setStatusText(int panel, const QString &text)
{
    m_frame->setStatusText(panel, text);
}

QString MainWindow::statusText(int panel) const
{
    return m_frame->statusText(panel);
}

void MainWindow::popupMenu(const QString &name, const QPoint &globalPosition)
{
    m_frame->popupMenu(name, globalPosition);
}

void MainWindow::openInEditor(const QString &path, const QString &caption)
{
    m_desk->openInEditor(path, caption);
}

bool MainWindow::closeAllEditors()
{
    return m_desk->closeAllEditors();
}

int MainWindow::editorCount() const
{
    return m_desk->editorCount();
}

QString MainWindow::activeEditorCaption() const
{
    return m_desk->activeEditorCaption();
}

void MainWindow::setDialogFileName(const QString &path)
{
    m_desk->setDialogFileName(path);
}

QString MainWindow::currentBinPath() const
{
    return m_tools->currentBinPath();
}

void MainWindow::setCurrentBinPath(const QString &path)
{
    m_tools->setCurrentBinPath(path);
}

void MainWindow::showTool(const QString &name)
{
    m_tools->showTool(name);
}

void MainWindow::unloadTool(const QString &name)
{
    m_tools->unloadTool(name);
}

bool MainWindow::isToolLoaded(const QString &name) const
{
    return m_tools->isToolLoaded(name);
}

QWidget *MainWindow::toolWindow(const QString &name) const
{
    return m_tools->toolWindow(name);
}

// ---- the parts' own views, for the tests and the find dialog ------------------------------------

const MainWindowState &MainWindow::state() const
{
    return m_frame->state();
}

bool MainWindow::triggerMenuItem(const QString &name)
{
    return m_frame->triggerMenuItem(name);
}

bool MainWindow::clickToolbarButton(const QString &key)
{
    return m_frame->clickToolbarButton(key);
}

QAction *MainWindow::menuAction(const QString &name) const
{
    return m_frame->menuAction(name);
}

QAction *MainWindow::toolbarAction(int position) const
{
    return m_frame->toolbarAction(position);
}

QMenu *MainWindow::topMenu(const QString &name) const
{
    return m_frame->topMenu(name);
}

QToolBar *MainWindow::toolBar() const
{
    return m_frame->toolBar();
}

QLabel *MainWindow::statusPanel(int panel) const
{
    return m_frame->statusPanel(panel);
}

QString MainWindow::dialogFileName() const
{
    return m_desk->dialogFileName();
}

QMdiArea *MainWindow::mdiArea() const
{
    return m_desk->mdiArea();
}

EditorWindow *MainWindow::activeEditor() const
{
    return m_desk->activeEditor();
}

QList<EditorWindow *> MainWindow::editors() const
{
    return m_desk->editors();
}

EditorWindow *MainWindow::editorShowing(const QString &path) const
{
    return m_desk->editorShowing(path);
}

QPrinter *MainWindow::printer()
{
    return m_desk->printer();
}

QString MainWindow::lastPrintedText() const
{
    return m_desk->lastPrintedText();
}

HelpWindow *MainWindow::helpWindow() const
{
    return qobject_cast<HelpWindow *>(m_tools->toolWindow(QString::fromLatin1(ToolName::Help)));
}

} // namespace tw
