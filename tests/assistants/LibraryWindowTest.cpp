// The subroutine-library window in the real main window (offscreen): the three launchers, the
// fixed libraries as built from the routine sources, the user library made on first use with its
// add and confirm states and messages, the refusals of over-long texts, engine failures, and the
// lock and restore of the main window.
#include "assistants/ui/LibraryWindow.h"
#include "SubroutineRig.h"
#include "assistants/SubroutineLibraries.h"
#include "assistants/SubroutineSource.h"
#include "common/ScriptedPrompter.h"
#include "common/TextFile.h"
#include "support/TestFiles.h"
#include "workspace/MainWindowTestSupport.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/EditorWindow.h"
#include "workspace/ui/MainWindow.h"
#include "workspace/ui/ToolRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tw;

namespace
{

const QString kLibrary = QString::fromLatin1(ToolName::Library);
const QString kUserCaption = QStringLiteral(u"用户子程序库");

class LibraryWindowTest : public twtest::ToolWindowTest
{
  protected:
    QTemporaryDir home;
    QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    QByteArray savedProgramFolder = qgetenv("TW_PROGRAM_FOLDER");

    void SetUp() override
    {
        // The user library goes to a private data folder, never the real one.
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
        registerLibraryWindow();
        ToolWindowTest::SetUp();
    }
    void TearDown() override
    {
        ToolWindowTest::TearDown();
        qputenv("XDG_DATA_HOME", savedDataHome);
        qputenv("TW_PROGRAM_FOLDER", savedProgramFolder);
    }

