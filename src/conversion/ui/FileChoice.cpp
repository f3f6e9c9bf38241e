// The conversion window's browse buttons: per mode, which dialog, what the choice fills in, what
// it proposes, and which Start rule follows.
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

// Linux names are case-sensitive: each pattern is offered in both cases.
const QString kHexFilter = QStringLiteral(u"十六进制代码文件 (*.hex *.HEX)");
const QString kObjFilter = QStringLiteral("Text Files (*.obj *.OBJ)");
const QString kBinFilter = QStringLiteral(u"二进制代码文件 (*.bin *.BIN)");
const QString kAllFiles = QStringLiteral("All Files (*)");
const QString kBinOrAllFilter = kBinFilter + QStringLiteral(";;") + kAllFiles;
const QString kCompareFilter =
    kBinFilter + QStringLiteral(";;Text Files (*.lst *.LST);;Text Files (*.lt *.LT);;") + kAllFiles;
const QString kSourceFilter = QStringLiteral(u"源程序文件 (*.asm *.ASM);;") + kAllFiles;

struct InputChoice {
    ConversionMode mode;
    QString filter;
    QString title;
    bool showsLength; // the chosen file's length is shown under it
    StartRule rule;
};

struct OutputChoice {
    ConversionMode mode;
    bool save; // a save dialog, else an open dialog for a second input
    QString filter;
    QString title;
    StartRule rule;
};

const InputChoice *inputChoice(ConversionMode mode)
{
    using M = ConversionMode;
    static const InputChoice rows[] = {
        {M::HexToBin, kHexFilter, ConvText::ConvertInputCaption, false, StartRule::Paths},
        {M::ObjToBin, kObjFilter, ConvText::ConvertInputCaption, false, StartRule::Paths},
        {M::BinToObj, kBinFilter, ConvText::ConvertInputCaption, false, StartRule::Paths},
        {M::BinToHex, kBinOrAllFilter, ConvText::ConvertInputCaption, false, StartRule::StartAddress},
        {M::Split, kBinOrAllFilter, ConvText::SplitInputCaption, true, StartRule::Input},
        {M::Merge, kBinOrAllFilter, ConvText::FirstMergeInputCaption, true, StartRule::Merge},
        {M::Compare, kCompareFilter, ConvText::FirstCompareInputCaption, true, StartRule::Paths},
        {M::Disassemble, kBinOrAllFilter, ConvText::DisassemblyInputCaption, false, StartRule::Paths},
        {M::Port, kSourceFilter, ConvText::PortInputCaption, false, StartRule::Paths},
    };
    for (const InputChoice &row : rows)
        if (row.mode == mode)
            return &row;
    return nullptr;
}

const OutputChoice *outputChoice(ConversionMode mode)
{
    using M = ConversionMode;
    static const OutputChoice rows[] = {
        {M::HexToBin, true, kBinFilter, ConvText::ConvertOutputCaption, StartRule::Paths},
        {M::ObjToBin, true, kBinFilter, ConvText::ConvertOutputCaption, StartRule::Paths},
        {M::BinToObj, true, kObjFilter, ConvText::ConvertOutputCaption, StartRule::Paths},
        {M::BinToHex, true, kHexFilter, ConvText::ConvertOutputCaption, StartRule::StartAddress},
        {M::Merge, false, kBinOrAllFilter, ConvText::SecondMergeInputCaption, StartRule::Merge},
        {M::Compare, false, kCompareFilter, ConvText::SecondCompareInputCaption, StartRule::Paths},
        {M::Disassemble, true, kSourceFilter, ConvText::DisassemblyOutputCaption, StartRule::Paths},
        {M::Port, true, kSourceFilter, ConvText::PortOutputCaption, StartRule::Paths},
    };
    for (const OutputChoice &row : rows)
        if (row.mode == mode)
            return &row;
    return nullptr;
}

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
    }
}

void ConversionWindow::browseInput()
{
    if (m_mode == ConversionMode::Merge || m_mode == ConversionMode::Compare)
        m_splitMessage->clear();
    const InputChoice *row = inputChoice(m_mode);
    if (!row)
        return;
    Prompter &prompter = *m_prompter;
    const QString path = prompter.openFileName(row->title, row->filter);
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
    else if (row->showsLength)
        m_inputLengthEdit->setText(lengthText(path));
    applyStartRule(row->rule);
}

void ConversionWindow::browseOutput()
{
    const OutputChoice *row = outputChoice(m_mode);
    if (!row)
        return;
    Prompter &prompter = *m_prompter;
    const QString title = row->title;
    const QString path =
        row->save ? prompter.saveFileName(title, row->filter) : prompter.openFileName(title, row->filter);
    if (path.isEmpty())
        return;
    if (m_mode == ConversionMode::Merge && isSameFile(path, m_mergeOutputEdit->text())) {
        prompter.message(ConvText::InputIsMergeOutput, kRefusalStyle, QString());
        return;
    }
    m_outputEdit->setText(path);
    if (!row->save)
        m_secondLengthEdit->setText(lengthText(path));
    applyStartRule(row->rule);
}

void ConversionWindow::browseMergeOutput()
{
    if (m_mode != ConversionMode::Merge)
        return;
    Prompter &prompter = *m_prompter;
    const QString path = prompter.saveFileName(ConvText::MergeOutputCaption, kBinOrAllFilter);
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
    const QString path = m_prompter->openFileName(ConvText::RestoreInputCaption, kBinOrAllFilter);
    if (!path.isEmpty())
        m_restoreInputEdit->setText(path);
    m_restoreButton->setEnabled(!m_restoreInputEdit->text().isEmpty() &&
                                !m_restoreOutputEdit->text().isEmpty());
}

void ConversionWindow::browseRestoreOutput()
{
    const QString path = m_prompter->saveFileName(ConvText::RestoreOutputCaption, kBinFilter);
    if (path.isEmpty())
        return;
    m_restoreOutputEdit->setText(path);
    m_restoreButton->setEnabled(!m_restoreInputEdit->text().isEmpty() &&
                                !m_restoreOutputEdit->text().isEmpty());
}

} // namespace tw
