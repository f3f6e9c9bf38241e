#pragma once
// The simulator window inside a real main window (offscreen) with a scripted prompter, on
// programs assembled by the headless driver in a temporary folder.
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "simulator/ui/SimulatorWindow.h"
#include "support/TestFiles.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace twtest
{

inline QStringList boxLines(const QPlainTextEdit *box)
{
    return box->toPlainText().split(QLatin1Char('\n'));
}

class SimulatorWindowTest : public ::testing::Test
{
  protected:
    tw::ScriptedPrompter prompter;
    QTemporaryDir dir;
    std::unique_ptr<tw::MainWindow> main;

    void SetUp() override
    {
        tw::registerSimulatorWindow();
        main = std::make_unique<tw::MainWindow>(prompter);
        main->show();
    }
    void TearDown() override
    {
        for (tw::EditorWindow *editor : main->editors())
            editor->clearChanged();
        main.reset();
        flushDeletes();
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // Assembles source lines (joined with CR LF) into name.bin and name.lt; the .bin path.
    QString assemble(const QString &name, const QStringList &lines)
    {
        const QString source = dir.filePath(name + QStringLiteral(".asm"));
        writeBytes(source, tw::encodeText(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        const ProcessResult result = runDriver({QStringLiteral("asm51"), source});
        EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
        return dir.filePath(name + QStringLiteral(".bin"));
    }
    tw::SimulatorWindow *window() const
    {
        return qobject_cast<tw::SimulatorWindow *>(
            main->toolWindow(QString::fromLatin1(tw::ToolName::Simulator)));
    }
    tw::SimulatorWindow *open(const QString &bin)
    {
        main->setCurrentBinPath(bin);
        main->showTool(QString::fromLatin1(tw::ToolName::Simulator));
        return window();
    }
    tw::SimulatorWindow *openProgram(const QStringList &lines)
    {
        return open(assemble(QStringLiteral("prog"), lines));
    }
    const tw::SimulatorWindow::Controls &ui() const { return window()->controls(); }
    // Near the left edge: a radio button takes clicks only on its indicator and caption.
    void click(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void steps(int n)
    {
        for (int k = 0; k < n; ++k)
            click(ui().step);
    }
    // Lets a run go on until it stops by itself, at most timeoutMs.
    bool waitForRunEnd(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return window()->running() == tw::RunKind::None; }, timeoutMs);
    }
    QString listingLine(int index) const { return window()->listing().line(index); }
    int lineOfAddress(std::uint16_t address) const { return window()->listing().lineOfAddress(address); }
    bool mainLocked() const
    {
        for (const char *menu : {"mEdit", "mFile", "mComp", "mCom", "mEml", "mView", "comFZ", "mWindow"})
            if (main->isMenuEnabled(QString::fromLatin1(menu)))
                return false;
        for (int i = 1; i <= main->toolbarButtonCount(); ++i)
            if (main->isToolbarButtonEnabled(i))
                return false;
        return true;
    }
};

} // namespace twtest
