#pragma once
// The main window's tool host: the single instances of the registered tool windows (ToolRegistry),
// shown on demand as windows of their own over the main window, placed above the status bar (and
// fitted again while the window manager frames them), closed by name, and the current code-image
// path the tools hand to one another.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>

class QMainWindow;
class QWidget;

namespace tw
{

class Workspace;

class ToolHost : public QObject
{
    Q_OBJECT

  public:
    // Tools are made with workspace; each is a window of its own, transient for window.
    ToolHost(QMainWindow &window, Workspace &workspace);
    ~ToolHost() override;

    // Workspace's tool windows.
    void showTool(const QString &name);
    void unloadTool(const QString &name);
    bool isToolLoaded(const QString &name) const;
    QWidget *toolWindow(const QString &name) const;
    // Unloads every tool window, each running its own close steps (the main window closes).
    void unloadAll();
    // Deletes every tool window (the main window goes).
    void deleteAll();

    QString currentBinPath() const { return m_currentBinPath; }
    void setCurrentBinPath(const QString &path) { m_currentBinPath = path; }

  private:
    void raise(QWidget *open);
    void showOwnWindow(const QString &name, QWidget *window);
    // The screen above the status bar, where tool windows go.
    QRect toolArea() const;
    // Sizes and moves a tool window so that its frame lies in toolArea(), centred on centre.
    void placeTool(QWidget *window, QPoint centre);

    QMainWindow &m_window;
    Workspace &m_workspace;
    QHash<QString, QPointer<QWidget>> m_tools;
    QString m_currentBinPath;
};

} // namespace tw
