// A source saved from an editor window and assembled by the headless driver: every error line
// number of the report is the editor's line of the faulty statement, and saving again changes
// nothing, whatever blank lines, lone labels, full-width separators and GBK comments it holds.
#include "workspace/MainWindowTestSupport.h"

#include "common/TextFile.h"

#include <QRegularExpression>
#include <QTextBlock>

using namespace Qt::StringLiterals;
using namespace tw;
using namespace twtest;

namespace
{

// The line numbers of the error report's error lines ("第 N行").
QList<int> reportedLines(const QString &reportPath)
{
    static const QRegularExpression line(u"第\\s*(\\d+)行"_s);
    QList<int> lines;
    const auto report = readTextFile(reportPath);
    if (!report)
        return lines;
    for (auto it = line.globalMatch(report->text); it.hasNext();)
        lines << it.next().captured(1).toInt();
    return lines;
}

// The editor's lines (from 1) that hold any of the words.
QList<int> editorLinesWith(const EditorWindow *editor, const QStringList &words)
{
    QList<int> lines;
    const QStringList text = editor->text().split(u'\n');
    for (int i = 0; i < text.size(); ++i)
        if (std::any_of(words.begin(), words.end(),
                        [&](const QString &word) { return text[i].contains(word); }))
            lines << i + 1;
    return lines;
}

} // namespace

using EditorSaveLinesTest = MainWindowTest;

TEST_F(EditorSaveLinesTest, ErrorLinesAreTheEditorsLinesAfterASave)
{
    const QString source = u"; 程序 ;写一位\n"
                           u"start:\n"
                           u"main:\n"
                           u"\tmov a,#1 ;取值 一位\n"
                           u"\t\t\n"
                           u"  \t \n"
                           u"\n"
                           u"\tfoo a\n"
                           u"loop : djnz r7 , loop\n"
                           u"\t\n"
                           u"\tmov a，#300 ；置位\n"
                           u"\tsjmp start\n"
                           u"last:\n"
                           u"\t\t\n"
                           u"\tljmp nowhere\n"
                           u"\tend\n"
                           u"after the end\n"_s;
    const QStringList faulty = {u"FOO"_s, u"#300"_s, u"NOWHERE"_s};
    EditorWindow *editor = openFile(u"prog.asm"_s, *tryEncodeText(source, TextEncoding::Gbk));
    ASSERT_EQ(editor->encoding(), TextEncoding::Gbk);
    ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
    const QByteArray saved = readBytes(path(u"prog.asm"_s));
    // The Chinese comments keep their GBK bytes.
    for (const QString &comment : {u"写一位"_s, u"取值 一位"_s, u"置位"_s})
        EXPECT_TRUE(saved.contains(*tryEncodeText(comment, TextEncoding::Gbk))) << comment.toStdString();

    for (int save = 1; save <= 2; ++save) {
        SCOPED_TRACE(save);
        const ProcessResult run = runDriver({u"asm51"_s, path(u"prog.asm"_s)});
        EXPECT_EQ(run.exitCode, 1) << run.out.toStdString();
        const QList<int> lines = reportedLines(path(u"prog.err"_s));
        EXPECT_EQ(lines, editorLinesWith(editor, faulty)) << editor->text().toStdString();
        EXPECT_EQ(lines.size(), 3);
        // Saving again gives the same bytes.
        type(editor, u"\n"_s);
        ASSERT_TRUE(window->triggerMenuItem(u"mFileSave"_s));
        EXPECT_EQ(readBytes(path(u"prog.asm"_s)), saved);
    }
}
