// The conversion window inside the real main window (offscreen): every mode's caption, frames,
// extras and browse dialogs from its menu item, the lock and the restore, the Start rules, options
// and key filters, and whole runs from the window: disassembly, compare and porting opening their
// results in an editor, a hex conversion, the restore page.
#include "conversion/ui/ConversionWindow.h"
#include "ConversionTestSupport.h"
#include "common/TextFile.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <set>

using namespace tw;

namespace
{

const QString kConversion = QString::fromLatin1(ToolName::Conversion);

class ConversionWindowTest : public twtest::ToolWindowTest, protected twtest::Folder
{
  protected:
    void SetUp() override
    {
        registerConversionWindow();
        ToolWindowTest::SetUp();
    }

    ConversionWindow *open(const char *item)
    {
        prompter.clearCalls();
        EXPECT_TRUE(main->triggerMenuItem(QString::fromLatin1(item))) << "no menu item " << item;
        auto *window = qobject_cast<ConversionWindow *>(main->toolWindow(kConversion));
        EXPECT_TRUE(window) << item << " opened no conversion window";
        return window;
    }
    template <typename T = QWidget> T *child(ConversionWindow *window, const char *name)
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    QLineEdit *edit(ConversionWindow *window, const char *name) { return child<QLineEdit>(window, name); }
    // Near the left edge: a check or option box reacts on its indicator and text only.
    static void clickButton(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(std::min(8, button->width() / 2), button->height() / 2));
        flush();
    }
    void click(ConversionWindow *window, const char *name)
    {
        clickButton(child<QAbstractButton>(window, name));
    }
    bool startEnabled(ConversionWindow *window) { return window->startButton()->isEnabled(); }
    // A table of menu items that leaves a mode out leaves that mode untested: each is named.
    // Opens the window by each row's menu item, runs check on it and closes it; then every mode
    // must have been opened by some row, so a table that leaves a mode out names it.
    template <class Rows, class Check> void checkEachMode(const Rows &rows, const Check &check)
    {
        std::set<ConversionMode> opened;
        for (const auto &row : rows) {
            SCOPED_TRACE(row.item);
            ConversionWindow *window = open(row.item);
            ASSERT_TRUE(window);
            opened.insert(window->mode());
            check(window, row);
            window->close();
            flush();
            expectMainBack(false);
        }
        for (ConversionMode mode : kAllModes)
            EXPECT_TRUE(opened.count(mode)) << "no item of this table opens " << qPrintable(modeText(mode));
    }
    QStringList shownParts(ConversionWindow *window)
    {
        QStringList names;
        for (WindowPart part : kAllWindowParts)
            if (!window->part(part)->isHidden())
                names << window->part(part)->objectName();
        return names;
    }
    // After the window: menus back; Edit, Window and every button only with an editor open.
    void expectMainBack(bool editorOpen)
    {
        EXPECT_FALSE(main->toolWindow(kConversion));
        for (const char *menu : {"mFile", "mComp", "mCom", "mEml", "mView", "comFZ"})
            EXPECT_TRUE(main->isMenuEnabled(QString::fromLatin1(menu))) << menu;
        EXPECT_EQ(main->isMenuVisible(u"mEdit"_qs), editorOpen);
        EXPECT_EQ(main->isMenuVisible(u"mWindow"_qs), editorOpen);
        int buttons = 0;
        int enabled = 0;
        for (int i = 1; i <= main->toolbarButtonCount(); ++i) {
            // Undo and Redo follow the editor's history.
            const QAction *action = main->toolbarAction(i);
            if (action->isSeparator() || action->objectName() == u"Undo"_qs ||
                action->objectName() == u"Redo"_qs)
                continue;
            ++buttons;
            enabled += main->isToolbarButtonEnabled(i) ? 1 : 0;
        }
        EXPECT_EQ(enabled, editorOpen ? buttons : 4);
        EXPECT_TRUE(main->isMenuEnabled(u"mFileNew"_qs));
        EXPECT_TRUE(main->isMenuEnabled(u"mFileOpen"_qs));
    }
};

} // namespace

