// The find and replace dialog over a real editor window, by text and by instruction.
#include "MainWindowTestSupport.h"

#include "workspace/FindText.h"
#include "workspace/ui/FindCommands.h"
#include "workspace/ui/FindDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tw;

namespace
{

QString selectedText(EditorWindow *editor)
{
    return editor->editor()->textCursor().selectedText();
}

} // namespace

class FindDialogTest : public twtest::MainWindowTest
{
  protected:
    EditorWindow *editor = nullptr;
    FindDialog *dialog = nullptr;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        editor = newEditor();
        type(editor, QStringLiteral("START:\tMOV\tA,#1\n\tmov\ta,#1\nloop:\tmov a,#1 ; other\n"));
        editor->clearChanged();
        dialog = new FindDialog([this] { return editor; });
    }
    void TearDown() override
    {
        delete dialog;
        MainWindowTest::TearDown();
    }

    QLineEdit *findText() const { return dialog->findChild<QLineEdit *>("findText"); }
    QLineEdit *replaceText() const { return dialog->findChild<QLineEdit *>("replaceText"); }
    QCheckBox *matchCase() const { return dialog->findChild<QCheckBox *>("matchCase"); }
    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(name); }
    QString result() const { return dialog->findChild<QLabel *>("resultLabel")->text(); }

    void search(FindDialog::Mode mode, const QString &pattern)
    {
        dialog->start(mode);
        findText()->setText(pattern);
        QTest::mouseClick(button("findButton"), Qt::LeftButton);
    }
};

TEST_F(FindDialogTest, SearchesOfTheTable)
{
    const QStringList rows =
        QString::fromUtf8(twtest::readBytes(twtest::dataPath("workspace/find.txt"))).split('\n');
    int checked = 0;
    for (const QString &row : rows) {
        if (row.trimmed().isEmpty() || row.startsWith('#'))
            continue;
        QStringList cells = row.split('|');
        ASSERT_EQ(cells.size(), 5) << qPrintable(row);
        for (QString &cell : cells)
            cell = cell.trimmed().replace(QStringLiteral("\\t"), QStringLiteral("\t"));
        matchCase()->setChecked(cells[1] == "yes");
        search(cells[0] == "instr" ? FindDialog::Mode::ByInstruction : FindDialog::Mode::ByText,
               cells[2].mid(1).chopped(1));
        EXPECT_EQ(dialog->searchedPattern(), cells[3]) << qPrintable(row);
        bool first = true;
        for (const QString &click : cells[4].split(',')) {
            const QStringList parts = click.trimmed().split(' ');
            if (!first)
                QTest::mouseClick(button(parts[0] == "find" ? "findButton" : "findNextButton"),
                                  Qt::LeftButton);
            first = false;
            const QString where = row + " at " + click;
            const bool hit = parts[1] != "miss";
            EXPECT_EQ(result(), hit ? QString() : QStringLiteral(u"未找到！")) << qPrintable(where);
            EXPECT_EQ(button("findNextButton")->isEnabled(), hit) << qPrintable(where);
            EXPECT_EQ(button("replaceButton")->isEnabled(), hit) << qPrintable(where);
            const int start = hit ? parts[1].section('+', 0, 0).toInt() : -1;
            EXPECT_EQ(findPos(), start + 1) << qPrintable(where);
            if (hit) {
                EXPECT_EQ(editor->editor()->textCursor().selectionStart(), start) << qPrintable(where);
                EXPECT_EQ(selectedText(editor).size(), parts[1].section('+', 1).toInt()) << qPrintable(where);
            }
        }
        ++checked;
    }
    EXPECT_EQ(checked, 10);
}

TEST_F(FindDialogTest, FindNextKeepsThePatternAndAMissKeepsTheSelection)
{
    search(FindDialog::Mode::ByText, QStringLiteral("  mov  "));
    EXPECT_EQ(findText()->text(), QStringLiteral("mov")); // trimmed
    search(FindDialog::Mode::ByInstruction, QStringLiteral("mov   a,  #1"));
    findText()->setText(QStringLiteral("something else"));
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(selectedText(editor), QStringLiteral("\tmov\ta,#1"));
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(result(), QStringLiteral(u"未找到！"));
    EXPECT_EQ(selectedText(editor), QStringLiteral("\tmov\ta,#1"));
}

TEST_F(FindDialogTest, ReplaceActsOnTheSelectionOnly)
{
    search(FindDialog::Mode::ByText, QStringLiteral("#1"));
    replaceText()->setText(QStringLiteral("#2"));
    QTest::mouseClick(button("replaceButton"), Qt::LeftButton);
    EXPECT_TRUE(editor->text().startsWith(QStringLiteral("START:\tMOV\tA,#2\n\tmov\ta,#1")));
    EXPECT_TRUE(editor->hasChanged());

    // With nothing selected Replace inserts at the caret; it does not search.
    select(editor, 0, 0);
    QTest::mouseClick(button("replaceButton"), Qt::LeftButton);
    EXPECT_TRUE(editor->text().startsWith(QStringLiteral("#2START:")));
}

