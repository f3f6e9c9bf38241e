// The conversion window's browse buttons: the dialog of the mode's row, what the choice fills in,
// what it proposes, and the row's Start rule.
#include "ConversionWindow.h"
#include "common/Paths.h"
#include "common/Prompter.h"
#include "conversion/ToolMessages.h"
#include "workspace/Workspace.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tw
{

namespace
{

QString lengthText(const QString &path)
{
    return QString::number(QFileInfo(path).size());
}

// What the mode's browse buttons do besides filling their boxes; every mode is named, so that a
// new one is thought about here.
struct ChoiceRules {
    bool clearsMessage = false;     // the input's button clears the message label first
    bool inputIsCodeImage = false;  // the chosen input becomes the current code image
    bool refusesMergedFile = false; // an input that is the merged file is refused
};

ChoiceRules choiceRules(ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::Disassemble:
        // Only a code image becomes the current one; a porting source stays in this window.
        return {false, true, false};
    case ConversionMode::Merge:
        return {true, false, true};
    case ConversionMode::Compare:
        return {true, false, false};
    case ConversionMode::HexToBin:
    case ConversionMode::BinToHex:
    case ConversionMode::ObjToBin:
    case ConversionMode::BinToObj:
    case ConversionMode::Split:
    case ConversionMode::Port:
    case ConversionMode::Restore:
        break;
    }
    return {};
}

} // namespace

void ConversionWindow::applyStartRule(StartRule rule)
{
    switch (rule) {
    case StartRule::Input:
        m_startButton->setEnabled(!m_inputEdit->text().isEmpty());
        break;
    case StartRule::Paths:
        applyPathsRule();
        break;
    case StartRule::StartAddress:
        applyStartAddressRule();
        break;
    case StartRule::Merge:
        applyMergeRule();
        break;
    case StartRule::RestorePaths:
        m_restoreButton->setEnabled(!m_restoreInputEdit->text().isEmpty() &&
                                    !m_restoreOutputEdit->text().isEmpty());
        break;
    }
}

void ConversionWindow::browseInput()
{
    const ChoiceRules rules = choiceRules(m_mode);
    if (rules.clearsMessage)
        m_splitMessage->clear();
    const ModeRow &row = modeRow(m_mode);
    Prompter &prompter = *m_prompter;
    const QString path = prompter.openFileName(row.inputCaption, row.inputFilter);
    if (path.isEmpty())
        return;
    if (rules.inputIsCodeImage)
        m_workspace.setCurrentBinPath(path);
    if (rules.refusesMergedFile && isSameFile(path, m_mergeOutputEdit->text())) {
        prompter.message(ConvText::InputIsMergeOutput, kRefusalStyle, QString());
        return;
    }
    m_inputEdit->setText(path);
    if (const std::optional<OutputProposal> proposal = outputProposal(m_mode))
        m_outputEdit->setText(replaceLastThree(path, proposal->outputExtension));
    else if (shows(row, WindowPart::InputLength))
        m_inputLengthEdit->setText(lengthText(path));
    applyStartRule(row.rule);
}

void ConversionWindow::browseOutput()
{
    const ModeRow &row = modeRow(m_mode);
    if (row.outputDialog == OutputDialog::None)
        return;
    Prompter &prompter = *m_prompter;
    const QString path = row.outputDialog == OutputDialog::Save
                             ? prompter.saveFileName(row.outputCaption, row.outputFilter)
                             : prompter.openFileName(row.outputCaption, row.outputFilter);
    if (path.isEmpty())
        return;
    if (choiceRules(m_mode).refusesMergedFile && isSameFile(path, m_mergeOutputEdit->text())) {
        prompter.message(ConvText::InputIsMergeOutput, kRefusalStyle, QString());
        return;
    }
    m_outputEdit->setText(path);
    if (shows(row, WindowPart::SecondLength))
        m_secondLengthEdit->setText(lengthText(path));
    applyStartRule(row.rule);
}

void ConversionWindow::browseMergeOutput()
{
    if (!shows(modeRow(m_mode), WindowPart::MergeOutputFrame))
        return;
    Prompter &prompter = *m_prompter;
    const QString path = prompter.saveFileName(ConvText::MergeOutputCaption, FileFilter::BinOrAll);
    if (path.isEmpty())
        return;
    if (isSameFile(path, m_outputEdit->text()) || isSameFile(path, m_inputEdit->text())) {
        prompter.message(ConvText::MergeOutputIsInput, kRefusalStyle, QString());
        return;
    }
    m_mergeOutputEdit->setText(path);
    applyMergeRule();
}

void ConversionWindow::browseRestoreInput()
{
    const ModeRow &row = modeRow(ConversionMode::Restore);
    const QString path = m_prompter->openFileName(row.inputCaption, row.inputFilter);
    if (!path.isEmpty())
        m_restoreInputEdit->setText(path);
    applyStartRule(row.rule);
}

void ConversionWindow::browseRestoreOutput()
{
    const ModeRow &row = modeRow(ConversionMode::Restore);
    const QString path = m_prompter->saveFileName(row.outputCaption, row.outputFilter);
    if (path.isEmpty())
        return;
    m_restoreOutputEdit->setText(path);
    applyStartRule(row.rule);
}

} // namespace tw
