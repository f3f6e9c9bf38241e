#pragma once
// A Workspace without widgets: the main window's state model, editors as plain records and
// stand-in tool windows that lock on show and restore on unload as the real ones do. For tests of
// every subsystem that talks to the main window.
#include "workspace/MainWindowState.h"
#include "workspace/Workspace.h"

#include <QMap>
#include <functional>

namespace tw
{

class ModelWorkspace : public Workspace
{
  public:
    struct Editor {
        QString path;
        QString caption;
    };
    // Steps a stand-in runs when it is shown or unloaded; by default a locking tool locks the main
    // window and restores it.
    struct StandIn {
        std::function<void(ModelWorkspace &)> load;
        std::function<void(ModelWorkspace &)> unload;
    };

    explicit ModelWorkspace(Prompter &prompter);

    MainWindowState &state() { return m_state; }
    const MainWindowState &state() const { return m_state; }
    const QList<Editor> &editors() const { return m_editors; }
    void setStandIn(const QString &tool, StandIn standIn) { m_standIns[tool] = std::move(standIn); }
    // Closes one editor as its close box would (no save question); the last one leaves the
    // editing state.
    void closeEditor(int index);
    QStringList loadedTools() const { return m_loaded; }

    void setMenuEnabled(const QString &name, bool enabled) override { m_state.setEnabled(name, enabled); }
    bool isMenuEnabled(const QString &name) const override { return m_state.isEnabled(name); }
    void setMenuVisible(const QString &name, bool visible) override { m_state.setVisible(name, visible); }
    bool isMenuVisible(const QString &name) const override { return m_state.isVisible(name); }

    int toolbarButtonCount() const override { return MainWindowState::ToolbarSlots; }
    void setToolbarButtonEnabled(int position, bool enabled) override
    {
        m_state.setToolbarEnabled(position, enabled);
    }
    void setToolbarButtonEnabled(const QString &key, bool enabled) override
    {
        m_state.setToolbarEnabled(key, enabled);
    }
    bool isToolbarButtonEnabled(int position) const override { return m_state.isToolbarEnabled(position); }

    void setStatusText(int panel, const QString &text) override { m_state.setStatusText(panel, text); }
    QString statusText(int panel) const override { return m_state.statusText(panel); }

    void openInEditor(const QString &path, const QString &caption = QString()) override;
    bool closeAllEditors() override;
    int editorCount() const override { return static_cast<int>(m_editors.size()); }
    // The last opened editor stands for the active one.
    QString activeEditorCaption() const override
    {
        return m_editors.isEmpty() ? QString() : m_editors.last().caption;
    }

    QString currentBinPath() const override { return m_currentBinPath; }
    void setCurrentBinPath(const QString &path) override { m_currentBinPath = path; }
    void setDialogFileName(const QString &path) override { m_dialogFileName = path; }
    QString dialogFileName() const { return m_dialogFileName; }

    void showTool(const QString &name) override;
    void unloadTool(const QString &name) override;
    bool isToolLoaded(const QString &name) const override { return m_loaded.contains(name); }
    // Stand-ins have no window.
    QWidget *toolWindow(const QString &) const override { return nullptr; }

    Prompter &prompter() override { return m_prompter; }

  private:
    Prompter &m_prompter;
    MainWindowState m_state;
    QList<Editor> m_editors;
    QStringList m_loaded;
    QMap<QString, StandIn> m_standIns;
    QString m_currentBinPath;
    QString m_dialogFileName;
};

} // namespace tw
