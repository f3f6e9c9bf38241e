#include "UnicodeWindow.h"

#include "assistants/UnicodeCodes.h"
#include "common/Prompter.h"
#include "common/ui/CrLfBox.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw
{

namespace
{

QPlainTextEdit *textBox(const QString &toolTip)
{
    auto *box = new QPlainTextEdit;
    box->setToolTip(toolTip);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

} // namespace

UnicodeWindow::~UnicodeWindow() = default;

UnicodeWindow::UnicodeWindow(Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ownPrompter(prompter.forWindow(this)), m_prompter(*m_ownPrompter)
{
    setObjectName(QString::fromLatin1(ToolName::Unicode));
    setWindowTitle(QStringLiteral(u"Unicode代码转换"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_ui.text = textBox(QStringLiteral(u"汉字之间不留空格"));
    m_ui.codes = textBox(QStringLiteral(u"Unicode代码之间用逗号分隔，十六进制代码采用大写字母，前缀“0x”"));
    auto *formats = new QGroupBox(QStringLiteral(u"Unicode编码"));
    auto *formatColumn = new QVBoxLayout(formats);
    const QString formatTexts[] = {QStringLiteral(u"十进制代码"), QStringLiteral(u"十六进制代码"),
                                   QStringLiteral(u"十六进制连续代码")};
    for (int k = 0; k < 3; ++k) {
        m_ui.format[k] = new QRadioButton(formatTexts[k]);
        formatColumn->addWidget(m_ui.format[k]);
    }
    m_ui.format[0]->setChecked(true);
    m_ui.toCodes = new QPushButton(QStringLiteral(u"汉字→Unicode"));
    m_ui.toText = new QPushButton(QStringLiteral(u"Unicode→汉字"));
    m_ui.clear = new QPushButton(QStringLiteral(u"清空文本"));
    connect(m_ui.toCodes, &QPushButton::clicked, this, &UnicodeWindow::convertToCodes);
    connect(m_ui.toText, &QPushButton::clicked, this, &UnicodeWindow::convertToText);
    connect(m_ui.clear, &QPushButton::clicked, this, &UnicodeWindow::clearBoth);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral(u"汉字字符")), 0, 0);
    grid->addWidget(m_ui.text, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Unicode")), 2, 0);
    grid->addWidget(m_ui.codes, 3, 0);
    auto *side = new QVBoxLayout;
    side->addWidget(formats);
    side->addStretch();
    for (QPushButton *button : {m_ui.toCodes, m_ui.toText, m_ui.clear})
        side->addWidget(button);
    grid->addLayout(side, 0, 1, 4, 1);
    resize(520, 360);
}

namespace
{

UnicodeFormat chosenFormat(const UnicodeWindow::Controls &ui)
{
    if (ui.format[2]->isChecked())
        return UnicodeFormat::ContinuousHex;
    return ui.format[1]->isChecked() ? UnicodeFormat::Hex : UnicodeFormat::Decimal;
}

} // namespace

void UnicodeWindow::convertToCodes()
{
    if (const auto codes = unicodeCodesOf(crLfText(m_ui.text), chosenFormat(m_ui)))
        setCrLfText(m_ui.codes, *codes);
}

void UnicodeWindow::convertToText()
{
    const DecodedText decoded = textOfUnicodeCodes(crLfText(m_ui.codes), chosenFormat(m_ui));
    if (!decoded.error.isEmpty()) {
        m_prompter.message(decoded.error, MsgStyle::Ok + MsgStyle::Exclamation, QStringLiteral(u"信息"));
        return;
    }
    setCrLfText(m_ui.text, decoded.text);
}

void UnicodeWindow::clearBoth()
{
    m_ui.text->clear();
    m_ui.codes->clear();
}

void registerUnicodeWindow()
{
    // The menu item only shows the window.
    registerTool(QString::fromLatin1(ToolName::Unicode),
                 [](Workspace &workspace) -> QWidget * { return new UnicodeWindow(workspace.prompter()); },
                 {{Menu::UnicodeCodes, {}}});
}

} // namespace tw
