// What the user puts into the simulated chip from the simulator window: RAM contents (cleared or
// set through the RAM-set frame), pin levels, bytes for the serial port and the crystal
// frequency.
#include "SimulatorTexts.h"
#include "SimulatorViews.h"
#include "SimulatorWindow.h"

#include "common/Vb.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTimer>

namespace tw
{

namespace
{

// Why the RAM-set frame's address and data cannot be written, or an empty text when they can.
QString ramSetProblem(const QString &address, const QString &data, bool internalRam)
{
    // The message is the address field's tool tip with a closing mark.
    if (address.size() > (internalRam ? 2 : 4))
        return (internalRam ? kInternalAddressTip : kExternalAddressTip) + u'！';
    if (data.size() % 2)
        return QStringLiteral(u"数据应为偶数位十六进制代码！");
    // Nothing is written when the run would pass the top of the memory.
    const int count = static_cast<int>(data.size() / 2);
    if (looseHexValue(address) + count - 1 > (internalRam ? 0xFF : 0xFFFF))
        return internalRam ? QStringLiteral(u"数据超出片内RAM的范围！")
                           : QStringLiteral(u"数据超出片外RAM的范围！");
    return {};
}

} // namespace

void SimulatorWindow::clearRamCommand()
{
    if (message(QStringLiteral(u"片内RAM的全部数据将被清除，确定吗！"), kSimulatorQuestion) ==
        MsgAnswer::Yes) {
        m_cpu->iram.fill(0);
        showViewsShownAfter(InternalRamCleared);
    }
    if (message(QStringLiteral(u"片外RAM的全部数据将被清除，确定吗！"), kSimulatorQuestion) ==
        MsgAnswer::Yes) {
        m_cpu->xram.fill(0);
        showExternalRam();
    }
}

void SimulatorWindow::memoryBoxDoubleClicked(bool internalRam)
{
    if (m_controller->running() != RunKind::None)
        return;
    const int page = m_ui.memoryPages->currentIndex();
    if (page != m_memoryPages[internalRam ? InternalRamTab : ExternalRamTab])
        return;
    m_internalRamSet = internalRam;
    m_ui.ramSet->setTitle(internalRam ? kInternalRamSet : kExternalRamSet);
    m_ui.ramAddress->setToolTip(internalRam ? kInternalAddressTip : kExternalAddressTip);
    m_ui.ramSet->show();
}

void SimulatorWindow::applyRamSet()
{
    const QString address = m_ui.ramAddress->text(), data = m_ui.ramData->text();
    if (const QString problem = ramSetProblem(address, data, m_internalRamSet); !problem.isEmpty()) {
        message(problem, kSimulatorNotice);
        return;
    }
    const int start = looseHexValue(address);
    const int count = static_cast<int>(data.size() / 2);
    std::uint8_t *memory = m_internalRamSet ? m_cpu->iram.data() : m_cpu->xram.data();
    for (int k = 0; k < count; ++k)
        memory[start + k] = static_cast<std::uint8_t>(looseHexValue(data.mid(2 * k, 2)));
    // Only the box it wrote, also where it wrote registers or bits.
    if (m_internalRamSet)
        showViewsShownAfter(InternalRamSet);
    else
        showExternalRam();
    m_ui.ramSet->hide();
}

void SimulatorWindow::clickPin(int index)
{
    m_pins.click(*m_cpu, index);
    showViewsShownAfter(PinClicked);
}

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

void SimulatorWindow::crystalChanged(const QString &text)
{
    m_cpu->crystalMHz = vbVal(text);
    m_serial.crystalEmpty = text.isEmpty();
}

} // namespace tw
