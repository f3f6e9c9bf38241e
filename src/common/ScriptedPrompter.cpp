#include "ScriptedPrompter.h"

namespace tw {

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
    if (!m_messages.empty()) {
        const int answer = m_messages.front();
        m_messages.pop_front();
        return answer;
    }
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

QString ScriptedPrompter::openFileName(const QString &title, const QString &filter, const QString &)
{
    m_calls.append({Kind::OpenFile, 0, title, filter});
    if (m_files.empty())
        return {};
    QString path = m_files.front();
    m_files.pop_front();
    return path;
}

QString ScriptedPrompter::saveFileName(const QString &title, const QString &filter, const QString &)
{
    m_calls.append({Kind::SaveFile, 0, title, filter});
    if (m_files.empty())
        return {};
    QString path = m_files.front();
    m_files.pop_front();
    return path;
}

std::optional<FontChoice> ScriptedPrompter::chooseFont(const FontChoice &)
{
    m_calls.append({Kind::Font, 0, {}, {}});
    if (m_fonts.isEmpty())
        return std::nullopt;
    return m_fonts.takeFirst();
}

bool ScriptedPrompter::printSetup()
{
    m_calls.append({Kind::PrintSetup, 0, {}, {}});
    if (m_printSetups.empty())
        return false;
    const bool ok = m_printSetups.front();
    m_printSetups.pop_front();
    return ok;
}

std::optional<PrintChoice> ScriptedPrompter::choosePrint(bool)
{
    m_calls.append({Kind::Print, 0, {}, {}});
    if (m_prints.empty())
        return std::nullopt;
    auto choice = m_prints.front();
    m_prints.pop_front();
    return choice;
}

} // namespace tw
