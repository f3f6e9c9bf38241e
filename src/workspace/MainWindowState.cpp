#include "MainWindowState.h"

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
    b.open("mFile", u"文件[&F]"_s)
        .item("mFileNew", u"新建[&N]"_s, "Ctrl+N")
        .item("mFileOpen", u"打开[&O]"_s, "Ctrl+O")
        .item("mFileSave", u"保存[&S]"_s, "Ctrl+S");
    b.last().enabled = false;
    b.item("mFileSaveAs", u"另存为[&A]"_s);
    b.last().enabled = false;
    b.separator().item("mFileCloseAll", u"关闭全部文件"_s);
    b.last().enabled = false;
    b.separator().item("mPrintSet", u"打印设置"_s).item("mFilePrint", u"打印[&P]"_s, "Ctrl+P");
    b.last().enabled = false;
    const char *recent[] = {"mfile1", "mfile2", "mfile3", "mfile4"};
    for (int i = 0; i < 4; ++i) {
        b.item(recent[i], QStringLiteral("&%1").arg(i + 1));
        b.last().visible = false;
    }
    b.separator().item("mFileExit", u"退出[&X]"_s).close();
}

void buildEditMenu(MenuTreeBuilder &b)
{
    b.open("mEdit", u"编辑[&E]"_s);
    b.last().visible = false;
    b.item("mEditUndo", u"撤销[&U]键入"_s, "Ctrl+Z")
        .item("mEditRedo", u"重复[&R]键入"_s, "Ctrl+Y")
        .separator()
        .item("mEditSelAll", u"全选[&A]"_s, "Ctrl+A")
        .item("mEditCopy", u"复制[&C]"_s, "Ctrl+C")
        .item("mEditCut", u"剪切[&T]"_s, "Ctrl+X")
        .item("mEditPaste", u"粘贴[&P]"_s)
        .separator()
        .item("mEditFindzf", u"按字符查找(&F)"_s, "Ctrl+F")
        .item("mEditFindzl", u"按指令查找(&D)"_s, "Ctrl+D")
        .separator()
        .close();
}

void buildToolsMenu(MenuTreeBuilder &b)
{
    b.open("comFZ", u"辅助工具"_s)
        .open("dmzh", u"目标代码转换"_s)
        .item("htb", u"hex TO bin"_s)
        .item("bth", u"bin TO hex"_s)
        .separator()
        .item("bto", u"bin TO obj"_s)
        .item("otb", u"obj TO bin"_s)
        .separator()
        .item("binzh", u"bin 代码还原"_s)
        .separator()
        .item("dmcf", u"bin 代码拆分"_s)
        .item("dmhb", u"bin 代码合并"_s)
        .separator()
        .item("wjbj", u"文件比较"_s)
        .close()
        .separator()
        .open("ycxyz", u"源程序移植"_s)
        .item("yz48", u"MCS48 to MCS51"_s)
        .close()
        .separator()
        .open("cshsz", u"初始化设置"_s)
        .item("btlsz", u"波特率设置"_s)
        .item("dsqsz", u"定时/计数器设置"_s)
        .item("ZDSZ", u"中断设置"_s)
        .close()
        .separator()
        .open(SubroutineMenuName, u"实用子程序"_s)
        .item("zcx1", u"定点运算子程序"_s)
        .item("zcx2", u"浮点运算子程序"_s)
        .item("yhzcx", u"用户子程序"_s)
        .close()
        .separator()
        .open("HZXS", u"汉字显示"_s)
        .item("dzzm", u"点阵字模"_s)
        .item("Unicode", u"Unicode代码"_s)
        .close()
        .separator()
        .item("jsq", u"计算器"_s)
        .close();
}

void buildMenuTree(QList<MenuItem> &items)
{
    MenuTreeBuilder b(items);
    buildFileMenu(b);
    buildEditMenu(b);
    b.open("mComp", u"编译"_s)
        .open("mCompasm", u"汇编"_s)
        .item("assembler51", u"MCS51_汇编"_s)
        .item("assembler48", u"MCS48_汇编"_s)
        .close()
        .open("mCompdasm", u"反汇编"_s)
        .item("dasm51", u"MCS51_反汇编"_s)
        .item("dasm48", u"MCS48_反汇编"_s)
        .close()
        .close();
    b.open("mEml", u"仿真"_s).item("emMCS51", u"MCS51_仿真"_s).close();
    b.open("mView", u"察看[&V]"_s).item("mViewToolbar", u"工具栏[&T]"_s);
    b.last().checkable = true;
    b.item("mViewStat", u"状态栏[&S]"_s);
    b.last().checkable = true;
    b.item("lst", u"列表文件(*.lst)"_s).item("err0", u"编译信息(*.err)"_s).close();
    b.open("mCom", u"通讯"_s).item("send1", u"发送"_s).item("ISP", u"ISP编程"_s);
    b.last().visible = false;
    b.last().enabled = false;
    b.close();
    buildToolsMenu(b);
    b.open("mWindow", u"窗口[&W]"_s);
    b.last().visible = false;
    b.item("mWindowTitle", u"平铺[&T]"_s).item("mWindowCa", u"层叠[&C]"_s).close();
    b.open("eHelp", u"帮助"_s)
        .item("sm", u"使用说明"_s)
        .item("jc51", u"51嵌入式系统教程"_s)
        .item("FAQ", u"FAQ"_s)
        .separator()
        .item("zxbb", u"最新版本"_s)
        .item("about", u"关于..."_s)
        .close();
    b.item(BlankMenuName, QString());
    b.item(MailMenuName, u"联系作者"_s);
}

} // namespace

QStringList storedPanelTexts()
{
    return {u"外中断0"_s, u"定时器0"_s, u"外中断1"_s, u"定时器1"_s, u"串行口"_s, u"CPU 状态"_s, u"WDT状态"_s};
}

MainWindowState::MainWindowState()
{
    buildMenuTree(m_items);
    const char *keys[ToolbarSlots] = {"New",  "Open",   "Save",   "",     "Print", "", "Undo",
                                      "Redo", "",       "Cut",    "Copy", "Paste", "", "Zt",
                                      "",     "Findzf", "Findzl", "",     "asm",   "", "FZ51"};
    for (int i = 0; i < ToolbarSlots; ++i)
        m_toolbar[i].key = QString::fromLatin1(keys[i]);
    for (const char *key : {"New", "Open", "asm", "FZ51"})
        setToolbarEnabled(QString::fromLatin1(key), true);
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

QStringList MainWindowState::descendantNames(const QString &name) const
{
    QStringList names;
    const int top = indexOf(name);
    if (top < 0)
        return names;
    QList<int> pending = childrenOf(top);
    while (!pending.isEmpty()) {
        const int index = pending.takeFirst();
        if (!m_items[index].name.isEmpty())
            names.append(m_items[index].name);
        pending.append(childrenOf(index));
    }
    return names;
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
    return toolbarSlot(position).enabled;
}

bool MainWindowState::isToolbarEnabled(const QString &key) const
{
    return isToolbarEnabled(toolbarPosition(key));
}

QStringList MainWindowState::enabledToolbarKeys() const
{
    QStringList keys;
    for (const ToolbarSlot &slot : m_toolbar)
        if (slot.enabled && !slot.isSeparator())
            keys.append(slot.key);
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
