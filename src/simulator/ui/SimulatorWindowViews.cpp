// The simulator window's views: the listing pane, the memory, register and bit boxes, the pins'
// levels, the transmit log and the status panels, and the tabs that choose among them.
#include "SimulatorTexts.h"
#include "SimulatorViews.h"
#include "SimulatorWindow.h"

#include "simulator/StatusTexts.h"
#include "workspace/Workspace.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextBlock>

namespace tw
{

namespace
{

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

} // namespace

void SimulatorWindow::showPc()
{
    setTextIfChanged(m_ui.pc, pcText(m_cpu->pc));
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

void SimulatorWindow::showView(SimulatorView view)
{
    const ViewRow row = viewRow(view);
    // The timer set-up follows TMOD and T2CON whenever the internal RAM is shown.
    if (view == SimulatorView::InternalRam)
        m_cpu->decodeTimers();
    setLines(m_ui.*row.box, row.lines(*m_cpu));
    // The pin buttons show their levels with the SFRs.
    if (view == SimulatorView::Sfr) {
        m_pins.showLatches(*m_cpu);
        for (int i = 0; i < 32; ++i)
            m_ui.pins[static_cast<std::size_t>(i)]->setText(
                m_pins.level[static_cast<std::size_t>(i)] ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

// A command that changes what some views show shows those again, as their rows say.
void SimulatorWindow::showViewsShownAfter(unsigned command)
{
    for (SimulatorView view : kAllViews)
        if (viewRow(view).shownAfter & command)
            showView(view);
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
    for (SimulatorView view : kAllViews)
        showView(view);
    showPc();
}

void SimulatorWindow::showStatusPanels()
{
    for (int panel = kFirstSimulatorPanel; panel <= kLastSimulatorPanel; ++panel)
        m_workspace.setStatusText(panel, fromUtf8View(statusPanelText(*m_cpu, panel)));
}

// What RESET shows, also after a reset the watchdog forced.
void SimulatorWindow::showAfterReset()
{
    m_ui.listingScroll->setValue(0);
    showListing();
    showAllViews();
    showStatusPanels();
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
    const bool xramChanged = xramRowsChanged();
    m_memoryBoxStale = m_memoryBoxStale || xramChanged;
    if (showViews) {
        if (m_memoryBoxStale)
            showMemoryRows(m_ui.memoryScroll->value());
        m_memoryBoxStale = false;
        showStatusPanels();
    }
    if (stoppedTimer)
        message(fromUtf8View(baudGeneratorMessage(stoppedTimer)), kSimulatorNotice);
}

// Whether the instructions wrote external-RAM rows the box shows or read external RAM through
// @Ri. The external-RAM view scrolls to the row written last, as far as its scroll bar goes.
bool SimulatorWindow::xramRowsChanged()
{
    const int writtenRow = patchWrittenRows(m_xramView, *m_cpu);
    const bool followWrite = writtenRow >= 0 && !m_romSelected;
    const bool readViaRi = m_controller->takeXramRead();
    if (followWrite) {
        const QSignalBlocker quiet(m_ui.memoryScroll);
        m_ui.memoryScroll->setValue(std::min(writtenRow, MemoryView::kMaxTop));
    }
    return followWrite || readViaRi;
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
    const auto chosen = static_cast<MemoryTab>(tab);
    switch (chosen) {
    case InternalRamTab:
        m_ui.memoryPages->setCurrentIndex(m_memoryPages[InternalRamTab]);
        m_ui.ramAddress->setToolTip(kInternalAddressTip);
        break;
    case ExternalRamTab:
    case RomTab:
        externalMemoryChosen(chosen == RomTab);
        break;
    case RegisterTab:
    case BitTab:
        m_ui.memoryPages->setCurrentIndex(m_memoryPages[chosen]);
        break;
    }
}

// The external-RAM and ROM tabs share one box and its scroll bar; each keeps its own top row.
void SimulatorWindow::externalMemoryChosen(bool rom)
{
    m_ui.memoryPages->setCurrentIndex(m_memoryPages[ExternalRamTab]);
    m_romSelected = rom;
    m_ui.memory->setToolTip(m_romSelected ? QString() : QStringLiteral(u"双击，设置片外RAM"));
    if (!m_romSelected)
        m_ui.ramAddress->setToolTip(kExternalAddressTip);
    const QSignalBlocker quiet(m_ui.memoryScroll);
    m_ui.memoryScroll->setValue(m_romSelected ? m_romTop : m_xramTop);
    showMemoryRows(m_ui.memoryScroll->value());
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

} // namespace tw
