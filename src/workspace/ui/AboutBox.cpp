#include "AboutBox.h"

#include "Launchers.h"
#include "TextViewer.h"
#include "common/Prompter.h"
#include "workspace/ExternalPrograms.h"
#include "workspace/ProductInfo.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tw
{

namespace
{

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setObjectName(name);
    // The clerical-script face where there is one (Linux rarely has LiSu itself), else the default.
    QFont font(u"隶书"_s, 11);
    font.setFamilies({u"隶书"_s, u"LiSu"_s, u"AR PL UKai CN"_s, u"AR PL UKai TW"_s});
    result->setFont(font);
    result->setWordWrap(true);
    return result;
}

QFrame *line(QWidget *parent)
{
    auto *result = new QFrame(parent);
    result->setFrameShape(QFrame::HLine);
    result->setFrameShadow(QFrame::Sunken);
    return result;
}

} // namespace

AboutBox::~AboutBox() = default;

// The colours as the system always stored them were blue-green-red numbers: &HFF8080 and &HC0.
QColor AboutBox::restingLinkColour()
{
    return QColor(0x80, 0x80, 0xFF);
}
QColor AboutBox::hoverLinkColour()
{
    return QColor(0xC0, 0x00, 0x00);
}

AboutBox::AboutBox(Workspace &workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace), m_prompter(workspace.prompter().forWindow(this))
{
    setObjectName(u"AboutBox"_s);
    setWindowTitle(u"关于..."_s);
    setModal(false);
    setMouseTracking(true);

    auto *icon = new QLabel(this);
    icon->setObjectName(u"picIcon"_s);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    auto *title = label(u"lblTitle"_s, productName() + u" "_s + productVersion(), this);
    QFont titleFont = title->font();
    titleFont.setPointSize(16);
    title->setFont(titleFont);

    auto *mail = new QHBoxLayout;
    mail->addWidget(label(u"lblDisclaimer"_s, u"Email："_s, this));
    for (int i = 0; i < 2; ++i) {
        m_links[i] = label(u"lblVersion%1"_s.arg(i), mailAddress(i), this);
        m_links[i]->setWordWrap(false);
        m_links[i]->setMouseTracking(true);
        m_links[i]->setCursor(Qt::PointingHandCursor);
        m_links[i]->installEventFilter(this);
        mail->addWidget(m_links[i]);
    }
    mail->addStretch();
    setLinkColours(-1);

    auto *ok = new QPushButton(u"确定"_s, this);
    ok->setObjectName(u"cmdOK"_s);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this,
            [this] { m_workspace.unloadTool(QString::fromLatin1(ToolName::About)); });
    auto *sysInfo = new QPushButton(u"系统信息(&S)..."_s, this);
    sysInfo->setObjectName(u"cmdSysInfo"_s);
    connect(sysInfo, &QPushButton::clicked, this, &AboutBox::startSystemInfo);

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(label(u"lblDescription"_s, u"    本软件适用于与MCS51兼容的各类单片机。"_s, this));
    text->addWidget(
        label(u"Label2"_s, u"    具有源程序编辑、汇编、反汇编、全软件仿真和通信等功能。"_s, this));
    text->addWidget(line(this));
    text->addLayout(mail);
    text->addWidget(line(this));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    text->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    resize(460, 240);
}

QColor AboutBox::linkColour(int index) const
{
    return m_links[index]->palette().color(QPalette::WindowText);
}

void AboutBox::setLinkColours(int hovered)
{
    for (int i = 0; i < 2; ++i) {
        QPalette palette = m_links[i]->palette();
        palette.setColor(QPalette::WindowText, i == hovered ? hoverLinkColour() : restingLinkColour());
        m_links[i]->setPalette(palette);
    }
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event)
{
    for (int i = 0; i < 2; ++i) {
        if (watched != m_links[i])
            continue;
        if (event->type() == QEvent::MouseMove) {
            // Taken here, or the box under the label would put both colours back.
            setLinkColours(i);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            openLinkOrSay(QUrl(u"mailto:"_s + mailAddress(i)), *m_prompter);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::mouseMoveEvent(QMouseEvent *event)
{
    setLinkColours(-1);
    QDialog::mouseMoveEvent(event);
}

void AboutBox::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        centreOnScreen(this);
        m_centred = true;
    }
    QDialog::showEvent(event);
}

void AboutBox::startSystemInfo()
{
    const QString program = findFirstProgram(systemInfoPrograms());
    if (program.isEmpty() || !startProgram(program))
        m_prompter->message(u"此时系统信息不可用"_s, MsgStyle::Ok);
}

} // namespace tw
