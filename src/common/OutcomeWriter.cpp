#include "common/OutcomeWriter.h"

#include "common/Prompter.h"

#include <QFile>

namespace tw
{

namespace
{

class PrompterAnswers final : public NoteAnswers
{
  public:
    explicit PrompterAnswers(Prompter &prompter) : m_prompter(prompter) {}
    int answer(const ToolNote &note) override
    {
        return m_prompter.message(noteText(note), note.style, QString::fromStdString(note.title));
    }

  private:
    Prompter &m_prompter;
};

} // namespace

std::string nativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

QString fromNativePath(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

ToolNote toolNote(const QString &text, int style, const QString &title)
{
    return {text.toStdString(), style, title.toStdString()};
}

QString noteText(const ToolNote &note)
{
    return QString::fromStdString(note.text);
}

PlannedFile plannedFile(const QString &path, QByteArrayView bytes, bool askBeforeReplacing)
{
    PlannedFile file;
    file.path = nativePath(path);
    file.bytes.assign(bytes.data(), static_cast<std::size_t>(bytes.size()));
    file.askBeforeReplacing = askBeforeReplacing;
    return file;
}

QString readFailureMessage(const QString &path, const QString &reason)
{
    return QString::fromStdString(readFailureText(path.toStdString(), reason.toStdString()));
}

CarriedOut carryOut(const ToolOutcome &outcome, Prompter &prompter)
{
    PrompterAnswers answers(prompter);
    return carryOut(outcome, answers);
}

} // namespace tw