TEST_F(ConversionWindowTest, EveryMenuItemOpensItsMode)
{
    const struct {
        const char *item;
        QString caption, mode, inputCaption;
        QStringList shown;
    } modes[] = {
        {"htb",
         u"文件格式转换"_qs,
         u"hex to bin"_qs,
         u"请选择待转换的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"formatFrame"_qs, u"fillFrame"_qs}},
        {"bth",
         u"文件格式转换"_qs,
         u"bin to hex"_qs,
         u"请选择待转换的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"startFrame"_qs}},
        {"otb",
         u"文件格式转换"_qs,
         u"obj to bin"_qs,
         u"请选择待转换的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs}},
        {"bto",
         u"文件格式转换"_qs,
         u"bin to obj"_qs,
         u"请选择待转换的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs}},
        {"dmcf",
         u"文件格式转换"_qs,
         u"bin 代码拆分"_qs,
         u"请选择待拆分的文件"_qs,
         {u"inputFrame"_qs, u"splitFrame"_qs, u"inputLengthRow"_qs, u"inputStartLabel"_qs}},
        {"dmhb",
         u"文件格式转换"_qs,
         u"bin 代码合并"_qs,
         u"请选择待合并的第一个文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"mergeOutputFrame"_qs, u"mergeModeFrame"_qs,
          u"inputLengthRow"_qs, u"inputStartLabel"_qs, u"secondLengthRow"_qs}},
        {"wjbj",
         u"文件比较"_qs,
         u"文件比较"_qs,
         u"请选择待比较的第一个文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"inputLengthRow"_qs, u"secondLengthRow"_qs}},
        {"yz48",
         u"源程序移植"_qs,
         u"源程序移植"_qs,
         u"请选择待移植的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"optionsPanel"_qs}},
        {"binzh",
         u"bin 代码还原"_qs,
         u"bin 代码还原"_qs,
         u"请选择待还原的文件"_qs,
         {u"restorePage"_qs, u"restoreInputFrame"_qs, u"restoreOutputFrame"_qs}},
        {"dasm51",
         u"反汇编"_qs,
         u"反汇编"_qs,
         u"请选择待反汇编的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"optionsPanel"_qs}},
        {"dasm48",
         u"反汇编"_qs,
         u"反汇编"_qs,
         u"请选择待反汇编的文件"_qs,
         {u"inputFrame"_qs, u"outputFrame"_qs, u"optionsPanel"_qs}},
    };
    checkEachMode(modes, [&](ConversionWindow *window, const auto &m) {
        EXPECT_TRUE(prompter.calls().isEmpty()) << "no 该功能尚未提供。";
        EXPECT_EQ(window->windowTitle(), m.caption);
        EXPECT_EQ(child<QLabel>(window, "modeLabel")->text(), m.mode);
        QStringList shown = shownParts(window);
        QStringList expected = m.shown;
        shown.sort();
        expected.sort();
        EXPECT_EQ(shown.join(u' ').toStdString(), expected.join(u' ').toStdString());
        const bool restore = QByteArray(m.item) == "binzh";
        EXPECT_EQ(child<QGroupBox>(window, restore ? "restoreInputFrame" : "inputFrame")->title(),
                  m.inputCaption);
        EXPECT_FALSE(startEnabled(window));
        EXPECT_TRUE(mainLocked());
    });
}

// Every browse button a mode shows asks under its frame's caption, with the filters of the files
// that mode reads or writes; a button that asked nothing would leave its box empty for good.
TEST_F(ConversionWindowTest, EveryBrowseButtonAsksUnderItsCaptionWithItsFilters)
{
    const QString hex = u"十六进制代码文件 (*.hex *.HEX)"_qs;
    const QString obj = u"Text Files (*.obj *.OBJ)"_qs;
    const QString bin = u"二进制代码文件 (*.bin *.BIN)"_qs;
    const QString binOrAll = bin + u";;All Files (*)"_qs;
    const QString listings = bin + u";;Text Files (*.lst *.LST);;Text Files (*.lt *.LT);;All Files (*)"_qs;
    const QString source = u"源程序文件 (*.asm *.ASM);;All Files (*)"_qs;
    const QString convertInput = u"请选择待转换的文件"_qs;
    const QString convertOutput = u"转换后的文件另存为"_qs;
    // What a button asks: "open" or "save", the dialog's title and its filters.
    const auto opens = [](const QString &title, const QString &filter) {
        return u"open "_qs + title + u" | "_qs + filter;
    };
    const auto saves = [](const QString &title, const QString &filter) {
        return u"save "_qs + title + u" | "_qs + filter;
    };
    const struct {
        const char *item;
        QStringList asked; // by the input's, the output's, the merged file's, then the restore's buttons
    } modes[] = {
        {"htb", {opens(convertInput, hex), saves(convertOutput, bin)}},
        {"bth", {opens(convertInput, binOrAll), saves(convertOutput, hex)}},
        {"otb", {opens(convertInput, obj), saves(convertOutput, bin)}},
        {"bto", {opens(convertInput, bin), saves(convertOutput, obj)}},
        {"dmcf", {opens(u"请选择待拆分的文件"_qs, binOrAll)}},
        {"dmhb",
         {opens(u"请选择待合并的第一个文件"_qs, binOrAll), opens(u"请选择待合并的第二个文件"_qs, binOrAll),
          saves(u"合并后的文件另存为"_qs, binOrAll)}},
        {"wjbj",
         {opens(u"请选择待比较的第一个文件"_qs, listings), opens(u"请选择待比较的第二个文件"_qs, listings)}},
        {"yz48", {opens(u"请选择待移植的文件"_qs, source), saves(u"移植后的文件另存为"_qs, source)}},
        {"binzh", {opens(u"请选择待还原的文件"_qs, binOrAll), saves(u"还原后的文件另存为"_qs, bin)}},
        {"dasm51", {opens(u"请选择待反汇编的文件"_qs, binOrAll), saves(u"反汇编后的文件另存为"_qs, source)}},
        {"dasm48", {opens(u"请选择待反汇编的文件"_qs, binOrAll), saves(u"反汇编后的文件另存为"_qs, source)}},
    };
    checkEachMode(modes, [&](ConversionWindow *window, const auto &m) {
        for (const char *name : {"inputButton", "outputButton", "mergeOutputButton", "restoreInputButton",
                                 "restoreOutputButton"}) {
            auto *button = child<QPushButton>(window, name);
            if (!button->isVisibleTo(window))
                continue;
            prompter.answerFile(QString()); // cancelled
            clickButton(button);
        }
        QStringList asked;
        for (const ScriptedPrompter::Call &call : prompter.calls())
            asked << (call.kind == ScriptedPrompter::Kind::SaveFile ? saves(call.title, call.text)
                                                                    : opens(call.title, call.text));
        EXPECT_EQ(asked.join(u'\n').toStdString(), m.asked.join(u'\n').toStdString());
    });
}

TEST_F(ConversionWindowTest, ModeExtras)
{
    ConversionWindow *window = open("dmcf");
    QComboBox *sizes = child<QComboBox>(window, "sizeList");
    EXPECT_FALSE(sizes->isEditable());
    EXPECT_EQ(sizes->count(), 4);
    EXPECT_EQ(sizes->itemText(0), u"1KB"_qs);
    EXPECT_EQ(sizes->itemText(3), u"8KB"_qs);
    EXPECT_EQ(sizes->currentText(), u"4KB"_qs);
    EXPECT_EQ(child<QWidget>(window, "inputLengthRow")->accessibleName(), u"文件长度           字节"_qs);
    window->close();

    window = open("dmhb");
    EXPECT_EQ(child<QPushButton>(window, "outputButton")->text(), u"浏  览"_qs);
    EXPECT_EQ(child<QGroupBox>(window, "outputFrame")->title(), u"请选择待合并的第二个文件"_qs);
    window->close();

    window = open("yz48");
    QRadioButton *mcs51 = child<QRadioButton>(window, "cpuFrameOption0");
    EXPECT_EQ(mcs51->text(), u"MCS48 TO MCS51"_qs);
    EXPECT_TRUE(mcs51->isChecked());
    EXPECT_TRUE(child<QRadioButton>(window, "cpuFrameOption1")->isHidden());
    EXPECT_FALSE(child<QGroupBox>(window, "codeFrame")->isHidden());
    EXPECT_FALSE(child<QGroupBox>(window, "disassemblyFrame")->isHidden());
    EXPECT_TRUE(child<QGroupBox>(window, "rangeFrame")->isHidden());
    window->close();

    window = open("binzh");
    for (int line = 0; line < 16; ++line) {
        QComboBox *list = child<QComboBox>(window, qPrintable(u"addressList"_qs + QString::number(line)));
        EXPECT_EQ(list->currentText(), QString::number(line));
        EXPECT_EQ(list->count(), 16);
        EXPECT_FALSE(list->isEnabled());
    }
    EXPECT_EQ(child<QComboBox>(window, "dataList7")->count(), 8);
    click(window, "dataLinesCheck");
    EXPECT_TRUE(child<QComboBox>(window, "dataList3")->isEnabled());
    child<QComboBox>(window, "dataList3")->setCurrentIndex(5);
    click(window, "dataLinesCheck");
    EXPECT_EQ(child<QComboBox>(window, "dataList3")->currentText(), u"3"_qs);
    EXPECT_FALSE(child<QComboBox>(window, "dataList3")->isEnabled());
    EXPECT_EQ(child<QPushButton>(window, "restoreButton")->toolTip(),
              u"将跳线后的代码还原为正常的程序代码"_qs);
    window->close();
    flush();
}

TEST_F(ConversionWindowTest, StartFollowsTheRulesOfTheBoxes)
{
    ConversionWindow *window = open("bth");
    QLineEdit *input = edit(window, "inputEdit");
    QLineEdit *output = edit(window, "outputEdit");
    QLineEdit *start = edit(window, "startAddressEdit");
    EXPECT_EQ(start->text(), u"0"_qs);
    // The first four characters change nothing; then the proposal.
    QTest::keyClicks(input, u"/w/P"_qs);
    EXPECT_TRUE(output->text().isEmpty());
    input->setText(u"/w/PROG.BIN"_qs);
    EXPECT_EQ(output->text(), u"/w/PROG.hex"_qs);
    EXPECT_TRUE(startEnabled(window));
    start->clear();
    EXPECT_FALSE(startEnabled(window));
    QTest::keyClicks(start, u"1"_qs);
    EXPECT_TRUE(startEnabled(window));
    output->clear();
    input->setText(u"/w/prog.Bin"_qs);
    EXPECT_TRUE(output->text().isEmpty());
    EXPECT_FALSE(startEnabled(window));
    // Typing the output by hand re-evaluates nothing.
    QTest::keyClicks(output, u"/w/x.hex"_qs);
    EXPECT_FALSE(startEnabled(window));
    window->close();

    // Merge: three paths for a direct join; by address the start address too.
    window = open("dmhb");
    edit(window, "inputEdit")->setText(file(u"a.bin"_qs, "12"));
    edit(window, "outputEdit")->setText(file(u"b.bin"_qs, "34"));
    prompter.answerFile(path(u"m.bin"_qs));
    click(window, "mergeOutputButton");
    EXPECT_TRUE(startEnabled(window));
    click(window, "mergeModeFrameOption1");
    EXPECT_FALSE(child<QWidget>(window, "mergeStartRow")->isHidden());
    EXPECT_FALSE(child<QWidget>(window, "mergeFillFrame")->isHidden());
    EXPECT_FALSE(startEnabled(window));
    QTest::keyClicks(edit(window, "mergeStartEdit"), u"0004"_qs);
    EXPECT_TRUE(startEnabled(window));
    click(window, "mergeFillFrameOption1");
    // The merge name guards, both ways.
    prompter.clearCalls();
    prompter.answerFile(path(u"a.bin"_qs));
    click(window, "mergeOutputButton");
    prompter.answerFile(path(u"m.bin"_qs));
    click(window, "inputButton");
    EXPECT_EQ(prompter.messageTexts(), (QStringList{u"合并后的文件不可以与要合并的文件同名！"_qs,
                                                    u"要合并的文件不可以与合并后的文件同名！"_qs}));
    EXPECT_EQ(edit(window, "inputEdit")->text(), path(u"a.bin"_qs));
    prompter.clearCalls();
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"合并完成！"_qs});
    EXPECT_EQ(read(u"m.bin"_qs), QByteArray("12\xFF\xFF"
                                            "34"));
    click(window, "mergeModeFrameOption0");
    EXPECT_TRUE(child<QWidget>(window, "mergeStartRow")->isHidden());
    EXPECT_TRUE(startEnabled(window));
    window->close();
    flush();

    // Reopened: the options of the last opening are gone.
    window = open("dmhb");
    EXPECT_TRUE(child<QRadioButton>(window, "mergeModeFrameOption0")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(window, "mergeFillFrameOption0")->isChecked());
    window->close();

    // Split: only the browse enables Start; the message lands in the frame's label.
    window = open("dmcf");
    prompter.answerFile(file(u"prog.bin"_qs, QByteArray(1500, 'x')));
    click(window, "inputButton");
    EXPECT_EQ(edit(window, "inputLengthEdit")->text(), u"1500"_qs);
    EXPECT_TRUE(startEnabled(window));
    child<QComboBox>(window, "sizeList")->setCurrentText(u"1KB"_qs);
    click(window, "startButton");
    EXPECT_TRUE(
        child<QLabel>(window, "splitMessage")->text().startsWith(u"拆分完成！\r\n\r\n拆分后的文件为："_qs));
    EXPECT_EQ(read(u"prog_2.bin"_qs).size(), 1500 - 1024);
    child<QComboBox>(window, "sizeList")->setCurrentText(u"2KB"_qs);
    EXPECT_TRUE(child<QLabel>(window, "splitMessage")->text().isEmpty());
    window->close();

    // Porting: choosing the source proposes nothing, and the source is no code image.
    main->setCurrentBinPath(u"/w/image.bin"_qs);
    window = open("yz48");
    prompter.answerFile(file(u"p48.asm"_qs, "\tNOP\r\n"));
    click(window, "inputButton");
    EXPECT_TRUE(edit(window, "outputEdit")->text().isEmpty());
    EXPECT_FALSE(startEnabled(window));
    EXPECT_EQ(main->currentBinPath(), u"/w/image.bin"_qs);
    prompter.answerFile(path(u"p51.asm"_qs));
    click(window, "outputButton");
    EXPECT_TRUE(startEnabled(window));
    window->close();
    flush();
}

TEST_F(ConversionWindowTest, RangeOptionsAndKeyFilters)
{
    ConversionWindow *window = open("dasm48");
    EXPECT_TRUE(child<QRadioButton>(window, "cpuFrameOption1")->isChecked());
    QGroupBox *range = child<QGroupBox>(window, "rangeFrame");
    click(window, "disassemblyFrameOption1");
    EXPECT_FALSE(range->isHidden());
    QLineEdit *from = edit(window, "rangeStartEdit");
    QTest::keyClicks(from, u"0a1F"_qs);
    EXPECT_EQ(from->text(), u"01F"_qs);
    QTest::keyClick(from, Qt::Key_Return);
    QTest::keyClick(from, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(from, Qt::Key_Backspace);
    EXPECT_EQ(from->text(), u"01"_qs);
    EXPECT_EQ(prompter.messageTexts(), QStringList(3, u"请输入十六进制代码！"_qs));
    EXPECT_EQ(prompter.calls()[0].style, 64);
    EXPECT_TRUE(prompter.calls()[0].title.isEmpty());
    edit(window, "rangeEndEdit")->setText(u"0800"_qs);
    // 完全反汇编 hides the range and empties both boxes; 部分代码 shows it in place of the options.
    click(window, "disassemblyFrameOption0");
    EXPECT_TRUE(range->isHidden());
    EXPECT_TRUE(from->text().isEmpty() && edit(window, "rangeEndEdit")->text().isEmpty());
    click(window, "codeFrameOption1");
    EXPECT_TRUE(child<QGroupBox>(window, "disassemblyFrame")->isHidden());
    EXPECT_FALSE(range->isHidden());
    from->setText(u"12"_qs);
    click(window, "codeFrameOption0");
    EXPECT_FALSE(child<QGroupBox>(window, "disassemblyFrame")->isHidden());
    EXPECT_TRUE(child<QRadioButton>(window, "disassemblyFrameOption0")->isChecked());
    EXPECT_TRUE(range->isHidden());
    EXPECT_TRUE(from->text().isEmpty());
    window->close();

    window = open("dmhb");
    click(window, "mergeModeFrameOption1");
    QLineEdit *start = edit(window, "mergeStartEdit");
    prompter.clearCalls();
    QTest::keyClicks(start, u"12a4F"_qs);
    EXPECT_EQ(start->text(), u"124F"_qs);
    QTest::keyClicks(start, u"0"_qs);
    QTest::keyClick(start, Qt::Key_Backspace);
    EXPECT_EQ(start->text(), u"124"_qs);
    EXPECT_EQ(prompter.messageTexts(), (QStringList{u"请输入十六进制代码！"_qs, u"不能大于4位！"_qs}));
    window->close();
    flush();
}

TEST_F(ConversionWindowTest, DisassemblyYesOpensTheSourceAndClosesTheWindow)
{
    const QString bin = file(u"prog.bin"_qs, QByteArray::fromHex("020005000080FE"));
    const QString other = file(u"notes.asm"_qs, "; notes\r\n");
    main->openInEditor(other);
    ASSERT_EQ(main->editorCount(), 1);
    ConversionWindow *window = open("dasm51");
    ASSERT_TRUE(window);
    EXPECT_EQ(main->editorCount(), 0);
    prompter.answerFile(bin);
    click(window, "inputButton");
    EXPECT_EQ(edit(window, "outputEdit")->text(), path(u"prog.asm"_qs));
    EXPECT_EQ(main->currentBinPath(), bin);
    EXPECT_TRUE(startEnabled(window));
    prompter.answerMessage(MsgAnswer::Yes);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"反汇编完成！\r\n打开汇编语言程序吗？"_qs});
    EXPECT_EQ(prompter.calls().last().title, u"反汇编信息"_qs);
    EditorWindow *editor = main->activeEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->openFile(), path(u"prog.asm"_qs));
    EXPECT_TRUE(editor->text().contains(u"L7: SJMP L7"_qs));
    EXPECT_TRUE(QFileInfo::exists(path(u"prog.lst"_qs)));
    EXPECT_EQ(main->dialogFileName(), path(u"prog.asm"_qs));
    expectMainBack(true);
    for (const char *item :
         {"mFileSave", "mFileSaveAs", "mEditSelAll", "mEditFindzf", "mEditFindzl", "mFilePrint"})
        EXPECT_TRUE(main->isMenuEnabled(QString::fromLatin1(item))) << item;

    // MCS-48 from its own item leaves the editors open; No keeps the window.
    window = open("dasm48");
    EXPECT_EQ(main->editorCount(), 1);
    edit(window, "inputEdit")->setText(file(u"p48.bin"_qs, QByteArray::fromHex("0403000083")));
    edit(window, "outputEdit")->setText(path(u"p48.asm"_qs));
    prompter.answerMessage(MsgAnswer::No);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"反汇编完成！\r\n打开汇编语言程序吗？"_qs});
    EXPECT_EQ(main->toolWindow(kConversion), window);
    EXPECT_TRUE(readTextFile(path(u"p48.asm"_qs))->text.contains(u"L0: JMP L2"_qs));

    // The source may not land on the image.
    prompter.clearCalls();
    edit(window, "outputEdit")->setText(path(u"p48.bin"_qs));
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"反汇编后的文件不可以与待反汇编的文件同名！"_qs});
    EXPECT_EQ(read(u"p48.bin"_qs), QByteArray::fromHex("0403000083"));
    window->close();
    flush();
    expectMainBack(true);
}

