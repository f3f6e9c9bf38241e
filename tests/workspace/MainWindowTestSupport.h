#pragma once
// A real main window on the offscreen screen, a scripted prompter, files in a temporary folder and
// stand-in tool windows that lock and restore the main window as the real ones do.
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "workspace/ToolWindowProtocol.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"
#include "workspace/ui/ToolRegistry.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace twtest
{

// Locks the main window when made, restores it when closed.
class StandInTool : public QWidget
{
  public:
    StandInTool(tw::Workspace &workspace, const QString &name) : m_workspace(workspace), m_name(name)
    {
        setObjectName(name);
        tw::lockMainWindow(workspace, name);
    }

  protected:
    void closeEvent(QCloseEvent *event) override
    {
        tw::restoreMainWindow(m_workspace, m_name);
        event->accept();
    }

  private:
    tw::Workspace &m_workspace;
    QString m_name;
};

inline void registerStandIns()
{
    for (const QString &name : tw::lockingTools())
        tw::registerTool(name, [name](tw::Workspace &workspace) { return new StandInTool(workspace, name); });
}

inline void unregisterStandIns()
{
    for (const QString &name : tw::lockingTools())
        tw::registerTool(name, {});
}

class MainWindowTest : public ::testing::Test
{
  protected:
    tw::ScriptedPrompter prompter;
    std::unique_ptr<tw::MainWindow> window;
    QTemporaryDir dir;

    void SetUp() override
    {
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

    tw::EditorWindow *openFile(const QString &name, const QByteArray &bytes)
    {
        writeBytes(path(name), bytes);
        window->openInEditor(path(name));
        return window->activeEditor();
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

inline const QStringList &idleKeys()
{
    static const QStringList keys = {QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("asm"),
                                     QStringLiteral("FZ51")};
    return keys;
}

} // namespace twtest
