#include "EditorFiles.h"
#include "common/Paths.h"

#include "Messages.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace tw
{

FileDialogText saveDialogText()
{
    return {QStringLiteral(u"保存"), kSourceFileFilter};
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

SaveEncoding saveEncodingFor(const QString &fileText, TextEncoding readIn, bool strayBytes, bool readFromFile)
{
    if (!readFromFile)
        return {tryEncodeText(fileText, TextEncoding::Gbk) ? TextEncoding::Gbk : TextEncoding::Utf8, {}};
    const bool replaced = strayBytes && fileText.contains(QChar::ReplacementCharacter);
    if (tryEncodeText(fileText, readIn)) {
        if (!replaced)
            return {readIn, {}};
        return {readIn,
                QStringLiteral(u"文件中有读入时无法识别的字节（显示为“�”），保存后这些字节将不复存在。\n"
                               u"仍然保存吗？")};
    }
    if (readIn == TextEncoding::Utf8)
        return {TextEncoding::Utf8, {}}; // the write reports what UTF-8 cannot hold
    return {TextEncoding::Utf8,
            QStringLiteral(u"文件按 GBK 编码读入，但现在有 GBK 无法保存的字符（或读入时无法识别的字节，"
                           u"显示为“�”）。\n改用 UTF-8 编码保存整个文件吗？")};
}

QString saveFailedText(const QString &path, bool cannotEncode)
{
    QString text = QStringLiteral(u"文件保存失败，原文件未改动：") + path;
    if (cannotEncode)
        text += QStringLiteral(u"\n文件中有无法编码的字符。");
    return text;
}

QString tidyRefusedText(const QString &path)
{
    return QStringLiteral(u"规格化会改变文件中的非 ASCII 字符，文件已按原样保存，未作规格化：") + path;
}

namespace
{

QByteArray contentHash(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

} // namespace

DiskState DiskState::of(const QString &path, const QByteArray &bytes, const FileState &state)
{
    return {path, bytes.size(), contentHash(bytes), state};
}

bool DiskState::changedAt(const QString &target) const
{
    if (!isSameFile(path, target))
        return false;
    const QFileInfo info(target);
    if (!info.exists())
        return false;
    // The time stamp is not consulted: a file touched but not changed loses nothing, and two
    // writes within one tick of the clock would share a stamp. The bytes decide.
    if (info.size() != size)
        return true;
    const auto bytes = readBinaryFile(target);
    return !bytes || contentHash(*bytes) != hash;
}

QString changedOnDiskText(const QString &path)
{
    return QStringLiteral(u"文件已被其他程序修改：") + path +
           QStringLiteral(u"\r\n保存将覆盖这些修改。仍要保存吗？");
}

bool closesWithoutQuestion(const QString &openFile)
{
    return hasBinEnding(openFile) || openFile.endsWith(QLatin1String("LST")) ||
           openFile.endsWith(QLatin1String("lst"));
}

} // namespace tw