TEST_F(FindDialogTest, CancelClosesAndFindPosSurvives)
{
    search(FindDialog::Mode::ByText, QStringLiteral("loop"));
    EXPECT_EQ(findPos(), 27);
    QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(button("findButton")->isEnabled());
    EXPECT_FALSE(button("findNextButton")->isEnabled());
    EXPECT_EQ(findPos(), 27);
    dialog->start(FindDialog::Mode::ByText); // opened again over the same text
    EXPECT_TRUE(button("findButton")->isEnabled());
    EXPECT_FALSE(button("findNextButton")->isEnabled());
    findText()->clear();
    EXPECT_FALSE(button("findButton")->isEnabled());

    // Losing the focus to another window closes it as Cancel does.
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(dialog, &deactivate);
    EXPECT_FALSE(dialog->isVisible());

    // With no editor a search does nothing.
    FindDialog orphan([] { return static_cast<EditorWindow *>(nullptr); });
    orphan.start(FindDialog::Mode::ByText);
    orphan.findChild<QLineEdit *>("findText")->setText("x");
    orphan.find();
    EXPECT_EQ(findPos(), 27);
}

TEST_F(FindDialogTest, MenuAndToolbarOpenTheDialogOverTheActiveEditor)
{
    registerFindDialog();
    select(editor, 7, 10);
    ASSERT_TRUE(window->triggerMenuItem("mEditFindzl"));
    auto *shown = qobject_cast<FindDialog *>(window->toolWindow(ToolName::Find));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->windowTitle(), QStringLiteral(u"按指令查找"));
    EXPECT_EQ(shown->findChild<QLineEdit *>("findText")->text(), QStringLiteral("MOV"));
    shown->findChild<QLineEdit *>("findText")->setText(QStringLiteral("mov a,  #1"));
    shown->find();
    shown->findNext();
    EXPECT_EQ(editor->editor()->textCursor().selectionStart(), 16);

    // The toolbar button opens the same dialog in the other mode; a newly opened editor closes it.
    ASSERT_TRUE(window->clickToolbarButton("Findzf"));
    EXPECT_EQ(window->toolWindow(ToolName::Find), shown);
    EXPECT_EQ(shown->windowTitle(), QStringLiteral(u"按字符查找"));
    newEditor();
    EXPECT_FALSE(window->isToolLoaded(ToolName::Find));

    // While a tool window holds the main window the keys of its switched-off items do nothing in
    // the editor, not even what the text box would make of them itself (Ctrl+D deletes under X11's
    // key bindings, Ctrl+X cuts anywhere); with the main window back, Ctrl+D finds again.
    twtest::registerStandIns();
    QPlainTextEdit *text = window->activeEditor()->editor();
    text->insertPlainText(QStringLiteral("MOV A,B"));
    select(window->activeEditor(), 0, 3);
    // As a user clicks back into the editor, whichever window came up last.
    const auto press = [&](Qt::Key key) {
        QApplication::setActiveWindow(window.get());
        text->setFocus();
        QTest::keyClick(text, key, Qt::ControlModifier);
    };
    window->showTool(ToolName::Assembler);
    for (const Qt::Key key : {Qt::Key_D, Qt::Key_X}) {
        press(key);
        EXPECT_EQ(text->toPlainText(), QStringLiteral("MOV A,B")) << key;
    }
    EXPECT_FALSE(window->isToolLoaded(ToolName::Find));
    window->unloadTool(ToolName::Assembler);
    press(Qt::Key_D);
    ASSERT_TRUE(window->isToolLoaded(ToolName::Find));
    EXPECT_EQ(window->toolWindow(ToolName::Find)->windowTitle(), QStringLiteral(u"按指令查找"));
    EXPECT_EQ(text->toPlainText(), QStringLiteral("MOV A,B"));
    flushDeletes();
    twtest::registerStandIns(false);
}

TEST_F(FindDialogTest, EnterInThePatternBoxFinds)
{
    dialog->start(FindDialog::Mode::ByText);
    findText()->setText(QStringLiteral("loop"));
    QTest::keyClick(findText(), Qt::Key_Return);
    EXPECT_EQ(selectedText(editor), QStringLiteral("loop"));
    EXPECT_EQ(findPos(), 27);
    EXPECT_TRUE(dialog->isVisible());

    // Enter is Find, from the top, not Find next.
    findText()->setText(QStringLiteral("mov"));
    QTest::keyClick(findText(), Qt::Key_Enter);
    EXPECT_EQ(editor->editor()->textCursor().selectionStart(), 7);
    QTest::keyClick(findText(), Qt::Key_Enter);
    EXPECT_EQ(editor->editor()->textCursor().selectionStart(), 7);

    // With no pattern there is nothing to find.
    findText()->clear();
    select(editor, 0, 0);
    QTest::keyClick(findText(), Qt::Key_Return);
    EXPECT_TRUE(selectedText(editor).isEmpty());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FindDialogTest, CaretPanelShowsWhereTheMatchStarts)
{
    type(editor, QStringLiteral("\tSJMP\tLOOP\n"));
    // By instruction: the match takes line 4 from its first character.
    search(FindDialog::Mode::ByInstruction, QStringLiteral("sjmp   loop"));
    ASSERT_EQ(selectedText(editor), QStringLiteral("\tSJMP\tLOOP"));
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral(u"行： 4   列： 1"));
    // By text, inside a line.
    search(FindDialog::Mode::ByText, QStringLiteral("a,#1"));
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral(u"行： 1   列： 12"));
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral(u"行： 2   列： 6"));
}
