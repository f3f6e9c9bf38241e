#include "MainWindowState.h"

#include "MenuNames.h"
#include "ToolWindowProtocol.h"
#include "ToolbarButtons.h"

#include <QDebug>

using namespace Qt::StringLiterals;

namespace tw
{

namespace
{

// Builds the menu tree in display order: open() starts a menu, close() ends it.
class MenuTreeBuilder
{
  public:
    explicit MenuTreeBuilder(QList<MenuItem> &items) : m_items(items) {}

    MenuTreeBuilder &open(const char *name, const QString &caption)
    {
        add(QString::fromLatin1(name), caption, {}).submenu = true;
        m_stack.append(m_items.size() - 1);
        return *this;
    }
    MenuTreeBuilder &close()
    {
        m_stack.removeLast();
        return *this;
    }
    MenuTreeBuilder &item(const char *name, const QString &caption, const char *shortcut = "")
    {
        add(QString::fromLatin1(name), caption, QString::fromLatin1(shortcut));
        return *this;
    }
    MenuTreeBuilder &separator()
    {
        add({}, QStringLiteral("-"), {}).separator = true;
        return *this;
    }
    MenuItem &last() { return m_items.last(); }

  private:
    MenuItem &add(const QString &name, const QString &caption, const QString &shortcut)
    {
        MenuItem entry;
        entry.name = name;
        entry.caption = caption;
        entry.shortcut = shortcut;
        entry.parent = m_stack.isEmpty() ? -1 : m_stack.last();
        m_items.append(entry);
        return m_items.last();
    }

