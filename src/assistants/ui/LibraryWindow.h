#pragma once
// The subroutine-library window: browse the fixed-point, floating-point or user library, and add
// routines to the user library. It locks the main window while it is open.
#include "assistants/SubroutineLibraries.h"
#include "workspace/ui/ToolWindow.h"

#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace tw
{

class Prompter;

class LibraryWindow : public ToolWindow
{
    Q_OBJECT

  public:
    struct Controls {
        QComboBox *names = nullptr;
        // 入口条件, 出口状态, 占用资源, 堆栈需求, then the code box.
        std::array<QPlainTextEdit *, 5> boxes{};
        QPushButton *add = nullptr, *confirm = nullptr;
    };
    enum Box { Entry = 0, Exit = 1, Resources = 2, Stack = 3, Code = 4 };

    explicit LibraryWindow(Workspace &workspace, QWidget *parent = nullptr);
    ~LibraryWindow() override;

    const Controls &controls() const { return m_ui; }
    SubroutineLibrary library() const { return m_library; }

    // What each launcher does once the window is loaded: bind one library and list its names.
    void openLibrary(SubroutineLibrary library);
    // A name picked from the list: its record fills the boxes.
    void showRoutine(const QString &name);
    // 添 加 and 确 定.
    void startAdding();
    void confirmAdding();

  protected:
    void unloading() override;

  private:
    void clearBoxes();
    void fillList();
    // The library's routines; a failure to read them is reported.
    std::optional<QList<SubroutineRecord>> readRecords();
    SubroutineRecord typedRecord() const;
    void report(const QString &text);

    std::unique_ptr<Prompter> m_prompter; // this window's boxes
    Controls m_ui;
    SubroutineLibrary m_library = SubroutineLibrary::User;
    LibraryPlace m_place;
    std::unique_ptr<SubroutineStore> m_store;
};

// The launchers of 定点运算子程序, 浮点运算子程序 and 用户子程序.
void launchLibrary(Workspace &workspace, SubroutineLibrary library);

void registerLibraryWindow();

} // namespace tw
