#include "ConversionWindow.h"

#include "common/Hex.h"
#include "common/InternalError.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "conversion/LineRestore.h"
#include "conversion/ToolMessages.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string>

namespace tw
{

namespace
{

constexpr int kBackspace = 8;

// Keys that have a character code as the old key handlers saw them; 0 for keys that have none
// (arrows, Delete, Shift), which pass unfiltered.
int characterCode(const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Backspace)
        return kBackspace;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return 13;
    if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return event->key() - Qt::Key_A + 1;
    const QString text = event->text();
    return text.isEmpty() ? 0 : text[0].unicode();
}

bool isHexKey(int code)
{
    return code == kBackspace || hexDigitValue(static_cast<char16_t>(code)) >= 0;
}

// Every part a row may show has its widget, under the part's name.
void checkParts(const std::map<WindowPart, QWidget *> &parts)
{
    for (WindowPart part : kAllWindowParts) {
        const auto found = parts.find(part);
        if (found == parts.end() || !found->second ||
            found->second->objectName() != QLatin1String(windowPartName(part)))
            internalError((std::string("the conversion window builds no widget named ") +
                           windowPartName(part) + " for its part")
                              .c_str());
    }
}

} // namespace

ConversionWindow::~ConversionWindow() = default;

ConversionWindow::ConversionWindow(Workspace &workspace, QWidget *parent)
    : ToolWindow(workspace, ToolName::Conversion, parent), m_prompter(workspace.prompter().forWindow(this))
{
    setWindowTitle(ConvText::FileFormatCaption);
    buildControls();
    checkParts(m_parts);
    connectControls();
    // Never narrower than the controls need: adjustSize() alone stops at two thirds of the screen
    // and would cut the captions of the widest modes.
    layout()->setSizeConstraint(QLayout::SetMinimumSize);
    lockMainWindow();
}

void ConversionWindow::connectControls()
{
    // An option's handler runs when it becomes selected, by a click or from code.
    const std::pair<QButtonGroup *, void (ConversionWindow::*)(int)> groups[] = {
        {m_mergeModeGroup, &ConversionWindow::mergeModeClicked},
        {m_codeGroup, &ConversionWindow::codeClicked},
        {m_disassemblyGroup, &ConversionWindow::disassemblyOptionClicked}};
    for (const auto &[group, handler] : groups)
        connect(group, &QButtonGroup::idToggled, this, [this, handler](int index, bool checked) {
            if (checked)
                (this->*handler)(index);
        });
    connect(m_inputEdit, &QLineEdit::textChanged, this, &ConversionWindow::inputChanged);
    connect(m_startAddressEdit, &QLineEdit::textChanged, this, &ConversionWindow::applyStartAddressRule);
    connect(m_mergeStartEdit, &QLineEdit::textChanged, this, &ConversionWindow::applyMergeRule);
    connect(m_sizeList, &QComboBox::currentIndexChanged, m_splitMessage, &QLabel::clear);
    connect(m_sizeList, &QComboBox::activated, m_splitMessage, &QLabel::clear);
    connect(m_startButton, &QPushButton::clicked, this, &ConversionWindow::start);
    connect(m_inputButton, &QPushButton::clicked, this, &ConversionWindow::browseInput);
    connect(m_outputButton, &QPushButton::clicked, this, &ConversionWindow::browseOutput);
    connect(m_mergeOutputButton, &QPushButton::clicked, this, &ConversionWindow::browseMergeOutput);
    connect(m_restoreInputButton, &QPushButton::clicked, this, &ConversionWindow::browseRestoreInput);
    connect(m_restoreOutputButton, &QPushButton::clicked, this, &ConversionWindow::browseRestoreOutput);
    connect(m_restoreButton, &QPushButton::clicked, this, &ConversionWindow::restore);
    for (int index = 0; index < 2; ++index)
        connect(m_lineChecks[static_cast<std::size_t>(index)], &QCheckBox::clicked, this,
                [this, index] { lineCheckClicked(index); });
    for (QLineEdit *box : {m_mergeStartEdit, m_rangeStartEdit, m_rangeEndEdit})
        box->installEventFilter(this);
}

