#include "ToolRegistry.h"

#include <QHash>

namespace tw
{

namespace
{

struct RegisteredTool {
    ToolFactory factory;
};

// A menu item of another subsystem: the tool it opens (empty for a command by itself) and the
// command that runs instead of showing the tool as it is.
struct RegisteredItem {
    QString tool;
    MenuCommand command;
};

QHash<QString, RegisteredTool> &tools()
{
    static QHash<QString, RegisteredTool> all;
    return all;
}

QHash<QString, RegisteredItem> &items()
{
    static QHash<QString, RegisteredItem> all;
    return all;
}

} // namespace

void registerTool(const QString &name, ToolFactory factory, const QList<ToolMenuItem> &menuItems)
{
    if (factory)
        tools().insert(name, {std::move(factory)});
    else
        tools().remove(name);
    for (const ToolMenuItem &item : menuItems)
        items().insert(item.name, {name, item.command});
}

ToolFactory toolFactory(const QString &name)
{
    return tools().value(name).factory;
}

bool isToolRegistered(const QString &name)
{
    return tools().contains(name);
}

void registerMenuCommand(const QString &itemName, MenuCommand command)
{
    RegisteredItem &item = items()[itemName];
    item.command = std::move(command);
    if (item.tool.isEmpty() && !item.command)
        items().remove(itemName);
}

MenuCommand menuCommand(const QString &itemName)
{
    return items().value(itemName).command;
}

QString defaultToolOfMenuItem(const QString &itemName)
{
    return items().value(itemName).tool;
}

} // namespace tw
