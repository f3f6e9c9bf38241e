#include "SubroutineLibraries.h"

#include "common/Paths.h"

#include <QDir>

namespace tw
{

LibraryPlace libraryPlace(SubroutineLibrary library)
{
    const QString fixedPath = QDir(programFolder()).filePath(QString::fromLatin1(kFixedLibraryFile));
    switch (library) {
    case SubroutineLibrary::FixedPoint:
        return {QStringLiteral(u"定点运算子程序库"), fixedPath, QString::fromLatin1(kFixedPointTable), true};
    case SubroutineLibrary::FloatingPoint:
        return {QStringLiteral(u"浮点运算子程序库"), fixedPath, QString::fromLatin1(kFloatingPointTable),
                true};
    case SubroutineLibrary::User:
        return {QStringLiteral(u"用户子程序库"),
                QDir(workFolder()).filePath(QString::fromLatin1(kUserLibraryFile)),
                QString::fromLatin1(kUserTable), false};
    }
    return {};
}

QString newRoutineProblem(const SubroutineRecord &record)
{
    // Only a box holding no characters at all counts as empty; blanks pass.
    if (record.name.isEmpty() || record.name == LibraryText::NamePlaceholder)
        return QStringLiteral(u"请输入子程序名称！");
    if (record.code.isEmpty())
        return QStringLiteral(u"请输入子程序！");
    if (record.entry.isEmpty())
        return QStringLiteral(u"请输入入口条件，若没有入口条件请输入《无》！");
    if (record.exit.isEmpty())
        return QStringLiteral(u"请输入出口状态，若没有出口状态请输入《无》！");
    if (record.resources.isEmpty())
        return QStringLiteral(u"请输入资源要求，若没有资源要求请输入《无》！");
    if (record.stack.isEmpty())
        return QStringLiteral(u"请输入堆栈需求，若没有堆栈需求请输入《无》！");
    const QString limit = QString::number(kShortFieldLength);
    if (record.name.size() > kShortFieldLength)
        return QStringLiteral(u"子程序名称不能超过%1个字符！").arg(limit);
    if (record.resources.size() > kShortFieldLength)
        return QStringLiteral(u"占用资源不能超过%1个字符！").arg(limit);
    if (record.stack.size() > kShortFieldLength)
        return QStringLiteral(u"堆栈需求不能超过%1个字符！").arg(limit);
    return {};
}

QString libraryOpenFailure(const QString &path, const QString &engineError)
{
    return QStringLiteral(u"无法打开子程序库：") + QDir::toNativeSeparators(path) + QStringLiteral("\r\n") +
           engineError;
}

QString libraryWriteFailure(const QString &path, const QString &engineError)
{
    return QStringLiteral(u"子程序未能存入子程序库：") + QDir::toNativeSeparators(path) +
           QStringLiteral("\r\n") + engineError;
}

} // namespace tw
