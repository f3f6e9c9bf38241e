#include "ToolRegistry.h"

#include "workspace/Workspace.h"

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

QHash<QString, MenuCommand> &commands()
{
    static QHash<QString, MenuCommand> all;
    return all;
}

} // namespace

void registerTool(const QString &name, ToolFactory factory)
{
    if (factory)
        factories().insert(name, std::move(factory));
    else
        factories().remove(name);
}

ToolFactory toolFactory(const QString &name)
{
    return factories().value(name);
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
    using namespace ToolName;
    static const QHash<QString, QString> tools = [] {
        QHash<QString, QString> map;
        auto add = [&map](const char *tool, std::initializer_list<const char *> items) {
            for (const char *item : items)
                map.insert(QString::fromLatin1(item), QString::fromLatin1(tool));
        };
        add(Assembler, {"assembler51", "assembler48"});
        add(Conversion,
            {"dasm51", "dasm48", "htb", "bth", "bto", "otb", "binzh", "dmcf", "dmhb", "wjbj", "yz48"});
        add(Simulator, {"emMCS51"});
        add(SerialSender, {"send1"});
        add(Programmer, {"ISP"});
        add(InitCode, {"btlsz", "dsqsz", "ZDSZ"});
        add(Library, {"zcx1", "zcx2", "yhzcx"});
        add(Font, {"dzzm"});
        add(Unicode, {"Unicode"});
        return map;
    }();
    return tools.value(itemName);
}

} // namespace tw
