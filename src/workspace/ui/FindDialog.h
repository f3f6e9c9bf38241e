#pragma once
// The small modeless find-and-replace window over the active editor. By text it looks for the
// pattern as typed; by instruction it first puts the pattern into the tidied layout of saved
// source, so "mov a, #1" finds the tidied line however it was spaced. It closes itself when it
// loses the focus.
//
// The main window registers it as ToolName::Find, e.g.
//   registerTool(ToolName::Find, [this](Workspace &) {
//       return new FindDialog([this] { return activeEditor(); }, this); });
// and its two find commands call start(Mode::ByText) or start(Mode::ByInstruction) on the instance.
#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tw
{

class EditorWindow;

class FindDialog : public QDialog
{
    Q_OBJECT

  public:
    enum class Mode { ByText, ByInstruction };
    using EditorSource = std::function<EditorWindow *()>;

    explicit FindDialog(EditorSource activeEditor, QWidget *parent = nullptr);

    // The caption that names the mode: "按字符查找" or "按指令查找".
    static QString caption(Mode mode);

    // Opening from a menu or toolbar command: caption = mode, pattern = the active editor's
    // selected text, shown modeless.
    void start(Mode mode);
    Mode mode() const { return m_mode; }

    // The buttons' commands.
    void find();
    void findNext();
    void replace();

    // The pattern the last Find searched for (by instruction: in the tidied layout).
    QString searchedPattern() const { return m_pattern; }

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

  private:
    EditorWindow *activeEditor() const { return m_activeEditor ? m_activeEditor() : nullptr; }
    void search(bool fromTop);
    void showAgain();

    EditorSource m_activeEditor;
    Mode m_mode = Mode::ByText;
    QString m_pattern;
    QLineEdit *m_findText = nullptr;
    QLineEdit *m_replaceText = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QPushButton *m_findButton = nullptr;
    QPushButton *m_findNextButton = nullptr;
    QPushButton *m_replaceButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace tw
