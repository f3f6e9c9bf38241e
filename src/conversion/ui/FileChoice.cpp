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

const QString kInputIsMergeOutput = QStringLiteral(u"要合并的文件不可以与合并后的文件同名！");
const QString kMergeOutputIsInput = QStringLiteral(u"合并后的文件不可以与要合并的文件同名！");

enum class FollowUp { None, Propose, Length };

struct InputChoice {
    ConversionMode mode;
    QString filter;
    const char16_t *title;
    FollowUp followUp;
    const char *extension; // of the proposal
    StartRule rule;
};

struct OutputChoice {
    ConversionMode mode;
    bool save; // a save dialog, else an open dialog for a second input
    QString filter;
    const char16_t *title;
    StartRule rule;
};

const InputChoice *inputChoice(ConversionMode mode)
{
    using M = ConversionMode;
    static const InputChoice rows[] = {
        {M::HexToBin, kHexFilter, u"请选择待转换的文件", FollowUp::Propose, "bin", StartRule::Paths},
        {M::ObjToBin, kObjFilter, u"请选择待转换的文件", FollowUp::Propose, "bin", StartRule::Paths},
        {M::BinToObj, kBinFilter, u"请选择待转换的文件", FollowUp::Propose, "obj", StartRule::Paths},
        {M::BinToHex, kBinOrAllFilter, u"请选择待转换的文件", FollowUp::Propose, "hex",
         StartRule::StartAddress},
        {M::Split, kBinOrAllFilter, u"请选择待拆分的文件", FollowUp::Length, "", StartRule::Input},
        {M::Merge, kBinOrAllFilter, u"请选择待合并的第一个文件", FollowUp::Length, "", StartRule::Merge},
        {M::Compare, kCompareFilter, u"请选择待比较的第一个文件", FollowUp::Length, "", StartRule::Paths},
        {M::Disassemble, kBinOrAllFilter, u"请选择待反汇编的文件", FollowUp::Propose, "asm",
         StartRule::Paths},
        {M::Port, kSourceFilter, u"请选择待移植的文件", FollowUp::None, "", StartRule::Paths},
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
        {M::HexToBin, true, kBinFilter, u"转换后的文件另存为", StartRule::Paths},
        {M::ObjToBin, true, kBinFilter, u"转换后的文件另存为", StartRule::Paths},
        {M::BinToObj, true, kObjFilter, u"转换后的文件另存为", StartRule::Paths},
        {M::BinToHex, true, kHexFilter, u"转换后的文件另存为", StartRule::StartAddress},
        {M::Merge, false, kBinOrAllFilter, u"请选择待合并的第二个文件", StartRule::Merge},
        {M::Compare, false, kCompareFilter, u"请选择待比较的第二个文件", StartRule::Paths},
        {M::Disassemble, true, kSourceFilter, u"反汇编后的文件另存为", StartRule::Paths},
        {M::Port, true, kSourceFilter, u"移植后的文件另存为", StartRule::Paths},
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
    Prompter &prompter = m_workspace.prompter();
    const QString path = prompter.openFileName(QString::fromUtf16(row->title), row->filter);
    if (path.isEmpty())
        return;
    // Only a code image becomes the current one; a porting source stays in this window.
    if (m_mode == ConversionMode::Disassemble)
        m_workspace.setCurrentBinPath(path);
    if (m_mode == ConversionMode::Merge && isSameFile(path, m_mergeOutputEdit->text())) {
        prompter.message(kInputIsMergeOutput, kRefusalStyle, QString());
        return;
    }
    m_inputEdit->setText(path);
    if (row->followUp == FollowUp::Propose)
        m_outputEdit->setText(replaceLastThree(path, QString::fromLatin1(row->extension)));
    else if (row->followUp == FollowUp::Length)
        m_inputLengthEdit->setText(lengthText(path));
    applyStartRule(row->rule);
}

void ConversionWindow::browseOutput()
{
    const OutputChoice *row = outputChoice(m_mode);
    if (!row)
        return;
    Prompter &prompter = m_workspace.prompter();
    const QString title = QString::fromUtf16(row->title);
    const QString path =
        row->save ? prompter.saveFileName(title, row->filter) : prompter.openFileName(title, row->filter);
    if (path.isEmpty())
        return;
    if (m_mode == ConversionMode::Merge && isSameFile(path, m_mergeOutputEdit->text())) {
        prompter.message(kInputIsMergeOutput, kRefusalStyle, QString());
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
    Prompter &prompter = m_workspace.prompter();
    const QString path = prompter.saveFileName(QStringLiteral(u"合并后的文件另存为"), kBinOrAllFilter);
    if (path.isEmpty())
        return;
    if (isSameFile(path, m_outputEdit->text()) || isSameFile(path, m_inputEdit->text())) {
        prompter.message(kMergeOutputIsInput, kRefusalStyle, QString());
        return;
    }
    m_mergeOutputEdit->setText(path);
    applyMergeRule();
}

void ConversionWindow::browseRestoreInput()
{
    const QString path =
        m_workspace.prompter().openFileName(QStringLiteral(u"请选择待还原的文件"), kBinOrAllFilter);
    if (!path.isEmpty())
        m_restoreInputEdit->setText(path);
    m_restoreButton->setEnabled(!m_restoreInputEdit->text().isEmpty() &&
                                !m_restoreOutputEdit->text().isEmpty());
}

void ConversionWindow::browseRestoreOutput()
{
    const QString path =
        m_workspace.prompter().saveFileName(QStringLiteral(u"还原后的文件另存为"), kBinFilter);
    if (path.isEmpty())
        return;
    m_restoreOutputEdit->setText(path);
    m_restoreButton->setEnabled(!m_restoreInputEdit->text().isEmpty() &&
                                !m_restoreOutputEdit->text().isEmpty());
}

} // namespace tw
