#include "AssemblerWindow.h"

#include "assembler/AssemblyRun.h"
#include "common/OutcomeWriter.h"
#include "common/Prompter.h"
#include "common/Vb.h"
#include "source/Tidier.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

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

const QString kInfoTitle = QStringLiteral(u"信息");
const QString kBuildTitle = QString::fromUtf8(kAssemblyTitle);
constexpr int kQuestion = MsgStyle::YesNo + MsgStyle::Exclamation;
constexpr int kNotice = MsgStyle::Ok + MsgStyle::Exclamation;

QGroupBox *pathFrame(const QString &title, QLineEdit *edit, QPushButton *button)
{
    auto *frame = new QGroupBox(title);
    auto *row = new QHBoxLayout(frame);
    row->addWidget(edit, 1);
    row->addWidget(button);
    return frame;
}

} // namespace

AssemblerWindow::AssemblerWindow(Workspace &workspace, QWidget *parent)
    : ToolWindow(workspace, ToolName::Assembler, parent), m_prompter(workspace.prompter().forWindow(this))
{
    setWindowTitle(QStringLiteral(u"汇编"));
    m_sourceEdit = new QLineEdit;
    m_sourceEdit->setObjectName(QStringLiteral("sourceEdit"));
    m_binEdit = new QLineEdit;
    m_binEdit->setObjectName(QStringLiteral("binEdit"));
    auto *browseSourceButton = new QPushButton(QStringLiteral(u"浏  览"));
    browseSourceButton->setObjectName(QStringLiteral("browseSourceButton"));
    auto *browseBinButton = new QPushButton(QStringLiteral(u"另存为"));
    browseBinButton->setObjectName(QStringLiteral("browseBinButton"));
    m_mcs51 = new QRadioButton(QStringLiteral("MCS-51"));
    m_mcs51->setObjectName(QStringLiteral("mcs51Option"));
    m_mcs51->setChecked(true);
    m_mcs48 = new QRadioButton(QStringLiteral("MCS-48"));
    m_mcs48->setObjectName(QStringLiteral("mcs48Option"));
    m_startButton = new QPushButton(QStringLiteral(u"开始汇编"));
    m_startButton->setObjectName(QStringLiteral("startButton"));
    m_startButton->setEnabled(false);
    auto *title = new QLabel(QStringLiteral(u"汇编"));
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    m_statusLabel = new QLabel(AsmStatus::Normalising);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->hide();
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->hide();

    auto *cpuFrame = new QGroupBox(QStringLiteral("CPU"));
    auto *cpuRow = new QHBoxLayout(cpuFrame);
    cpuRow->addWidget(m_mcs51);
    cpuRow->addWidget(m_mcs48);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(cpuFrame);
    bottom->addStretch(1);
    bottom->addWidget(m_startButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(pathFrame(QStringLiteral(u"请选择待汇编的文件"), m_sourceEdit, browseSourceButton));
    layout->addWidget(pathFrame(QStringLiteral(u"汇编后的文件另存为"), m_binEdit, browseBinButton));
    layout->addLayout(bottom);
    layout->addWidget(m_statusLabel);
    layout->addWidget(m_progressBar);
    resize(520, 300);

    connect(m_sourceEdit, &QLineEdit::textChanged, this, &AssemblerWindow::sourceChanged);
    connect(browseSourceButton, &QPushButton::clicked, this, &AssemblerWindow::browseSource);
    connect(browseBinButton, &QPushButton::clicked, this, &AssemblerWindow::browseBin);
    connect(m_startButton, &QPushButton::clicked, this, &AssemblerWindow::start);
    connect(m_mcs51, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_cpu = Cpu::Mcs51;
    });
    connect(m_mcs48, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_cpu = Cpu::Mcs48;
    });

    lockMainWindow();
}

AssemblerWindow::~AssemblerWindow() = default;

void AssemblerWindow::prefill(const QString &editorCaption, Cpu cpu)
{
    if (isTidiedSourcePath(editorCaption)) {
        m_sourceEdit->setText(editorCaption);
        m_binEdit->setText(binPathForSource(editorCaption));
        (cpu == Cpu::Mcs48 ? m_mcs48 : m_mcs51)->setChecked(true);
    } else {
        m_sourceEdit->clear();
        m_binEdit->clear();
    }
}

void AssemblerWindow::sourceChanged(const QString &text)
{
    if (text.size() < 5)
        return;
    if (text.endsWith(QStringView(u".asm")) || text.endsWith(QStringView(u".ASM")))
        m_binEdit->setText(binPathForSource(text));
    updateStartButton();
}

void AssemblerWindow::updateStartButton()
{
    m_startButton->setEnabled(!m_sourceEdit->text().isEmpty() && !m_binEdit->text().isEmpty());
}

