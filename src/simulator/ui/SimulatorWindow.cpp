#include "SimulatorWindow.h"

#include "SimulatorTexts.h"

#include "common/Hex.h"
#include "common/Prompter.h"
#include "common/Vb.h"
#include "simulator/StatusTexts.h"
#include "workspace/Workspace.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextBlock>
#include <QTimer>
#include <QtMath>

namespace tw
{

namespace
{

constexpr int kQuestion = MsgStyle::YesNo + MsgStyle::Exclamation;
// A fast run hands control back to the window system about every 8 ms.
constexpr std::chrono::milliseconds kFastSlice{8};

// The core's texts are UTF-8 string views.
QString fromUtf8View(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A box is set only when its text changes: setting it lays the whole document out again, and a
// dynamic run shows the views many times a second.
void setLines(QPlainTextEdit *box, const QStringList &lines)
{
    const QString text = lines.join(QLatin1Char('\n'));
    if (box->document()->toPlainText() != text)
        box->setPlainText(text);
}

void setTextIfChanged(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

bool isHexKeyText(const QString &text)
{
    return text.size() == 1 && hexDigitValue(text[0].unicode()) >= 0;
}

// Makes the listing box exactly as tall as the lines the pane shows and its sideways scroll bar:
// no part line, no empty band (the document margin at the bottom shows text, so it counts once).
// Measured from the laid-out text, which has its real font only once the box is shown.
void fitListingBox(QPlainTextEdit *box)
{
    QTextDocument *document = box->document();
    const qreal line = document->documentLayout()->blockBoundingRect(document->firstBlock()).height();
    if (line > 0)
        box->setFixedHeight(qCeil(line * Listing::kVisibleLines + document->documentMargin()) +
                            2 * box->frameWidth() + box->horizontalScrollBar()->sizeHint().height());
}

} // namespace

SimulatorWindow::SimulatorWindow(Workspace &workspace, const ProgramFiles &files, QWidget *parent)
    : ToolWindow(workspace, ToolName::Simulator, parent), m_prompter(workspace.prompter().forWindow(this)),
      m_cpu(std::make_unique<Cpu51>()), m_controller(std::make_unique<RunController>(*m_cpu, m_listing))
{
    setWindowTitle(QStringLiteral(u"MCS51  仿真"));
    lockMainWindow();
    buildControls();
    connectControls();
    load(files);
}

SimulatorWindow::~SimulatorWindow() = default;

void SimulatorWindow::connectControls()
{
    connect(m_ui.listingScroll, &QScrollBar::valueChanged, this, [this] { showListing(); });
    connect(m_ui.memoryScroll, &QScrollBar::valueChanged, this, &SimulatorWindow::showMemoryRows);
    connect(m_ui.reset, &QPushButton::clicked, this, &SimulatorWindow::resetCommand);
    connect(m_ui.step, &QPushButton::clicked, this, &SimulatorWindow::stepCommand);
    connect(m_ui.run, &QPushButton::clicked, this, &SimulatorWindow::runCommand);
    connect(m_ui.toBreakpoint, &QPushButton::clicked, this, &SimulatorWindow::runToBreakpointCommand);
    connect(m_ui.setBreakpoint, &QPushButton::clicked, this, &SimulatorWindow::breakpointCommand);
    connect(m_ui.clearRam, &QPushButton::clicked, this, &SimulatorWindow::clearRamCommand);
    connect(m_ui.ramApply, &QPushButton::clicked, this, &SimulatorWindow::applyRamSet);
    connect(m_ui.ramCancel, &QPushButton::clicked, m_ui.ramSet, &QWidget::hide);
    connect(m_ui.memoryTabs, &QTabBar::currentChanged, this, &SimulatorWindow::memoryTabChosen);
    connect(m_ui.ioTabs, &QTabBar::currentChanged, this, &SimulatorWindow::ioTabChosen);
    for (int i = 0; i < 32; ++i)
        connect(m_ui.pins[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { clickPin(i); });
    connect(m_ui.clearTransmitted, &QPushButton::clicked, this, [this] {
        m_serial.transmitLog.clear();
        showTransmitted();
    });
    connect(m_ui.send, &QPushButton::clicked, this, &SimulatorWindow::sendCommand);
    connect(m_ui.crystal, &QComboBox::editTextChanged, this, &SimulatorWindow::crystalChanged);
    connect(m_ui.slice, &QTimer::timeout, this, &SimulatorWindow::runSlice);
    connect(m_ui.tick, &QTimer::timeout, this, [this] { m_clock.apply(*m_cpu); });
    connect(m_ui.feeder, &QTimer::timeout, this, &SimulatorWindow::feederTick);

    m_ui.listing->viewport()->installEventFilter(this);
    m_ui.listing->installEventFilter(this);
    m_ui.internalRam->viewport()->installEventFilter(this);
    m_ui.memory->viewport()->installEventFilter(this);
    // Pasted text cannot bring in what the key filter refuses.
    for (QLineEdit *hexBox : {m_ui.ramAddress, m_ui.ramData, m_ui.toSend}) {
        hexBox->installEventFilter(this);
        hexBox->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-F]*")), hexBox));
    }
}

void SimulatorWindow::load(const ProgramFiles &files)
{
    m_cpu->loadCode(reinterpret_cast<const std::uint8_t *>(files.code.constData()),
                    static_cast<std::int32_t>(files.code.size()));
    m_listing.setLines(files.lines);
    m_romView.rebuild(m_cpu->code.data());
    m_ui.listingScroll->setRange(0, m_listing.scrollMax());

    m_controller->reset();
    m_ui.listingScroll->setValue(0);
    showListing();
    m_romSelected = false;
    m_cpu->iram.fill(0);
    showAllViews();
    m_cpu->xram.fill(0);
    showExternalRam();
    showStatusPanels();

    for (const char *item :
         {"4", "6", "8", "10", "11.0592", "12", "14.7456", "16", "18", "20", "22.1184", "24"})
        m_ui.crystal->addItem(QString::fromLatin1(item));
    m_ui.crystal->setCurrentIndex(4);
    crystalChanged(m_ui.crystal->currentText());
    m_ui.tick->start();
}

// ---- views ---------------------------------------------------------------------------------------

void SimulatorWindow::showPc()
{
    setTextIfChanged(m_ui.pc, pcText(m_cpu->pc));
}

void SimulatorWindow::showInternalRam()
{
    // The timer set-up follows TMOD and T2CON whenever this view is rebuilt.
    m_cpu->decodeTimers();
    setLines(m_ui.internalRam, internalRamView(*m_cpu));
}

void SimulatorWindow::showExternalRam()
{
    m_xramView.rebuild(m_cpu->xram.data());
    setLines(m_ui.memory, (m_romSelected ? m_romView : m_xramView).slice(0, 17));
}

void SimulatorWindow::showMemoryRows(int top)
{
    top = std::min(top, MemoryView::kMaxTop);
    (m_romSelected ? m_romTop : m_xramTop) = top;
    setLines(m_ui.memory, (m_romSelected ? m_romView : m_xramView).slice(top));
}

void SimulatorWindow::showRegisters()
{
    setLines(m_ui.registers, registerView(*m_cpu));
}

void SimulatorWindow::showPsw()
{
    setLines(m_ui.psw, pswView(*m_cpu));
}

void SimulatorWindow::showSfr()
{
    setLines(m_ui.sfr, sfrView(*m_cpu));
    m_pins.showLatches(*m_cpu);
    for (int i = 0; i < 32; ++i)
        m_ui.pins[static_cast<std::size_t>(i)]->setText(
            m_pins.level[static_cast<std::size_t>(i)] ? QStringLiteral("1") : QStringLiteral("0"));
}

void SimulatorWindow::showBitArea()
{
    setLines(m_ui.bits, bitAreaView(*m_cpu));
}

void SimulatorWindow::showListing()
{
    const int top = m_listing.clampTop(m_ui.listingScroll->value());
    // The pane is rebuilt whole; the caret stays where the user put it so that arrow keys walk on.
    const QTextCursor old = m_ui.listing->textCursor();
    const int block = old.blockNumber(), column = old.positionInBlock();
    setLines(m_ui.listing, m_listing.pane(top));
    const QTextBlock target = m_ui.listing->document()->findBlockByNumber(block);
    if (target.isValid()) {
        QTextCursor cursor(target);
        cursor.setPosition(target.position() + std::min(column, target.length() - 1));
        m_ui.listing->setTextCursor(cursor);
    }
}

void SimulatorWindow::showAllViews()
{
    showInternalRam();
    showBitArea();
    showSfr();
    showPsw();
    showPc();
    showRegisters();
}

void SimulatorWindow::showStatusPanels()
{
    for (int panel = kFirstSimulatorPanel; panel <= kLastSimulatorPanel; ++panel)
        m_workspace.setStatusText(panel, fromUtf8View(statusPanelText(*m_cpu, panel)));
}

// The state after a command: PC, its listing line in sight, the pane and the views.
void SimulatorWindow::feedback()
{
    m_listing.markPc(m_cpu->pc);
    const int line = m_listing.pcLine();
    QScrollBar *scroll = m_ui.listingScroll;
    {
        const QSignalBlocker quiet(scroll);
        if (line > scroll->maximum())
            scroll->setValue(scroll->maximum());
        else if (line > scroll->value() + Listing::kVisibleLines - 1 || line < scroll->value())
            scroll->setValue(line);
    }
    showListing();
    showAllViews();
}

// What the executor leaves for the window after instructions: transmitted bytes and their
// baud-rate message, external-RAM rows written or read, the status panels.
void SimulatorWindow::afterInstructions(bool showViews)
{
    const int stoppedTimer = m_serial.takeTransmits(*m_cpu);
    showTransmitted();
    setTextIfChanged(m_ui.serialMode, QString::fromStdString(m_serial.modeDigit));
    setTextIfChanged(m_ui.transmitRate, QString::fromStdString(m_serial.transmitRate));
    const int writtenRow = patchWrittenRows(m_xramView, *m_cpu);
    const bool followWrite = writtenRow >= 0 && !m_romSelected;
    const bool readViaRi = m_controller->takeXramRead();
    if (followWrite) {
        // The external-RAM view scrolls to the row written last, as far as its scroll bar goes.
        const QSignalBlocker quiet(m_ui.memoryScroll);
        m_ui.memoryScroll->setValue(std::min(writtenRow, MemoryView::kMaxTop));
    }
    m_memoryBoxStale = m_memoryBoxStale || followWrite || readViaRi;
    if (showViews) {
        if (m_memoryBoxStale)
            showMemoryRows(m_ui.memoryScroll->value());
        m_memoryBoxStale = false;
        showStatusPanels();
    }
    if (stoppedTimer)
        message(fromUtf8View(baudGeneratorMessage(stoppedTimer)), kSimulatorNotice);
}

// Appends only what is new: a program that sends all the time would otherwise redraw an ever
// longer box after every slice.
void SimulatorWindow::showTransmitted()
{
    const std::string &log = m_serial.transmitLog;
    if (log.size() < m_shownTransmitted) {
        m_ui.transmitted->clear();
        m_shownTransmitted = 0;
    }
    if (log.size() == m_shownTransmitted)
        return;
    QTextCursor end(m_ui.transmitted->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromLatin1(log.data() + m_shownTransmitted,
                                       static_cast<qsizetype>(log.size() - m_shownTransmitted)));
    m_shownTransmitted = log.size();
}

void SimulatorWindow::memoryTabChosen(int tab)
{
    if (tab < 0)
        return;
    switch (tab) {
    case InternalRamTab:
        m_ui.memoryPages->setCurrentIndex(0);
        m_ui.ramAddress->setToolTip(kInternalAddressTip);
        break;
    case ExternalRamTab:
    case RomTab: {
        m_ui.memoryPages->setCurrentIndex(1);
        m_romSelected = tab == RomTab;
        m_ui.memory->setToolTip(m_romSelected ? QString() : QStringLiteral(u"双击，设置片外RAM"));
        if (!m_romSelected)
            m_ui.ramAddress->setToolTip(kExternalAddressTip);
        const QSignalBlocker quiet(m_ui.memoryScroll);
        m_ui.memoryScroll->setValue(m_romSelected ? m_romTop : m_xramTop);
        showMemoryRows(m_ui.memoryScroll->value());
        break;
    }
    case RegisterTab:
        m_ui.memoryPages->setCurrentIndex(2);
        break;
    default:
        m_ui.memoryPages->setCurrentIndex(3);
        break;
    }
}

void SimulatorWindow::ioTabChosen(int tab)
{
    if (tab < 0)
        return;
    m_ui.ioPages->setCurrentIndex(tab == PinTab ? 0 : 1);
    if (tab == PinTab)
        return;
    const bool transmit = tab == TransmitTab;
    m_ui.transmitFrame->setVisible(transmit);
    m_ui.transmitRate->setVisible(transmit);
    m_ui.transmitRateLabel->setVisible(transmit);
    m_ui.receiveFrame->setVisible(!transmit);
    m_ui.receiveRate->setVisible(!transmit);
    m_ui.receiveRateLabel->setVisible(!transmit);
    m_ui.rateFrame->setTitle(transmit ? kTransmitRateCaption : QStringLiteral(u"单片机接收程序的"));
}

void SimulatorWindow::crystalChanged(const QString &text)
{
    m_cpu->crystalMHz = vbVal(text);
    m_serial.crystalEmpty = text.isEmpty();
}

// ---- commands ------------------------------------------------------------------------------------

int SimulatorWindow::message(const QString &text, int style)
{
    return m_prompter->message(text, style, QString());
}

void SimulatorWindow::resetCommand()
{
    m_controller->reset();
    showAfterReset();
}

// What RESET shows, also after a reset the watchdog forced.
void SimulatorWindow::showAfterReset()
{
    m_ui.listingScroll->setValue(0);
    showListing();
    showAllViews();
    showStatusPanels();
}

bool SimulatorWindow::endOfProgramPrompt()
{
    if (message(QStringLiteral(u"程序已运行完，复位吗！"), kQuestion) != MsgAnswer::Yes)
        return false;
    resetCommand();
    return true;
}

void SimulatorWindow::stepCommand()
{
    switch (m_controller->step()) {
    case StepResult::EndOfProgram:
        endOfProgramPrompt();
        return;
    case StepResult::Asleep:
        return;
    case StepResult::Executed:
        break;
    }
    // The RAM-set frame closes whenever an instruction runs.
    m_ui.ramSet->hide();
    if (m_controller->watchdogResetInLastStep())
        showAfterReset();
    afterInstructions();
    feedback();
}

void SimulatorWindow::setRunButtons(RunKind kind, bool running)
{
    for (QPushButton *b : {m_ui.reset, m_ui.setBreakpoint, m_ui.step, m_ui.clearRam, m_ui.ramApply})
        b->setEnabled(!running);
    QPushButton *own = kind == RunKind::Run ? m_ui.run : m_ui.toBreakpoint;
    QPushButton *other = kind == RunKind::Run ? m_ui.toBreakpoint : m_ui.run;
    other->setEnabled(!running);
    own->setText(running ? kStopCaption : (kind == RunKind::Run ? kRunCaption : kToBreakpointCaption));
}

void SimulatorWindow::runCommand()
{
    if (m_controller->running() == RunKind::Run)
        stopRun();
    else if (m_controller->running() == RunKind::None)
        startRun(RunKind::Run);
}

void SimulatorWindow::runToBreakpointCommand()
{
    if (!m_controller->breakpointAddress())
        return;
    if (m_controller->running() == RunKind::ToBreakpoint)
        stopRun();
    else if (m_controller->running() == RunKind::None)
        startRun(RunKind::ToBreakpoint);
}

void SimulatorWindow::startRun(RunKind kind)
{
    if (!m_controller->start(kind))
        return;
    setRunButtons(kind, true);
    m_ui.slice->start();
}

void SimulatorWindow::stopRun()
{
    const RunKind kind = m_controller->running();
    m_controller->stop();
    m_ui.slice->stop();
    setRunButtons(kind, false);
    // A dynamic run may stop between two screen frames: what the instructions since the last
    // one changed is shown now.
    afterInstructions();
    feedback();
}

void SimulatorWindow::runSlice()
{
    const RunKind kind = m_controller->running();
    if (kind == RunKind::None)
        return;
    const RefreshMode mode = m_ui.fastMode->isChecked() ? RefreshMode::Fast : RefreshMode::Dynamic;
    const SliceResult result = m_controller->slice(mode, kFastSlice, m_clock);
    if (result.executed)
        m_ui.ramSet->hide();
    if (result.watchdogReset)
        showAfterReset();
    // A dynamic run feeds every instruction back into the views' texts, but shows them once per
    // screen frame: more often nobody could see them, and drawing would be all the run did.
    const bool showViews = mode == RefreshMode::Fast || result.end != RunEnd::None || frameDue();
    afterInstructions(showViews);
    if (isClosed())
        return;
    if (result.end == RunEnd::None) {
        // A baud-rate message box may have let the stop button in meanwhile.
        if (m_controller->running() == RunKind::None)
            return;
        if (mode == RefreshMode::Fast)
            showPc();
        else if (showViews)
            feedback();
        m_ui.slice->start();
        return;
    }
    setRunButtons(kind, false);
    if (result.end == RunEnd::EndOfProgram)
        endOfProgramPrompt();
    feedback();
}

bool SimulatorWindow::frameDue()
{
    const QScreen *shown = screen();
    const qreal rate = shown && shown->refreshRate() >= 1 ? shown->refreshRate() : 60;
    if (m_frameClock.isValid() && m_frameClock.elapsed() < qRound(1000 / rate))
        return false;
    m_frameClock.start();
    return true;
}

void SimulatorWindow::breakpointCommand()
{
    m_controller->toggleBreakpoint();
    const bool set = m_controller->breakpointSet();
    m_ui.setBreakpoint->setText(set ? kClearBreakpointCaption : kSetBreakpointCaption);
    m_ui.setBreakpoint->setToolTip(set ? kClearBreakpointTip : kSetBreakpointTip);
    m_ui.breakpoint->setText(m_controller->breakpointText());
    showListing();
}

void SimulatorWindow::paneLineChosen(int paneLine)
{
    if (!m_controller->movePcToLine(m_listing.clampTop(m_ui.listingScroll->value()) + paneLine))
        return;
    showPc();
    showListing();
}

void SimulatorWindow::clickPin(int index)
{
    m_pins.click(*m_cpu, index);
    showInternalRam();
    showBitArea();
    showSfr();
}

// ---- RAM editing ---------------------------------------------------------------------------------

void SimulatorWindow::clearRamCommand()
{
    if (message(QStringLiteral(u"片内RAM的全部数据将被清除，确定吗！"), kQuestion) == MsgAnswer::Yes) {
        m_cpu->iram.fill(0);
        showInternalRam();
        showBitArea();
        showRegisters();
    }
    if (message(QStringLiteral(u"片外RAM的全部数据将被清除，确定吗！"), kQuestion) == MsgAnswer::Yes) {
        m_cpu->xram.fill(0);
        showExternalRam();
    }
}

void SimulatorWindow::memoryBoxDoubleClicked(bool internalRam)
{
    if (m_controller->running() != RunKind::None)
        return;
    const int page = m_ui.memoryPages->currentIndex();
    if (internalRam != (page == 0) || (!internalRam && page != 1))
        return;
    m_internalRamSet = internalRam;
    m_ui.ramSet->setTitle(internalRam ? kInternalRamSet : kExternalRamSet);
    m_ui.ramAddress->setToolTip(internalRam ? kInternalAddressTip : kExternalAddressTip);
    m_ui.ramSet->show();
}

void SimulatorWindow::applyRamSet()
{
    const QString address = m_ui.ramAddress->text(), data = m_ui.ramData->text();
    if (address.size() > (m_internalRamSet ? 2 : 4)) {
        // The message is the address field's tool tip with a closing mark.
        message((m_internalRamSet ? kInternalAddressTip : kExternalAddressTip) + u'！', kSimulatorNotice);
        return;
    }
    if (data.size() % 2) {
        message(QStringLiteral(u"数据应为偶数位十六进制代码！"), kSimulatorNotice);
        return;
    }
    const int start = looseHexValue(address);
    const int count = static_cast<int>(data.size() / 2);
    const int top = m_internalRamSet ? 0xFF : 0xFFFF;
    // Nothing is written when the run would pass the top of the memory.
    if (start + count - 1 > top) {
        message(m_internalRamSet ? QStringLiteral(u"数据超出片内RAM的范围！")
                                 : QStringLiteral(u"数据超出片外RAM的范围！"),
                kSimulatorNotice);
        return;
    }
    std::uint8_t *memory = m_internalRamSet ? m_cpu->iram.data() : m_cpu->xram.data();
    for (int k = 0; k < count; ++k)
        memory[start + k] = static_cast<std::uint8_t>(looseHexValue(data.mid(2 * k, 2)));
    if (m_internalRamSet)
        showInternalRam();
    else
        showExternalRam();
    m_ui.ramSet->hide();
}

// ---- serial pages --------------------------------------------------------------------------------

void SimulatorWindow::sendCommand()
{
    m_serial.pending = m_ui.toSend->text().toStdString();
    const std::string_view problem = m_serial.send(*m_cpu);
    if (m_serial.feeding)
        m_ui.feeder->start();
    else
        m_ui.feeder->stop();
    m_ui.serialMode->setText(QString::fromStdString(m_serial.modeDigit));
    m_ui.receiveRate->setText(QString::fromStdString(m_serial.receiveRate));
    if (!problem.empty()) {
        message(fromUtf8View(problem), kSimulatorNotice);
        if (m_serial.feeding && m_controller->running() != RunKind::None)
            stopRun();
    }
}

void SimulatorWindow::feederTick()
{
    m_serial.pending = m_ui.toSend->text().toStdString();
    m_serial.feederTick(*m_cpu);
    m_ui.toSend->setText(QString::fromStdString(m_serial.pending));
    if (!m_serial.feeding)
        m_ui.feeder->stop();
}

// ---- events --------------------------------------------------------------------------------------

bool SimulatorWindow::hexKeyRefused(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress ||
        (watched != m_ui.ramAddress && watched != m_ui.ramData && watched != m_ui.toSend))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Keys that type nothing (arrows, Home, End, Delete, Tab, shortcuts) keep their meaning.
    if (key->key() == Qt::Key_Backspace || key->text().isEmpty() || !key->text()[0].isPrint() ||
        (key->modifiers() & Qt::ControlModifier) || isHexKeyText(key->text()))
        return false;
    message(kHexOnly, kSimulatorNotice);
    return true;
}

bool SimulatorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (hexKeyRefused(watched, event))
        return true;
    if (watched == m_ui.listing && (event->type() == QEvent::Show || event->type() == QEvent::FontChange))
        fitListingBox(m_ui.listing);
    // The wheel moves the listing's own scroll bar; the box never scrolls its 21 lines itself.
    if (watched == m_ui.listing->viewport() && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(m_ui.listingScroll, event);
        return true;
    }
    if (watched == m_ui.listing->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            paneLineChosen(m_ui.listing->cursorForPosition(mouse->position().toPoint()).blockNumber());
    } else if (watched == m_ui.listing && event->type() == QEvent::KeyRelease) {
        paneLineChosen(m_ui.listing->textCursor().blockNumber());
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == m_ui.internalRam->viewport())
            memoryBoxDoubleClicked(true);
        else if (watched == m_ui.memory->viewport())
            memoryBoxDoubleClicked(false);
    }
    return QWidget::eventFilter(watched, event);
}

void SimulatorWindow::unloading()
{
    m_controller->stop();
    m_ui.slice->stop();
    m_ui.tick->stop();
    m_ui.feeder->stop();
    m_cpu->xram.fill(0);
    m_ui.dynamicMode->hide();
    m_ui.fastMode->hide();
    for (int panel = kFirstSimulatorPanel; panel <= kLastSimulatorPanel; ++panel)
        m_workspace.setStatusText(panel, QString());
}

} // namespace tw
