#include "MainWindow.h"

#include "AboutBox.h"
#include "EditorWindow.h"
#include "HelpWindow.h"
#include "Launchers.h"
#include "TextViewer.h"
#include "ToolRegistry.h"
#include "WindowPlacement.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "common/ui/QtPrompter.h"
#include "workspace/ExternalPrograms.h"
#include "workspace/FaqText.h"
#include "workspace/Messages.h"
#include "workspace/ProductInfo.h"
#include "workspace/ToolWindowProtocol.h"
#include "workspace/ToolbarButtons.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaEnum>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace tw
{

namespace
{

// The icon of a toolbar row: the theme's, else Qt's standard pixmap of the row's fallback name.
QIcon themedToolbarIcon(const ToolbarButton &button, const QStyle *style)
{
    const QMetaEnum pixmaps = QMetaEnum::fromType<QStyle::StandardPixmap>();
    bool known = false;
    const int fallback = pixmaps.keyToValue(button.fallbackIcon, &known);
    Q_ASSERT(known);
    return QIcon::fromTheme(QString::fromLatin1(button.themeIcon),
                            style->standardIcon(static_cast<QStyle::StandardPixmap>(known ? fallback : 0)));
}

// The assembler's and the simulator's buttons: "51" on a blue tile, and a green start triangle.
QIcon drawnToolbarIcon(const QString &key)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (key == QLatin1String(ToolbarKey::Assemble)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x20, 0x4A, 0x87));
        painter.drawRoundedRect(QRectF(2, 4, 28, 24), 4, 4);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(15);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRectF(2, 4, 28, 24), Qt::AlignCenter, u"51"_s);
    } else {
        painter.setPen(QPen(QColor(0x1E, 0x6B, 0x1E), 1.5));
        painter.setBrush(QColor(0x3C, 0xA0, 0x3C));
        painter.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(28, 16), QPointF(8, 28)}));
    }
    return QIcon(pixmap);
}

// Fits a tool window again while the window manager puts its frame round it: until then its frame
// could only be assumed, and the frame settles over a few moves. After a short while the window is
// the user's to move.
class FrameWatcher : public QObject
{
  public:
    FrameWatcher(QWidget *window, std::function<void(QWidget *)> refit)
        : QObject(window), m_window(window), m_refit(std::move(refit))
    {
        window->installEventFilter(this);
        QTimer::singleShot(2000, this, [this] {
            m_window->removeEventFilter(this);
            if (m_window->frameGeometry() != m_window->geometry())
                m_refit(m_window);
            deleteLater();
        });
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_window &&
            (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate ||
             type == QEvent::Paint) &&
            m_window->frameGeometry() != m_window->geometry())
            m_refit(m_window);
        return false;
    }

  private:
    QWidget *m_window;
    std::function<void(QWidget *)> m_refit;
};

QMargins frameMarginsOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry(), client = window->geometry();
    if (frame == client)
        return kAssumedFrame;
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

} // namespace

MainWindow::MainWindow(Prompter &prompter, QWidget *parent) : QMainWindow(parent), m_prompter(prompter)
{
    setObjectName(u"MainWindow"_s);
    setWindowTitle(productName());
    // The frame's own right-click menu would hide the toolbar without the View item knowing.
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::onSubWindowActivated);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    bindCommands();
    m_state.setChecked(Menu::ViewToolbar, true);
    m_state.setChecked(Menu::ViewStatusBar, true);
    for (int i = 0; i < m_state.items().size(); ++i)
        mirrorMenu(i);
    resize(1000, 700);
}

MainWindow::~MainWindow()
{
    // Tool and editor windows go while the main window they talk to is still whole.
    for (const QPointer<QWidget> &tool : std::as_const(m_tools))
        delete tool.data();
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        delete window;
    delete m_helpWindow.data();
}

HelpWindow *MainWindow::helpWindow() const
{
    return m_helpWindow;
}

// ---- building ----------------------------------------------------------------------------------

