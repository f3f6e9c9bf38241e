#pragma once
// The simulator window inside a real main window (offscreen) with a scripted prompter, on
// programs from tests/data/simulator/window assembled by the headless driver in a temporary
// folder, and the views compared with golden files there.
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "simulator/StatusTexts.h"
#include "simulator/ui/SimulatorViews.h"
#include "simulator/ui/SimulatorWindow.h"
#include "support/TestFiles.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace twtest
{

inline QStringList boxLines(const QPlainTextEdit *box)
{
    return box->toPlainText().split(QLatin1Char('\n'));
}

class SimulatorWindowTest : public ToolWindowTest
{
  protected:
    QTemporaryDir dir;

    void SetUp() override
    {
        tw::registerSimulatorWindow();
        ToolWindowTest::SetUp();
    }
    static QString windowData(const QString &name)
    {
        return dataPath(QStringLiteral("simulator/window/") + name);
    }

    // Assembles window/<name>.asm in the temporary folder into name.bin and name.lt; the .bin path.
    QString assemble(const QString &name)
    {
        const QString source = dir.filePath(name + QStringLiteral(".asm"));
        writeBytes(
            source,
            readBytes(windowData(name + QStringLiteral(".asm"))).replace("\r\n", "\n").replace("\n", "\r\n"));
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
    tw::SimulatorWindow *openProgram(const QString &name) { return open(assemble(name)); }
    const tw::SimulatorWindow::Controls &ui() const { return window()->controls(); }

    // Near the left edge: a radio button takes clicks only on its indicator and caption.
    void click(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void clickTab(QTabBar *bar, int index)
    {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
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
    bool pcMarkedAt(std::uint16_t address) const
    {
        return listingLine(lineOfAddress(address)).startsWith('>');
    }
    QString lastMessage() const
    {
        return prompter.calls().isEmpty() ? QString() : prompter.calls().last().text;
    }
    // Every view of SimulatorViews.h whose row says the command shows it again (all of them, with
    // the PC, the status panels and the listing's PC mark, by default) against the same view made
    // from the CPU state now.
    static constexpr unsigned kEveryCommand = ~0u;
    void expectViewsShowTheState(unsigned shownAfter = kEveryCommand)
    {
        const tw::Cpu51 &cpu = window()->cpu();
        for (tw::SimulatorView view : tw::kAllViews) {
            const tw::ViewRow row = tw::viewRow(view);
            if (shownAfter == kEveryCommand || (row.shownAfter & shownAfter)) {
                EXPECT_EQ(boxLines(ui().*row.box), row.lines(cpu)) << row.name;
            }
        }
        if (shownAfter != kEveryCommand)
            return;
        EXPECT_EQ(ui().pc->text(), tw::pcText(cpu.pc));
        for (int panel = tw::kFirstSimulatorPanel; panel <= tw::kLastSimulatorPanel; ++panel)
            EXPECT_EQ(main->statusText(panel), QString::fromUtf8(tw::statusPanelText(cpu, panel).data()))
                << panel;
        EXPECT_TRUE(listingLine(lineOfAddress(cpu.pc)).startsWith('>'));
    }
    // The window's texts by the section names of the golden files; an unknown name fails the
    // case, naming it. The views of SimulatorViews.h go by their rows' names; "memory" is the
    // external-RAM and ROM box as it is, "rom" and "externalRam" show that page of it first; "pins"
    // is the 32 captions in groups of eight; "panels" the main window's status panels 2 to 8;
    // "menus" its menus mEdit, mFile, mComp, mCom, mEml, mView, comFZ, mWindow, then mFileNew,
    // mFileOpen, mFileSave, mFileSaveAs, emMCS51 and on the next line the toolbar buttons, 1 for
    // enabled.
    QStringList viewText(const QString &view)
    {
        QStringList panels;
        for (int p = 2; p <= 8; ++p)
            panels.append(main->statusText(p));
        if (view == QLatin1String("panels"))
            return panels;
        if (view == QLatin1String("menus")) {
            QString menus, buttons;
            for (const char *item : {"mEdit", "mFile", "mComp", "mCom", "mEml", "mView", "comFZ", "mWindow",
                                     "mFileNew", "mFileOpen", "mFileSave", "mFileSaveAs", "emMCS51"})
                menus += main->isMenuEnabled(QString::fromLatin1(item)) ? '1' : '0';
            for (int i = 1; i <= main->toolbarButtonCount(); ++i)
                buttons += main->isToolbarButtonEnabled(i) ? '1' : '0';
            return {menus, buttons};
        }
        const tw::SimulatorWindow::Controls &c = ui();
        if (view == QLatin1String("rom") || view == QLatin1String("externalRam"))
            clickTab(c.memoryTabs, view == QLatin1String("rom") ? tw::SimulatorWindow::RomTab
                                                                : tw::SimulatorWindow::ExternalRamTab);
        QString pins;
        for (int i = 0; i < 32; ++i)
            pins += (i > 0 && i % 8 == 0 ? QStringLiteral(" ") : QString()) + c.pins[i]->text();
        if (view == QLatin1String("pins"))
            return {pins};
        QStringList names = {"listing", "memory", "rom", "externalRam"};
        QList<const QPlainTextEdit *> boxes = {c.listing, c.memory, c.memory, c.memory};
        for (tw::SimulatorView each : tw::kAllViews) {
            names << QString::fromLatin1(tw::viewRow(each).name);
            boxes << c.*tw::viewRow(each).box;
        }
        const qsizetype index = names.indexOf(view);
        if (index < 0) {
            ADD_FAILURE() << "no view is named \"" << view.toStdString()
                          << "\"; the views are panels, menus, pins, " << names.join(u", ").toStdString();
            return {};
        }
        return boxLines(boxes[index]);
    }
    // Each "[view]" section of window/<name>.views holds that view's whole text, line by line.
    // A file of every view has a section for each view of SimulatorViews.h; one left out is named.
    enum Sections { SomeViews, EveryView };
    void expectViews(const QString &name, Sections sections = SomeViews)
    {
        const QByteArray golden = readBytes(windowData(name + QStringLiteral(".views")));
        ASSERT_FALSE(golden.isEmpty()) << name.toStdString();
        QString view;
        QStringList expected, named;
        const QStringList lines =
            QString::fromUtf8(golden.chopped(golden.endsWith('\n') ? 1 : 0)).split('\n');
        for (int i = 0; i <= lines.size(); ++i) {
            if (i < lines.size() && !lines[i].startsWith(QLatin1Char('['))) {
                expected.append(lines[i]);
                continue;
            }
            if (!view.isEmpty()) {
                EXPECT_EQ(viewText(view).join('\n'), expected.join('\n'))
                    << name.toStdString() << " [" << view.toStdString() << "]";
            }
            if (i < lines.size())
                view = lines[i].mid(1, lines[i].indexOf(']') - 1);
            if (!view.isEmpty())
                named << view;
            expected.clear();
        }
        for (tw::SimulatorView each : tw::kAllViews)
            EXPECT_TRUE(sections == SomeViews || named.contains(QString::fromLatin1(tw::viewRow(each).name)))
                << name.toStdString() << ".views has no [" << tw::viewRow(each).name << "] section";
    }
};

} // namespace twtest