void ConversionWindow::openInMode(ConversionMode mode)
{
    const ModeRow &row = modeRow(mode);
    m_mode = mode;
    setWindowTitle(row.windowCaption);
    m_modeLabel->setText(modeText(mode));
    // A mode on the restore page has that page's path frames.
    const bool restorePage = shows(row, WindowPart::RestorePage);
    QGroupBox *first = restorePage ? m_restoreInputFrame : m_inputFrame;
    QGroupBox *second = restorePage ? m_restoreOutputFrame : m_outputFrame;
    first->setTitle(row.inputCaption);
    if (!row.outputCaption.isEmpty())
        second->setTitle(row.outputCaption);
    for (WindowPart part : kAllWindowParts)
        m_parts.at(part)->setVisible(shows(row, part));
    if (restorePage) {
        m_restoreInputEdit->clear();
        m_restoreOutputEdit->clear();
    } else {
        m_inputEdit->clear();
        m_outputEdit->clear();
        m_mergeOutputEdit->clear();
    }
    // Each mode's own set-up; every mode is named, so that a new one is thought about here.
    const auto resetStart = [this] {
        m_startButton->setEnabled(false);
        m_startButton->setVisible(true);
    };
    switch (mode) {
    case ConversionMode::HexToBin:
    case ConversionMode::BinToHex:
    case ConversionMode::ObjToBin:
    case ConversionMode::BinToObj:
        resetStart();
        break;
    case ConversionMode::Split:
        resetStart();
        m_sizeList->clear();
        m_sizeList->addItems(
            {QStringLiteral("1KB"), QStringLiteral("2KB"), QStringLiteral("4KB"), QStringLiteral("8KB")});
        m_sizeList->setCurrentText(QStringLiteral("4KB"));
        break;
    case ConversionMode::Merge:
    case ConversionMode::Compare:
        resetStart();
        m_outputButton->setText(ConvText::BrowseCaption);
        break;
    case ConversionMode::Port:
        resetStart();
        selectOption(m_cpuGroup, 0);
        m_cpuGroup->button(0)->setText(QStringLiteral("MCS48 TO MCS51"));
        m_cpuGroup->button(1)->hide();
        break;
    case ConversionMode::Disassemble: // its launcher picks the CPU next
    case ConversionMode::Restore:     // the restore page has its own button
        break;
    }
    // The hidden frames give their room back.
    layout()->activate();
    adjustSize();
}

void ConversionWindow::selectCpu(int index)
{
    selectOption(m_cpuGroup, index);
}

void ConversionWindow::selectOption(QButtonGroup *group, int index)
{
    // Selecting from code has the full effect, also on an option that is selected already.
    QAbstractButton *option = group->button(index);
    if (option->isChecked())
        emit group->idToggled(index, true);
    else
        option->setChecked(true);
}

// ---- options and boxes --------------------------------------------------------------------------

bool ConversionWindow::mergeByAddress() const
{
    return m_mergeModeGroup->checkedId() == 1;
}

void ConversionWindow::mergeModeClicked(int index)
{
    m_parts.at(WindowPart::MergeStart)->setVisible(index == 1);
    m_parts.at(WindowPart::MergeFillFrame)->setVisible(index == 1);
    applyMergeRule();
}

void ConversionWindow::codeClicked(int index)
{
    m_disassemblyFrame->setVisible(index == 0);
    if (index == 0)
        selectOption(m_disassemblyGroup, 0);
    m_rangeFrame->setVisible(index == 1);
}

void ConversionWindow::disassemblyOptionClicked(int index)
{
    m_rangeFrame->setVisible(index == 1);
    if (index == 0) {
        m_rangeStartEdit->clear();
        m_rangeEndEdit->clear();
    }
}

void ConversionWindow::lineCheckClicked(int index)
{
    const bool on = m_lineChecks[static_cast<std::size_t>(index)]->isChecked();
    auto apply = [on](auto &lists) {
        for (std::size_t line = 0; line < lists.size(); ++line) {
            // A cleared box always means the lines as wired on the chip.
            if (!on)
                lists[line]->setCurrentIndex(static_cast<int>(line));
            lists[line]->setEnabled(on);
        }
    };
    if (index == 0)
        apply(m_dataLists);
    else
        apply(m_addressLists);
}

void ConversionWindow::inputChanged(const QString &text)
{
    if (const std::optional<OutputProposal> proposal = outputProposal(m_mode)) {
        if (text.size() < 5)
            return;
        const QString ending = text.right(4);
        if (ending == proposal->inputEnding || ending == proposal->inputEnding.toUpper())
            m_outputEdit->setText(replaceLastThree(text, proposal->outputExtension));
    }
    applyPathsRule();
}

void ConversionWindow::applyPathsRule()
{
    m_startButton->setEnabled(!m_inputEdit->text().isEmpty() && !m_outputEdit->text().isEmpty());
}

void ConversionWindow::applyStartAddressRule()
{
    m_startButton->setEnabled(!m_inputEdit->text().isEmpty() && !m_outputEdit->text().isEmpty() &&
                              !m_startAddressEdit->text().isEmpty());
}

void ConversionWindow::applyMergeRule()
{
    m_startButton->setEnabled(!m_inputEdit->text().isEmpty() && !m_outputEdit->text().isEmpty() &&
                              !m_mergeOutputEdit->text().isEmpty() &&
                              (!m_mergeStartEdit->text().isEmpty() || !mergeByAddress()));
}