void AssemblerWindow::browseSource()
{
    const QString path = m_prompter->openFileName(QStringLiteral(u"请选择待汇编的文件"),
                                                  QStringLiteral(u"源程序文件 (*.asm)"));
    if (path.isEmpty())
        return;
    m_sourceEdit->setText(path);
    m_binEdit->setText(binPathForSource(path));
    updateStartButton();
}

void AssemblerWindow::browseBin()
{
    const QString path = m_prompter->saveFileName(QStringLiteral(u"汇编后的文件另存为"),
                                                  QStringLiteral(u"二进制代码文件 (*.bin);;All Files (*.*)"));
    if (path.isEmpty())
        return;
    m_binEdit->setText(path);
    updateStartButton();
}

AssemblyObserver AssemblerWindow::observer()
{
    AssemblyObserver watch;
    // Synchronous repaints keep the status current without running the event loop mid-assembly.
    watch.status = [this](const QString &text) {
        m_statusLabel->setText(text);
        m_statusLabel->repaint();
    };
    watch.passTwoStarts = [this](int maximum) {
        m_progressBar->setRange(0, std::max(maximum, 1));
        m_progressBar->setValue(0);
        m_progressBar->show();
    };
    watch.lineDone = [this] {
        m_progressBar->setValue(std::min(m_progressBar->value() + 1, m_progressBar->maximum()));
    };
    return watch;
}

void AssemblerWindow::start()
{
    const QString source = m_sourceEdit->text();
    const QString bin = m_binEdit->text();
    const QString problem = startCheckMessage(source, bin);
    if (!problem.isEmpty()) {
        m_prompter->message(problem, kQuestion, kInfoTitle);
        return;
    }
    m_statusLabel->setText(AsmStatus::Normalising);
    m_statusLabel->show();
    m_startButton->setEnabled(false);
    repaint();
    const AssemblyOutcome planned = planAssembly(m_cpu, {source, bin, std::nullopt}, observer());
    m_progressBar->hide();
    m_statusLabel->hide();
    m_startButton->setEnabled(true);
    // The writer shows a failed run's message, and a file it cannot write.
    const CarriedOut written = carryOut(planned.outcome, *m_prompter);
    if (!planned.result.completed || written.result != WriteResult::Written) {
        unload();
        return;
    }
    finish(planned.result);
}

void AssemblerWindow::finish(const AssemblyResult &result)
{
    Prompter &prompter = *m_prompter;
    Workspace &workspace = m_workspace;
    if (result.errorCount > 0) {
        const QString question = QStringLiteral(u"汇编过程发现") + vbStr(result.errorCount) +
                                 QStringLiteral(u"处错误。\r\n查看出错信息吗？");
        const int answer = prompter.message(question, kQuestion, kBuildTitle);
        unload();
        if (answer == MsgAnswer::Yes)
            workspace.openInEditor(result.paths.errorReport, kBuildTitle);
        return;
    }
    if (m_cpu == Cpu::Mcs48) {
        prompter.message(QStringLiteral(u"汇编成功，没有发现错误！"), kNotice, kBuildTitle);
        unload();
        return;
    }
    const int answer =
        prompter.message(QStringLiteral(u"汇编成功，没有发现错误！\r\n仿真调试吗？"), kQuestion, kBuildTitle);
    if (answer != MsgAnswer::Yes) {
        unload();
        return;
    }
    workspace.setCurrentBinPath(result.paths.bin);
    for (const char *item : {Menu::FileNew, Menu::FileOpen, Menu::FileSave, Menu::FileSaveAs,
                             Menu::EditSelectAll, Menu::Compile, Menu::Simulate51})
        workspace.setMenuEnabled(QString::fromLatin1(item), false);
    unload();
    const QString simulator = QString::fromLatin1(ToolName::Simulator);
    if (isToolRegistered(simulator))
        workspace.showTool(simulator);
}

QString activeEditorCaption(Workspace &workspace)
{
    return workspace.activeEditorCaption();
}

void launchAssembler(Workspace &workspace, AssemblerWindow::Cpu cpu)
{
    const QString caption = activeEditorCaption(workspace);
    if (auto *window = showToolWindow<AssemblerWindow>(workspace, ToolName::Assembler))
        window->prefill(caption, cpu);
}

void registerAssemblerWindow()
{
    registerTool(ToolName::Assembler,
                 [](Workspace &workspace) -> QWidget * { return new AssemblerWindow(workspace); },
                 {{Menu::Assemble51,
                   [](Workspace &workspace) { launchAssembler(workspace, AssemblerWindow::Cpu::Mcs51); }},
                  {Menu::Assemble48,
                   [](Workspace &workspace) { launchAssembler(workspace, AssemblerWindow::Cpu::Mcs48); }}});
}

} // namespace tw
