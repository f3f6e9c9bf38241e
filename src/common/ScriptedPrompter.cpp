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

} // namespace

// A window's prompter in tests: the same script, each call recorded with the asking window.
class ScriptedPrompter::WindowPrompter : public Prompter
{
  public:
    WindowPrompter(ScriptedPrompter &script, const QWidget *asker) : m_script(script), m_asker(asker) {}

    int message(const QString &text, int style, const QString &title) override
    {
        return asking([&] { return m_script.message(text, style, title); });
    }
    QString openFileName(const QString &title, const QString &filter, const QString &start) override
    {
        return asking([&] { return m_script.openFileName(title, filter, start); });
    }
    QString saveFileName(const QString &title, const QString &filter, const QString &start) override
    {
        return asking([&] { return m_script.saveFileName(title, filter, start); });
    }
    QString saveFileNameUnasked(const QString &title, const QString &filter, const QString &start) override
    {
        return asking([&] { return m_script.saveFileNameUnasked(title, filter, start); });
    }
    QString openFileNameOrTyped(const QString &title, const QString &filter, const QString &start) override
    {
        return asking([&] { return m_script.openFileNameOrTyped(title, filter, start); });
    }
    std::optional<FontChoice> chooseFont(const FontChoice &current) override
    {
        return asking([&] { return m_script.chooseFont(current); });
    }
    bool printSetup() override
    {
        return asking([&] { return m_script.printSetup(); });
    }
    std::optional<PrintChoice> choosePrint(bool selectionAvailable) override
    {
        return asking([&] { return m_script.choosePrint(selectionAvailable); });
    }
    std::unique_ptr<Prompter> forWindow(QWidget *asker) override { return m_script.forWindow(asker); }

  private:
    // One call of the shared script, recorded as this window's.
    template <typename Call> auto asking(Call call) -> decltype(call())
    {
        const QWidget *outer = m_script.m_asker;
        m_script.m_asker = m_asker;
        auto answer = call();
        m_script.m_asker = outer;
        return answer;
    }

    ScriptedPrompter &m_script;
    const QWidget *m_asker;
};

std::unique_ptr<Prompter> ScriptedPrompter::forWindow(QWidget *asker)
{
    return std::make_unique<WindowPrompter>(*this, asker);
}

void ScriptedPrompter::record(Kind kind, int style, const QString &title, const QString &text,
                              const QString &start)
{
    m_calls.append({kind, style, title, text, m_asker, start});
}

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
    record(Kind::Message, style, title, text);
    const MessageAnswer next = takeNext(m_messages, MessageAnswer{firstButton(style), {}});
    if (next.meanwhile)
        next.meanwhile();
    return next.answer;
}

QString ScriptedPrompter::nextFile()
{
    const FileAnswer next = takeNext(m_files, FileAnswer{});
    if (next.meanwhile)
        next.meanwhile();
    return next.path;
}

QString ScriptedPrompter::openFileName(const QString &title, const QString &filter, const QString &start)
{
    record(Kind::OpenFile, 0, title, filter, start);
    return nextFile();
}

QString ScriptedPrompter::saveFileName(const QString &title, const QString &filter, const QString &start)
{
    record(Kind::SaveFile, 0, title, filter, start);
    return nextFile();
}

QString ScriptedPrompter::saveFileNameUnasked(const QString &title, const QString &filter,
                                              const QString &start)
{
    return saveFileName(title, filter, start);
}

std::optional<FontChoice> ScriptedPrompter::chooseFont(const FontChoice &)
{
    record(Kind::Font, 0, {}, {});
    return takeNext(m_fonts, std::optional<FontChoice>());
}

bool ScriptedPrompter::printSetup()
{
    record(Kind::PrintSetup, 0, {}, {});
    return takeNext(m_printSetups, false);
}

std::optional<PrintChoice> ScriptedPrompter::choosePrint(bool)
{
    record(Kind::Print, 0, {}, {});
    return takeNext(m_prints, std::optional<PrintChoice>());
}

} // namespace tw