    LibraryWindow *open(const char *item)
    {
        EXPECT_TRUE(main->triggerMenuItem(QString::fromLatin1(item)));
        return qobject_cast<LibraryWindow *>(main->toolWindow(kLibrary));
    }
    static const LibraryWindow::Controls &ui(LibraryWindow *window) { return window->controls(); }
    static QStringList names(LibraryWindow *window)
    {
        QStringList list;
        for (int k = 0; k < ui(window).names->count(); ++k)
            list.append(ui(window).names->itemText(k));
        return list;
    }
    static QStringList boxes(LibraryWindow *window)
    {
        QStringList texts;
        for (QPlainTextEdit *box : ui(window).boxes)
            texts.append(box->toPlainText());
        return texts;
    }
    static void pick(LibraryWindow *window, const QString &name)
    {
        QComboBox *combo = ui(window).names;
        const int index = combo->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        combo->setCurrentIndex(index);
        emit combo->textActivated(name);
    }
    static void fill(LibraryWindow *window, const QString &name, const QStringList &texts)
    {
        ui(window).names->setEditText(name);
        for (int k = 0; k < 5; ++k)
            ui(window).boxes[k]->setPlainText(texts.value(k));
    }
    QStringList confirm(LibraryWindow *window)
    {
        prompter.clearCalls();
        QTest::mouseClick(ui(window).confirm, Qt::LeftButton);
        return prompter.messageTexts();
    }
    QString userLibraryPath() const
    {
        const QString path = libraryPlace(SubroutineLibrary::User).path;
        EXPECT_TRUE(path.startsWith(home.path()) && path.endsWith(QStringLiteral("/yhzcx.db")))
            << path.toStdString();
        return path;
    }
    void closeLibrary()
    {
        main->toolWindow(kLibrary)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool topShown(const char *name) const { return main->isMenuVisible(QString::fromLatin1(name)); }
    bool topEnabled(const char *name) const { return main->isMenuEnabled(QString::fromLatin1(name)); }
    int enabledButtons() const
    {
        int count = 0;
        for (int k = 1; k <= main->toolbarButtonCount(); ++k)
            count += main->isToolbarButtonEnabled(k);
        return count;
    }
};

// The records the build made from the sources, in file order.
QList<SubroutineSource> sourcesIn(const QString &folder)
{
    QList<SubroutineSource> sources;
    const QDir dir(twtest::routinePath(folder));
    for (const QString &file : dir.entryList({QStringLiteral("*.asm")}, QDir::Files, QDir::Name))
        sources.append(*parseSubroutineSource(readTextFile(dir.filePath(file))->text));
    return sources;
}

} // namespace

TEST_F(LibraryWindowTest, FixedLibrariesListTheBuiltRoutinesAndShowAPick)
{
    const std::pair<const char *, QString> libraries[] = {
        {Menu::FixedPointLibrary, QStringLiteral("fixed")},
        {Menu::FloatingPointLibrary, QStringLiteral("float")}};
    for (const auto &[item, folder] : libraries) {
        LibraryWindow *window = open(item);
        ASSERT_NE(window, nullptr);
        const QList<SubroutineSource> sources = sourcesIn(folder);
        const QString caption =
            folder == u"fixed" ? QStringLiteral(u"定点运算子程序库") : QStringLiteral(u"浮点运算子程序库");
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_EQ(ui(window).names->currentText(), caption);
        EXPECT_FALSE(ui(window).add->isVisible());
        EXPECT_FALSE(ui(window).confirm->isVisible());
        QStringList expected;
        for (const SubroutineSource &source : sources)
            expected.append(source.record.name);
        EXPECT_EQ(names(window), expected);
        EXPECT_EQ(boxes(window), QStringList(5, QString()));

        // A pick shows the routine's six fields as its source file has them.
        const SubroutineRecord &record = sources.last().record;
        pick(window, record.name);
        const auto lines = [](QString text) {
            return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        };
        EXPECT_EQ(boxes(window), QStringList({lines(record.entry), lines(record.exit), record.resources,
                                              lines(record.stack), lines(record.code)}));
        EXPECT_TRUE(record.resources.contains(QStringLiteral(u"个机器周期")));
        // The placeholder and an unknown name change nothing.
        ui(window).names->setEditText(LibraryText::DesignCaption);
        emit ui(window).names->textActivated(LibraryText::DesignCaption);
        emit ui(window).names->textActivated(QStringLiteral("NOSUCH"));
        EXPECT_EQ(ui(window).boxes[LibraryWindow::Code]->toPlainText(), lines(record.code));
        closeLibrary();
    }
    EXPECT_TRUE(prompter.calls().isEmpty());
}

TEST_F(LibraryWindowTest, UserLibraryIsMadeOnFirstUseAndTakesNewRoutines)
{
    ASSERT_FALSE(QFile::exists(userLibraryPath()));
    LibraryWindow *window = open(Menu::UserLibrary);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(QFile::exists(userLibraryPath()));
    EXPECT_EQ(window->windowTitle(), kUserCaption);
    EXPECT_EQ(ui(window).names->currentText(), kUserCaption);
    EXPECT_TRUE(names(window).isEmpty());
    EXPECT_TRUE(ui(window).add->isVisible() && ui(window).add->isEnabled());
    EXPECT_TRUE(ui(window).confirm->isVisible() && !ui(window).confirm->isEnabled());

    ui(window).boxes[LibraryWindow::Code]->setPlainText(QStringLiteral("left over"));
    QTest::mouseClick(ui(window).add, Qt::LeftButton);
    EXPECT_EQ(boxes(window), QStringList(5, QString()));
    EXPECT_EQ(ui(window).names->currentText(), QStringLiteral(u"子程序名称"));
    EXPECT_EQ(ui(window).names->lineEdit()->selectedText(), QStringLiteral(u"子程序名称"));
    EXPECT_FALSE(ui(window).add->isEnabled());
    EXPECT_TRUE(ui(window).confirm->isEnabled());

    // The checks in order; each failure keeps the input and the entering state.
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入子程序名称！")});
    ASSERT_EQ(prompter.calls().size(), 1);
    EXPECT_EQ(prompter.calls()[0].style, MsgStyle::Ok + MsgStyle::Exclamation);
    EXPECT_EQ(prompter.calls()[0].title, QStringLiteral(u"信息"));
    fill(window, QString(), {});
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入子程序名称！")});
    fill(window, QStringLiteral("DELAY"), {});
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入子程序！")});
    fill(window, QStringLiteral("DELAY"), {QString(), QString(), QString(), QString(), QStringLiteral(" ")});
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入入口条件，若没有入口条件请输入《无》！")});
    fill(window, QStringLiteral("DELAY"),
         {QStringLiteral(u"无"), QString(), QString(), QString(), QStringLiteral(" ")});
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入出口状态，若没有出口状态请输入《无》！")});
    fill(window, QStringLiteral("DELAY"),
         {QStringLiteral(u"无"), QStringLiteral(u"无"), QString(), QString(), QStringLiteral(" ")});
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入资源要求，若没有资源要求请输入《无》！")});
    fill(
        window, QStringLiteral("DELAY"),
        {QStringLiteral(u"无"), QStringLiteral(u"无"), QStringLiteral("R7"), QString(), QStringLiteral(" ")});
    EXPECT_EQ(confirm(window), QStringList{QStringLiteral(u"请输入堆栈需求，若没有堆栈需求请输入《无》！")});
    EXPECT_TRUE(ui(window).confirm->isEnabled());
    EXPECT_EQ(ui(window).boxes[LibraryWindow::Resources]->toPlainText(), QStringLiteral("R7"));

    // Blanks count as text; the record is stored, listed at once and the boxes emptied.
    fill(window, QStringLiteral("DELAY"),
         {QStringLiteral(u"无"), QStringLiteral(u"无"), QStringLiteral("R7"), QStringLiteral(" "),
          QStringLiteral("DELAY:\tDJNZ\tR7,DELAY\n\tRET")});
    EXPECT_TRUE(confirm(window).isEmpty());
    EXPECT_EQ(names(window), QStringList{QStringLiteral("DELAY")});
    EXPECT_EQ(boxes(window), QStringList(5, QString()));
    EXPECT_EQ(ui(window).names->currentText(), kUserCaption);
    EXPECT_TRUE(ui(window).add->isEnabled());
    EXPECT_FALSE(ui(window).confirm->isEnabled());

    // A second routine of the same name: picking the name shows the one stored last. Quotes and
    // SQL in a text are stored as they stand.
    QTest::mouseClick(ui(window).add, Qt::LeftButton);
    const QString tricky = QStringLiteral("'); DROP TABLE yhzcx; --");
    fill(window, QStringLiteral("DELAY"),
         {tricky, QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("second")});
    EXPECT_TRUE(confirm(window).isEmpty());
    EXPECT_EQ(names(window), QStringList({QStringLiteral("DELAY"), QStringLiteral("DELAY")}));
    pick(window, QStringLiteral("DELAY"));
    EXPECT_EQ(boxes(window), QStringList({tricky, QStringLiteral("b"), QStringLiteral("c"),
                                          QStringLiteral("d"), QStringLiteral("second")}));

    // Closing in the entering state drops the input; the next opening browses the same file.
    QTest::mouseClick(ui(window).add, Qt::LeftButton);
    closeLibrary();
    window = open(Menu::UserLibrary);
    EXPECT_EQ(names(window), QStringList({QStringLiteral("DELAY"), QStringLiteral("DELAY")}));
    EXPECT_TRUE(ui(window).add->isEnabled());
    EXPECT_FALSE(ui(window).confirm->isEnabled());
    pick(window, QStringLiteral("DELAY"));
    EXPECT_EQ(ui(window).boxes[LibraryWindow::Code]->toPlainText(), QStringLiteral("second"));
    closeLibrary();

    // The table has the six fields in their order; line ends are stored as CR LF.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("inspect"));
        db.setDatabaseName(userLibraryPath());
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA table_info(yhzcx)")));
        QStringList fields;
        while (query.next())
            fields.append(query.value(1).toString());
        EXPECT_EQ(fields, QStringList({"ml", "cx", "rk", "ck", "zy", "dz"}));
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT cx FROM yhzcx ORDER BY rowid")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toString(), QStringLiteral("DELAY:\tDJNZ\tR7,DELAY\r\n\tRET"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("inspect"));
}

TEST_F(LibraryWindowTest, OverLongNamesResourcesAndStackTextsAreRefused)
{
    LibraryWindow *window = open(Menu::UserLibrary);
    ASSERT_NE(window, nullptr);
    const QString fifty(50, u'字'), fiftyOne(51, u'字');
    const QString code = QStringLiteral("\tRET");
    const struct {
        QString name, resources, stack, message;
    } cases[] = {
        {fiftyOne, QStringLiteral("A"), QStringLiteral("2"), QStringLiteral(u"子程序名称不能超过50个字符！")},
        {QStringLiteral("N"), fiftyOne, QStringLiteral("2"), QStringLiteral(u"占用资源不能超过50个字符！")},
        {QStringLiteral("N"), QStringLiteral("A"), fiftyOne, QStringLiteral(u"堆栈需求不能超过50个字符！")},
    };
    QTest::mouseClick(ui(window).add, Qt::LeftButton);
    for (const auto &refused : cases) {
        fill(window, refused.name,
             {QStringLiteral("x"), QStringLiteral("y"), refused.resources, refused.stack, code});
        EXPECT_EQ(confirm(window), QStringList{refused.message});
        EXPECT_TRUE(names(window).isEmpty());
        EXPECT_TRUE(ui(window).confirm->isEnabled());
    }
    // Exactly fifty characters fit; the code and condition boxes have no limit.
    fill(window, fifty, {QString(5000, u'x'), QStringLiteral("y"), fifty, fifty, QString(20000, u'c')});
    EXPECT_TRUE(confirm(window).isEmpty());
    EXPECT_EQ(names(window), QStringList{fifty});
}

TEST_F(LibraryWindowTest, EngineFailuresAreReportedAndTheWindowStaysUsable)
{
    QTemporaryDir folder;
    // A damaged fixed library file, then a missing one.
    twtest::writeBytes(folder.filePath(QStringLiteral("zcx.db")), QByteArray(4096, 'x'));
    qputenv("TW_PROGRAM_FOLDER", QFile::encodeName(folder.path()));
    LibraryWindow *window = open(Menu::FixedPointLibrary);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral(u"无法打开子程序库：")));
    EXPECT_TRUE(prompter.messageTexts()[0].contains(QStringLiteral("zcx.db")));
    EXPECT_TRUE(names(window).isEmpty());
    EXPECT_EQ(window->windowTitle(), QStringLiteral(u"定点运算子程序库"));
    emit ui(window).names->textActivated(QStringLiteral("UADD16"));
    closeLibrary();
    QFile::remove(folder.filePath(QStringLiteral("zcx.db")));
    prompter.clearCalls();
    window = open(Menu::FloatingPointLibrary);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral(u"无法打开子程序库：")));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("zcx.db"))))
        << "a read-only library was created";
    closeLibrary();

    // A user library that cannot be made: its folder would lie under a plain file.
    const QString blocker = folder.filePath(QStringLiteral("blocker"));
    twtest::writeBytes(blocker, "not a folder");
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
    prompter.clearCalls();
    window = open(Menu::UserLibrary);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(prompter.messageTexts().size(), 1);
    EXPECT_TRUE(prompter.messageTexts()[0].startsWith(QStringLiteral(u"无法打开子程序库：")));
    EXPECT_TRUE(ui(window).add->isEnabled());
    QTest::mouseClick(ui(window).add, Qt::LeftButton);
    fill(window, QStringLiteral("N"),
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
          QStringLiteral("e")});
    const QStringList messages = confirm(window);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral(u"子程序未能存入子程序库：")));
    // The input stays for another try.
    EXPECT_TRUE(ui(window).confirm->isEnabled());
    EXPECT_EQ(ui(window).boxes[LibraryWindow::Code]->toPlainText(), QStringLiteral("e"));
}

