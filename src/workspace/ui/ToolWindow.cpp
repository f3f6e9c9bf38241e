#include "ToolWindow.h"

#include "workspace/ToolWindowProtocol.h"

#include <QCloseEvent>

namespace tw
{

ToolWindow::ToolWindow(Workspace &workspace, const QString &toolName, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(toolName);
}

ToolWindow::~ToolWindow() = default;

void ToolWindow::lockMainWindow()
{
    tw::lockMainWindow(m_workspace, toolName());
}

void ToolWindow::unload()
{
    // The workspace closes the window (running closeEvent) and deletes it later.
    if (m_workspace.isToolLoaded(toolName()))
        m_workspace.unloadTool(toolName());
    else
        close();
}

void ToolWindow::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        unloading();
        restoreMainWindow(m_workspace, toolName());
    }
    event->accept();
}

} // namespace tw
