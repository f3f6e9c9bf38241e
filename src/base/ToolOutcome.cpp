#include "base/ToolOutcome.h"

#include "base/FileSystemDetail.h"
#include "base/MessageStyle.h"
#include "base/PlacementRecord.h"

#include <algorithm>
#include <optional>
#include <sys/stat.h>

namespace tw
{

namespace
{

bool exists(const std::string &path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

ContentWriter contentOf(const PlannedFile &file)
{
    if (file.content)
        return file.content;
    return [&file](const PieceSink &put) { return put(file.bytes); };
}

class Writer
{
  public:
    Writer(const ToolOutcome &outcome, NoteAnswers &answers) : m_outcome(outcome), m_answers(answers) {}

    CarriedOut run()
    {
        for (const ToolNote &note : m_outcome.notes)
            show(note);
        if (m_outcome.files.empty())
            return m_report;
        if (!refuseUnwritable() || !refuseOneFileTwice() || !consent() || !writeAll()) {
            m_report.written.clear();
            return m_report;
        }
        removeStale();
        m_report.result = WriteResult::Written;
        for (const ToolNote &note : m_outcome.done)
            show(note);
        m_report.openRequested =
            !m_outcome.openOnYes.empty() && !m_outcome.done.empty() && m_report.lastAnswer == MsgAnswer::Yes;
        return m_report;
    }

  private:
    void show(const ToolNote &note) { m_report.lastAnswer = m_answers.answer(note); }

    void fault(const std::string &path, const std::string &reason)
    {
        show({writeFailureText(path, reason), MsgStyle::Exclamation, m_outcome.title});
        m_report.result = WriteResult::Failed;
    }

    // A folder, a device or a pipe in an output's place is named before anything is asked.
    bool refuseUnwritable()
    {
        for (const PlannedFile &file : m_outcome.files)
            if (const std::string reason = outputRefusal(file.path); !reason.empty()) {
                fault(file.path, reason);
                return false;
            }
        return true;
    }

    // Two outputs of a run that are one file would leave only the last one written; an output
    // that is an input would destroy what the tool read. Both are found by the file, not the name.
    bool refuseOneFileTwice()
    {
        const std::vector<FileIdentity> inputs = identities(m_outcome.inputs);
        std::vector<FileIdentity> outputs;
        for (const PlannedFile &file : m_outcome.files) {
            FileIdentity identity = fileIdentity(file.path);
            for (std::size_t i = 0; i < outputs.size(); ++i)
                if (identity.sameAs(outputs[i])) {
                    fault(file.path, "与输出文件 " + m_outcome.files[i].path + " 是同一个文件");
                    return false;
                }
            for (std::size_t i = 0; i < inputs.size(); ++i)
                if (identity.sameAs(inputs[i])) {
                    fault(file.path, "与输入文件 " + m_outcome.inputs[i] + " 是同一个文件");
                    return false;
                }
            outputs.push_back(std::move(identity));
        }
        return true;
    }

    // What a stale name leads to may be one of this run's files or inputs; those stay.
    void removeStale()
    {
        if (m_outcome.stale.empty())
            return;
        std::vector<FileIdentity> kept = identities(m_outcome.inputs);
        for (const PlannedFile &file : m_outcome.files)
            kept.push_back(fileIdentity(file.path));
        for (const std::string &path : m_outcome.stale) {
            const FileIdentity stale = fileIdentity(path);
            if (std::none_of(kept.begin(), kept.end(),
                             [&](const FileIdentity &other) { return stale.sameAs(other); }))
                removeStaleOutputPlain(path);
        }
    }

    static std::vector<FileIdentity> identities(const std::vector<std::string> &paths)
    {
        std::vector<FileIdentity> found;
        found.reserve(paths.size());
        for (const std::string &path : paths)
            found.push_back(fileIdentity(path));
        return found;
    }

    // What stands at every name is taken down as the question is put (or, for a name nobody is
    // asked about, right before, where the question would come; for one a save dialog asked about,
    // as that asked), so that only what the user agreed to replace, or what was there to begin
    // with, is replaced, and a name that was empty stays unasked. This look, after the checks
    // (refuseUnwritable, refuseOneFileTwice: stat, access) and the lock settleEndedRuns makes, is
    // the one a run's agreement starts from: a file saved at the name before it, also one saved
    // since those checks, is the file the run replaces.
    bool consent()
    {
        settleEndedRuns();
        std::vector<std::string> existing;
        bool firstExists = false;
        m_asked.assign(m_outcome.files.size(), std::nullopt);
        for (std::size_t i = 0; i < m_outcome.files.size(); ++i) {
            const PlannedFile &file = m_outcome.files[i];
            if (file.onlyWhereNone)
                continue;
            // A name nobody is asked about is replaced as it stands now.
            m_asked[i] = file.agreedInDialog ? *file.agreedInDialog : fileStateOf(file.path);
            if (!file.askBeforeReplacing || file.agreedInDialog)
                continue;
            if (exists(file.path)) {
                existing.push_back(file.path);
                firstExists = firstExists || i == 0;
            }
        }
        if (existing.empty())
            return true;
        show({replaceQuestion(existing, firstExists), MsgStyle::YesNo + MsgStyle::Exclamation,
              m_outcome.title});
        if (m_report.lastAnswer == MsgAnswer::Yes)
            return true;
        m_report.result = WriteResult::Declined;
        if (m_outcome.declined.empty())
            show({kKeptExistingFiles, MsgStyle::Exclamation, m_outcome.title});
        for (const ToolNote &note : m_outcome.declined)
            show(note);
        return false;
    }

    // An old file that an ended run left off its name goes back first, so that what is taken down,
    // and asked about, is the file that stood there. The folders stay open for the run.
    void settleEndedRuns()
    {
        for (const PlannedFile &file : m_outcome.files) {
            ScratchFolder folder;
            if (folder.open(detail::folderOf(detail::followLinks(file.path))) != 0)
                continue;
            sweepEndedScratch(folder);
            m_folders.push_back(std::move(folder));
        }
    }

    bool writeAll()
    {
        std::vector<StagedFile> staged;
        std::vector<const PlannedFile *> files;
        staged.reserve(m_outcome.files.size());
        for (std::size_t i = 0; i < m_outcome.files.size(); ++i) {
            const PlannedFile &file = m_outcome.files[i];
            if (file.onlyWhereNone && exists(file.path))
                continue;
            staged.emplace_back();
            if (const std::string reason = staged.back().stage(file.path, contentOf(file), file.sync);
                !reason.empty()) {
                staged.clear();
                fault(file.path, reason);
                return false;
            }
            if (file.onlyWhereNone)
                staged.back().expect(FileState{});
            else if (m_asked[i])
                staged.back().expect(*m_asked[i]);
            files.push_back(&file);
        }
        std::vector<bool> committed(staged.size(), false);
        if (const std::string failure = commitAll(staged, files, committed); !failure.empty()) {
            show({failure, MsgStyle::Exclamation, m_outcome.title});
            m_report.result = WriteResult::Failed;
            return false;
        }
        for (std::size_t i = 0; i < files.size(); ++i)
            if (committed[i])
                m_report.written.push_back(files[i]->path);
        return true;
    }

    // Puts every staged file under its name, or, when one fails, takes back those put there; empty,
    // or what the user is told. An interrupt meanwhile waits until every name holds its new file
    // or, after a failure, its old one; a kill leaves the record by which the next run into the
    // folder takes back those put there.
    static std::string commitAll(std::vector<StagedFile> &staged,
                                 const std::vector<const PlannedFile *> &files, std::vector<bool> &committed)
    {
        const InterruptDelay settling;
        PlacementRecord record;
        if (const std::string reason = record.write(staged); !reason.empty())
            return writeFailureText(files.front()->path, reason);
        for (std::size_t i = 0; i < staged.size(); ++i) {
            const std::string reason = staged[i].commit();
            committed[i] = reason.empty();
            // A failed run's trace that another program's file came before is simply not needed.
            if (committed[i] || (files[i]->onlyWhereNone && staged[i].changedMeanwhile()))
                continue;
            std::string text = writeFailureText(files[i]->path, reason);
            if (const std::string &aside = staged[i].keptAside(); !aside.empty())
                text += "\r\n" + putBackFailureText(files[i]->path, aside);
            for (std::size_t j = 0; j < i; ++j)
                if (committed[j])
                    if (const std::string kept = staged[j].rollBack(); !kept.empty())
                        text += "\r\n" + putBackFailureText(files[j]->path, kept);
            return text;
        }
        return std::string();
    }

    const ToolOutcome &m_outcome;
    NoteAnswers &m_answers;
    CarriedOut m_report;
    std::vector<std::optional<FileState>> m_asked; // per file: what stood there when asked or begun
    std::vector<ScratchFolder> m_folders;          // the outputs' folders, settled
};

} // namespace

std::string replaceQuestion(const std::vector<std::string> &existing, bool firstExists)
{
    std::string text = "文件已存在！\r\n";
    if (existing.size() > 1 || !firstExists)
        for (const std::string &path : existing)
            text += path + "\r\n";
    return text + "覆盖吗？";
}

CarriedOut carryOut(const ToolOutcome &outcome, NoteAnswers &answers)
{
    return Writer(outcome, answers).run();
}

} // namespace tw