TEST_F(ConversionWindowTest, CompareAndPortingOpenTheirResults)
{
    QByteArray a(64, '\0');
    QByteArray b = a;
    b[7] = 1;
    ConversionWindow *window = open("wjbj");
    prompter.answerFile(file(u"a.bin"_qs, a));
    click(window, "inputButton");
    prompter.answerFile(file(u"b.bin"_qs, b));
    click(window, "outputButton");
    EXPECT_EQ(edit(window, "secondLengthEdit")->text(), u"64"_qs);
    prompter.answerMessage(MsgAnswer::Yes);
    click(window, "startButton");
    EditorWindow *report = main->activeEditor();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->windowTitle(), u"编译信息"_qs);
    EXPECT_EQ(report->openFile(), path(u"report.txt"_qs));
    EXPECT_FALSE(report->hasChanged());
    expectMainBack(true);

    window = open("yz48");
    edit(window, "inputEdit")->setText(file(u"p48.asm"_qs, "\tSTRT\tT\r\n\tEND\r\n"));
    prompter.answerFile(path(u"p51.asm"_qs));
    click(window, "outputButton");
    prompter.answerMessage(MsgAnswer::Yes);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"转换成功，没有发现问题！\r\n打开转换后程序吗？"_qs});
    ASSERT_TRUE(main->activeEditor());
    EXPECT_EQ(main->activeEditor()->openFile(), path(u"p51.asm"_qs));
    EXPECT_TRUE(main->activeEditor()->text().contains(u"\tMOV TMOD,#02H\nSETB TR0"_qs));
    EXPECT_EQ(main->editorCount(), 2);
    expectMainBack(true);
}

