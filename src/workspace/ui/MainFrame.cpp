#include "MainFrame.h"

#include "workspace/MenuNames.h"
#include "workspace/ToolbarButtons.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaEnum>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

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

} // namespace

MainFrame::MainFrame(QMainWindow &window, CommandRunner runCommand)
    : m_window(window), m_runCommand(std::move(runCommand))
{
    buildMenus();
    buildToolBar();
    buildStatusBar();
    m_state.setChecked(Menu::ViewToolbar, true);
    m_state.setChecked(Menu::ViewStatusBar, true);
    for (int i = 0; i < m_state.items().size(); ++i)
        mirrorMenu(i);
}

MainFrame::~MainFrame() = default;

// ---- building ----------------------------------------------------------------------------------

void MainFrame::buildMenus()
{
    const QList<MenuItem> &items = m_state.items();
    m_menuActions.resize(items.size());
    for (int i = 0; i < items.size(); ++i) {
        const MenuItem &entry = items[i];
        QMenu *parentMenu = entry.parent < 0 ? nullptr : m_menus.value(items[entry.parent].name);
        if (entry.separator)
            m_menuActions[i] = parentMenu->addSeparator();
        else
            m_menuActions[i] = entry.submenu ? addMenu(entry, parentMenu) : addItem(entry, parentMenu);
    }
}

QAction *MainFrame::addMenu(const MenuItem &entry, QMenu *parentMenu)
{
    QMenu *menu =
        parentMenu ? parentMenu->addMenu(entry.caption) : m_window.menuBar()->addMenu(entry.caption);
    menu->setObjectName(entry.name);
    menu->menuAction()->setObjectName(entry.name);
    m_menus.insert(entry.name, menu);
    return menu->menuAction();
}

QAction *MainFrame::addItem(const MenuItem &entry, QMenu *parentMenu)
{
    QAction *action =
        parentMenu ? parentMenu->addAction(entry.caption) : m_window.menuBar()->addAction(entry.caption);
    action->setObjectName(entry.name);
    if (!entry.shortcut.isEmpty())
        action->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
    action->setCheckable(entry.checkable);
    const QString name = entry.name;
    connect(action, &QAction::triggered, this, [this, name] { m_runCommand(name); });
    return action;
}

void MainFrame::buildToolBar()
{
    m_toolBar = m_window.addToolBar(u"工具栏"_s);
    m_toolBar->setObjectName(u"Toolbar1"_s);
    m_toolBar->setMovable(false);
    for (int position = 1; position <= MainWindowState::ToolbarSlots; ++position) {
        QAction *action = toolbarButton(position);
        action->setEnabled(m_state.isToolbarEnabled(position));
        m_toolBar->addAction(action);
        m_toolbarActions.append(action);
    }
}

QAction *MainFrame::toolbarButton(int position)
{
    const ToolbarSlot &slot = m_state.toolbarSlot(position);
    auto *action = new QAction(&m_window);
    if (slot.isSeparator()) {
        action->setSeparator(true);
        return action;
    }
    action->setObjectName(slot.key);
    const ToolbarButton &button = toolbarButtons()[position - 1];
    action->setIcon(*button.themeIcon ? themedToolbarIcon(button, m_window.style())
                                      : drawnToolbarIcon(slot.key));
    action->setText(QString::fromUtf16(button.tip));
    action->setToolTip(action->text());
    const QString key = slot.key;
    connect(action, &QAction::triggered, this, [this, key] { clickToolbarButton(key); });
    return action;
}

void MainFrame::buildStatusBar()
{
    for (int panel = 1; panel <= MainWindowState::StatusPanels; ++panel) {
        auto *label = new QLabel(m_state.statusText(panel), &m_window);
        label->setObjectName(u"StatusPanel%1"_s.arg(panel));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(panel == 1 ? 160 : 70);
        m_window.statusBar()->addPermanentWidget(label, panel == 1 ? 2 : 1);
        m_panels.append(label);
    }
}

// ---- menus and toolbar as the model says -------------------------------------------------------

