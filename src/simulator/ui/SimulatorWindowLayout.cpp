// The simulator window's controls and their layout.
#include "SimulatorTexts.h"
#include "SimulatorWindow.h"
#include "common/ui/TabStops.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tw
{

namespace
{

QPlainTextEdit *viewBox(const QString &tip = QString())
{
    auto *box = new QPlainTextEdit;
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setFocusPolicy(Qt::NoFocus);
    box->setToolTip(tip);
    return box;
}

QLineEdit *valueBox()
{
    auto *box = new QLineEdit;
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return box;
}

QPushButton *button(const QString &caption, const QString &tip)
{
    auto *b = new QPushButton(caption);
    b->setToolTip(tip);
    return b;
}

} // namespace

void SimulatorWindow::buildControls()
{
    m_ui.listing = viewBox(QStringLiteral(u"单击修改PC指针"));
    m_ui.listing->setFocusPolicy(Qt::StrongFocus);
    m_ui.listing->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_ui.listing->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Commented lines can be wider than the pane. The sideways scroll bar keeps its place whether
    // or not they are, so that it never covers the last of the fourteen lines and the PC line
    // there.
    m_ui.listing->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabColumns(m_ui.listing);
    m_ui.listingScroll = new QScrollBar(Qt::Vertical);
    m_ui.listingScroll->setSingleStep(1);
    m_ui.listingScroll->setPageStep(10);

    m_ui.pc = valueBox();
    m_ui.breakpoint = valueBox();
    m_ui.reset = button(QStringLiteral("RESET"), QStringLiteral(u"系统复位，SFR初始化，片内RAM的值不变"));
    m_ui.step = button(QStringLiteral(u"单步运行"), QStringLiteral(u"执行一条指令"));
    m_ui.run = button(kRunCaption, QStringLiteral(u"连续运行程序，直到程序结束"));
    m_ui.toBreakpoint = button(kToBreakpointCaption, QStringLiteral(u"连续执行，到断点处停止"));
    m_ui.setBreakpoint = button(kSetBreakpointCaption, kSetBreakpointTip);
    m_ui.clearRam = button(QStringLiteral(u"RAM清零"), QStringLiteral(u"清除RAM的全部数据"));
    m_ui.dynamicMode = new QRadioButton(QStringLiteral(u"动态仿真"));
    m_ui.dynamicMode->setToolTip(QStringLiteral(u"每执行一条指令都要反馈系统状态，速度比较慢"));
    m_ui.fastMode = new QRadioButton(QStringLiteral(u"快速仿真"));
    m_ui.fastMode->setToolTip(
        QStringLiteral(u"运行过程时，不反馈系统状态，而是在停止运行程序时再反馈系统状态，速度比较快"));
    m_ui.dynamicMode->setChecked(true);

    auto *listingRow = new QHBoxLayout;
    listingRow->setSpacing(0);
    listingRow->addWidget(m_ui.listing, 1);
    listingRow->addWidget(m_ui.listingScroll);

    auto *pointers = new QGridLayout;
    pointers->addWidget(new QLabel(QStringLiteral(u"程序指针 PC")), 0, 0);
    pointers->addWidget(m_ui.pc, 0, 1);
    pointers->addWidget(new QLabel(QStringLiteral(u"断点指针")), 1, 0);
    pointers->addWidget(m_ui.breakpoint, 1, 1);
    auto *commands = new QGridLayout;
    commands->addWidget(m_ui.reset, 0, 0);
    commands->addWidget(m_ui.step, 0, 1);
    commands->addWidget(m_ui.run, 1, 0);
    commands->addWidget(m_ui.toBreakpoint, 1, 1);
    commands->addWidget(m_ui.setBreakpoint, 2, 0);
    commands->addWidget(m_ui.clearRam, 2, 1);
    commands->addWidget(m_ui.dynamicMode, 3, 0);
    commands->addWidget(m_ui.fastMode, 3, 1);

    auto *left = new QVBoxLayout;
    left->addLayout(listingRow);
    left->addLayout(pointers);
    left->addLayout(commands);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    right->addWidget(buildMemoryPages(), 1);
    right->addWidget(buildIoPages());

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 4);
    layout->addLayout(right, 5);
    resize(1010, 720);

    m_ui.slice = new QTimer(this);
    m_ui.slice->setSingleShot(true);
    m_ui.slice->setInterval(0);
    m_ui.tick = new QTimer(this);
    m_ui.tick->setInterval(1);
    m_ui.feeder = new QTimer(this);
    m_ui.feeder->setInterval(1000);
}