void MainWindow::buildMenus()
{
    const QList<MenuItem> &items = m_state.items();
    m_menuActions.resize(items.size());
    for (int i = 0; i < items.size(); ++i) {
        const MenuItem &entry = items[i];
        QMenu *parentMenu = entry.parent < 0 ? nullptr : m_menus.value(items[entry.parent].name);
        QAction *action = nullptr;
        if (entry.separator) {
            action = parentMenu->addSeparator();
        } else if (entry.submenu) {
            QMenu *menu = parentMenu ? parentMenu->addMenu(entry.caption) : menuBar()->addMenu(entry.caption);
            menu->setObjectName(entry.name);
            menu->menuAction()->setObjectName(entry.name);
            m_menus.insert(entry.name, menu);
            action = menu->menuAction();
            if (entry.name == QLatin1String(Menu::Window))
                connect(menu, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
        } else {
            action = parentMenu ? parentMenu->addAction(entry.caption) : menuBar()->addAction(entry.caption);
            action->setObjectName(entry.name);
            if (!entry.shortcut.isEmpty())
                action->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
            action->setCheckable(entry.checkable);
            const QString name = entry.name;
            connect(action, &QAction::triggered, this, [this, name] { runCommand(name); });
        }
        m_menuActions[i] = action;
    }
}

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(u"工具栏"_s);
    m_toolBar->setObjectName(u"Toolbar1"_s);
    m_toolBar->setMovable(false);
    for (int position = 1; position <= MainWindowState::ToolbarSlots; ++position) {
        const ToolbarSlot &slot = m_state.toolbarSlot(position);
        auto *action = new QAction(this);
        if (slot.isSeparator()) {
            action->setSeparator(true);
        } else {
            action->setObjectName(slot.key);
            const ToolbarButton &button = toolbarButtons()[position - 1];
            action->setIcon(*button.themeIcon ? themedToolbarIcon(button, style())
                                              : drawnToolbarIcon(slot.key));
            action->setText(QString::fromUtf16(button.tip));
            action->setToolTip(action->text());
            const QString key = slot.key;
            connect(action, &QAction::triggered, this, [this, key] { clickToolbarButton(key); });
        }
        action->setEnabled(m_state.isToolbarEnabled(position));
        m_toolBar->addAction(action);
        m_toolbarActions.append(action);
    }
}

void MainWindow::buildStatusBar()
{
    for (int panel = 1; panel <= MainWindowState::StatusPanels; ++panel) {
        auto *label = new QLabel(m_state.statusText(panel), this);
        label->setObjectName(u"StatusPanel%1"_s.arg(panel));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(panel == 1 ? 160 : 70);
        statusBar()->addPermanentWidget(label, panel == 1 ? 2 : 1);
        m_panels.append(label);
    }
}

void MainWindow::bindCommands()
{
    m_commands = {
        {Menu::FileNew, [this] { newFile(); }},
        {Menu::FileOpen, [this] { openFileOfKind(u"打开源程序文件"_s, kSourceFileFilter); }},
        {Menu::ViewListing,
         [this] { openFileOfKind(u"打开列表文件"_s, u" 列表文件(*.lst) (*.lst);;所有文件(*.*) (*)"_s); }},
        {Menu::ViewErrors,
         [this] { openFileOfKind(u"打开编译信息文件"_s, u" 编译信息(*.err) (*.err);;所有文件(*.*) (*)"_s); }},
        {Menu::FileSave, [this] { saveActive(false); }},
        {Menu::FileSaveAs, [this] { saveActive(true); }},
        {Menu::FileCloseAll, [this] { closeAllEditors(); }},
        {Menu::PrintSetup, [this] { printSetup(); }},
        {Menu::FilePrint, [this] { printActive(); }},
        {Menu::FileExit, [this] { close(); }},
        {Menu::EditUndo, [this] { editUndo(false); }},
        {Menu::EditRedo, [this] { editUndo(true); }},
        {Menu::EditSelectAll, [this] { editSelectAll(); }},
        {Menu::EditCopy, [this] { editCopy(false); }},
        {Menu::EditCut, [this] { editCopy(true); }},
        {Menu::EditPaste, [this] { editPaste(); }},
        {Menu::ViewToolbar, [this] { toggleBar(m_toolBar, Menu::ViewToolbar); }},
        {Menu::ViewStatusBar, [this] { toggleBar(statusBar(), Menu::ViewStatusBar); }},
        {Menu::WindowTile, [this] { m_mdiArea->tileSubWindows(); }},
        {Menu::WindowCascade, [this] { cascadeEditors(); }},
        {Menu::HelpManual, [this] { showHelpPage(u"manual.html"_s); }},
        {Menu::HelpTutorial, [this] { showHelpPage(u"tutorial.html"_s); }},
        {Menu::Calculator, [this] { startCalculator(); }},
        {Menu::HelpFaq, [this] { showFaq(); }},
        {Menu::LatestVersion, [this] { openLinkOrSay(latestVersionUrl(), m_prompter); }},
        {Menu::About, [this] { showTool(QString::fromLatin1(ToolName::About)); }},
        {QString::fromLatin1(Menu::Mail),
         [this] { openLinkOrSay(QUrl(u"mailto:"_s + mailAddress(0)), m_prompter); }},
        {Menu::FontCommand, [this] { chooseFont(); }},
        // The empty entry before the mail item only keeps it apart.
        {QString::fromLatin1(Menu::Blank), [] {}},
    };
}

