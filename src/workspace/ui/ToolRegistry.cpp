#include "ToolRegistry.h"

#include <QHash>

namespace tw
{

namespace
{

QHash<QString, ToolFactory> &factories()
{
    static QHash<QString, ToolFactory> all;
    return all;
}

QHash<QString, ToolPlacement> &placements()
{
    static QHash<QString, ToolPlacement> all;
    return all;
}

QHash<QString, MenuCommand> &commands()
{
    static QHash<QString, MenuCommand> all;
    return all;
}

// The tool each registered menu item opens.
QHash<QString, QString> &menuTools()
{
    static QHash<QString, QString> all;
    return all;
}

} // namespace

void registerTool(const QString &name, ToolFactory factory, ToolPlacement placement,
                  const QList<ToolMenuItem> &menuItems)
{
    placements().insert(name, placement);
    if (factory)
        factories().insert(name, std::move(factory));
    else
        factories().remove(name);
    for (const ToolMenuItem &item : menuItems) {
        menuTools().insert(item.name, name);
        registerMenuCommand(item.name, item.command);
    }
}

ToolFactory toolFactory(const QString &name)
{
    return factories().value(name);
}

ToolPlacement toolPlacement(const QString &name)
{
    return placements().value(name, ToolPlacement::OwnWindow);
}

bool isToolRegistered(const QString &name)
{
    return factories().contains(name);
}

void registerMenuCommand(const QString &itemName, MenuCommand command)
{
    if (command)
        commands().insert(itemName, std::move(command));
    else
        commands().remove(itemName);
}

MenuCommand menuCommand(const QString &itemName)
{
    return commands().value(itemName);
}

QString defaultToolOfMenuItem(const QString &itemName)
{
    return menuTools().value(itemName);
}

} // namespace tw