    QList<MenuItem> &m_items;
    QList<int> m_stack;
};

void buildFileMenu(MenuTreeBuilder &b)
{
    b.open(Menu::File, u"文件[&F]"_s)
        .item(Menu::FileNew, u"新建[&N]"_s, "Ctrl+N")
        .item(Menu::FileOpen, u"打开[&O]"_s, "Ctrl+O")
        .item(Menu::FileSave, u"保存[&S]"_s, "Ctrl+S");
    b.last().enabled = false;
    b.item(Menu::FileSaveAs, u"另存为[&A]"_s);
    b.last().enabled = false;
    b.separator().item(Menu::FileCloseAll, u"关闭全部文件"_s);
    b.last().enabled = false;
    b.separator().item(Menu::PrintSetup, u"打印设置"_s).item(Menu::FilePrint, u"打印[&P]"_s, "Ctrl+P");
    b.last().enabled = false;
    for (int i = 0; i < 4; ++i) {
        b.item(Menu::RecentFiles[i], QStringLiteral("&%1").arg(i + 1));
        b.last().visible = false;
    }
    b.separator().item(Menu::FileExit, u"退出[&X]"_s).close();
}

void buildEditMenu(MenuTreeBuilder &b)
{
    b.open(Menu::Edit, u"编辑[&E]"_s);
    b.last().visible = false;
    b.item(Menu::EditUndo, u"撤销[&U]键入"_s, "Ctrl+Z")
        .item(Menu::EditRedo, u"重复[&R]键入"_s, "Ctrl+Y")
        .separator()
        .item(Menu::EditSelectAll, u"全选[&A]"_s, "Ctrl+A")
        .item(Menu::EditCopy, u"复制[&C]"_s, "Ctrl+C")
        .item(Menu::EditCut, u"剪切[&T]"_s, "Ctrl+X")
        .item(Menu::EditPaste, u"粘贴[&P]"_s)
        .separator()
        .item(Menu::EditFindText, u"按字符查找(&F)"_s, "Ctrl+F")
        .item(Menu::EditFindInstruction, u"按指令查找(&D)"_s, "Ctrl+D")
        .separator()
        .close();
}

void buildToolsMenu(MenuTreeBuilder &b)
{
    b.open(Menu::Tools, u"辅助工具"_s)
        .open(Menu::CodeConversion, u"目标代码转换"_s)
        .item(Menu::HexToBin, u"hex TO bin"_s)
        .item(Menu::BinToHex, u"bin TO hex"_s)
        .separator()
        .item(Menu::BinToObj, u"bin TO obj"_s)
        .item(Menu::ObjToBin, u"obj TO bin"_s)
        .separator()
        .item(Menu::BinRestore, u"bin 代码还原"_s)
        .separator()
        .item(Menu::BinSplit, u"bin 代码拆分"_s)
        .item(Menu::BinMerge, u"bin 代码合并"_s)
        .separator()
        .item(Menu::FileCompare, u"文件比较"_s)
        .close()
        .separator()
        .open(Menu::Porting, u"源程序移植"_s)
        .item(Menu::Port48To51, u"MCS48 to MCS51"_s)
        .close()
        .separator()
        .open(Menu::InitSetup, u"初始化设置"_s)
        .item(Menu::BaudRate, u"波特率设置"_s)
        .item(Menu::TimerCounter, u"定时/计数器设置"_s)
        .item(Menu::Interrupts, u"中断设置"_s)
        .close()
        .separator()
        .open(Menu::Subroutines, u"实用子程序"_s)
        .item(Menu::FixedPointLibrary, u"定点运算子程序"_s)
        .item(Menu::FloatingPointLibrary, u"浮点运算子程序"_s)
        .item(Menu::UserLibrary, u"用户子程序"_s)
        .close()
        .separator()
        .open(Menu::ChineseDisplay, u"汉字显示"_s)
        .item(Menu::DotMatrixFont, u"点阵字模"_s)
        .item(Menu::UnicodeCodes, u"Unicode代码"_s)
        .close()
        .separator()
        .item(Menu::Calculator, u"计算器"_s)
        .close();
}

void buildMenuTree(QList<MenuItem> &items)
{
    MenuTreeBuilder b(items);
    buildFileMenu(b);
    buildEditMenu(b);
    b.open(Menu::Compile, u"编译"_s)
        .open(Menu::Assemble, u"汇编"_s)
        .item(Menu::Assemble51, u"MCS51_汇编"_s)
        .item(Menu::Assemble48, u"MCS48_汇编"_s)
        .close()
        .open(Menu::Disassemble, u"反汇编"_s)
        .item(Menu::Disassemble51, u"MCS51_反汇编"_s)
        .item(Menu::Disassemble48, u"MCS48_反汇编"_s)
        .close()
        .close();
    b.open(Menu::Simulate, u"仿真"_s).item(Menu::Simulate51, u"MCS51_仿真"_s).close();
    b.open(Menu::View, u"察看[&V]"_s).item(Menu::ViewToolbar, u"工具栏[&T]"_s);
    b.last().checkable = true;
    b.item(Menu::ViewStatusBar, u"状态栏[&S]"_s);
    b.last().checkable = true;
    b.item(Menu::ViewListing, u"列表文件(*.lst)"_s).item(Menu::ViewErrors, u"编译信息(*.err)"_s).close();
    b.open(Menu::Communication, u"通讯"_s)
        .item(Menu::SerialSend, u"发送"_s)
        .item(Menu::InSystemProgramming, u"ISP编程"_s);
    b.last().visible = false;
    b.last().enabled = false;
    b.close();
    buildToolsMenu(b);
    b.open(Menu::Window, u"窗口[&W]"_s);
    b.last().visible = false;
    b.item(Menu::WindowTile, u"平铺[&T]"_s).item(Menu::WindowCascade, u"层叠[&C]"_s).close();
    b.open(Menu::Help, u"帮助"_s)
        .item(Menu::HelpManual, u"使用说明"_s)
        .item(Menu::HelpTutorial, u"51嵌入式系统教程"_s)
        .item(Menu::HelpFaq, u"FAQ"_s)
        .separator()
        .item(Menu::LatestVersion, u"最新版本"_s)
        .item(Menu::About, u"关于..."_s)
        .close();
    b.item(Menu::Blank, QString());
    b.item(Menu::Mail, u"联系作者"_s);
}

} // namespace

QStringList storedPanelTexts()
{
    return {u"外中断0"_s, u"定时器0"_s, u"外中断1"_s, u"定时器1"_s, u"串行口"_s, u"CPU 状态"_s, u"WDT状态"_s};
}

MainWindowState::MainWindowState()
{
    buildMenuTree(m_items);
    for (int i = 0; i < ToolbarSlots; ++i)
        m_toolbar[i].key = QString::fromLatin1(toolbarButtons()[i].key);
    for (const QString &key : idleToolbarKeys())
        setToolbarEnabled(key, true);
    const QStringList stored = storedPanelTexts();
    for (int i = 0; i < stored.size(); ++i)
        m_panels[i + 1] = stored[i];
}

int MainWindowState::indexOf(const QString &name) const
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].name == name)
            return i;
    return -1;
}

