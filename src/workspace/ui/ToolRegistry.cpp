#include "ToolRegistry.h"

#include "workspace/MenuNames.h"
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

} // namespace

void registerTool(const QString &name, ToolFactory factory, ToolPlacement placement)
{
    placements().insert(name, placement);
    if (factory)
        factories().insert(name, std::move(factory));
    else
        factories().remove(name);
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
    using namespace ToolName;
    static const QHash<QString, QString> tools = [] {
        QHash<QString, QString> map;
        auto add = [&map](const char *tool, std::initializer_list<const char *> items) {
            for (const char *item : items)
                map.insert(QString::fromLatin1(item), QString::fromLatin1(tool));
        };
        add(Assembler, {Menu::Assemble51, Menu::Assemble48});
        add(Conversion, {Menu::Disassemble51, Menu::Disassemble48, Menu::HexToBin, Menu::BinToHex,
                         Menu::BinToObj, Menu::ObjToBin, Menu::BinRestore, Menu::BinSplit, Menu::BinMerge,
                         Menu::FileCompare, Menu::Port48To51});
        add(Simulator, {Menu::Simulate51});
        add(SerialSender, {Menu::SerialSend});
        add(Programmer, {Menu::InSystemProgramming});
        add(InitCode, {Menu::BaudRate, Menu::TimerCounter, Menu::Interrupts});
        add(Library, {Menu::FixedPointLibrary, Menu::FloatingPointLibrary, Menu::UserLibrary});
        add(Font, {Menu::DotMatrixFont});
        add(Unicode, {Menu::UnicodeCodes});
        return map;
    }();
    return tools.value(itemName);
}

} // namespace tw