TEST_F(ConversionWindowTest, ToolsRunFromTheWindow)
{
    ConversionWindow *window = open("bto");
    edit(window, "inputEdit")->setText(file(u"x.bin"_qs, QByteArray::fromHex("00090AFF")));
    EXPECT_EQ(edit(window, "outputEdit")->text(), path(u"x.obj"_qs));
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"转换完成！"_qs});
    EXPECT_EQ(read(u"x.obj"_qs), QByteArray("00090AFF"));
    EXPECT_EQ(main->toolWindow(kConversion), window);
    window->close();

    window = open("binzh");
    prompter.answerFile(file(u"in.bin"_qs, QByteArray::fromHex("010F80")));
    click(window, "restoreInputButton");
    EXPECT_FALSE(child<QPushButton>(window, "restoreButton")->isEnabled());
    prompter.answerFile(path(u"out.bin"_qs));
    click(window, "restoreOutputButton");
    EXPECT_TRUE(child<QPushButton>(window, "restoreButton")->isEnabled());
    click(window, "dataLinesCheck");
    for (int line = 0; line < 8; ++line)
        child<QComboBox>(window, qPrintable(u"dataList"_qs + QString::number(line)))
            ->setCurrentIndex(7 - line);
    click(window, "restoreButton");
    EXPECT_EQ(read(u"out.bin"_qs), QByteArray::fromHex("80F001"));
    window->close();

    TW_REQUIRE_PEER("srec_cat");
    window = open("htb");
    edit(window, "inputEdit")->setText(file(u"y.hex"_qs, ":01000200AA53\n:00000001FF\n"));
    EXPECT_EQ(edit(window, "outputEdit")->text(), path(u"y.bin"_qs));
    click(window, "fillFrameOption1");
    prompter.clearCalls();
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"转换完成！"_qs});
    EXPECT_EQ(read(u"y.bin"_qs), QByteArray::fromHex("FFFFAA"));
    // XTI SDSMAC, as srec_cat writes TI-Tagged, with the same fill.
    edit(window, "inputEdit")->setText(file(u"t.hex"_qs, "90002*AA7FE22F\n:\n"));
    edit(window, "outputEdit")->setText(path(u"t.bin"_qs));
    click(window, "formatFrameOption3");
    prompter.clearCalls();
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"转换完成！"_qs});
    EXPECT_EQ(read(u"t.bin"_qs), QByteArray::fromHex("FFFFAA"));
    click(window, "formatFrameOption5");
    prompter.clearCalls();
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), QStringList{u"不能转换DMD16 HEX格式的文件！"_qs});
    window->close();
    flush();
}