bool ConversionWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int code = characterCode(static_cast<QKeyEvent *>(event));
        if (code != 0 && refuseKey(watched, code))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool ConversionWindow::refuseKey(QObject *box, int code)
{
    Prompter &prompter = *m_prompter;
    if (box == m_mergeStartEdit && m_mergeStartEdit->text().size() == 4 && code != kBackspace) {
        prompter.message(ConvText::AtMostFourDigits, kRefusalStyle, QString());
        return true;
    }
    if (isHexKey(code))
        return false;
    prompter.message(ConvText::HexDigitsOnly, kRefusalStyle, QString());
    return true;
}

// ---- Start and restore --------------------------------------------------------------------------

ConversionRequest ConversionWindow::request() const
{
    ConversionRequest r;
    r.mode = m_mode;
    r.input = m_inputEdit->text();
    r.output = m_outputEdit->text();
    r.startAddress = m_startAddressEdit->text();
    r.mergeOutput = m_mergeOutputEdit->text();
    r.mergeStart = m_mergeStartEdit->text();
    r.rangeStart = m_rangeStartEdit->text();
    r.rangeEnd = m_rangeEndEdit->text();
    r.splitSize = m_sizeList->currentText();
    static const char16_t formatLetters[] = u"imtxsd";
    r.hexFormat = QChar(formatLetters[m_formatGroup->checkedId()]);
    r.hexFill = m_fillGroup->checkedId() == 1 ? u'1' : u'0';
    r.mergeFill = m_mergeFillGroup->checkedId() == 1 ? 0xFF : 0x00;
    r.mergeByAddress = mergeByAddress();
    r.cpu = m_cpuGroup->checkedId();
    r.partialCode = m_codeGroup->checkedId() == 1;
    return r;
}

void ConversionWindow::start()
{
    const bool wasEnabled = m_startButton->isEnabled();
    m_startButton->setEnabled(false);
    const StartOutcome outcome = runStart(*m_prompter, request());
    m_startButton->setEnabled(wasEnabled);
    finish(outcome);
}

void ConversionWindow::finish(const StartOutcome &outcome)
{
    Workspace &workspace = m_workspace;
    if (outcome.currentBinPath)
        workspace.setCurrentBinPath(*outcome.currentBinPath);
    if (outcome.splitSummary)
        m_splitMessage->setText(*outcome.splitSummary);
    if (outcome.openPath.isEmpty())
        return;
    // The window closes first (its close gives the main window back); the editor that opens
    // then sets the editing state.
    unload();
    workspace.openInEditor(outcome.openPath, outcome.openCaption);
    if (!outcome.enableEditorItems)
        return;
    workspace.setDialogFileName(outcome.openPath);
    for (const char *item : {Menu::FileSave, Menu::FileSaveAs, Menu::EditSelectAll, Menu::EditFindText,
                             Menu::EditFindInstruction, Menu::FilePrint})
        workspace.setMenuEnabled(QString::fromLatin1(item), true);
}

void ConversionWindow::restore()
{
    RestoreJob job;
    job.input = m_restoreInputEdit->text();
    job.output = m_restoreOutputEdit->text();
    job.dataSwapped = m_lineChecks[0]->isChecked();
    job.addressSwapped = m_lineChecks[1]->isChecked();
    for (QComboBox *list : m_dataLists)
        job.dataTexts << list->currentText();
    for (QComboBox *list : m_addressLists)
        job.addressTexts << list->currentText();
    carryOut(restoreFile(job), *m_prompter);
}

StartOutcome runStart(Prompter &prompter, const ConversionRequest &request)
{
    const StartPlan plan = planStart(request);
    return settleStart(plan, carryOut(plan.outcome, prompter));
}

// ---- launchers ----------------------------------------------------------------------------------

void launchConversion(Workspace &workspace, ConversionMode mode)
{
    if (auto *window = showToolWindow<ConversionWindow>(workspace, ToolName::Conversion))
        window->openInMode(mode);
}

void launchDisassembly(Workspace &workspace, int cpu)
{
    // The MCS-51 command starts from a clean desk; a cancelled save question stops it there.
    if (cpu == 0 && !workspace.closeAllEditors())
        return;
    launchConversion(workspace, ConversionMode::Disassemble);
    if (auto *window = loadedTool<ConversionWindow>(workspace, ToolName::Conversion))
        window->selectCpu(cpu);
}

void registerConversionWindow()
{
    QList<ToolMenuItem> items;
    for (ConversionMode mode : kAllModes) {
        const std::vector<const char *> &modeItems = modeRow(mode).menuItems;
        for (std::size_t k = 0; k < modeItems.size(); ++k) {
            const QString item = QString::fromLatin1(modeItems[k]);
            // The disassembly's items also pick the CPU: MCS-51's the first, MCS-48's the second.
            if (mode == ConversionMode::Disassemble)
                items.append(
                    {item, [cpu = static_cast<int>(k)](Workspace &w) { launchDisassembly(w, cpu); }});
            else
                items.append({item, [mode](Workspace &w) { launchConversion(w, mode); }});
        }
    }
    registerTool(
        ToolName::Conversion,
        [](Workspace &workspace) -> QWidget * { return new ConversionWindow(workspace); }, items);
}

} // namespace tw
