#pragma once
// The assembler window: source and code-image paths, the CPU choice and Start. It locks the main
// window while it is open and hands a clean MCS-51 image over to the simulator.
#include "assembler/AssemblyRun.h"
#include "workspace/ui/ToolWindow.h"

#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tw
{

class Prompter;

class AssemblerWindow : public ToolWindow
{
    Q_OBJECT

  public:
    using Cpu = AsmCpu;

    explicit AssemblerWindow(Workspace &workspace, QWidget *parent = nullptr);
    ~AssemblerWindow() override;

    // What the main window's two launchers do once the window is loaded: take the active editor's
    // caption as source when it names an .asm file, else clear both paths; select the CPU.
    void prefill(const QString &editorCaption, Cpu cpu);

    Cpu cpu() const { return m_cpu; }
    QLineEdit *sourceEdit() const { return m_sourceEdit; }
    QLineEdit *binEdit() const { return m_binEdit; }
    QPushButton *startButton() const { return m_startButton; }
    QProgressBar *progressBar() const { return m_progressBar; }

  public slots:
    void browseSource();
    void browseBin();
    void start();

  private:
    void sourceChanged(const QString &text);
    void updateStartButton();
    AssemblyObserver observer();
    // The end of a run whose files are written: the questions, and the hand-over to the simulator.
    void finish(const AssemblyResult &result);

    std::unique_ptr<Prompter> m_prompter; // this window's boxes and dialogs
    Cpu m_cpu = Cpu::Mcs51;
    QLineEdit *m_sourceEdit = nullptr;
    QLineEdit *m_binEdit = nullptr;
    QRadioButton *m_mcs51 = nullptr;
    QRadioButton *m_mcs48 = nullptr;
    QPushButton *m_startButton = nullptr;
    QLabel *m_statusLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
};

// The caption of the main window's active editor, empty when there is none.
QString activeEditorCaption(Workspace &workspace);

// The launchers of the menu items "assembler51" (also the toolbar key "asm") and "assembler48".
void launchAssembler(Workspace &workspace, AssemblerWindow::Cpu cpu);

// Registers the window and its two launchers with the main window.
void registerAssemblerWindow();

} // namespace tw
