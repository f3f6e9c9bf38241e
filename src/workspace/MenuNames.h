#pragma once
// The object names of every menu, menu item and toolbar key. Menus, the toolbar, the tool-window
// lock and the tools' launchers find each other by these names; nothing spells them inline.

namespace tw
{

namespace Menu
{
// 文件
inline constexpr const char *File = "mFile";
inline constexpr const char *FileNew = "mFileNew";
inline constexpr const char *FileOpen = "mFileOpen";
inline constexpr const char *FileSave = "mFileSave";
inline constexpr const char *FileSaveAs = "mFileSaveAs";
inline constexpr const char *FileCloseAll = "mFileCloseAll";
inline constexpr const char *PrintSetup = "mPrintSet";
inline constexpr const char *FilePrint = "mFilePrint";
inline constexpr const char *RecentFiles[4] = {"mfile1", "mfile2", "mfile3", "mfile4"};
inline constexpr const char *FileExit = "mFileExit";
// 编辑
inline constexpr const char *Edit = "mEdit";
inline constexpr const char *EditUndo = "mEditUndo";
inline constexpr const char *EditRedo = "mEditRedo";
inline constexpr const char *EditSelectAll = "mEditSelAll";
inline constexpr const char *EditCopy = "mEditCopy";
inline constexpr const char *EditCut = "mEditCut";
inline constexpr const char *EditPaste = "mEditPaste";
inline constexpr const char *EditFindText = "mEditFindzf";
inline constexpr const char *EditFindInstruction = "mEditFindzl";
// 编译
inline constexpr const char *Compile = "mComp";
inline constexpr const char *Assemble = "mCompasm";
inline constexpr const char *Assemble51 = "assembler51";
inline constexpr const char *Assemble48 = "assembler48";
inline constexpr const char *Disassemble = "mCompdasm";
inline constexpr const char *Disassemble51 = "dasm51";
inline constexpr const char *Disassemble48 = "dasm48";
// 仿真
inline constexpr const char *Simulate = "mEml";
inline constexpr const char *Simulate51 = "emMCS51";
// 察看
inline constexpr const char *View = "mView";
inline constexpr const char *ViewToolbar = "mViewToolbar";
inline constexpr const char *ViewStatusBar = "mViewStat";
inline constexpr const char *ViewListing = "lst";
inline constexpr const char *ViewErrors = "err0";
// 通讯
inline constexpr const char *Communication = "mCom";
inline constexpr const char *SerialSend = "send1";
inline constexpr const char *InSystemProgramming = "ISP";
// 辅助工具
inline constexpr const char *Tools = "comFZ";
inline constexpr const char *CodeConversion = "dmzh";
inline constexpr const char *HexToBin = "htb";
inline constexpr const char *BinToHex = "bth";
inline constexpr const char *BinToObj = "bto";
inline constexpr const char *ObjToBin = "otb";
inline constexpr const char *BinRestore = "binzh";
inline constexpr const char *BinSplit = "dmcf";
inline constexpr const char *BinMerge = "dmhb";
inline constexpr const char *FileCompare = "wjbj";
inline constexpr const char *Porting = "ycxyz";
inline constexpr const char *Port48To51 = "yz48";
inline constexpr const char *InitSetup = "cshsz";
inline constexpr const char *BaudRate = "btlsz";
inline constexpr const char *TimerCounter = "dsqsz";
inline constexpr const char *Interrupts = "ZDSZ";
// The submenu of ready-made subroutines had no object name of its own; this one is ours.
inline constexpr const char *Subroutines = "mSubroutines";
inline constexpr const char *FixedPointLibrary = "zcx1";
inline constexpr const char *FloatingPointLibrary = "zcx2";
inline constexpr const char *UserLibrary = "yhzcx";
inline constexpr const char *ChineseDisplay = "HZXS";
inline constexpr const char *DotMatrixFont = "dzzm";
inline constexpr const char *UnicodeCodes = "Unicode";
inline constexpr const char *Calculator = "jsq";
// 窗口
inline constexpr const char *Window = "mWindow";
inline constexpr const char *WindowTile = "mWindowTitle";
inline constexpr const char *WindowCascade = "mWindowCa";
// 帮助, then the blank item and the mail item at the very end of the menu bar
inline constexpr const char *Help = "eHelp";
inline constexpr const char *HelpManual = "sm";
inline constexpr const char *HelpTutorial = "jc51";
inline constexpr const char *HelpFaq = "FAQ";
inline constexpr const char *LatestVersion = "zxbb";
inline constexpr const char *About = "about";
inline constexpr const char *Blank = "mBlank";
inline constexpr const char *Mail = "mMail";
// The font command of the toolbar, which has no menu item.
inline constexpr const char *FontCommand = "Zt";
} // namespace Menu

namespace ToolbarKey
{
inline constexpr const char *New = "New";
inline constexpr const char *Open = "Open";
inline constexpr const char *Save = "Save";
inline constexpr const char *Print = "Print";
inline constexpr const char *Undo = "Undo";
inline constexpr const char *Redo = "Redo";
inline constexpr const char *Cut = "Cut";
inline constexpr const char *Copy = "Copy";
inline constexpr const char *Paste = "Paste";
inline constexpr const char *Font = "Zt";
inline constexpr const char *FindText = "Findzf";
inline constexpr const char *FindInstruction = "Findzl";
inline constexpr const char *Assemble = "asm";
inline constexpr const char *Simulate = "FZ51";
} // namespace ToolbarKey

} // namespace tw
