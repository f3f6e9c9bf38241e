// The simulator window's run commands: reset, single step, the two runs and their stop, the
// breakpoint, and moving the PC from the listing pane.
#include "SimulatorTexts.h"
#include "SimulatorWindow.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace tw
{

void SimulatorWindow::resetCommand()
{
    m_controller->reset();
    showAfterReset();
}

bool SimulatorWindow::endOfProgramPrompt()
{
    if (message(QStringLiteral(u"程序已运行完，复位吗！"), kSimulatorQuestion) != MsgAnswer::Yes)
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

} // namespace tw
