#pragma once
// The serial file sender: a code image file sent to COM1-COM4 in 256-byte blocks, each optionally
// preceded by a four-byte header. It locks the main window while it is open.
#include "links/QtSerialLink.h"
#include "links/SendFile.h"
#include "links/SerialSender.h"
#include "workspace/ui/ToolWindow.h"

#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tw
{

class Prompter;

class SerialSenderWindow : public ToolWindow
{
    Q_OBJECT

  public:
    explicit SerialSenderWindow(Workspace &workspace, QWidget *parent = nullptr);
    ~SerialSenderWindow() override;

    // Sends through another link from now on (tests).
    void useLink(SerialLink &link);
    SerialSender &sender() { return *m_sender; }

    QString settings() const { return m_settings; }
    int portNumber() const;
    QLineEdit *fileEdit() const { return m_fileEdit; }
    QLineEdit *lengthEdit() const { return m_lengthEdit; }
    QLineEdit *receiveEdit() const { return m_receiveEdit; }
    QLineEdit *headerEdit() const { return m_headerEdit; }
    QPushButton *chooseButton() const { return m_buttons[0]; }
    QPushButton *sendButton() const { return m_buttons[1]; }
    QPushButton *saveAsButton() const { return m_buttons[2]; }
    QPushButton *receiveButton() const { return m_buttons[3]; }
    QProgressBar *progressBar() const { return m_progress; }
    QRadioButton *headerOption(int index) const { return m_headerOptions[index]; }
    QRadioButton *portOption(int index) const { return m_portOptions[index]; }
    QRadioButton *parityOption(int index) const { return m_parityOptions[index]; }
    QComboBox *baudBox() const { return m_baud; }

  public slots:
    void chooseFile();
    void chooseReceivePath();
    void send();

  protected:
    void unloading() override;

  private:
    void buildControls();
    // Loads the file into the image that outlives the window; false, after a message, when not.
    bool loadSendFile(const QString &path);
    void parityClicked(int index);
    void headerClicked(int index);
    void sendFinished(SendOutcome outcome);
    void setSending(bool sending);
    void endSend();
    void notice(const QString &text);

    std::unique_ptr<Prompter> m_prompter; // this window's boxes and dialogs
    QtSerialLink m_ownLink;
    std::unique_ptr<SerialSender> m_sender;
    QString m_settings;
    QChar m_parity = u'n';
    QString m_sendingDevice;
    qint32 m_sendingBaud = 0;
    char m_sendingParity = 'n';

    QLineEdit *m_fileEdit = nullptr;
    QLineEdit *m_lengthEdit = nullptr;
    QLineEdit *m_receiveEdit = nullptr;
    QLineEdit *m_receiveLengthEdit = nullptr;
    QLineEdit *m_headerEdit = nullptr;
    QPushButton *m_buttons[4] = {};
    QProgressBar *m_progress = nullptr;
    QProgressBar *m_receiveProgress = nullptr;
    QRadioButton *m_headerOptions[2] = {};
    QRadioButton *m_portOptions[4] = {};
    QRadioButton *m_parityOptions[3] = {};
    QComboBox *m_baud = nullptr;
    QList<QGroupBox *> m_settingFrames;
};

// The launcher of 通讯 > 发送: closes the editor windows, then opens the sender; nothing opens when
// the user cancels a save question.
void launchSerialSender(Workspace &workspace);

// Registers the window and its launcher with the main window.
void registerSerialSenderWindow();

} // namespace tw
