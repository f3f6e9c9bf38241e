#include "ProgrammerWindow.h"

#include "CablePicture.h"
#include "common/OutcomeWriter.h"
#include "common/Prompter.h"
#include "common/SaveChoice.h"
#include "common/ui/CrLfBox.h"
#include "common/ui/Twips.h"
#include "links/Messages.h"
#include "links/PpdevPort.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tw
{

namespace
{

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

QFont boldSong(const QFont &base)
{
    QFont font = base;
    font.setFamilies({QStringLiteral(u"宋体"), QStringLiteral("SimSun"), base.family()});
    font.setPointSizeF(10.5);
    font.setBold(true);
    return font;
}

struct Caption {
    const char *text;
    const char *tip;
};

const Caption kIspCaptions[6] = {
    {"检空", "检测芯片程序存储器是否为空"}, {"擦除", "擦除芯片程序存储器的全部内容"},
    {"写入", "将程序写入芯片程序存储器"},   {"校验", "校验芯片程序存储器的内容与缓冲区的内容是否一致"},
    {"加密", "按设定的加密位进行加密"},     {"端口检测", "通过端口信号来测试下载线"},
};
const Caption kCableCaptions[6] = {
    {"MOSI=1", "P1.5"}, {"MOSI=0", "P1.5"}, {"SCK=1", "P1.7"},
    {"SCK=0", "P1.7"},  {"读MISO", "P1.6"}, {"ISP\n操作", "切换到ISP编程操作"},
};

// The tall narrow buttons break their captions over as many lines as they need.
class TallButton : public QPushButton
{
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWrapAnywhere, text());
    }
};

} // namespace

ProgrammerWindow::~ProgrammerWindow() = default;

ProgrammerWindow::ProgrammerWindow(Workspace &workspace, ProgrammerParts parts, QWidget *parent)
    : ToolWindow(workspace, ToolName::Programmer, parent), m_prompter(workspace.prompter().forWindow(this)),
      m_parts(parts), m_programmer(parts.memory, parts.port, parts.clock)
{
    setWindowTitle(kProgrammerTitle);
    buildControls();
    for (const char *menu :
         {Menu::Edit, Menu::File, Menu::Simulate, Menu::Compile, Menu::View, Menu::Communication})
        m_workspace.setMenuEnabled(QString::fromLatin1(menu), false);
    if (!m_programmer.startPort())
        m_prompter->message(IspLog::PortFailed, MsgStyle::Ok + MsgStyle::Critical,
                            QStringLiteral("VBDumpPort32"));
    showLog();
    m_length->setText(QStringLiteral("0"));
    m_programmer.programmingEnable();
    showLog();
    lockMainWindow();
}

