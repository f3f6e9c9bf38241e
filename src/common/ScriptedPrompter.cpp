#include "ScriptedPrompter.h"

namespace tw
{

namespace
{

// The next scripted answer, or the fallback once the script has run out.
template <typename T> T takeNext(QList<T> &queue, T fallback)
{
    if (queue.isEmpty())
        return fallback;
    return queue.takeFirst();
}

// What an unscripted message box answers: its first button.
int firstButton(int style)
{
    switch (style & 7) {
    case MsgStyle::AbortRetryIgnore:
        return MsgAnswer::Abort;
    case MsgStyle::YesNoCancel:
    case MsgStyle::YesNo:
        return MsgAnswer::Yes;
    case MsgStyle::RetryCancel:
        return MsgAnswer::Retry;
    default:
        return MsgAnswer::Ok;
    }
}

} // namespace

QStringList ScriptedPrompter::messageTexts() const
{
    QStringList texts;
    for (const Call &call : m_calls)
        if (call.kind == Kind::Message)
            texts.append(call.text);
    return texts;
}

int ScriptedPrompter::message(const QString &text, int style, const QString &title)
{
    m_calls.append({Kind::Message, style, title, text});
    return takeNext(m_messages, firstButton(style));
}

QString ScriptedPrompter::openFileName(const QString &title, const QString &filter, const QString &)
{
    m_calls.append({Kind::OpenFile, 0, title, filter});
    return takeNext(m_files, QString());
}

QString ScriptedPrompter::saveFileName(const QString &title, const QString &filter, const QString &)
{
    m_calls.append({Kind::SaveFile, 0, title, filter});
    return takeNext(m_files, QString());
}

std::optional<FontChoice> ScriptedPrompter::chooseFont(const FontChoice &)
{
    m_calls.append({Kind::Font, 0, {}, {}});
    return takeNext(m_fonts, std::optional<FontChoice>());
}

bool ScriptedPrompter::printSetup()
{
    m_calls.append({Kind::PrintSetup, 0, {}, {}});
    return takeNext(m_printSetups, false);
}

std::optional<PrintChoice> ScriptedPrompter::choosePrint(bool)
{
    m_calls.append({Kind::Print, 0, {}, {}});
    return takeNext(m_prints, std::optional<PrintChoice>());
}

} // namespace tw