// What the window does with a tool's outcome: the split's label only once both parts are there,
// nothing opened and the window kept when a result cannot be written or is declined, the editor
// opened and the window closed when it is written and the user says Yes.
TEST_F(ConversionWindowTest, WindowActsOnWhatTheWriterDid)
{
    const QByteArray image(1500, '\x33');
    ConversionWindow *window = open("dmcf");
    QLabel *label = child<QLabel>(window, "splitMessage");
    child<QComboBox>(window, "sizeList")->setCurrentText(u"1KB"_qs);
    prompter.answerFile(file(u"img.bin"_qs, image));
    click(window, "inputButton");
    QDir(dir.path()).mkdir(u"img_2.bin"_qs);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{u"文件写入失败："_qs + path(u"img_2.bin"_qs) + u"（已有同名的文件夹）"_qs});
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_FALSE(exists(u"img_1.bin"_qs));
    QDir(dir.path()).rmdir(u"img_2.bin"_qs);
    prompter.clearCalls();
    click(window, "startButton");
    EXPECT_TRUE(prompter.messageTexts().isEmpty());
    EXPECT_TRUE(label->text().startsWith(u"拆分完成！"_qs));
    EXPECT_EQ(read(u"img_2.bin"_qs), image.mid(1024));
    window->close();

    // A report that cannot be written: the fault, no editor, the window stays.
    window = open("wjbj");
    prompter.answerFile(file(u"a.bin"_qs, "\x01"));
    click(window, "inputButton");
    prompter.answerFile(file(u"b.bin"_qs, "\x02"));
    click(window, "outputButton");
    QDir(dir.path()).mkdir(u"report.txt"_qs);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{u"文件写入失败："_qs + path(u"report.txt"_qs) + u"（已有同名的文件夹）"_qs});
    EXPECT_EQ(main->toolWindow(kConversion), window);
    EXPECT_EQ(main->editorCount(), 0);
    window->close();

    // Porting over files of the last run: No keeps them, opens nothing and keeps the window; Yes
    // replaces both, and Yes to the summary opens the new text and closes the window.
    window = open("yz48");
    const QString ported = file(u"p51.asm"_qs, "old text\r\n");
    file(u"p51.err"_qs, "old report\r\n");
    edit(window, "inputEdit")->setText(file(u"p48.asm"_qs, "\tSEL\tRB1\r\n"));
    prompter.answerFile(ported);
    click(window, "outputButton");
    prompter.clearCalls();
    prompter.answerMessage(MsgAnswer::No);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(), (QStringList{u"文件已存在！\r\n"_qs + ported + u"\r\n"_qs +
                                                        path(u"p51.err"_qs) + u"\r\n覆盖吗？"_qs,
                                                    u"结果未保存，原有文件未改动。"_qs}));
    EXPECT_EQ(prompter.calls()[0].title, u"编译信息"_qs);
    EXPECT_EQ(read(u"p51.asm"_qs), QByteArray("old text\r\n"));
    EXPECT_EQ(read(u"p51.err"_qs), QByteArray("old report\r\n"));
    EXPECT_EQ(main->toolWindow(kConversion), window);
    EXPECT_TRUE(window->startButton()->isEnabled());
    prompter.clearCalls();
    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerMessage(MsgAnswer::Yes);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts().last(), u"转换成功，没有发现问题！\r\n打开转换后程序吗？"_qs);
    ASSERT_TRUE(main->activeEditor());
    EXPECT_EQ(main->activeEditor()->openFile(), ported);
    EXPECT_TRUE(main->activeEditor()->text().contains(u"SETB RS0"_qs));
    expectMainBack(true);

    // The restore page goes through the same writer.
    window = open("binzh");
    prompter.answerFile(file(u"in.bin"_qs, "\x01"));
    click(window, "restoreInputButton");
    QDir(dir.path()).mkdir(u"restored.bin"_qs);
    prompter.answerFile(path(u"restored.bin"_qs));
    click(window, "restoreOutputButton");
    prompter.clearCalls();
    click(window, "restoreButton");
    EXPECT_EQ(prompter.messageTexts(),
              QStringList{u"文件写入失败："_qs + path(u"restored.bin"_qs) + u"（已有同名的文件夹）"_qs});
    window->close();
    flush();
}

