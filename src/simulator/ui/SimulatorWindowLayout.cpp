// The simulator window's controls and their layout.
#include "SimulatorTexts.h"
#include "SimulatorViews.h"
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
#include <vector>

namespace tw
{

namespace
{

using Controls = SimulatorWindow::Controls;

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

// A memory page: a column header in the boxes' font over the box, and its scroll bar beside it.
QWidget *headedPage(const char16_t *header, QWidget *body, QWidget *beside = nullptr)
{
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
}

void buildListing(Controls &ui)
{
    ui.listing = viewBox(QStringLiteral(u"单击修改PC指针"));
    ui.listing->setFocusPolicy(Qt::StrongFocus);
    ui.listing->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    ui.listing->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Commented lines can be wider than the pane. The sideways scroll bar keeps its place whether
    // or not they are, so that it never covers the last of the fourteen lines and the PC line
    // there.
    ui.listing->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabColumns(ui.listing);
    ui.listingScroll = new QScrollBar(Qt::Vertical);
    ui.listingScroll->setSingleStep(1);
    ui.listingScroll->setPageStep(10);
}

void buildRunButtons(Controls &ui)
{
    ui.pc = valueBox();
    ui.breakpoint = valueBox();
    ui.reset = button(QStringLiteral("RESET"), QStringLiteral(u"系统复位，SFR初始化，片内RAM的值不变"));
    ui.step = button(QStringLiteral(u"单步运行"), QStringLiteral(u"执行一条指令"));
    ui.run = button(kRunCaption, QStringLiteral(u"连续运行程序，直到程序结束"));
    ui.toBreakpoint = button(kToBreakpointCaption, QStringLiteral(u"连续执行，到断点处停止"));
    ui.setBreakpoint = button(kSetBreakpointCaption, kSetBreakpointTip);
    ui.clearRam = button(QStringLiteral(u"RAM清零"), QStringLiteral(u"清除RAM的全部数据"));
    ui.dynamicMode = new QRadioButton(QStringLiteral(u"动态仿真"));
    ui.dynamicMode->setToolTip(QStringLiteral(u"每执行一条指令都要反馈系统状态，速度比较慢"));
    ui.fastMode = new QRadioButton(QStringLiteral(u"快速仿真"));
    ui.fastMode->setToolTip(
        QStringLiteral(u"运行过程时，不反馈系统状态，而是在停止运行程序时再反馈系统状态，速度比较快"));
    ui.dynamicMode->setChecked(true);
}

// The left half: the listing pane, the PC and breakpoint boxes and the run buttons.
QLayout *runColumn(Controls &ui)
{
    auto *listingRow = new QHBoxLayout;
    listingRow->setSpacing(0);
    listingRow->addWidget(ui.listing, 1);
    listingRow->addWidget(ui.listingScroll);

    auto *pointers = new QGridLayout;
    pointers->addWidget(new QLabel(QStringLiteral(u"程序指针 PC")), 0, 0);
    pointers->addWidget(ui.pc, 0, 1);
    pointers->addWidget(new QLabel(QStringLiteral(u"断点指针")), 1, 0);
    pointers->addWidget(ui.breakpoint, 1, 1);
    auto *commands = new QGridLayout;
    commands->addWidget(ui.reset, 0, 0);
    commands->addWidget(ui.step, 0, 1);
    commands->addWidget(ui.run, 1, 0);
    commands->addWidget(ui.toBreakpoint, 1, 1);
    commands->addWidget(ui.setBreakpoint, 2, 0);
    commands->addWidget(ui.clearRam, 2, 1);
    commands->addWidget(ui.dynamicMode, 3, 0);
    commands->addWidget(ui.fastMode, 3, 1);

    auto *left = new QVBoxLayout;
    left->addLayout(listingRow);
    left->addLayout(pointers);
    left->addLayout(commands);
    left->addStretch(1);
    return left;
}

void buildTimers(Controls &ui, QObject *owner)
{
    ui.slice = new QTimer(owner);
    ui.slice->setSingleShot(true);
    ui.slice->setInterval(0);
    ui.tick = new QTimer(owner);
    ui.tick->setInterval(1);
    ui.feeder = new QTimer(owner);
    ui.feeder->setInterval(1000);
}

// The external-RAM and ROM tabs' page: one box and its scroll bar (VScroll1).
QWidget *externalMemoryPage(Controls &ui)
{
    ui.memory = viewBox();
    ui.memoryScroll = new QScrollBar(Qt::Vertical);
    ui.memoryScroll->setRange(0, MemoryView::kMaxTop);
    ui.memoryScroll->setSingleStep(1);
    ui.memoryScroll->setPageStep(10);
    return headedPage(u"addr   0  1  2  3  4  5  6  7   8  9  A  B  C  D  E  F", ui.memory, ui.memoryScroll);
}

// The page of the views that stand on a tab (SimulatorViews.h), or null where none does: one
// alone under its column header, or several side by side, each under its caption with its share
// of the width.
QWidget *viewPage(Controls &ui, MemoryTab tab)
{
    std::vector<ViewRow> rows;
    for (SimulatorView view : kAllViews)
        if (viewRow(view).place.tab == tab)
            rows.push_back(viewRow(view));
    if (rows.empty())
        return nullptr;
    if (rows.size() == 1 && rows.front().place.share == 0)
        return headedPage(rows.front().place.heading, ui.*rows.front().box);
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    // The captions' row, then the boxes' row.
    int column = 0;
    for (const ViewRow &row : rows)
        grid->addWidget(new QLabel(QString::fromUtf16(row.place.heading)), 0, column++);
    column = 0;
    for (const ViewRow &row : rows) {
        grid->setColumnStretch(column, row.place.share);
        grid->addWidget(ui.*row.box, 1, column++);
    }
    return page;
}

void buildRamSetFrame(Controls &ui)
{
    ui.ramSet = new QGroupBox(kInternalRamSet);
    ui.ramAddress = new QLineEdit;
    ui.ramAddress->setToolTip(kInternalAddressTip);
    ui.ramData = new QLineEdit;
    ui.ramData->setToolTip(QStringLiteral(u"输入偶数位16进制代码"));
    ui.ramApply = new QPushButton(QStringLiteral(u"确定"));
    ui.ramCancel = new QPushButton(QStringLiteral(u"取消"));
    // One row, so that the frame leaves the pages below their height.
    ui.ramAddress->setMaximumWidth(QFontMetrics(ui.ramAddress->font()).horizontalAdvance(QLatin1Char('0')) *
                                   8);
    auto *ramRow = new QHBoxLayout(ui.ramSet);
    ramRow->addWidget(new QLabel(QStringLiteral(u"起始地址")));
    ramRow->addWidget(ui.ramAddress);
    ramRow->addWidget(new QLabel(QStringLiteral(u"数据")));
    ramRow->addWidget(ui.ramData, 1);
    ramRow->addWidget(ui.ramApply);
    ramRow->addWidget(ui.ramCancel);
    ui.ramSet->hide();
}

QWidget *pinPage(Controls &ui)
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 32; ++i) {
        auto *frame = new QGroupBox(QStringLiteral("P%1%2").arg(i / 8).arg(i % 8));
        frame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        auto *frameLayout = new QVBoxLayout(frame);
        frameLayout->setContentsMargins(1, 1, 1, 1);
        QPushButton *&pin = ui.pins[static_cast<std::size_t>(i)];
        pin = button(QStringLiteral("1"), QStringLiteral(u"单击，改变引脚信号状态"));
        pin->setFixedSize(34, 20);
        frameLayout->addWidget(pin);
        grid->addWidget(frame, i / 8, i % 8);
    }
    // Spare height stays below the pins, for the RAM-set frame above them.
    grid->setRowStretch(4, 1);
    return page;
}