void MainFrame::mirrorMenu(int index)
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

void MainFrame::mirrorMenuTree(int index)
{
    mirrorMenu(index);
    for (int child : m_state.childrenOf(index))
        mirrorMenuTree(child);
}

void MainFrame::mirrorToolbarButton(int position)
{
    if (QAction *action = toolbarAction(position))
        action->setEnabled(m_state.isToolbarEnabled(position));
}

void MainFrame::setMenuEnabled(const QString &name, bool enabled)
{
    m_state.setEnabled(name, enabled);
    if (const int index = m_state.indexOf(name); index >= 0)
        mirrorMenuTree(index);
    // Undo and Redo follow their items.
    for (int position = 1; position <= MainWindowState::ToolbarSlots; ++position)
        mirrorToolbarButton(position);
}

bool MainFrame::isMenuEnabled(const QString &name) const
{
    return m_state.isEnabled(name);
}

void MainFrame::setMenuVisible(const QString &name, bool visible)
{
    m_state.setVisible(name, visible);
    if (const int index = m_state.indexOf(name); index >= 0)
        mirrorMenuTree(index);
}

bool MainFrame::isMenuVisible(const QString &name) const
{
    return m_state.isVisible(name);
}

void MainFrame::setToolbarButtonEnabled(int position, bool enabled)
{
    m_state.setToolbarEnabled(position, enabled);
    mirrorToolbarButton(position);
}

void MainFrame::setToolbarButtonEnabled(const QString &key, bool enabled)
{
    setToolbarButtonEnabled(m_state.toolbarPosition(key), enabled);
}

bool MainFrame::isToolbarButtonEnabled(int position) const
{
    return m_state.isToolbarEnabled(position);
}

void MainFrame::setStatusText(int panel, const QString &text)
{
    m_state.setStatusText(panel, text);
    if (QLabel *label = statusPanel(panel))
        label->setText(text);
}

QString MainFrame::statusText(int panel) const
{
    return m_state.statusText(panel);
}

void MainFrame::toggleToolBar()
{
    toggleBar(m_toolBar, QString::fromLatin1(Menu::ViewToolbar));
}

void MainFrame::toggleStatusBar()
{
    toggleBar(m_window.statusBar(), QString::fromLatin1(Menu::ViewStatusBar));
}

void MainFrame::toggleBar(QWidget *bar, const QString &itemName)
{
    const bool show = bar->isHidden();
    bar->setVisible(show);
    m_state.setChecked(itemName, show);
    mirrorMenu(m_state.indexOf(itemName));
}

// ---- lookups and clicks ------------------------------------------------------------------------

QAction *MainFrame::menuAction(const QString &name) const
{
    return m_menuActions.value(m_state.indexOf(name));
}

QAction *MainFrame::toolbarAction(int position) const
{
    return m_toolbarActions.value(position - 1);
}

QMenu *MainFrame::topMenu(const QString &name) const
{
    return m_menus.value(name);
}

QLabel *MainFrame::statusPanel(int panel) const
{
    return m_panels.value(panel - 1);
}

void MainFrame::popupMenu(const QString &name, const QPoint &globalPosition)
{
    if (QMenu *menu = m_menus.value(name); menu && m_state.isReachable(name))
        menu->popup(globalPosition);
}

bool MainFrame::triggerMenuItem(const QString &name)
{
    const MenuItem *entry = m_state.item(name);
    if (!entry || entry->submenu || !m_state.isReachable(name))
        return false;
    QAction *action = menuAction(name);
    if (action && action->isCheckable())
        action->setChecked(!action->isChecked());
    m_runCommand(name);
    return true;
}

bool MainFrame::clickToolbarButton(const QString &key)
{
    const int position = m_state.toolbarPosition(key);
    if (position == 0 || !m_state.isToolbarEnabled(position))
        return false;
    // By the button's own command, whatever state its menu item is in: New and Open work from the
    // toolbar while their items are switched off.
    m_runCommand(QString::fromLatin1(toolbarButtons()[position - 1].command));
    return true;
}

} // namespace tw
