#pragma once
// The one interface through which tool windows reach the main window: menus and toolbar by name or
// key, status panels 1-8, editors, the current code-image path, tool windows and the prompter.
#include <QPoint>
#include <QString>

class QWidget;

namespace tw
{

class Prompter;

// Names of the tool windows in the registry.
namespace ToolName
{
inline constexpr const char *Assembler = "AssemblerWindow";
inline constexpr const char *Simulator = "SimulatorWindow";
inline constexpr const char *Conversion = "ConversionWindow";
inline constexpr const char *Library = "LibraryWindow";
inline constexpr const char *SerialSender = "SerialSenderWindow";
inline constexpr const char *Programmer = "ProgrammerWindow";
inline constexpr const char *InitCode = "InitCodeWindow";
inline constexpr const char *Font = "FontWindow";
inline constexpr const char *Unicode = "UnicodeWindow";
inline constexpr const char *Find = "FindDialog";
inline constexpr const char *About = "AboutBox";
inline constexpr const char *TextViewer = "TextViewer";
inline constexpr const char *Help = "HelpWindow";
} // namespace ToolName

class Workspace
{
  public:
    virtual ~Workspace() = default;

    // Top menus (mFile, mEdit, mComp, mCom, mEml, mView, comFZ, mWindow) and menu items
    // (mFileSave, mEditFindzl, ...) by their object names.
    virtual void setMenuEnabled(const QString &name, bool enabled) = 0;
    virtual bool isMenuEnabled(const QString &name) const = 0;
    virtual void setMenuVisible(const QString &name, bool visible) = 0;
    virtual bool isMenuVisible(const QString &name) const = 0;

    // Toolbar buttons by position 1..toolbarButtonCount(), or by key ("New", "Open", "asm", "FZ51").
    virtual int toolbarButtonCount() const = 0;
    virtual void setToolbarButtonEnabled(int position, bool enabled) = 0;
    virtual void setToolbarButtonEnabled(const QString &key, bool enabled) = 0;
    virtual bool isToolbarButtonEnabled(int position) const = 0;

    // Status-bar panels 1..8.
    virtual void setStatusText(int panel, const QString &text) = 0;
    virtual QString statusText(int panel) const = 0;

    // Shows a file in an editor window, caption empty meaning the path: a new window, or the one
    // that holds the file already, its text read again from disk and its changes dropped (a tool
    // shows its output this way and has replaced the file).
    virtual void openInEditor(const QString &path, const QString &caption = QString()) = 0;
    // Closes every editor, each asking about unsaved changes; false when the user cancelled.
    virtual bool closeAllEditors() = 0;
    virtual int editorCount() const = 0;
    // The caption of the active editor, empty when there is none.
    virtual QString activeEditorCaption() const = 0;

    virtual QString currentBinPath() const = 0;
    virtual void setCurrentBinPath(const QString &path) = 0;
    // The file name the main window's file dialogs start from next time.
    virtual void setDialogFileName(const QString &path) = 0;

    // Tool windows by ToolName: single instances made on first use.
    virtual void showTool(const QString &name) = 0;
    // Closes a tool window (its own close steps run); nothing when it is not open.
    virtual void unloadTool(const QString &name) = 0;
    virtual bool isToolLoaded(const QString &name) const = 0;
    // The tool window's instance while it is loaded; nullptr when it is not.
    virtual QWidget *toolWindow(const QString &name) const = 0;

    virtual Prompter &prompter() = 0;

    // Pops a top menu (mEdit for the editors' right click) up at a screen position.
    virtual void popupMenu(const QString &name, const QPoint &globalPosition)
    {
        Q_UNUSED(name);
        Q_UNUSED(globalPosition);
    }
};

} // namespace tw