void ProgrammerWindow::buildControls()
{
    const QFont bold = boldSong(font());
    auto *bufferFrame = new QGroupBox(QStringLiteral(u"数据缓冲区"), this);
    bufferFrame->setFont(bold);
    place(bufferFrame, 120, 120, 7215, 6855);
    m_dump = new QPlainTextEdit(bufferFrame);
    m_dump->setObjectName(QStringLiteral("dumpBox"));
    m_dump->setReadOnly(true);
    m_dump->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_dump->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(m_dump, 120, 240, 6975, 6375);

    auto *picture = new CablePicture(this);
    place(picture, 7440, 240, 4215, 2415);

    auto *lockFrame = new QGroupBox(QStringLiteral(u"加密位"), this);
    place(lockFrame, 7440, 2760, 2535, 615);
    for (int k = 0; k < 3; ++k) {
        m_lockBoxes[k] = new QCheckBox(QStringLiteral("B%1").arg(k + 1), lockFrame);
        place(m_lockBoxes[k], 720 + 600 * k - 480, 240, 585, 300);
        connect(m_lockBoxes[k], &QCheckBox::clicked, this, [this, k] { lockBoxClicked(k); });
    }

    auto *lengthLabel = new QLabel(QStringLiteral(u"数据长度"), this);
    place(lengthLabel, 7560, 3600, 1200, 240);
    m_length = new QLineEdit(this);
    m_length->setObjectName(QStringLiteral("lengthEdit"));
    m_length->setFont(bold);
    place(m_length, 7440, 3840, 2535, 375);

    auto *logFrame = new QGroupBox(QStringLiteral(u"消息"), this);
    place(logFrame, 7440, 4320, 2535, 2655);
    m_log = new QPlainTextEdit(logFrame);
    m_log->setObjectName(QStringLiteral("logBox"));
    m_log->setReadOnly(true);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(m_log, 120, 240, 2295, 2175);

    struct Button {
        const char *caption;
        const char *tip;
        int left, top, width, height;
    };
    const Button buttons[11] = {
        {"打开文件", "打开目标代码文件到缓冲区", 10080, 2760, 1575, 375},
        {"保存文件", "将缓冲区中的数据保存为目标代码文件", 10080, 3240, 1575, 375},
        {"清空缓存器", "", 10080, 3720, 1575, 375},
        {"检空", "检测芯片程序存储器是否为空", 10080, 4200, 975, 375},
        {"擦除", "擦除芯片程序存储器的全部内容", 10080, 4680, 975, 375},
        {"写入", "将程序代码写入芯片程序存储器", 10080, 5160, 975, 375},
        {"校验", "校验芯片程序存储器的内容与缓冲区的内容是否一致", 10080, 5640, 975, 375},
        {"加密", "按设定的加密位进行加密", 10080, 6120, 975, 375},
        {"读出", "从单片机中读出程序代码", 10080, 6600, 1575, 375},
        {"自动", "按顺序进行：擦除、写入、校验和加密", 11160, 4200, 495, 1095},
        {"端口检测", "通过端口信号来测试下载线", 11160, 5400, 495, 1095},
    };
    for (int k = 0; k < 11; ++k) {
        const Button &b = buttons[k];
        m_buttons[k] = b.height > 375 ? new TallButton(QString::fromUtf8(b.caption), this)
                                      : new QPushButton(QString::fromUtf8(b.caption), this);
        m_buttons[k]->setObjectName(QStringLiteral("Command%1").arg(k + 1));
        m_buttons[k]->setToolTip(QString::fromUtf8(b.tip));
        m_buttons[k]->setFont(bold);
        place(m_buttons[k], b.left, b.top, b.width, b.height);
    }
    setFixedSize(11800 / kTwipsPerPixel, 7140 / kTwipsPerPixel);

    connect(m_buttons[0], &QPushButton::clicked, this, &ProgrammerWindow::openFile);
    connect(m_buttons[1], &QPushButton::clicked, this, &ProgrammerWindow::saveFile);
    connect(m_buttons[2], &QPushButton::clicked, this, &ProgrammerWindow::clearBuffer);
    for (int number = 4; number <= 10; ++number)
        connect(m_buttons[number - 1], &QPushButton::clicked, this, [this, number] { chipButton(number); });
    connect(m_buttons[10], &QPushButton::clicked, this, &ProgrammerWindow::switchMode);
}

QString ProgrammerWindow::dumpText() const
{
    return crLfText(m_dump);
}

QString ProgrammerWindow::logText() const
{
    return crLfText(m_log);
}

void ProgrammerWindow::showBuffer()
{
    m_dump->clear();
    m_length->setText(QString::number(m_programmer.dataLength()));
    setCrLfText(m_dump, m_programmer.dump());
}

void ProgrammerWindow::showLog()
{
    setCrLfText(m_log, m_programmer.boxText());
    m_log->moveCursor(QTextCursor::End);
}

void ProgrammerWindow::openFile()
{
    const QString name = m_prompter->openFileName(QStringLiteral(u"打开"), LinkText::BinFilter);
    if (name.isEmpty())
        return;
    QString reason;
    switch (m_programmer.openFile(name, &reason)) {
    case Programmer::FileLoad::Loaded:
        showBuffer();
        break;
    case Programmer::FileLoad::NotBin:
        break;
    case Programmer::FileLoad::TooLong:
        m_prompter->message(QStringLiteral(u"文件长度超过65536字节，不能打开。"),
                            MsgStyle::Ok + MsgStyle::Exclamation, kProgrammerTitle);
        break;
    case Programmer::FileLoad::Unreadable:
        m_prompter->message(readFailureMessage(name, reason), MsgStyle::Ok + MsgStyle::Exclamation,
                            kProgrammerTitle);
        break;
    }
}