// ---- menus and toolbar as the model says -------------------------------------------------------

void MainWindow::mirrorMenu(int index)
{
    const MenuItem &entry = m_state.items()[index];
    QAction *action = m_menuActions.value(index);
    if (!action || entry.separator)
        return;
    // An item under a switched-off or hidden menu is disabled too, so its shortcut cannot run.
    const bool above = entry.parent < 0 || m_state.isReachable(entry.parent);
    action->setEnabled(entry.enabled && above);
    action->setVisible(entry.visible);
    if (entry.checkable)
        action->setChecked(entry.checked);
}

void MainWindow::mirrorMenuTree(int index)
{
    mirrorMenu(index);
    for (int child : m_state.childrenOf(index))
        mirrorMenuTree(child);
}

void MainWindow::setMenuEnabled(const QString &name, bool enabled)
{
    m_state.setEnabled(name, enabled);
    if (const int index = m_state.indexOf(name); index >= 0)
        mirrorMenuTree(index);
    // Undo and Redo follow their items.
    for (int position = 1; position <= MainWindowState::ToolbarSlots; ++position)
        mirrorToolbarButton(position);
}

bool MainWindow::isMenuEnabled(const QString &name) const
{
    return m_state.isEnabled(name);
}

void MainWindow::setMenuVisible(const QString &name, bool visible)
{
    m_state.setVisible(name, visible);
    if (const int index = m_state.indexOf(name); index >= 0)
        mirrorMenuTree(index);
}

bool MainWindow::isMenuVisible(const QString &name) const
{
    return m_state.isVisible(name);
}

int MainWindow::toolbarButtonCount() const
{
    return MainWindowState::ToolbarSlots;
}

void MainWindow::setToolbarButtonEnabled(int position, bool enabled)
{
    m_state.setToolbarEnabled(position, enabled);
    mirrorToolbarButton(position);
}

void MainWindow::mirrorToolbarButton(int position)
{
    if (QAction *action = toolbarAction(position))
        action->setEnabled(m_state.isToolbarEnabled(position));
}

void MainWindow::setToolbarButtonEnabled(const QString &key, bool enabled)
{
    setToolbarButtonEnabled(m_state.toolbarPosition(key), enabled);
}

bool MainWindow::isToolbarButtonEnabled(int position) const
{
    return m_state.isToolbarEnabled(position);
}

void MainWindow::setStatusText(int panel, const QString &text)
{
    m_state.setStatusText(panel, text);
    if (QLabel *label = statusPanel(panel))
        label->setText(text);
}

QString MainWindow::statusText(int panel) const
{
    return m_state.statusText(panel);
}

QAction *MainWindow::menuAction(const QString &name) const
{
    return m_menuActions.value(m_state.indexOf(name));
}