void buildTransmitFrame(Controls &ui)
{
    ui.transmitFrame = new QGroupBox(QStringLiteral(u"单片机发送的数据"));
    ui.transmitted = viewBox();
    ui.transmitted->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ui.transmitted->setMaximumHeight(90);
    ui.clearTransmitted = new QPushButton(QStringLiteral(u"清空"));
    auto *transmitLayout = new QHBoxLayout(ui.transmitFrame);
    transmitLayout->addWidget(ui.transmitted, 1);
    transmitLayout->addWidget(ui.clearTransmitted);
}

// Answers the group of the ninth-bit options, numbered as NinthBitRule.
QButtonGroup *buildReceiveFrame(Controls &ui)
{
    ui.receiveFrame = new QGroupBox(QStringLiteral(u"发送给单片机的数据"));
    ui.toSend = new QLineEdit;
    ui.toSend->setToolTip(QStringLiteral(u"输入十六进制代码"));
    ui.send = new QPushButton(QStringLiteral(u"发送"));
    auto *receiveLayout = new QGridLayout(ui.receiveFrame);
    receiveLayout->addWidget(ui.toSend, 0, 0, 1, 5);
    receiveLayout->addWidget(ui.send, 0, 5);
    receiveLayout->addWidget(new QLabel(QStringLiteral(u"第9位数据为：")), 1, 0);
    auto *ninthGroup = new QButtonGroup(ui.receiveFrame);
    int k = 0;
    for (const char16_t *caption : {u"奇校验", u"偶校验", u"恒“1”", u"恒“0”", u"Non"}) {
        auto *option = new QRadioButton(QString::fromUtf16(caption));
        ninthGroup->addButton(option, k);
        ui.ninthBit[static_cast<std::size_t>(k)] = option;
        receiveLayout->addWidget(option, 2, k);
        ++k;
    }
    ui.ninthBit[4]->setChecked(true);
    return ninthGroup;
}