TEST_F(LibraryWindowTest, LocksTheMainWindowAndGivesItBackByTheEditorsOpen)
{
    const int buttons = main->toolbarButtonCount();
    LibraryWindow *window = open(Menu::UserLibrary);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(topShown(Menu::Edit));
    EXPECT_FALSE(topShown(Menu::Window));
    for (const char *menu :
         {Menu::File, Menu::Compile, Menu::Communication, Menu::Simulate, Menu::View, Menu::Tools})
        EXPECT_FALSE(topEnabled(menu)) << menu;
    EXPECT_EQ(enabledButtons(), 0);
    closeLibrary();
    EXPECT_FALSE(main->isToolLoaded(kLibrary));
    for (const char *menu :
         {Menu::File, Menu::Compile, Menu::Communication, Menu::Simulate, Menu::View, Menu::Tools})
        EXPECT_TRUE(topEnabled(menu)) << menu;
    EXPECT_FALSE(topShown(Menu::Edit));
    EXPECT_EQ(enabledButtons(), 4);

    // With an editor open, the Edit and Window menus and every button come back.
    ASSERT_TRUE(main->triggerMenuItem(QString::fromLatin1(Menu::FileNew)));
    ASSERT_EQ(main->editorCount(), 1);
    open(Menu::FixedPointLibrary);
    EXPECT_FALSE(topShown(Menu::Edit));
    EXPECT_EQ(enabledButtons(), 0);
    closeLibrary();
    EXPECT_TRUE(topShown(Menu::Edit));
    EXPECT_TRUE(topShown(Menu::Window));
    for (int k = 1; k <= buttons; ++k) {
        if (main->toolbarAction(k) && !main->toolbarAction(k)->isSeparator()) {
            EXPECT_TRUE(main->isToolbarButtonEnabled(k)) << k;
        }
    }
}