QAction *MainWindow::toolbarAction(int position) const
{
    return m_toolbarActions.value(position - 1);
}

QMenu *MainWindow::topMenu(const QString &name) const
{
    return m_menus.value(name);
}

QLabel *MainWindow::statusPanel(int panel) const
{
    return m_panels.value(panel - 1);
}

void MainWindow::popupMenu(const QString &name, const QPoint &globalPosition)
{
    if (QMenu *menu = m_menus.value(name); menu && m_state.isReachable(name))
        menu->popup(globalPosition);
}

bool MainWindow::triggerMenuItem(const QString &name)
{
    const MenuItem *entry = m_state.item(name);
    if (!entry || entry->submenu || !m_state.isReachable(name))
        return false;
    QAction *action = menuAction(name);
    if (action && action->isCheckable())
        action->setChecked(!action->isChecked());
    runCommand(name);
    return true;
}

bool MainWindow::clickToolbarButton(const QString &key)
{
    const int position = m_state.toolbarPosition(key);
    if (position == 0 || !m_state.isToolbarEnabled(position))
        return false;
    // By the button's own command, whatever state its menu item is in: New and Open work from the
    // toolbar while their items are switched off.
    runCommand(QString::fromLatin1(toolbarButtons()[position - 1].command));
    return true;
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

void MainWindow::fillWindowMenu()
{
    QMenu *menu = m_menus.value(QString::fromLatin1(Menu::Window));
    // Entries after the two fixed items list the open child windows.
    const QList<QAction *> actions = menu->actions();
    for (int i = 2; i < actions.size(); ++i) {
        menu->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
    if (!windows.isEmpty())
        menu->addSeparator();
    int number = 1;
    for (QMdiSubWindow *window : windows) {
        if (window->isHidden())
            continue;
        QAction *action = menu->addAction(u"&%1 %2"_s.arg(number++).arg(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == m_mdiArea->currentSubWindow());
        QPointer<QMdiSubWindow> target(window);
        connect(action, &QAction::triggered, this, [this, target] {
            if (target)
                m_mdiArea->setActiveSubWindow(target);
        });
    }
}

// ---- editors ------------------------------------------------------------------------------------

QList<EditorWindow *> MainWindow::editors() const
{
    QList<EditorWindow *> list;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        if (auto *editor = qobject_cast<EditorWindow *>(window->widget()); editor && !window->isHidden())
            list.append(editor);
    return list;
}

int MainWindow::editorCount() const
{
    return EditorWindow::openEditorCount(*this);
}

EditorWindow *MainWindow::activeEditor() const
{
    const QList<EditorWindow *> open = editors();
    if (QMdiSubWindow *current = m_mdiArea->currentSubWindow())
        if (auto *editor = qobject_cast<EditorWindow *>(current->widget()); editor && open.contains(editor))
            return editor;
    if (m_lastActiveEditor && open.contains(m_lastActiveEditor.data()))
        return m_lastActiveEditor;
    return open.isEmpty() ? nullptr : open.last();
}

QString MainWindow::activeEditorCaption() const
{
    const EditorWindow *editor = activeEditor();
    return editor ? editor->windowTitle() : QString();
}

EditorWindow *MainWindow::editorShowing(const QString &path) const
{
    for (EditorWindow *editor : editors())
        if (editor->openFile() == path)
            return editor;
    return nullptr;
}

QMdiSubWindow *MainWindow::subWindowOf(const EditorWindow *editor) const
{
    for (QMdiSubWindow *window : m_mdiArea->subWindowList())
        if (window->widget() == editor)
            return window;
    return nullptr;
}

void MainWindow::onSubWindowActivated(QMdiSubWindow *window)
{
    auto *editor = window ? qobject_cast<EditorWindow *>(window->widget()) : nullptr;
    if (!editor)
        return;
    m_lastActiveEditor = editor;
    editor->showCaret();
}

void MainWindow::cascadeEditors()
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : m_mdiArea->subWindowList(QMdiArea::StackingOrder))
        if (!window->isHidden() && !window->isMinimized())
            windows.append(window);
    if (windows.isEmpty())
        return;
    QMdiSubWindow *active = m_mdiArea->activeSubWindow();
    // One title bar further for each window, so that every caption shows.
    const int step = std::max(windows.first()->height() - windows.first()->widget()->height(), 20);
    const QList<QRect> places =
        cascade(m_mdiArea->viewport()->rect(), static_cast<int>(windows.size()), step);
    for (qsizetype k = 0; k < windows.size(); ++k) {
        windows[k]->showNormal();
        windows[k]->setGeometry(places[k]);
        windows[k]->raise();
    }
    if (active)
        m_mdiArea->setActiveSubWindow(active);
}

EditorWindow *MainWindow::newEditorWindow()
{
    auto *editor = new EditorWindow(*this, m_prompter);
    QMdiSubWindow *window = m_mdiArea->addSubWindow(editor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(QIcon::fromTheme(u"text-x-generic"_s, style()->standardIcon(QStyle::SP_FileIcon)));
    window->resize(640, 420);
    m_lastActiveEditor = editor;
    window->show();
    // Wholly inside the part of the editor area one can see, however small the frame is.
    window->setGeometry(keepInside(m_mdiArea->viewport()->rect(), window->geometry()));
    m_mdiArea->setActiveSubWindow(window);
    // Runs once; showing has already run it when the main window is on screen.
    editor->onLoad();
    return editor;
}

EditorWindow *MainWindow::editorHolding(const QString &path) const
{
    for (EditorWindow *editor : editors())
        if (!editor->isClosed() && isSameFile(editor->openFile(), path))
            return editor;
    return nullptr;
}

void MainWindow::activateEditor(EditorWindow *editor)
{
    if (QMdiSubWindow *window = subWindowOf(editor)) {
        m_mdiArea->setActiveSubWindow(window);
        editor->editor()->setFocus();
    }
}

void MainWindow::reportUnreadable(const QString &path)
{
    m_prompter.message(u"无法读取文件 "_s + path, MsgStyle::Exclamation, kWorkspaceInfoTitle);
}

void MainWindow::openInEditor(const QString &path, const QString &caption)
{
    // A tool showing its output again: a second editor over the file would hold the old text, and
    // saving that would undo the tool's work.
    EditorWindow *open = editorHolding(path);
    if (!open) {
        openInNewEditor(path, caption);
        return;
    }
    if (!open->loadFile(path)) {
        reportUnreadable(path);
        return;
    }
    open->setOpenFile(path);
    open->setWindowTitle(caption.isEmpty() ? path : caption);
    open->clearChanged();
    activateEditor(open);
}

void MainWindow::openInNewEditor(const QString &path, const QString &caption)
{
    EditorWindow *editor = newEditorWindow();
    editor->setOpenFile(path);
    if (!editor->loadFile(path)) {
        // An empty editor over the path would overwrite the file with nothing on the next save.
        editor->clearChanged();
        if (QMdiSubWindow *window = subWindowOf(editor))
            window->close();
        reportUnreadable(path);
        return;
    }
    editor->setWindowTitle(caption.isEmpty() ? path : caption);
    editor->clearChanged();
}

bool MainWindow::closeAllEditors()
{
    // Each round closes one editor or stops at a refusal, so the loop ends.
    const int rounds = editorCount();
    for (int round = 0; round < rounds; ++round) {
        EditorWindow *editor = activeEditor();
        QMdiSubWindow *window = editor ? subWindowOf(editor) : nullptr;
        if (!window)
            break;
        m_mdiArea->setActiveSubWindow(window);
        if (!window->close())
            return false;
    }
    return editorCount() == 0;
}

void MainWindow::newFile()
{
    EditorWindow *editor = newEditorWindow();
    editor->setOpenFile(QString());
    editor->setWindowTitle(EditorWindow::newTextCaption());
    editor->clearChanged();
}

void MainWindow::openFileOfKind(const QString &title, const QString &filter)
{
    const QString path = m_prompter.openFileNameOrTyped(title, filter, QString());
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        m_prompter.message(u"文件不存在!"_s, MsgStyle::Ok, title);
        return;
    }
    if (EditorWindow *open = editorShowing(path)) {
        activateEditor(open);
        return;
    }
    // An editor over the same file under another spelling keeps its text: only tools replace it.
    openInNewEditor(path, path);
}

void MainWindow::saveActive(bool as)
{
    if (EditorWindow *editor = activeEditor())
        as ? editor->saveAsFromMenu() : editor->saveFromMenu();
}

// ---- printing and fonts -------------------------------------------------------------------------

QPrinter *MainWindow::printer()
{
    if (auto *real = dynamic_cast<QtPrompter *>(&m_prompter))
        return real->printer();
    if (!m_ownPrinter)
        m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_ownPrinter.get();
}

void MainWindow::printSetup()
{
    m_prompter.printSetup();
}

void MainWindow::printActive()
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    QPlainTextEdit *edit = editor->editor();
    const bool hasSelection = edit->textCursor().hasSelection();
    const std::optional<PrintChoice> choice = m_prompter.choosePrint(hasSelection);
    if (!choice)
        return;
    const bool selectionOnly = hasSelection && choice->range == PrintRange::Selection;
    const QString text = selectionOnly ? editor->selectedText() : edit->toPlainText();
    QPrinter *target = printer();
    target->setCopyCount(std::max(1, choice->copies));
    QTextDocument document;
    document.setDefaultFont(edit->font());
    document.setPlainText(text);
    document.print(target);
    m_lastPrintedText = text;
    if (target->printerState() == QPrinter::Error)
        m_prompter.message(u"打印失败，请检查打印机。"_s, MsgStyle::Exclamation, kWorkspaceInfoTitle);
}

