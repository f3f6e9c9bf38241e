// The simulator window: its wiring, the slices of a run and the events of its boxes. The views,
// the run commands, the user's input to the chip and the layout have files of their own.
#include "SimulatorWindow.h"

#include "SimulatorTexts.h"

#include "common/Hex.h"
#include "common/Prompter.h"
#include "simulator/StatusTexts.h"
#include "workspace/Workspace.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTextBlock>
#include <QTimer>
#include <QtMath>

namespace tw
{

namespace
{

// A fast run hands control back to the window system about every 8 ms.
constexpr std::chrono::milliseconds kFastSlice{8};

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

    watchInputs();
}

// The listing, the memory boxes and the hex entry boxes are handled in eventFilter.
void SimulatorWindow::watchInputs()
{
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

int SimulatorWindow::message(const QString &text, int style)
{
    return m_prompter->message(text, style, QString());
}

// ---- runs ----------------------------------------------------------------------------------------

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
