#include "EditorFiles.h"

#include <QFileInfo>

namespace tw
{

FileDialogText saveDialogText()
{
    return {QStringLiteral(u"保存"), QStringLiteral(u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)")};
}

FileDialogText saveAsDialogText()
{
    return {QStringLiteral(u"另存为"), saveDialogText().filter};
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
