#include "SerialSenderWindow.h"
#include "common/OutcomeWriter.h"
#include "common/Paths.h"

#include "common/Prompter.h"
#include "links/ComPorts.h"
#include "links/Messages.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw
{

namespace
{

const QString kTitle = QStringLiteral(u"提示");
const QString kPortText = QStringLiteral(u"端口号无效，请变更端口再试。");
constexpr int kNotice = MsgStyle::Ok + MsgStyle::Exclamation;
const char kParityLetters[3] = {'n', 'o', 'e'};
const char16_t *const kParityCaptions[3] = {u"无NONE", u"奇ODD", u"偶EVEN"};

// The caption of the parity option a letter stands for, as the port message names it.
QString parityCaption(char letter)
{
    for (int k = 0; k < 3; ++k)
        if (kParityLetters[k] == letter)
            return QString::fromUtf16(kParityCaptions[k]);
    return QString(QLatin1Char(letter));
}

// What outlives the window: the loaded image with its block count, and the receive path.
SendImage &sendImage()
{
    static SendImage image;
    return image;
}

QString &receiveFile()
{
    static QString path;
    return path;
}

QGroupBox *frame(const QString &title, QWidget *content, QWidget *button = nullptr)
{
    auto *box = new QGroupBox(title);
    auto *row = new QHBoxLayout(box);
    row->addWidget(content, 1);
    if (button)
        row->addWidget(button);
    return box;
}

QLineEdit *lineEdit(const char *name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

SerialSenderWindow::SerialSenderWindow(Workspace &workspace, QWidget *parent)
    : ToolWindow(workspace, ToolName::SerialSender, parent), m_prompter(workspace.prompter().forWindow(this)),
      m_sender(std::make_unique<SerialSender>(m_ownLink))
{
    setWindowTitle(QStringLiteral(u"通讯"));
    for (const char *menu :
         {Menu::Edit, Menu::File, Menu::Simulate, Menu::Compile, Menu::View, Menu::Communication})
        m_workspace.setMenuEnabled(QString::fromLatin1(menu), false);
    buildControls();
    m_settings = serialSettings(QStringLiteral("9600"), m_parity);
    m_fileEdit->setText(m_workspace.currentBinPath());
    m_receiveEdit->setText(receiveFile());
    // The path shown must never send another file's blocks.
    if (!m_fileEdit->text().isEmpty() && !loadSendFile(m_fileEdit->text()))
        sendImage() = SendImage{};
    lockMainWindow();
}

SerialSenderWindow::~SerialSenderWindow() = default;

void SerialSenderWindow::buildControls()
{
    m_fileEdit = lineEdit("fileEdit");
    m_lengthEdit = lineEdit("lengthEdit");
    m_lengthEdit->setEnabled(false);
    m_receiveEdit = lineEdit("receiveEdit");
    m_receiveLengthEdit = lineEdit("receiveLengthEdit");
    m_headerEdit = lineEdit("headerEdit");
    m_headerEdit->hide();
    const char *captions[4] = {"选  择", "发  送", "另存为", "接  收"};
    const char *names[4] = {"chooseButton", "sendButton", "saveAsButton", "receiveButton"};
    for (int k = 0; k < 4; ++k) {
        m_buttons[k] = new QPushButton(QString::fromUtf8(captions[k]));
        m_buttons[k]->setObjectName(QString::fromLatin1(names[k]));
    }
    m_buttons[2]->setEnabled(false);
    m_buttons[3]->setEnabled(false);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("sendProgress"));
    m_progress->setTextVisible(false);
    m_progress->setValue(0);
    m_receiveProgress = new QProgressBar;
    m_receiveProgress->setTextVisible(false);

    auto *sendColumn = new QVBoxLayout;
    sendColumn->addWidget(frame(QStringLiteral(u"待发送的文件"), m_fileEdit, m_buttons[0]));
    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(frame(QStringLiteral(u"文件长度"), m_lengthEdit));
    sendRow->addWidget(m_buttons[1]);
    sendColumn->addLayout(sendRow);
    sendColumn->addWidget(m_progress);
    sendColumn->addWidget(frame(QStringLiteral(u"待接收的文件另存为"), m_receiveEdit, m_buttons[2]));
    auto *receiveRow = new QHBoxLayout;
    QGroupBox *receiveLength = frame(QStringLiteral(u"文件长度"), m_receiveLengthEdit);
    receiveLength->setEnabled(false);
    receiveRow->addWidget(receiveLength);
    receiveRow->addWidget(m_buttons[3]);
    sendColumn->addLayout(receiveRow);
    sendColumn->addWidget(m_receiveProgress);

    // The line settings.
    auto *headerFrame = new QGroupBox(QStringLiteral(u"发送文件头"));
    auto *headerColumn = new QVBoxLayout(headerFrame);
    const QString headerCaptions[2] = {QStringLiteral(u"有(8位十六进制代码) "), QStringLiteral(u"无")};
    for (int k = 0; k < 2; ++k) {
        m_headerOptions[k] = new QRadioButton(headerCaptions[k]);
        headerColumn->addWidget(m_headerOptions[k]);
        connect(m_headerOptions[k], &QRadioButton::clicked, this, [this, k] { headerClicked(k); });
    }
    m_headerOptions[1]->setChecked(true);
    headerColumn->addWidget(m_headerEdit);

    auto *portFrame = new QGroupBox(QStringLiteral(u"通讯端口"));
    auto *portColumn = new QVBoxLayout(portFrame);
    for (int k = 0; k < 4; ++k) {
        m_portOptions[k] = new QRadioButton(QStringLiteral("COM%1").arg(k + 1));
        portColumn->addWidget(m_portOptions[k]);
    }
    m_portOptions[0]->setChecked(true);

    auto *parityFrame = new QGroupBox(QStringLiteral(u"校验位"));
    auto *parityColumn = new QVBoxLayout(parityFrame);
    for (int k = 0; k < 3; ++k) {
        m_parityOptions[k] = new QRadioButton(parityCaption(kParityLetters[k]));
        parityColumn->addWidget(m_parityOptions[k]);
        connect(m_parityOptions[k], &QRadioButton::clicked, this, [this, k] { parityClicked(k); });
    }
    m_parityOptions[0]->setChecked(true);

    auto *baudFrame = new QGroupBox(QStringLiteral(u"波特率"));
    auto *baudColumn = new QVBoxLayout(baudFrame);
    m_baud = new QComboBox;
    m_baud->setObjectName(QStringLiteral("baudBox"));
    m_baud->setEditable(true);
    m_baud->setInsertPolicy(QComboBox::NoInsert);
    for (const char *rate : {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "28800",
                             "38400", "56000", "128000", "256000"})
        m_baud->addItem(QString::fromLatin1(rate));
    m_baud->setCurrentText(QStringLiteral("9600"));
    baudColumn->addWidget(m_baud);
    baudColumn->addStretch(1);
    // Only a rate picked from the list changes the settings, as typing alone never did.
    connect(m_baud, &QComboBox::activated, this,
            [this](int) { m_settings = serialSettings(m_baud->currentText(), m_parity); });
    m_settingFrames = {headerFrame, portFrame, parityFrame, baudFrame};

    auto *settingsGrid = new QGridLayout;
    settingsGrid->addWidget(new QLabel(QStringLiteral(u"通信参数")), 0, 0, 1, 2);
    settingsGrid->addWidget(headerFrame, 1, 0, 1, 2);
    settingsGrid->addWidget(portFrame, 2, 0);
    settingsGrid->addWidget(parityFrame, 2, 1);
    settingsGrid->addWidget(baudFrame, 3, 0, 1, 2);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(sendColumn, 3);
    layout->addLayout(settingsGrid, 2);

    connect(m_buttons[0], &QPushButton::clicked, this, &SerialSenderWindow::chooseFile);
    connect(m_buttons[1], &QPushButton::clicked, this, &SerialSenderWindow::send);
    connect(m_buttons[2], &QPushButton::clicked, this, &SerialSenderWindow::chooseReceivePath);
    connect(m_sender.get(), &SerialSender::progress, m_progress, &QProgressBar::setValue);
    connect(m_sender.get(), &SerialSender::finished, this, &SerialSenderWindow::sendFinished);
}

void SerialSenderWindow::useLink(SerialLink &link)
{
    m_sender = std::make_unique<SerialSender>(link);
    connect(m_sender.get(), &SerialSender::progress, m_progress, &QProgressBar::setValue);
    connect(m_sender.get(), &SerialSender::finished, this, &SerialSenderWindow::sendFinished);
}

int SerialSenderWindow::portNumber() const
{
    for (int k = 0; k < 4; ++k)
        if (m_portOptions[k]->isChecked())
            return k + 1;
    return 1;
}

void SerialSenderWindow::notice(const QString &text)
{
    m_prompter->message(text, kNotice, kTitle);
}

bool SerialSenderWindow::loadSendFile(const QString &path)
{
    auto loaded = std::make_unique<SendImage>();
    QString reason;
    switch (tw::loadSendFile(path, *loaded, &reason)) {
    case SendLoad::Loaded:
        sendImage() = *loaded;
        m_lengthEdit->setText(sendLengthText(loaded->length));
        return true;
    case SendLoad::TooLong:
        notice(QStringLiteral(u"文件长度超过65536字节，不能发送。"));
        return false;
    case SendLoad::Unreadable:
        notice(readFailureMessage(path, reason));
        return false;
    }
    return false;
}

void SerialSenderWindow::chooseFile()
{
    const QString name =
        m_prompter->openFileName(QStringLiteral(u"请选择待发送的目标文件"), LinkText::BinFilter);
    // A file that cannot be sent leaves the choice as it was.
    if (name.isEmpty() || !hasBinEnding(name) || !loadSendFile(name))
        return;
    m_workspace.setCurrentBinPath(name);
    m_fileEdit->setText(name);
}

void SerialSenderWindow::chooseReceivePath()
{
    const QString name = m_prompter->saveFileName(QStringLiteral(u"待接收的文件另存为"), LinkText::BinFilter);
    if (name.isEmpty() || !hasBinEnding(name))
        return;
    receiveFile() = name;
    m_receiveEdit->setText(name);
}

void SerialSenderWindow::parityClicked(int index)
{
    m_parity = QChar::fromLatin1(kParityLetters[index]);
    m_settings = serialSettings(m_baud->currentText(), m_parity);
}

void SerialSenderWindow::headerClicked(int index)
{
    if (index == 0) {
        m_headerEdit->show();
        m_headerEdit->setFocus();
    } else {
        m_headerEdit->hide();
        m_headerEdit->clear();
    }
}

void SerialSenderWindow::setSending(bool sending)
{
    for (QPushButton *button : m_buttons)
        button->setEnabled(!sending);
    // The line, the header and the file stay as they were when the send began.
    for (QGroupBox *settings : m_settingFrames)
        settings->setEnabled(!sending);
    m_fileEdit->setReadOnly(sending);
}

void SerialSenderWindow::endSend()
{
    setSending(false);
}

void SerialSenderWindow::send()
{
    setSending(true);
    SendJob job;
    if (m_headerOptions[0]->isChecked()) {
        const HeaderCheck check = parseFileHeader(m_headerEdit->text(), job.header);
        if (check != HeaderCheck::Ok) {
            notice(check == HeaderCheck::WrongLength ? QStringLiteral(u"文件头需为8位十六进制代码")
                                                     : QStringLiteral(u"文件头有非法字符"));
            m_headerEdit->setFocus();
            endSend();
            return;
        }
        job.withHeader = true;
    }
    if (m_fileEdit->text().isEmpty()) {
        notice(QStringLiteral(u"请选择待发送的文件。"));
        endSend();
        return;
    }
    const SendImage &image = sendImage();
    if (image.blockCount == 0) {
        endSend();
        return;
    }
    m_progress->setMaximum(image.blockCount * kSendBlockSize);
    job.device = deviceForComPort(portNumber());
    job.baud = settingsBaud(m_settings);
    job.parity = settingsParity(m_settings);
    job.blocks = QByteArray(reinterpret_cast<const char *>(image.image.bytes.data()),
                            image.blockCount * kSendBlockSize);
    m_sendingDevice = job.device;
    m_sendingBaud = job.baud;
    m_sendingParity = job.parity;
    m_sender->start(job);
}

void SerialSenderWindow::sendFinished(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Completed:
        m_progress->setValue(0);
        notice(QStringLiteral(u"发送结束。"));
        break;
    case SendOutcome::PortFailed:
        notice(kPortText + u'\n' + m_sendingDevice);
        break;
    case SendOutcome::RateNotTaken:
        notice(kPortText + u'\n' + m_sendingDevice + QStringLiteral(u" 波特率 ") +
               QString::number(m_sendingBaud));
        break;
    case SendOutcome::ParityNotTaken:
        notice(kPortText + u'\n' + m_sendingDevice + QStringLiteral(u" 校验位 ") +
               parityCaption(m_sendingParity));
        break;
    case SendOutcome::TimedOut:
        notice(QStringLiteral(u"发送超时，数据未能从端口发出。") + u'\n' + m_sendingDevice);
        break;
    case SendOutcome::Cancelled:
        break;
    }
    endSend();
}

void SerialSenderWindow::unloading()
{
    // A send still running stops here; its port is closed before the window goes.
    m_sender->cancel();
    m_fileEdit->clear();
    m_receiveEdit->clear();
}

void launchSerialSender(Workspace &workspace)
{
    if (!workspace.closeAllEditors())
        return;
    workspace.showTool(QString::fromLatin1(ToolName::SerialSender));
}

void registerSerialSenderWindow()
{
    registerTool(ToolName::SerialSender,
                 [](Workspace &workspace) -> QWidget * { return new SerialSenderWindow(workspace); },
                 {{Menu::SerialSend, launchSerialSender}});
}

} // namespace tw
