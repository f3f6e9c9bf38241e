#pragma once
// A real main window on the offscreen screen, a scripted prompter, files in a temporary folder and
// stand-in tool windows that lock and restore the main window as the real ones do.
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "workspace/MenuNames.h"
#include "workspace/ToolWindowProtocol.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/HelpCommands.h"
#include "workspace/ui/MainWindow.h"
#include "workspace/ui/ToolRegistry.h"
#include "workspace/ui/ToolWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace twtest
{

// Locks the main window when made, restores it when closed.
class StandInTool : public tw::ToolWindow
{
  public:
    StandInTool(tw::Workspace &workspace, const QString &name) : ToolWindow(workspace, name)
    {
        lockMainWindow();
    }
};

// The stand-ins of the locking tools; the assembler's and the conversion window's open from one menu
// item each, as their real windows do.
inline void registerStandIns(bool on = true)
{
    const QHash<QString, QString> items = {
        {QString::fromLatin1(tw::ToolName::Assembler), tw::Menu::Assemble51},
        {QString::fromLatin1(tw::ToolName::Conversion), tw::Menu::HexToBin}};
    for (const QString &name : tw::lockingTools()) {
        if (!on) {
            tw::registerTool(name, {});
            continue;
        }
        QList<tw::ToolMenuItem> menuItems;
        if (items.contains(name))
            menuItems.append({items.value(name), {}});
        tw::registerTool(
            name, [name](tw::Workspace &workspace) { return new StandInTool(workspace, name); }, menuItems);
    }
}

// Compares with a file under tests/data/workspace byte for byte; a mismatch leaves the actual text
// in the temporary folder for review.
inline void expectGolden(const QString &actual, const QString &name)
{
    const QByteArray expected = readBytes(dataPath(QStringLiteral("workspace/") + name));
    const QString kept = QDir::temp().filePath(name + QStringLiteral(".actual"));
    if (actual.toUtf8() != expected)
        writeBytes(kept, actual.toUtf8());
    EXPECT_EQ(actual, QString::fromUtf8(expected)) << "actual text written to " << qPrintable(kept);
}

inline const QStringList &idleKeys()
{
    static const QStringList keys = {QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("asm"),
                                     QStringLiteral("FZ51")};
    return keys;
}

// The real main window a tool window's tests run in: a test registers its window and then runs
// this SetUp; TearDown closes every window without save questions and deletes what waits for it.
class ToolWindowTest : public ::testing::Test
{
  protected:
    tw::ScriptedPrompter prompter;
    std::unique_ptr<tw::MainWindow> main;

    void SetUp() override
    {
        main = std::make_unique<tw::MainWindow>(prompter);
        main->show();
    }
    void TearDown() override
    {
        for (tw::EditorWindow *editor : main->editors())
            editor->clearChanged();
        main.reset();
        flush();
    }
    static void flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // The main window as a locking tool leaves it: the six top menus and every toolbar button off,
    // and the Edit and Window menus both disabled or both hidden.
    bool mainLocked() const
    {
        using namespace tw::Menu;
        for (const char *menu : {File, Compile, Communication, Simulate, View, Tools})
            if (main->isMenuEnabled(QString::fromLatin1(menu)))
                return false;
        for (int i = 1; i <= main->toolbarButtonCount(); ++i)
            if (main->isToolbarButtonEnabled(i))
                return false;
        const QString edit = QString::fromLatin1(Edit), window = QString::fromLatin1(Window);
        return (!main->isMenuVisible(edit) && !main->isMenuVisible(window)) ||
               (!main->isMenuEnabled(edit) && !main->isMenuEnabled(window));
    }
};

class MainWindowTest : public ::testing::Test
{
  protected:
    tw::ScriptedPrompter prompter;
    std::unique_ptr<tw::MainWindow> window;
    QTemporaryDir dir;

    void SetUp() override
    {
        tw::registerHelpWindows();
        window = std::make_unique<tw::MainWindow>(prompter);
        window->show();
    }

    void TearDown() override
    {
        // No save questions on the way out.
        for (tw::EditorWindow *editor : window->editors())
            editor->clearChanged();
        window.reset();
        flushDeletes();
    }

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QString path(const QString &name) const { return dir.filePath(name); }

    tw::EditorWindow *openFile(const QString &name, const QByteArray &bytes,
                               const QString &caption = QString())
    {
        writeBytes(path(name), bytes);
        window->openInEditor(path(name), caption);
        return window->activeEditor();
    }

    tw::EditorWindow *newEditor()
    {
        EXPECT_TRUE(window->triggerMenuItem(QStringLiteral("mFileNew")));
        return window->activeEditor();
    }

    static void type(tw::EditorWindow *editor, const QString &text)
    {
        editor->editor()->moveCursor(QTextCursor::End);
        editor->editor()->insertPlainText(text);
    }

    static void select(tw::EditorWindow *editor, int anchor, int position)
    {
        QTextCursor cursor = editor->editor()->textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        editor->editor()->setTextCursor(cursor);
    }

    // Closes the editor's frame in the MDI area as its close box does.
    static bool closeFrameOf(tw::EditorWindow *editor)
    {
        auto *frame = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        EXPECT_NE(frame, nullptr);
        const bool closed = frame && frame->close();
        flushDeletes();
        return closed;
    }

    QStringList enabledToolbarKeys() const
    {
        QStringList keys;
        for (int position = 1; position <= window->toolbarButtonCount(); ++position) {
            QAction *action = window->toolbarAction(position);
            if (!action->isSeparator() && action->isEnabled())
                keys.append(action->objectName());
        }
        return keys;
    }

    bool actionEnabled(const QString &name) const { return window->menuAction(name)->isEnabled(); }
    bool topMenuShown(const QString &name) const { return window->topMenu(name)->menuAction()->isVisible(); }
    bool topMenuEnabled(const QString &name) const
    {
        return window->topMenu(name)->menuAction()->isEnabled();
    }
};

} // namespace twtest
