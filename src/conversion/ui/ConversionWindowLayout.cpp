// The conversion window's controls in their starting state, before a menu command sets a mode.
#include "ConversionWindow.h"
#include "conversion/Messages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw
{

namespace
{

QLineEdit *lineEdit(const char *name, QWidget *parent = nullptr)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton *button(const QString &caption, const char *name)
{
    auto *push = new QPushButton(caption);
    push->setObjectName(QString::fromLatin1(name));
    return push;
}

QGroupBox *frame(const QString &caption, const char *name)
{
    auto *box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// A caption whose run of blanks holds a box, as "文件长度           字节" holds the length: the
// caption's words stand left and right of the box; the whole caption is the row's name.
QWidget *captionWithBox(const QString &caption, QLineEdit *box, const char *name)
{
    auto *row = new QWidget;
    row->setObjectName(QString::fromLatin1(name));
    row->setAccessibleName(caption);
    const qsizetype first = caption.indexOf(QStringLiteral("  "));
    qsizetype last = first;
    while (last < caption.size() && caption[last] == u' ')
        ++last;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(caption.left(first)));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    layout->addWidget(box);
    layout->addWidget(new QLabel(caption.mid(last)));
    layout->addStretch(1);
    return row;
}

// An option group: the buttons in a row inside a frame, index i for the i-th caption.
QButtonGroup *optionGroup(QGroupBox *box, const QStringList &captions, QWidget *owner,
                          const QStringList &tips = {})
{
    auto *group = new QButtonGroup(owner);
    auto *layout = new QHBoxLayout(box);
    for (qsizetype i = 0; i < captions.size(); ++i) {
        auto *option = new QRadioButton(captions[i]);
        option->setObjectName(box->objectName() + QStringLiteral("Option") + QString::number(i));
        if (i < tips.size())
            option->setToolTip(tips[i]);
        group->addButton(option, static_cast<int>(i));
        layout->addWidget(option);
    }
    group->button(0)->setChecked(true);
    return group;
}

QComboBox *lineList(int count, int line, const char *prefix)
{
    auto *list = new QComboBox;
    list->setObjectName(QString::fromLatin1(prefix) + QString::number(line));
    for (int i = 0; i < count; ++i)
        list->addItem(QString::number(i));
    list->setCurrentIndex(line);
    list->setEnabled(false);
    return list;
}

} // namespace

void ConversionWindow::buildControls()
{
    m_modeLabel = new QLabel(modeText(ConversionMode::HexToBin));
    m_modeLabel->setObjectName(QStringLiteral("modeLabel"));
    QFont big = m_modeLabel->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    m_modeLabel->setFont(big);
    m_startButton = button(QStringLiteral(u"开   始"), "startButton");
    m_startButton->setEnabled(false);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_startButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_modeLabel);
    layout->addLayout(buildPathFrames());
    layout->addLayout(buildHexFrames());
    layout->addWidget(buildOptionsPanel());
    layout->addLayout(buildRestorePage());
    layout->addWidget(buildSplitFrame());
    layout->addLayout(buildMergeFrames());
    layout->addLayout(bottom);
    layout->addStretch(1);
}

QLayout *ConversionWindow::buildPathFrames()
{
    auto *layout = new QVBoxLayout;

    m_inputFrame = frame(ConvText::ConvertInputCaption, "inputFrame");
    m_inputEdit = lineEdit("inputEdit");
    // Room for a whole path.
    m_inputEdit->setMinimumWidth(360);
    m_inputButton = button(ConvText::BrowseCaption, "inputButton");
    m_inputLengthEdit = lineEdit("inputLengthEdit");
    m_inputLengthEdit->setEnabled(false);
    auto *inputStart = new QLabel(QStringLiteral(u"起始地址  0000H"));
    inputStart->setObjectName(QStringLiteral("inputStartLabel"));
    auto *inputGrid = new QGridLayout(m_inputFrame);
    inputGrid->addWidget(m_inputEdit, 0, 0, 1, 2);
    inputGrid->addWidget(m_inputButton, 0, 2);
    m_parts[WindowPart::InputLength] =
        captionWithBox(ConvText::FileLengthCaption, m_inputLengthEdit, "inputLengthRow");
    inputGrid->addWidget(m_parts[WindowPart::InputLength], 1, 0);
    inputGrid->addWidget(inputStart, 1, 1);
    m_parts[WindowPart::InputStart] = inputStart;

    m_outputFrame = frame(ConvText::ConvertOutputCaption, "outputFrame");
    m_outputEdit = lineEdit("outputEdit");
    m_outputEdit->setMinimumWidth(360);
    m_outputButton = button(ConvText::SaveAsCaption, "outputButton");
    m_secondLengthEdit = lineEdit("secondLengthEdit");
    m_secondLengthEdit->setEnabled(false);
    m_mergeStartEdit = lineEdit("mergeStartEdit");
    auto *outputGrid = new QGridLayout(m_outputFrame);
    outputGrid->addWidget(m_outputEdit, 0, 0, 1, 2);
    outputGrid->addWidget(m_outputButton, 0, 2);
    m_parts[WindowPart::SecondLength] =
        captionWithBox(ConvText::FileLengthCaption, m_secondLengthEdit, "secondLengthRow");
    m_parts[WindowPart::MergeStart] =
        captionWithBox(QStringLiteral(u"起始地址           H"), m_mergeStartEdit, "mergeStartRow");
    outputGrid->addWidget(m_parts[WindowPart::SecondLength], 1, 0);
    outputGrid->addWidget(m_parts[WindowPart::MergeStart], 1, 1);
    for (WindowPart part :
         {WindowPart::InputLength, WindowPart::InputStart, WindowPart::SecondLength, WindowPart::MergeStart})
        m_parts[part]->hide();

    layout->addWidget(m_inputFrame);
    layout->addWidget(m_outputFrame);
    m_parts[WindowPart::InputFrame] = m_inputFrame;
    m_parts[WindowPart::OutputFrame] = m_outputFrame;
    return layout;
}

