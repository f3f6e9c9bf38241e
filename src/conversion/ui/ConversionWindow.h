#pragma once
// The conversion window: one window for every code-file tool and the two disassemblers. A main-menu
// command opens it in one mode (ModeTable); its options and boxes feed the Start command (runStart:
// planStart, the writer, settleStart), the restore page has its own button. It locks the main window
// while it is open.
#include "ModeTable.h"
#include "conversion/ConversionMode.h"
#include "conversion/StartCommand.h"
#include "workspace/ui/ToolWindow.h"

#include <array>
#include <map>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tw
{

class Prompter;

class ConversionWindow : public ToolWindow
{
    Q_OBJECT

  public:
    explicit ConversionWindow(Workspace &workspace, QWidget *parent = nullptr);
    ~ConversionWindow() override;

    // What a main-menu command does once the window is loaded: caption, frames, boxes, extras.
    void openInMode(ConversionMode mode);
    // The CPU option chosen from code, with the effect of a click (the disassembly commands).
    void selectCpu(int index);

    ConversionMode mode() const { return m_mode; }
    QWidget *part(WindowPart part) const { return m_parts.at(part); }
    QPushButton *startButton() const { return m_startButton; }

  public slots:
    void start();
    void browseInput();
    void browseOutput();
    void browseMergeOutput();
    void browseRestoreInput();
    void browseRestoreOutput();
    void restore();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildControls();
    QLayout *buildPathFrames();
    QLayout *buildHexFrames();
    QWidget *buildOptionsPanel();
    QLayout *buildRestorePage();
    QWidget *buildSplitFrame();
    QLayout *buildMergeFrames();
    void connectControls();

    // Option handlers: a click, or a selection from code.
    void mergeModeClicked(int index);
    void codeClicked(int index);
    void disassemblyOptionClicked(int index);
    void lineCheckClicked(int index);
    void selectOption(QButtonGroup *group, int index);
    bool mergeByAddress() const;

    void inputChanged(const QString &text);
    void applyPathsRule();
    void applyStartAddressRule();
    void applyMergeRule();
    void applyStartRule(StartRule rule);
    bool refuseKey(QObject *box, int code);

    ConversionRequest request() const;
    void finish(const StartOutcome &outcome);

    std::unique_ptr<Prompter> m_prompter; // this window's boxes and dialogs
    ConversionMode m_mode = ConversionMode::HexToBin;

    std::map<WindowPart, QWidget *> m_parts;
    QLabel *m_modeLabel = nullptr;
    QGroupBox *m_inputFrame = nullptr;
    QGroupBox *m_outputFrame = nullptr;
    QGroupBox *m_restoreInputFrame = nullptr;
    QGroupBox *m_restoreOutputFrame = nullptr;
    QGroupBox *m_disassemblyFrame = nullptr;
    QGroupBox *m_rangeFrame = nullptr;
    QLineEdit *m_inputEdit = nullptr;
    QLineEdit *m_outputEdit = nullptr;
    QLineEdit *m_startAddressEdit = nullptr;
    QLineEdit *m_mergeOutputEdit = nullptr;
    QLineEdit *m_restoreInputEdit = nullptr;
    QLineEdit *m_restoreOutputEdit = nullptr;
    QLineEdit *m_inputLengthEdit = nullptr;
    QLineEdit *m_secondLengthEdit = nullptr;
    QLineEdit *m_mergeStartEdit = nullptr;
    QLineEdit *m_rangeStartEdit = nullptr;
    QLineEdit *m_rangeEndEdit = nullptr;
    QPushButton *m_inputButton = nullptr;
    QPushButton *m_outputButton = nullptr;
    QPushButton *m_mergeOutputButton = nullptr;
    QPushButton *m_startButton = nullptr;
    QButtonGroup *m_formatGroup = nullptr;
    QButtonGroup *m_fillGroup = nullptr;
    QButtonGroup *m_cpuGroup = nullptr;
    QButtonGroup *m_mergeFillGroup = nullptr;
    QButtonGroup *m_mergeModeGroup = nullptr;
    QButtonGroup *m_codeGroup = nullptr;
    QButtonGroup *m_disassemblyGroup = nullptr;
    QComboBox *m_sizeList = nullptr;
    QLabel *m_splitMessage = nullptr;
    std::array<QCheckBox *, 2> m_lineChecks{};
    std::array<QComboBox *, 8> m_dataLists{};
    std::array<QComboBox *, 16> m_addressLists{};
    QPushButton *m_restoreButton = nullptr;
    QPushButton *m_restoreInputButton = nullptr;
    QPushButton *m_restoreOutputButton = nullptr;
};

// The Start command as the window runs it: the plan, carried out by the writer with the window's
// prompter, and what the window then does.
StartOutcome runStart(Prompter &prompter, const ConversionRequest &request);

// The launchers: every 目标代码转换 item, 源程序移植 and the two disassembly commands.
void launchConversion(Workspace &workspace, ConversionMode mode);
void launchDisassembly(Workspace &workspace, int cpu);

// Registers the window and its launchers with the main window.
void registerConversionWindow();

} // namespace tw