void MainWindow::chooseFont()
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    QFont font = editor->editor()->font();
    FontChoice current;
    current.family = font.family();
    current.pointSize = font.pointSizeF();
    current.bold = font.bold();
    current.italic = font.italic();
    current.underline = font.underline();
    current.strikeOut = font.strikeOut();
    const std::optional<FontChoice> chosen = m_prompter.chooseFont(current);
    if (!chosen)
        return;
    font.setBold(chosen->bold);
    font.setItalic(chosen->italic);
    if (!chosen->family.isEmpty())
        font.setFamily(chosen->family);
    if (chosen->pointSize > 0)
        font.setPointSizeF(chosen->pointSize);
    editor->editor()->setFont(font);
}

// ---- edit commands ------------------------------------------------------------------------------

void MainWindow::editUndo(bool redo)
{
    if (EditorWindow *editor = activeEditor())
        redo ? editor->editor()->redo() : editor->editor()->undo();
}

void MainWindow::editSelectAll()
{
    if (EditorWindow *editor = activeEditor())
        editor->editor()->selectAll();
}

void MainWindow::editCopy(bool cut)
{
    EditorWindow *editor = activeEditor();
    if (!editor || !editor->editor()->textCursor().hasSelection())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(editor->selectedText());
    if (cut)
        editor->editor()->textCursor().removeSelectedText();
}