QLayout *ConversionWindow::buildHexFrames()
{
    auto *layout = new QHBoxLayout;
    auto *format = frame(QStringLiteral(u"hex文件的格式"), "formatFrame");
    m_formatGroup = optionGroup(format,
                                {QStringLiteral("Intel"), QStringLiteral("Motorola"),
                                 QStringLiteral("Tektronics"), QStringLiteral("XTI SDSMAC"),
                                 QStringLiteral("Straight HEX"), QStringLiteral("DMD16 HEX")},
                                this);
    auto *fill = frame(ConvText::FillCaption, "fillFrame");
    m_fillGroup = optionGroup(fill, {QStringLiteral("00H"), QStringLiteral("FFH")}, this);
    auto *start = frame(QStringLiteral(u"起始地址"), "startFrame");
    m_startAddressEdit = lineEdit("startAddressEdit");
    m_startAddressEdit->setText(QStringLiteral("0"));
    (new QHBoxLayout(start))->addWidget(m_startAddressEdit);
    for (QGroupBox *box : {format, fill, start}) {
        layout->addWidget(box);
        box->hide();
    }
    m_parts[WindowPart::FormatFrame] = format;
    m_parts[WindowPart::FillFrame] = fill;
    m_parts[WindowPart::StartFrame] = start;
    return layout;
}

QWidget *ConversionWindow::buildOptionsPanel()
{
    auto *panel = frame(QString(), "optionsPanel");
    auto *layout = new QHBoxLayout(panel);
    auto *cpu = frame(QStringLiteral(u"CPU选择"), "cpuFrame");
    m_cpuGroup = optionGroup(cpu, {QStringLiteral("MCS-51"), QStringLiteral("MCS-48")}, this);
    auto *code = frame(QStringLiteral(u"目标代码"), "codeFrame");
    m_codeGroup =
        optionGroup(code, {QStringLiteral(u"完全代码"), QStringLiteral(u"部分代码")}, this,
                    {QStringLiteral(u"从0地址开始的全部代码"), QStringLiteral(u"从指定地址开始的部分代码")});
    m_disassemblyFrame = frame(QStringLiteral(u"反汇编选项"), "disassemblyFrame");
    m_disassemblyGroup =
        optionGroup(m_disassemblyFrame, {QStringLiteral(u"完全反汇编"), QStringLiteral(u"部分反汇编")}, this,
                    {QStringLiteral(u"从0地址开始反汇编"), QStringLiteral(u"从指定地址开始反汇编")});
    m_rangeFrame = frame(QString(), "rangeFrame");
    m_rangeStartEdit = lineEdit("rangeStartEdit");
    m_rangeEndEdit = lineEdit("rangeEndEdit");
    auto *range = new QVBoxLayout(m_rangeFrame);
    range->addWidget(captionWithBox(QStringLiteral(u"始地址        H"), m_rangeStartEdit, "rangeStartRow"));
    range->addWidget(captionWithBox(QStringLiteral(u"末地址        H"), m_rangeEndEdit, "rangeEndRow"));
    m_rangeFrame->hide();
    for (QGroupBox *box : {cpu, code, m_disassemblyFrame, m_rangeFrame})
        layout->addWidget(box);
    panel->hide();
    m_parts[WindowPart::OptionsPanel] = panel;
    return panel;
}