QWidget *SimulatorWindow::buildMemoryPages()
{
    m_ui.memoryTabs = new QTabBar;
    for (const char16_t *caption : {u"片内 RAM", u"片外 RAM", u"程序 ROM", u"寄存器", u"可寻址位"})
        m_ui.memoryTabs->addTab(QString::fromUtf16(caption));
    m_ui.memoryPages = new QStackedWidget;

    const auto headed = [](const char16_t *header, QWidget *body, QWidget *beside = nullptr) {
        auto *page = new QWidget;
        auto *grid = new QGridLayout(page);
        grid->setContentsMargins(0, 0, 0, 0);
        auto *label = new QLabel(QString::fromUtf16(header));
        label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        grid->addWidget(label, 0, 0);
        grid->addWidget(body, 1, 0);
        if (beside)
            grid->addWidget(beside, 1, 1);
        return page;
    };
    m_ui.internalRam = viewBox(QStringLiteral(u"双击，设置片内RAM"));
    m_ui.memory = viewBox();
    m_ui.memoryScroll = new QScrollBar(Qt::Vertical);
    m_ui.memoryScroll->setRange(0, MemoryView::kMaxTop);
    m_ui.memoryScroll->setSingleStep(1);
    m_ui.memoryScroll->setPageStep(10);
    m_ui.memoryPages->addWidget(
        headed(u"addr  0  1  2  3  4  5  6  7    8  9  A  B  C  D  E  F", m_ui.internalRam));
    m_ui.memoryPages->addWidget(
        headed(u"addr   0  1  2  3  4  5  6  7   8  9  A  B  C  D  E  F", m_ui.memory, m_ui.memoryScroll));

    m_ui.sfr = viewBox();
    m_ui.psw = viewBox();
    m_ui.registers = viewBox();
    auto *registerPage = new QWidget;
    auto *registerGrid = new QGridLayout(registerPage);
    registerGrid->setContentsMargins(0, 0, 0, 0);
    registerGrid->addWidget(new QLabel(QStringLiteral(u"特殊功能寄存器")), 0, 0);
    registerGrid->addWidget(new QLabel(QStringLiteral(u"程序状态字")), 0, 1);
    registerGrid->addWidget(new QLabel(QStringLiteral(u"工作寄存器")), 0, 2);
    registerGrid->addWidget(m_ui.sfr, 1, 0);
    registerGrid->addWidget(m_ui.psw, 1, 1);
    registerGrid->addWidget(m_ui.registers, 1, 2);
    registerGrid->setColumnStretch(0, 4);
    registerGrid->setColumnStretch(1, 1);
    registerGrid->setColumnStretch(2, 1);
    m_ui.memoryPages->addWidget(registerPage);

    m_ui.bits = viewBox();
    m_ui.memoryPages->addWidget(headed(u"addr 7 6 5 4 3 2 1 0        addr 7 6 5 4 3 2 1 0", m_ui.bits));

    m_ui.ramSet = new QGroupBox(kInternalRamSet);
    m_ui.ramAddress = new QLineEdit;
    m_ui.ramAddress->setToolTip(kInternalAddressTip);
    m_ui.ramData = new QLineEdit;
    m_ui.ramData->setToolTip(QStringLiteral(u"输入偶数位16进制代码"));
    m_ui.ramApply = new QPushButton(QStringLiteral(u"确定"));
    m_ui.ramCancel = new QPushButton(QStringLiteral(u"取消"));
    // One row, so that the frame leaves the pages below their height.
    m_ui.ramAddress->setMaximumWidth(
        QFontMetrics(m_ui.ramAddress->font()).horizontalAdvance(QLatin1Char('0')) * 8);
    auto *ramRow = new QHBoxLayout(m_ui.ramSet);
    ramRow->addWidget(new QLabel(QStringLiteral(u"起始地址")));
    ramRow->addWidget(m_ui.ramAddress);
    ramRow->addWidget(new QLabel(QStringLiteral(u"数据")));
    ramRow->addWidget(m_ui.ramData, 1);
    ramRow->addWidget(m_ui.ramApply);
    ramRow->addWidget(m_ui.ramCancel);
    m_ui.ramSet->hide();

    auto *box = new QWidget;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_ui.memoryTabs);
    column->addWidget(m_ui.memoryPages, 1);
    // Room for the header and the 18 rows of the external-RAM box, whose scroll bar is VScroll1
    // beside it.
    m_ui.memory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui.memoryPages->setMinimumHeight(QFontMetrics(m_ui.memory->font()).lineSpacing() * 19 + 24);
    column->addWidget(m_ui.ramSet);
    return box;
}

