#include "SubroutineSource.h"

#include "common/TextFile.h"

#include <QRegularExpression>

namespace tw
{

namespace
{

QString *fieldOf(SubroutineSource &source, const QString &key, QString &calls)
{
    if (key == u"调用")
        return &calls;
    SubroutineRecord &r = source.record;
    if (key == u"名称")
        return &r.name;
    if (key == u"入口条件")
        return &r.entry;
    if (key == u"出口状态")
        return &r.exit;
    if (key == u"占用资源")
        return &source.resourceList;
    if (key == u"周期")
        return &source.cycles;
    if (key == u"堆栈需求")
        return &r.stack;
    return nullptr;
}

QString labelOf(const QString &line)
{
    static const QRegularExpression label(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)\\s*:"));
    const QRegularExpressionMatch match = label.match(line);
    return match.hasMatch() ? match.captured(1).toUpper() : QString();
}

} // namespace

std::optional<SubroutineSource> parseSubroutineSource(const QString &text, QString *error)
{
    static const QRegularExpression keyed(QStringLiteral(u"^([^:：]+)[:：]\\s*(.*)$"));
    SubroutineSource source;
    QString calls;
    const QStringList lines = splitLines(text);
    QString *current = nullptr;
    qsizetype codeStart = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (!line.startsWith(u';')) {
            codeStart = i;
            break;
        }
        const QString body = line.mid(1).trimmed();
        const QRegularExpressionMatch match = keyed.match(body);
        QString *field = match.hasMatch() ? fieldOf(source, match.captured(1).trimmed(), calls) : nullptr;
        if (field) {
            current = field;
            *current = match.captured(2).trimmed();
        } else if (current && !body.isEmpty()) {
            *current += body; // the header wraps long texts; the boxes wrap them again
        }
    }
    QStringList code = lines.mid(codeStart);
    while (!code.isEmpty() && code.last().trimmed().isEmpty())
        code.removeLast();
    source.record.code = code.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    for (const QString &line : code) {
        source.entryLabel = labelOf(line);
        if (!source.entryLabel.isEmpty())
            break;
    }
    source.calls = calls.split(QRegularExpression(QStringLiteral(u"[,，\\s]+")), Qt::SkipEmptyParts);
    static const QRegularExpression number(QStringLiteral("(\\d+)"));
    const QRegularExpressionMatch stack = number.match(source.record.stack);
    source.stackBytes = stack.hasMatch() ? stack.captured(1).toInt() : -1;
    source.record.resources = resourcesText(source.resourceList, source.cycles);

    QString missing;
    const std::pair<const QString *, const char16_t *> required[] = {
        {&source.record.name, u"名称"},     {&source.record.entry, u"入口条件"},
        {&source.record.exit, u"出口状态"}, {&source.resourceList, u"占用资源"},
        {&source.cycles, u"周期"},          {&source.record.stack, u"堆栈需求"}};
    for (const auto &[field, key] : required)
        if (field->isEmpty())
            missing = QString::fromUtf16(key);
    if (missing.isEmpty() && source.entryLabel.isEmpty())
        missing = QStringLiteral("entry label");
    if (!missing.isEmpty()) {
        if (error)
            *error = QStringLiteral("missing ") + missing;
        return std::nullopt;
    }
    return source;
}

QString resourcesText(const QString &resourceList, const QString &cycles)
{
    return resourceList + QStringLiteral(u"；") + cycles + QStringLiteral(u"个机器周期");
}

QStringList expandResourceList(const QString &resourceList)
{
    static const QRegularExpression separators(QStringLiteral(u"[,，、\\s]+"));
    static const QRegularExpression range(QStringLiteral("^R([0-7])-R([0-7])$"));
    QStringList names;
    for (const QString &item : resourceList.split(separators, Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = range.match(item);
        if (!match.hasMatch()) {
            names.append(item);
            continue;
        }
        for (int n = match.captured(1).toInt(); n <= match.captured(2).toInt(); ++n)
            names.append(QStringLiteral("R%1").arg(n));
    }
    return names;
}

} // namespace tw
