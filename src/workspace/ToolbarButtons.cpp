#include "ToolbarButtons.h"

#include "MenuNames.h"

namespace tw
{

const std::array<ToolbarButton, ToolbarSlotCount> &toolbarButtons()
{
    using namespace ToolbarKey;
    static constexpr ToolbarButton separator{};
    static constexpr std::array<ToolbarButton, ToolbarSlotCount> buttons = {{
        {New, Menu::FileNew, u"新建", "document-new", "SP_FileIcon"},
        {Open, Menu::FileOpen, u"打开", "document-open", "SP_DialogOpenButton"},
        {Save, Menu::FileSave, u"保存", "document-save", "SP_DialogSaveButton"},
        separator,
        {Print, Menu::FilePrint, u"打印", "document-print", "SP_FileDialogDetailedView"},
        separator,
        {Undo, Menu::EditUndo, u"撤销", "edit-undo", "SP_ArrowBack"},
        {Redo, Menu::EditRedo, u"重复", "edit-redo", "SP_ArrowForward"},
        separator,
        {Cut, Menu::EditCut, u"剪切", "edit-cut", "SP_DialogDiscardButton"},
        {Copy, Menu::EditCopy, u"复制", "edit-copy", "SP_FileDialogContentsView"},
        {Paste, Menu::EditPaste, u"粘贴", "edit-paste", "SP_DialogApplyButton"},
        separator,
        {Font, Menu::FontCommand, u"字体", "preferences-desktop-font", "SP_FileDialogInfoView"},
        separator,
        {FindText, Menu::EditFindText, u"按字符查找", "edit-find", "SP_FileDialogListView"},
        {FindInstruction, Menu::EditFindInstruction, u"按指令查找", "edit-find-replace",
         "SP_FileDialogToParent"},
        separator,
        // The themes draw these two in grey, which reads as switched off: the window draws them.
        {Assemble, Menu::Assemble51, u"MCS51 汇编", "", ""},
        separator,
        {Simulate, Menu::Simulate51, u"MCS51 仿真", "", ""},
    }};
    return buttons;
}

} // namespace tw