// Every caption of every mode is shown whole: the window never stays narrower than its controls.
TEST_F(ConversionWindowTest, NoModeCutsACaption)
{
    for (ConversionMode mode : kAllModes) {
        ASSERT_FALSE(modeRow(mode).menuItems.empty()) << "no menu item opens " << qPrintable(modeText(mode));
        const char *item = modeRow(mode).menuItems.front();
        ConversionWindow *window = open(item);
        ASSERT_TRUE(window) << item;
        QCoreApplication::processEvents();
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            if (!button->isVisibleTo(window) || button->text().isEmpty())
                continue;
            EXPECT_GE(button->width(), button->sizeHint().width())
                << item << ": " << qPrintable(button->text());
        }
        for (QLabel *label : window->findChildren<QLabel *>()) {
            if (!label->isVisibleTo(window) || label->text().isEmpty())
                continue;
            EXPECT_GE(label->width(), label->minimumSizeHint().width())
                << item << ": " << qPrintable(label->text());
        }
        EXPECT_LE(window->frameGeometry().width(), 1024) << item;
        window->close();
        flush();
    }
}

// The user's own source under the name a disassembly proposes: replaced only on Yes; Yes to
// opening the result shows it in the editor that already holds the file, not in a second one.
TEST_F(ConversionWindowTest, DisassemblyAsksBeforeReplacingAnOpenSourceAndReloadsItsEditor)
{
    const QByteArray mine = "\tJMP\tSTART\r\n; my own work\r\n";
    const QString source = file(u"p48.asm"_qs, mine);
    main->openInEditor(source);
    ASSERT_EQ(main->editorCount(), 1);
    ConversionWindow *window = open("dasm48");
    ASSERT_TRUE(window);
    edit(window, "inputEdit")->setText(file(u"p48.bin"_qs, QByteArray::fromHex("0403000083")));
    edit(window, "outputEdit")->setText(source);

    prompter.answerMessage(MsgAnswer::No);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{u"文件已存在！\r\n覆盖吗？"_qs, u"结果未保存，原有文件未改动。"_qs}));
    EXPECT_EQ(read(u"p48.asm"_qs), mine);
    EXPECT_EQ(main->toolWindow(kConversion), window);

    prompter.clearCalls();
    prompter.answerMessage(MsgAnswer::Yes);
    prompter.answerMessage(MsgAnswer::Yes);
    click(window, "startButton");
    EXPECT_EQ(prompter.messageTexts(),
              (QStringList{u"文件已存在！\r\n覆盖吗？"_qs, u"反汇编完成！\r\n打开汇编语言程序吗？"_qs}));
    flush();
    EXPECT_EQ(main->editorCount(), 1);
    EditorWindow *editor = main->activeEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->openFile(), source);
    EXPECT_TRUE(editor->text().contains(u"L0: JMP L2"_qs));
    EXPECT_FALSE(editor->hasChanged());
}