QWidget *SimulatorWindow::buildIoPages()
{
    m_ui.ioTabs = new QTabBar;
    m_ui.ioTabs->addTab(QStringLiteral("I/O"));
    m_ui.ioTabs->addTab(QStringLiteral(u"串行发送"));
    m_ui.ioTabs->addTab(QStringLiteral(u"串行接收"));
    m_ui.ioPages = new QStackedWidget;

    auto *pinPage = new QWidget;
    auto *pinGrid = new QGridLayout(pinPage);
    pinGrid->setSpacing(0);
    pinGrid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 32; ++i) {
        auto *frame = new QGroupBox(QStringLiteral("P%1%2").arg(i / 8).arg(i % 8));
        frame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        auto *frameLayout = new QVBoxLayout(frame);
        frameLayout->setContentsMargins(1, 1, 1, 1);
        m_ui.pins[static_cast<std::size_t>(i)] =
            button(QStringLiteral("1"), QStringLiteral(u"单击，改变引脚信号状态"));
        m_ui.pins[static_cast<std::size_t>(i)]->setFixedSize(34, 20);
        frameLayout->addWidget(m_ui.pins[static_cast<std::size_t>(i)]);
        pinGrid->addWidget(frame, i / 8, i % 8);
    }
    // Spare height stays below the pins, for the RAM-set frame above them.
    pinGrid->setRowStretch(4, 1);
    m_ui.ioPages->addWidget(pinPage);
    m_ui.ioPages->addWidget(buildSerialPage());

    auto *box = new QWidget;
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_ui.ioTabs);
    column->addWidget(m_ui.ioPages);
    return box;
}

QWidget *SimulatorWindow::buildSerialPage()
{
    m_ui.transmitFrame = new QGroupBox(QStringLiteral(u"单片机发送的数据"));
    m_ui.transmitted = viewBox();
    m_ui.transmitted->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_ui.transmitted->setMaximumHeight(90);
    m_ui.clearTransmitted = new QPushButton(QStringLiteral(u"清空"));
    auto *transmitLayout = new QHBoxLayout(m_ui.transmitFrame);
    transmitLayout->addWidget(m_ui.transmitted, 1);
    transmitLayout->addWidget(m_ui.clearTransmitted);

    m_ui.receiveFrame = new QGroupBox(QStringLiteral(u"发送给单片机的数据"));
    m_ui.toSend = new QLineEdit;
    m_ui.toSend->setToolTip(QStringLiteral(u"输入十六进制代码"));
    m_ui.send = new QPushButton(QStringLiteral(u"发送"));
    auto *receiveLayout = new QGridLayout(m_ui.receiveFrame);
    receiveLayout->addWidget(m_ui.toSend, 0, 0, 1, 5);
    receiveLayout->addWidget(m_ui.send, 0, 5);
    receiveLayout->addWidget(new QLabel(QStringLiteral(u"第9位数据为：")), 1, 0);
    auto *ninthGroup = new QButtonGroup(m_ui.receiveFrame);
    int k = 0;
    for (const char16_t *caption : {u"奇校验", u"偶校验", u"恒“1”", u"恒“0”", u"Non"}) {
        auto *option = new QRadioButton(QString::fromUtf16(caption));
        ninthGroup->addButton(option, k);
        m_ui.ninthBit[static_cast<std::size_t>(k)] = option;
        receiveLayout->addWidget(option, 2, k);
        ++k;
    }
    m_ui.ninthBit[4]->setChecked(true);
    connect(ninthGroup, &QButtonGroup::idClicked, this,
            [this](int id) { m_serial.rule = static_cast<NinthBitRule>(id); });

    m_ui.rateFrame = new QGroupBox(kTransmitRateCaption);
    m_ui.serialMode = valueBox();
    m_ui.receiveRate = valueBox();
    m_ui.transmitRate = valueBox();
    m_ui.receiveRateLabel = new QLabel(kBaudRateCaption);
    m_ui.transmitRateLabel = new QLabel(kBaudRateCaption);
    m_ui.crystal = new QComboBox;
    m_ui.crystal->setEditable(true);
    m_ui.crystal->setToolTip(QStringLiteral(u"选择单片机的晶振频率"));
    auto *rateLayout = new QGridLayout(m_ui.rateFrame);
    rateLayout->addWidget(new QLabel(QStringLiteral(u"工作方式")), 0, 0);
    rateLayout->addWidget(m_ui.serialMode, 0, 1);
    rateLayout->addWidget(m_ui.receiveRateLabel, 0, 2);
    rateLayout->addWidget(m_ui.receiveRate, 0, 3);
    rateLayout->addWidget(m_ui.transmitRateLabel, 0, 4);
    rateLayout->addWidget(m_ui.transmitRate, 0, 5);
    rateLayout->addWidget(new QLabel(QStringLiteral(u"晶振频率               MHz")), 1, 0, 1, 2);
    rateLayout->addWidget(m_ui.crystal, 1, 2, 1, 2);

    // One of the two data frames at a time (the serial tabs switch them), so that the page
    // never asks for the height of both.
    m_ui.receiveFrame->hide();
    m_ui.receiveRate->hide();
    m_ui.receiveRateLabel->hide();

    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_ui.transmitFrame);
    column->addWidget(m_ui.receiveFrame);
    column->addWidget(m_ui.rateFrame);
    return page;
}

} // namespace tw
