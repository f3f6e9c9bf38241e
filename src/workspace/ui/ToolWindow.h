#pragma once
// A tool window of the locking group (assembler, simulator, conversion, subroutine library, serial
// sender, programmer): what they all do around their own work. It takes the main window over once
// it has set itself up, gives it back exactly once however it closes (its close box, another
// window's unload, its own), and can unload itself through the workspace that hosts it.
//
//   XxxWindow::XxxWindow(Workspace &workspace) : ToolWindow(workspace, ToolName::Xxx)
//   {
//       ... controls ...
//       lockMainWindow();
//   }
//   void XxxWindow::unloading() { ... its own close steps, before the main window comes back ... }
#include "workspace/Workspace.h"

#include <QWidget>

namespace tw
{

class ToolWindow : public QWidget
{
    Q_OBJECT

  public:
    // The window's object name is its tool name (ToolName).
    ToolWindow(Workspace &workspace, const QString &toolName, QWidget *parent = nullptr);
    ~ToolWindow() override;

    QString toolName() const { return objectName(); }

  protected:
    // The other windows of the group close, then the menus and toolbar are switched off as the
    // window's lock rule says.
    void lockMainWindow();
    // Closes the window as another window's unload would; deleted later, so a handler of its own
    // may call it and go on.
    void unload();
    // The window's own close steps; they run once, before the main window is restored.
    virtual void unloading() {}
    // The close steps have run: the window only waits to be deleted.
    bool isClosed() const { return m_closed; }

    void closeEvent(QCloseEvent *event) final;

    Workspace &m_workspace;

  private:
    bool m_closed = false;
};

// The loaded tool window of that name as its own class; nullptr when it is not loaded.
template <class Window> Window *loadedTool(Workspace &workspace, const char *name)
{
    return qobject_cast<Window *>(workspace.toolWindow(QString::fromLatin1(name)));
}

// Shows the tool window (made on first use) and returns it as loadedTool does.
template <class Window> Window *showToolWindow(Workspace &workspace, const char *name)
{
    workspace.showTool(QString::fromLatin1(name));
    return loadedTool<Window>(workspace, name);
}

} // namespace tw
