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
    if (m_mode == ConversionMode::Merge || m_mode == ConversionMode::Compare)
        m_splitMessage->clear();
    const ModeRow &row = modeRow(m_mode);
    Prompter &prompter = *m_prompter;
    const QString path = prompter.openFileName(row.inputCaption, row.inputFilter);
    if (path.isEmpty())
        return;
    // Only a code image becomes the current one; a porting source stays in this window.
    if (m_mode == ConversionMode::Disassemble)
        m_workspace.setCurrentBinPath(path);
    if (m_mode == ConversionMode::Merge && isSameFile(path, m_mergeOutputEdit->text())) {
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
    if (m_mode == ConversionMode::Merge && isSameFile(path, m_mergeOutputEdit->text())) {
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
    if (m_mode != ConversionMode::Merge)
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
