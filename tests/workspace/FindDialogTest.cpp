// The find and replace dialog over a real editor window, by text and by instruction.
#include "MainWindowTestSupport.h"

#include "workspace/FindText.h"
#include "workspace/ui/FindCommands.h"
#include "workspace/ui/FindDialog.h"

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

TEST_F(FindDialogTest, OpensWithModeCaptionAndSelectedText)
{
    EXPECT_FALSE(button("findButton")->isEnabled());
    EXPECT_FALSE(button("findNextButton")->isEnabled());
    EXPECT_FALSE(button("replaceButton")->isEnabled());

    select(editor, 7, 10);
    dialog->start(FindDialog::Mode::ByInstruction);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(u"按指令查找"));
    EXPECT_EQ(findText()->text(), QStringLiteral("MOV"));
    EXPECT_TRUE(button("findButton")->isEnabled());

    findText()->clear();
    EXPECT_FALSE(button("findButton")->isEnabled());
    dialog->start(FindDialog::Mode::ByText);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(u"按字符查找"));
}

TEST_F(FindDialogTest, ByTextHonoursMatchCaseAndFindNext)
{
    search(FindDialog::Mode::ByText, QStringLiteral("  mov  "));
    EXPECT_EQ(findText()->text(), QStringLiteral("mov")); // trimmed
    EXPECT_EQ(findPos(), 8);
    EXPECT_EQ(selectedText(editor), QStringLiteral("MOV"));
    EXPECT_TRUE(button("findNextButton")->isEnabled());
    EXPECT_TRUE(button("replaceButton")->isEnabled());
    EXPECT_TRUE(result().isEmpty());

    // Find again starts at the top; Find next goes on.
    QTest::mouseClick(button("findButton"), Qt::LeftButton);
    EXPECT_EQ(findPos(), 8);
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(editor->editor()->textCursor().selectionStart(), 17);

    matchCase()->setChecked(true);
    search(FindDialog::Mode::ByText, QStringLiteral("MOV"));
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(result(), QStringLiteral(u"未找到！"));
    EXPECT_EQ(findPos(), 0);
    EXPECT_FALSE(button("findNextButton")->isEnabled());
    EXPECT_FALSE(button("replaceButton")->isEnabled());
    EXPECT_EQ(selectedText(editor), QStringLiteral("MOV")); // the selection stays where it was
    dialog->findNext(); // after a miss the search starts from the top again
    EXPECT_EQ(findPos(), 8);
}

TEST_F(FindDialogTest, ByInstructionFindsTheTidiedLayout)
{
    search(FindDialog::Mode::ByInstruction, QStringLiteral("mov   a ,#1"));
    EXPECT_EQ(dialog->searchedPattern(), QStringLiteral("\tmov\ta\t,#1"));
    EXPECT_EQ(result(), QStringLiteral(u"未找到！"));

    search(FindDialog::Mode::ByInstruction, QStringLiteral("mov   a,  #1"));
    EXPECT_EQ(dialog->searchedPattern(), QStringLiteral("\tmov\ta,#1"));
    EXPECT_EQ(selectedText(editor), QStringLiteral("\tMOV\tA,#1"));

    // Find next keeps the normalised pattern even when the box changes.
    findText()->setText(QStringLiteral("something else"));
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(selectedText(editor), QStringLiteral("\tmov\ta,#1"));
    QTest::mouseClick(button("findNextButton"), Qt::LeftButton);
    EXPECT_EQ(result(), QStringLiteral(u"未找到！")); // "loop:\tmov a,#1" is not tidied

    // A label in the pattern goes to column 1 as the tidier puts it.
    search(FindDialog::Mode::ByInstruction, QStringLiteral("start :  mov a,#1"));
    EXPECT_EQ(dialog->searchedPattern(), QStringLiteral("start:\tmov\ta,#1"));
    EXPECT_EQ(findPos(), 1);
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
}
