#pragma once
// What a tool that writes files hands back instead of writing them: the files it wants written,
// whether an existing file there needs the user's consent, and what it says before and after. One
// writer carries an outcome out, for the windows and the headless driver alike, so every tool asks
// the same question, writes the same way and names every file fault the same way.
#include "base/FileAccess.h"

#include <optional>
#include <string>
#include <vector>

namespace tw
{

// One message box, in the Prompter's terms (base/MessageStyle.h); texts are UTF-8.
struct ToolNote {
    std::string text;
    int style = 0;
    std::string title;
};

struct PlannedFile {
    std::string path; // the bytes of the file name
    std::string bytes;
    // When set, gives the file's bytes piece by piece instead of bytes (a report too large to hold).
    ContentWriter content;
    // An existing file here may be the user's own work: it is replaced only when the user agrees.
    bool askBeforeReplacing = false;
    // Set where a save dialog chose the name: what stood there as its question was put (a state
    // with no file: the name was free, and a file made there since is not replaced), replaced only
    // while it still stands there, and not asked about again.
    std::optional<FileState> agreedInDialog;
    // What a failed run leaves to show how far it got: written only where no file is yet, so that
    // a failure never destroys what was there.
    bool onlyWhereNone = false;
    WriteSync sync = WriteSync::Generated;
};

struct ToolOutcome {
    std::vector<ToolNote> notes;    // shown first, whatever follows
    std::vector<PlannedFile> files; // written together: every one of them, or none
    // The files the tool read (file-name bytes): no output may be one of them, under any name.
    std::vector<std::string> inputs;
    std::vector<ToolNote> done; // shown once the files are written; the last may be a question
    // Shown instead of done when the user keeps the existing files; empty: the writer's own words.
    std::vector<ToolNote> declined;
    // Removed once the files are written: a failed run's outputs that would pass for this run's.
    std::vector<std::string> stale;
    // Yes to the last note of done opens this file in an editor.
    std::string openOnYes;
    // The caption of the writer's own boxes (the consent question, a file fault).
    std::string title = "信息";
};

// Whoever answers the boxes: the real dialogs, or a script.
class NoteAnswers
{
  public:
    // Shows the note; returns the answer (MsgAnswer values: 1 OK, 6 Yes, 7 No, ...).
    virtual int answer(const ToolNote &note) = 0;

  protected:
    ~NoteAnswers() = default;
};

enum class WriteResult {
    NothingToWrite, // the outcome holds no file (a refusal, or a tool that only reports)
    Written,        // every file is written (or, where onlyWhereNone, was there already)
    Declined,       // the user kept the existing files; nothing was written
    Failed,         // a file could not be written; none of this run's files are left
};

struct CarriedOut {
    WriteResult result = WriteResult::NothingToWrite;
    std::vector<std::string> written; // the paths written, in the outcome's order
    int lastAnswer = 0;               // the answer to the last note shown
    bool openRequested = false;       // openOnYes is set and the last note of done got Yes
};

// The question before replacing: "文件已存在！\r\n覆盖吗？"; with more than the first file existing,
// the existing files are named between its two lines.
std::string replaceQuestion(const std::vector<std::string> &existing, bool firstExists);
// What No to that question gets unless the tool says otherwise.
inline constexpr const char *kKeptExistingFiles = "结果未保存，原有文件未改动。";

// Shows the notes; refuses, before any question, every output that is no regular file or may not
// be written, and two outputs, or an output and an input, that are one file under any names; asks
// once when files that need consent exist; writes all files to temporaries beside them and renames
// them over their targets only when every one is complete, putting back the old ones when a rename
// fails; then removes the stale files and shows done.
CarriedOut carryOut(const ToolOutcome &outcome, NoteAnswers &answers);

} // namespace tw
