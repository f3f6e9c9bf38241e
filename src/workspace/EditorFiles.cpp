#include "EditorFiles.h"

#include "common/Prompter.h"

#include <QFileInfo>

namespace tw
{

FileDialogText openDialogText(OpenKind kind)
{
    switch (kind) {
    case OpenKind::Source:
        return {QStringLiteral(u"打开源程序文件"), QStringLiteral(u" 源程序文件(*.asm);;所有文件(*.*)")};
    case OpenKind::Listing:
        return {QStringLiteral(u"打开列表文件"), QStringLiteral(u" 列表文件(*.lst);;所有文件(*.*)")};
    case OpenKind::ErrorReport:
        return {QStringLiteral(u"打开编译信息文件"), QStringLiteral(u" 编译信息(*.err);;所有文件(*.*)")};
    }
    return {};
}

FileDialogText saveDialogText()
{
    return {QStringLiteral(u"保存"), QStringLiteral(u" 源程序文件(*.asm);;所有文件(*.*)")};
}

FileDialogText saveAsDialogText()
{
    return {QStringLiteral(u"另存为"), saveDialogText().filter};
}

QString askFileToOpen(Prompter &prompter, OpenKind kind)
{
    const FileDialogText dialog = openDialogText(kind);
    const QString path = prompter.openFileName(dialog.title, dialog.filter, QString());
    if (path.isEmpty())
        return {};
    if (!QFileInfo(path).isFile()) {
        prompter.message(QStringLiteral(u"文件不存在!"), MsgStyle::Ok, dialog.title);
        return {};
    }
    return path;
}

QString withDefaultSuffix(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QStringLiteral(".asm");
}

QString editorTextFromFile(const QString &fileText)
{
    QString text = fileText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString fileTextFromEditor(const QString &editorText)
{
    QString text = editorText;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

TextEncoding encodingFor(const QString &text, TextEncoding preferred)
{
    if (preferred == TextEncoding::Utf8)
        return preferred;
    // GBK cannot hold every character; a round trip shows whether this text survives it.
    if (decodeText(encodeText(text, TextEncoding::Gbk)).text == text)
        return TextEncoding::Gbk;
    return TextEncoding::Utf8;
}

bool closesWithoutQuestion(const QString &openFile)
{
    const QString end = openFile.right(3);
    return end == u"bin" || end == u"BIN" || end == u"LST" || end == u"lst";
}

} // namespace tw