const MenuItem *MainWindowState::item(const QString &name) const
{
    const int index = indexOf(name);
    return index < 0 ? nullptr : &m_items[index];
}

QList<int> MainWindowState::childrenOf(int index) const
{
    QList<int> children;
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].parent == index)
            children.append(i);
    return children;
}

MenuItem *MainWindowState::namedItem(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0) {
        qWarning() << "no main-window menu named" << name;
        return nullptr;
    }
    return &m_items[index];
}

void MainWindowState::setEnabled(const QString &name, bool enabled)
{
    if (MenuItem *entry = namedItem(name))
        entry->enabled = enabled;
}

void MainWindowState::setVisible(const QString &name, bool visible)
{
    if (MenuItem *entry = namedItem(name))
        entry->visible = visible;
}

void MainWindowState::setChecked(const QString &name, bool checked)
{
    if (MenuItem *entry = namedItem(name))
        entry->checked = checked;
}

bool MainWindowState::isEnabled(const QString &name) const
{
    const MenuItem *entry = item(name);
    return entry && entry->enabled;
}

bool MainWindowState::isVisible(const QString &name) const
{
    const MenuItem *entry = item(name);
    return entry && entry->visible;
}

bool MainWindowState::isChecked(const QString &name) const
{
    const MenuItem *entry = item(name);
    return entry && entry->checked;
}

bool MainWindowState::isReachable(int index) const
{
    if (index < 0)
        return false;
    for (; index >= 0; index = m_items[index].parent)
        if (!m_items[index].enabled || !m_items[index].visible)
            return false;
    return true;
}

bool MainWindowState::isReachable(const QString &name) const
{
    return isReachable(indexOf(name));
}

const ToolbarSlot &MainWindowState::toolbarSlot(int position) const
{
    static const ToolbarSlot none;
    if (position < 1 || position > ToolbarSlots)
        return none;
    return m_toolbar[position - 1];
}

int MainWindowState::toolbarPosition(const QString &key) const
{
    if (key.isEmpty())
        return 0;
    for (int i = 0; i < ToolbarSlots; ++i)
        if (m_toolbar[i].key == key)
            return i + 1;
    return 0;
}

void MainWindowState::setToolbarEnabled(int position, bool enabled)
{
    if (position >= 1 && position <= ToolbarSlots)
        m_toolbar[position - 1].enabled = enabled;
}

void MainWindowState::setToolbarEnabled(const QString &key, bool enabled)
{
    setToolbarEnabled(toolbarPosition(key), enabled);
}

bool MainWindowState::isToolbarEnabled(int position) const
{
    const ToolbarSlot &slot = toolbarSlot(position);
    if (!slot.enabled)
        return false;
    // The other buttons keep their own state: New and Open, say, work while their items are off.
    const bool followsItem =
        slot.key == QLatin1String(ToolbarKey::Undo) || slot.key == QLatin1String(ToolbarKey::Redo);
    return !followsItem || isEnabled(QString::fromLatin1(toolbarButtons()[position - 1].command));
}

bool MainWindowState::isToolbarEnabled(const QString &key) const
{
    return isToolbarEnabled(toolbarPosition(key));
}

QStringList MainWindowState::enabledToolbarKeys() const
{
    QStringList keys;
    for (int position = 1; position <= ToolbarSlots; ++position)
        if (isToolbarEnabled(position) && !m_toolbar[position - 1].isSeparator())
            keys.append(m_toolbar[position - 1].key);
    return keys;
}

QString MainWindowState::statusText(int panel) const
{
    if (panel < 1 || panel > StatusPanels)
        return {};
    return m_panels[panel - 1];
}

void MainWindowState::setStatusText(int panel, const QString &text)
{
    if (panel >= 1 && panel <= StatusPanels)
        m_panels[panel - 1] = text;
}

} // namespace tw