void buildRateFrame(Controls &ui)
{
    ui.rateFrame = new QGroupBox(kTransmitRateCaption);
    ui.serialMode = valueBox();
    ui.receiveRate = valueBox();
    ui.transmitRate = valueBox();
    ui.receiveRateLabel = new QLabel(kBaudRateCaption);
    ui.transmitRateLabel = new QLabel(kBaudRateCaption);
    ui.crystal = new QComboBox;
    ui.crystal->setEditable(true);
    ui.crystal->setToolTip(QStringLiteral(u"选择单片机的晶振频率"));
    auto *rateLayout = new QGridLayout(ui.rateFrame);
    rateLayout->addWidget(new QLabel(QStringLiteral(u"工作方式")), 0, 0);
    rateLayout->addWidget(ui.serialMode, 0, 1);
    rateLayout->addWidget(ui.receiveRateLabel, 0, 2);
    rateLayout->addWidget(ui.receiveRate, 0, 3);
    rateLayout->addWidget(ui.transmitRateLabel, 0, 4);
    rateLayout->addWidget(ui.transmitRate, 0, 5);
    rateLayout->addWidget(new QLabel(QStringLiteral(u"晶振频率               MHz")), 1, 0, 1, 2);
    rateLayout->addWidget(ui.crystal, 1, 2, 1, 2);
}

} // namespace

void SimulatorWindow::buildControls()
{
    buildListing(m_ui);
    buildRunButtons(m_ui);
    QLayout *left = runColumn(m_ui);

    auto *right = new QVBoxLayout;
    right->addWidget(buildMemoryPages(), 1);
    right->addWidget(buildIoPages());

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 4);
    layout->addLayout(right, 5);
    resize(1010, 720);
    buildTimers(m_ui, this);
}

QWidget *SimulatorWindow::buildMemoryPages()
{
    for (SimulatorView view : kAllViews)
        m_ui.*viewRow(view).box = viewBox();
    m_ui.internalRam->setToolTip(QStringLiteral(u"双击，设置片内RAM"));
    m_ui.memoryTabs = new QTabBar;
    m_ui.memoryPages = new QStackedWidget;
    // A tab without views shows the external memory's page, which the external-RAM and ROM tabs
    // share.
    QWidget *externalMemory = externalMemoryPage(m_ui);
    m_memoryPages.clear();
    for (MemoryTab tab : kAllMemoryTabs) {
        m_ui.memoryTabs->addTab(QString::fromUtf16(memoryTabCaption(tab)));
        QWidget *page = viewPage(m_ui, tab);
        if (!page)
            page = externalMemory;
        const int shown = m_ui.memoryPages->indexOf(page);
        m_memoryPages.push_back(shown >= 0 ? shown : m_ui.memoryPages->addWidget(page));
    }
    buildRamSetFrame(m_ui);

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
    m_ui.ioPages->addWidget(pinPage(m_ui));
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
    buildTransmitFrame(m_ui);
    QButtonGroup *ninthGroup = buildReceiveFrame(m_ui);
    connect(ninthGroup, &QButtonGroup::idClicked, this,
            [this](int id) { m_serial.rule = static_cast<NinthBitRule>(id); });
    buildRateFrame(m_ui);

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