void ProgrammerWindow::saveFile()
{
    const SaveChoice chosen =
        chooseSaveName(*m_prompter, QStringLiteral(u"另存为"), LinkText::BinFilter, QString());
    if (chosen.path.isEmpty())
        return;
    ToolOutcome outcome = m_programmer.bufferFile(chosen.path);
    outcome.files.front().agreedInDialog = chosen.agreed;
    carryOut(outcome, *m_prompter);
}

void ProgrammerWindow::clearBuffer()
{
    m_programmer.clearBuffer();
    m_dump->clear();
    m_length->setText(QStringLiteral("0"));
}

LockBits ProgrammerWindow::lockBits() const
{
    return {m_lockBoxes[0]->isChecked(), m_lockBoxes[1]->isChecked(), m_lockBoxes[2]->isChecked()};
}

void ProgrammerWindow::lockBoxClicked(int index)
{
    const LockBits bits = lockBoxesAfterClick(lockBits(), index, m_lockBoxes[index]->isChecked());
    m_lockBoxes[0]->setChecked(bits.b1);
    m_lockBoxes[1]->setChecked(bits.b2);
    m_lockBoxes[2]->setChecked(bits.b3);
}

void ProgrammerWindow::chipButton(int number)
{
    if (m_cableTest) {
        const CableLine lines[4] = {CableLine::MosiHigh, CableLine::MosiLow, CableLine::SckHigh,
                                    CableLine::SckLow};
        if (number <= 7)
            m_programmer.setCableLine(lines[number - 4]);
        else if (number == 8)
            m_programmer.readMiso();
        showLog();
        return;
    }
    // A command runs to its end without the window repainting (a whole chip takes seconds); the
    // cursor says so meanwhile.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    switch (number) {
    case 4:
        m_programmer.blankCheck();
        break;
    case 5:
        m_programmer.erase();
        break;
    case 6:
        m_programmer.write();
        break;
    case 7:
        m_programmer.verify();
        break;
    case 8:
        m_programmer.lock(lockBits());
        break;
    case 9:
        if (m_programmer.readOut())
            showBuffer();
        break;
    default:
        m_programmer.automatic(lockBits());
        break;
    }
    QGuiApplication::restoreOverrideCursor();
    showLog();
}

void ProgrammerWindow::setModeCaptions()
{
    // Command4 to Command8, then Command11.
    const Caption(&captions)[6] = m_cableTest ? kCableCaptions : kIspCaptions;
    for (int k = 0; k < 6; ++k) {
        QPushButton *button = m_buttons[k < 5 ? 3 + k : 10];
        button->setText(QString::fromUtf8(captions[k].text));
        button->setToolTip(QString::fromUtf8(captions[k].tip));
    }
    m_buttons[8]->setEnabled(!m_cableTest);
    m_buttons[9]->setEnabled(!m_cableTest);
}

void ProgrammerWindow::switchMode()
{
    m_cableTest = !m_cableTest;
    setModeCaptions();
    if (m_cableTest)
        m_programmer.enterCableTest();
    else
        m_programmer.leaveCableTest();
    showLog();
}

void ProgrammerWindow::unloading()
{
    m_programmer.stopPort();
}

void registerProgrammerWindow()
{
    const auto factory = [](Workspace &workspace) -> QWidget * {
        static PpdevPort port;
        static SteadyIspClock clock;
        static ProgrammerMemory memory;
        return new ProgrammerWindow(workspace, {port, clock, memory});
    };
    registerTool(ToolName::Programmer, factory, {{Menu::InSystemProgramming, {}}});
}

} // namespace tw