void MainWindow::editPaste()
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    editor->editor()->textCursor().insertText(QGuiApplication::clipboard()->text());
    editor->editor()->setFocus();
}

// ---- view ---------------------------------------------------------------------------------------

void MainWindow::toggleBar(QWidget *bar, const QString &itemName)
{
    const bool show = bar->isHidden();
    bar->setVisible(show);
    m_state.setChecked(itemName, show);
    mirrorMenu(m_state.indexOf(itemName));
}

// ---- help ---------------------------------------------------------------------------------------

void MainWindow::showHelpPage(const QString &fileName)
{
    if (!m_helpWindow) {
        m_helpWindow = new HelpWindow(m_prompter, this);
        m_helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        centreOnScreen(m_helpWindow);
    }
    m_helpWindow->showPage(QDir(programFolder()).filePath(u"help/"_s + fileName));
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void MainWindow::showFaq()
{
    const QString name = QString::fromLatin1(ToolName::TextViewer);
    showTool(name);
    if (auto *viewer = qobject_cast<TextViewer *>(toolWindow(name))) {
        viewer->setWindowTitle(u"FAQ"_s);
        viewer->setText(faqText());
    }
}

void MainWindow::startCalculator()
{
    startFirstProgramOrSay(calculatorPrograms(), u"计算器"_s, m_prompter);
}

// ---- tool windows -------------------------------------------------------------------------------

QWidget *MainWindow::makeTool(const QString &name)
{
    if (const ToolFactory factory = toolFactory(name))
        return factory(*this);
    if (name == QLatin1String(ToolName::About))
        return new AboutBox(*this);
    if (name == QLatin1String(ToolName::TextViewer))
        return new TextViewer();
    return nullptr;
}

QWidget *MainWindow::toolWindow(const QString &name) const
{
    QWidget *window = m_tools.value(name);
    return window && !window->isHidden() ? window : nullptr;
}

bool MainWindow::isToolLoaded(const QString &name) const
{
    return toolWindow(name) != nullptr;
}

void MainWindow::showTool(const QString &name)
{
    if (QWidget *open = toolWindow(name)) {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(open->parentWidget()))
            m_mdiArea->setActiveSubWindow(frame);
        open->raise();
        open->activateWindow();
        return;
    }
    QWidget *window = makeTool(name);
    if (!window)
        return;
    if (toolPlacement(name) == ToolPlacement::WorkspaceChild) {
        showWorkspaceChild(name, window);
        return;
    }
    // A dialog-type window of the main window is transient for it: the window manager keeps it
    // above the main window, and the main window, locked meanwhile, cannot bury it.
    if (!window->parentWidget())
        window->setParent(this, (window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    // Closed by its own close box or unloaded by another window, it is gone; the next use makes a
    // fresh one.
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_tools.insert(name, window);
    // A window that does not place itself opens over the middle of the frame, not on its menus.
    if (!window->testAttribute(Qt::WA_Moved)) {
        if (!window->testAttribute(Qt::WA_Resized))
            window->adjustSize();
        placeTool(window, geometry().center());
        new FrameWatcher(window,
                         [this](QWidget *framed) { placeTool(framed, framed->frameGeometry().center()); });
    }
    window->show();
    window->raise();
    window->activateWindow();
}

QRect MainWindow::toolArea() const
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    QRect area = screen->availableGeometry();
    // The status bar's panels show the simulator's interrupt, CPU and watchdog states.
    if (QStatusBar *bar = statusBar(); bar->isVisible() && isVisible()) {
        const int top = bar->mapToGlobal(QPoint(0, 0)).y();
        if (top > area.top() && top <= area.bottom())
            area.setBottom(top - 1);
    }
    return area;
}

void MainWindow::placeTool(QWidget *window, QPoint centre)
{
    const QRect area = toolArea();
    const QMargins frame = frameMarginsOf(window);
    if (area.contains(window->geometry().marginsAdded(frame)) && window->isVisible())
        return;
    const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
    window->setGeometry(placeInside(area, window->size(), frame, minimum, centre));
}

void MainWindow::showWorkspaceChild(const QString &name, QWidget *window)
{
    QMdiSubWindow *frame =
        m_mdiArea->addSubWindow(window, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    m_tools.insert(name, window);
    frame->show();
    m_mdiArea->setActiveSubWindow(frame);
}

void MainWindow::unloadTool(const QString &name)
{
    QWidget *window = toolWindow(name);
    if (!window)
        return;
    // A workspace child closes with its frame. close() runs the window's own close steps;
    // deletion waits for the event loop, so a window unloaded from inside its own handler is not
    // deleted under it.
    QWidget *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    if ((frame ? frame : window)->close()) {
        m_tools.remove(name);
        window->deleteLater();
    }
}

// ---- stopping -----------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!closeAllEditors()) {
        event->ignore();
        return;
    }
    for (const QString &name : m_tools.keys())
        unloadTool(name);
    if (m_helpWindow)
        m_helpWindow->close();
    event->accept();
}

} // namespace tw
