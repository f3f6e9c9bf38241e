#pragma once
// The in-system programmer: a code buffer with its dump, the chip commands over the parallel-port
// cable, and the cable-test mode. Its menu item is hidden and disabled, so the main window never
// offers it; it locks the main window while it is open.
#include "links/Programmer.h"
#include "workspace/ui/ToolWindow.h"

#include <memory>

class QCheckBox;
class QPlainTextEdit;
class QLineEdit;
class QPushButton;

namespace tw
{

class Prompter;

// The port, the clock and what outlives the window, all owned elsewhere.
struct ProgrammerParts {
    PortIo &port;
    IspClock &clock;
    ProgrammerMemory &memory;
};

class ProgrammerWindow : public ToolWindow
{
    Q_OBJECT

  public:
    ProgrammerWindow(Workspace &workspace, ProgrammerParts parts, QWidget *parent = nullptr);
    ~ProgrammerWindow() override;

    Programmer &programmer() { return m_programmer; }
    bool inCableTest() const { return m_cableTest; }
    // Command1 to Command11.
    QPushButton *button(int number) const { return m_buttons[number - 1]; }
    QCheckBox *lockBox(int index) const { return m_lockBoxes[index]; }
    QLineEdit *lengthEdit() const { return m_length; }
    // The boxes' texts with CR LF line ends, as the commands wrote them.
    QString dumpText() const;
    QString logText() const;

  protected:
    void unloading() override;

  private:
    void buildControls();
    void setModeCaptions();
    void openFile();
    void saveFile();
    void clearBuffer();
    void chipButton(int number);
    void switchMode();
    void lockBoxClicked(int index);
    void showBuffer();
    void showLog();
    LockBits lockBits() const;

    std::unique_ptr<Prompter> m_prompter; // this window's boxes and dialogs
    ProgrammerParts m_parts;
    Programmer m_programmer;
    bool m_cableTest = false;
    QPushButton *m_buttons[11] = {};
    QCheckBox *m_lockBoxes[3] = {};
    QPlainTextEdit *m_dump = nullptr;
    QPlainTextEdit *m_log = nullptr;
    QLineEdit *m_length = nullptr;
};

// Registers the window (on /dev/parport0) with the main window; its menu item stays unreachable.
void registerProgrammerWindow();

} // namespace tw
