#pragma once
// The MCS-51 simulator window: the listing pane with the PC and breakpoint markers, the run
// commands, the memory, register and bit views, RAM editing, the port-pin buttons and the serial
// pages. Runs are advanced by a zero-time timer one slice at a time; the 1 ms timer tick, the
// 1 s receive feeder, the stop button and the pin buttons act between slices.
#include "simulator/Listing.h"
#include "simulator/Pins.h"
#include "simulator/RunController.h"
#include "simulator/Serial.h"
#include "simulator/ViewFormat.h"
#include "workspace/ui/ToolWindow.h"

#include <QElapsedTimer>
#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStackedWidget;
class QTabBar;
class QTimer;

namespace tw
{

class Prompter;
enum class SimulatorView;

class SimulatorWindow : public ToolWindow
{
    Q_OBJECT

  public:
    // Memory tabs in their order on the tab strip (captions in SimulatorViews.h).
    enum MemoryTab : int { InternalRamTab, ExternalRamTab, RomTab, RegisterTab, BitTab };
    enum IoTab { PinTab, TransmitTab, ReceiveTab };

    // The controls, for the tests and the benchmark.
    struct Controls {
        QPlainTextEdit *listing = nullptr;
        QScrollBar *listingScroll = nullptr;
        QLineEdit *pc = nullptr, *breakpoint = nullptr;
        QPushButton *reset = nullptr, *step = nullptr, *run = nullptr, *toBreakpoint = nullptr,
                    *setBreakpoint = nullptr, *clearRam = nullptr;
        QRadioButton *dynamicMode = nullptr, *fastMode = nullptr;
        QTabBar *memoryTabs = nullptr;
        QStackedWidget *memoryPages = nullptr;
        QPlainTextEdit *internalRam = nullptr, *memory = nullptr, *sfr = nullptr, *psw = nullptr,
                       *registers = nullptr, *bits = nullptr;
        QScrollBar *memoryScroll = nullptr;
        QGroupBox *ramSet = nullptr;
        QLineEdit *ramAddress = nullptr, *ramData = nullptr;
        QPushButton *ramApply = nullptr, *ramCancel = nullptr;
        QTabBar *ioTabs = nullptr;
        QStackedWidget *ioPages = nullptr;
        std::array<QPushButton *, 32> pins{};
        QGroupBox *transmitFrame = nullptr, *receiveFrame = nullptr, *rateFrame = nullptr;
        QPlainTextEdit *transmitted = nullptr;
        QPushButton *clearTransmitted = nullptr, *send = nullptr;
        QLineEdit *toSend = nullptr, *serialMode = nullptr, *receiveRate = nullptr, *transmitRate = nullptr;
        QLabel *receiveRateLabel = nullptr, *transmitRateLabel = nullptr;
        std::array<QRadioButton *, 5> ninthBit{};
        QComboBox *crystal = nullptr;
        QTimer *slice = nullptr, *tick = nullptr, *feeder = nullptr;
    };

    SimulatorWindow(Workspace &workspace, const ProgramFiles &files, QWidget *parent = nullptr);
    ~SimulatorWindow() override;

    const Controls &controls() const { return m_ui; }
    Cpu51 &cpu() { return *m_cpu; }
    const Listing &listing() const { return m_listing; }
    RunKind running() const { return m_controller->running(); }

    // Button and pane actions as the controls trigger them.
    void resetCommand();
    void stepCommand();
    void runCommand();
    void runToBreakpointCommand();
    void breakpointCommand();
    void clearRamCommand();
    void applyRamSet();
    void clickPin(int index);
    void sendCommand();
    void feederTick();
    // The PC moves to the listing line shown on this pane line (0-based).
    void paneLineChosen(int paneLine);
    // A double click on the internal-RAM box (true) or the external-RAM/ROM box.
    void memoryBoxDoubleClicked(bool internalRam);

  protected:
    void unloading() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildControls();
    QWidget *buildMemoryPages();
    QWidget *buildIoPages();
    QWidget *buildSerialPage();
    void connectControls();
    void watchInputs();
    void load(const ProgramFiles &files);

    // Views.
    void showPc();
    void showExternalRam();
    void showMemoryRows(int top);
    void showListing();
    // The views of SimulatorViews.h: one, those a command shows again (ShownAfter), all of them.
    void showView(SimulatorView view);
    void showViewsShownAfter(unsigned command);
    void showAllViews();
    void showAfterReset();
    void showStatusPanels();
    void feedback();
    // showViews false: a dynamic run between two screen frames keeps the texts for the next one.
    void afterInstructions(bool showViews = true);
    bool xramRowsChanged();
    bool frameDue();
    void showTransmitted();
    void memoryTabChosen(int tab);
    void externalMemoryChosen(bool rom);
    void ioTabChosen(int tab);
    void crystalChanged(const QString &text);

    // Runs.
    void startRun(RunKind kind);
    void stopRun();
    void runSlice();
    void setRunButtons(RunKind kind, bool running);
    bool endOfProgramPrompt();

    bool hexKeyRefused(QObject *watched, QEvent *event);
    int message(const QString &text, int style);

    std::unique_ptr<Prompter> m_prompter; // this window's boxes
    Controls m_ui;
    std::unique_ptr<Cpu51> m_cpu;
    Listing m_listing;
    std::unique_ptr<RunController> m_controller;
    MemoryView m_romView, m_xramView;
    SerialPages m_serial;
    PinButtons m_pins;
    TickClock m_clock;
    std::vector<int> m_memoryPages; // the page of m_ui.memoryPages each memory tab shows
    int m_romTop = 0, m_xramTop = 0;
    bool m_romSelected = false;
    bool m_internalRamSet = true;       // the RAM-set frame's mode
    bool m_memoryBoxStale = false;      // MOVX changed what the external-RAM box shows
    QElapsedTimer m_frameClock;         // a dynamic run shows its views once per screen frame
    std::size_t m_shownTransmitted = 0; // bytes of the transmit log already in its box
};

// Registers the window and the simulate command ("emMCS51", toolbar "FZ51").
void registerSimulatorWindow();

// The simulate command: choose a .bin, check its .lt, set the current code-image path and open
// the simulator.
void simulateCommand(Workspace &workspace);

} // namespace tw