QLayout *ConversionWindow::buildRestorePage()
{
    auto *layout = new QVBoxLayout;

    auto *page = frame(QString(), "restorePage");
    auto *grid = new QGridLayout(page);
    m_lineChecks[0] = new QCheckBox(QStringLiteral(u"数据线跳接"));
    m_lineChecks[0]->setObjectName(QStringLiteral("dataLinesCheck"));
    m_lineChecks[1] = new QCheckBox(QStringLiteral(u"地址线跳接"));
    m_lineChecks[1]->setObjectName(QStringLiteral("addressLinesCheck"));
    grid->addWidget(m_lineChecks[0], 0, 0, 1, 4);
    grid->addWidget(m_lineChecks[1], 0, 4, 1, 4);
    // Eight columns under the heading: address lines 0-7, 8-15, then the data lines.
    for (int column = 0; column < 8; ++column) {
        auto *heading = new QLabel(QStringLiteral(u"存储器--系统总线"));
        heading->setObjectName(QStringLiteral("lineHeading") + QString::number(column));
        grid->addWidget(heading, 1, column * 2, 1, 2);
    }
    for (int line = 0; line < 16; ++line) {
        m_addressLists[static_cast<std::size_t>(line)] = lineList(16, line, "addressList");
        const QString label =
            line < 10 ? QStringLiteral("A%1---A").arg(line) : QStringLiteral("A%1--A").arg(line);
        grid->addWidget(new QLabel(label), 2 + line / 8, (line % 8) * 2);
        grid->addWidget(m_addressLists[static_cast<std::size_t>(line)], 2 + line / 8, (line % 8) * 2 + 1);
    }
    for (int line = 0; line < 8; ++line) {
        m_dataLists[static_cast<std::size_t>(line)] = lineList(8, line, "dataList");
        grid->addWidget(new QLabel(QStringLiteral("D%1---D").arg(line)), 4, line * 2);
        grid->addWidget(m_dataLists[static_cast<std::size_t>(line)], 4, line * 2 + 1);
    }
    m_restoreButton = button(QStringLiteral(u"还  原"), "restoreButton");
    m_restoreButton->setToolTip(QStringLiteral(u"将跳线后的代码还原为正常的程序代码"));
    m_restoreButton->setEnabled(false);
    grid->addWidget(m_restoreButton, 5, 14, 1, 2);

    m_restoreInputFrame = frame(ConvText::ConvertInputCaption, "restoreInputFrame");
    m_restoreInputEdit = lineEdit("restoreInputEdit");
    m_restoreInputButton = button(ConvText::BrowseCaption, "restoreInputButton");
    auto *inputRow = new QHBoxLayout(m_restoreInputFrame);
    inputRow->addWidget(m_restoreInputEdit, 1);
    inputRow->addWidget(m_restoreInputButton);
    m_restoreOutputFrame = frame(ConvText::ConvertOutputCaption, "restoreOutputFrame");
    m_restoreOutputEdit = lineEdit("restoreOutputEdit");
    m_restoreOutputButton = button(ConvText::SaveAsCaption, "restoreOutputButton");
    auto *outputRow = new QHBoxLayout(m_restoreOutputFrame);
    outputRow->addWidget(m_restoreOutputEdit, 1);
    outputRow->addWidget(m_restoreOutputButton);

    layout->addWidget(page);
    layout->addWidget(m_restoreInputFrame);
    layout->addWidget(m_restoreOutputFrame);
    m_parts[WindowPart::RestorePage] = page;
    m_parts[WindowPart::RestoreInputFrame] = m_restoreInputFrame;
    m_parts[WindowPart::RestoreOutputFrame] = m_restoreOutputFrame;
    return layout;
}

QWidget *ConversionWindow::buildSplitFrame()
{
    auto *split = frame(QString(), "splitFrame");
    auto *layout = new QHBoxLayout(split);
    // A fixed list: a typed size would have no meaning.
    m_sizeList = new QComboBox;
    m_sizeList->setObjectName(QStringLiteral("sizeList"));
    auto *label = new QLabel(QStringLiteral(u"片内ROM空间"));
    m_splitMessage = new QLabel;
    m_splitMessage->setObjectName(QStringLiteral("splitMessage"));
    m_splitMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_sizeList);
    layout->addWidget(label);
    layout->addWidget(m_splitMessage, 1);
    m_parts[WindowPart::SplitFrame] = split;
    return split;
}

QLayout *ConversionWindow::buildMergeFrames()
{
    auto *layout = new QGridLayout;
    auto *output = frame(ConvText::MergeOutputCaption, "mergeOutputFrame");
    m_mergeOutputEdit = lineEdit("mergeOutputEdit");
    m_mergeOutputButton = button(ConvText::SaveAsCaption, "mergeOutputButton");
    auto *row = new QHBoxLayout(output);
    row->addWidget(m_mergeOutputEdit, 1);
    row->addWidget(m_mergeOutputButton);
    auto *mergeMode = frame(QStringLiteral(u"合并方式"), "mergeModeFrame");
    m_mergeModeGroup =
        optionGroup(mergeMode, {QStringLiteral(u"直接连接"), QStringLiteral(u"按地址连接")}, this);
    auto *mergeFill = frame(ConvText::FillCaption, "mergeFillFrame");
    m_mergeFillGroup = optionGroup(mergeFill, {QStringLiteral("00H"), QStringLiteral("FFH")}, this);
    mergeMode->hide();
    mergeFill->hide();
    layout->addWidget(output, 0, 0, 1, 2);
    layout->addWidget(mergeMode, 1, 0);
    layout->addWidget(mergeFill, 1, 1);
    m_parts[WindowPart::MergeOutputFrame] = output;
    m_parts[WindowPart::MergeModeFrame] = mergeMode;
    m_parts[WindowPart::MergeFillFrame] = mergeFill;
    return layout;
}

} // namespace tw
