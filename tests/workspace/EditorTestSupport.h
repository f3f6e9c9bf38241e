#pragma once
// Editor windows over the model workspace, files in a temporary folder.
#include "common/ScriptedPrompter.h"
#include "support/TestFiles.h"
#include "workspace/ModelWorkspace.h"
#include "workspace/ui/EditorWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace twtest
{

class EditorTest : public ::testing::Test
{
  protected:
    tw::ScriptedPrompter prompter;
    tw::ModelWorkspace workspace{prompter};
    QTemporaryDir dir;

    void TearDown() override
    {
        for (const QPointer<tw::EditorWindow> &editor : m_made)
            delete editor.data();
        flushDeletes();
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // A new editor as the main window makes one: shown (the load step runs), then the file loaded.
    tw::EditorWindow *open(const QString &file = QString(), const QString &caption = QString())
    {
        auto *editor = new tw::EditorWindow(workspace, prompter);
        m_made.append(editor);
        editor->resize(400, 300);
        editor->show();
        if (!file.isEmpty()) {
            editor->setOpenFile(file);
            EXPECT_TRUE(editor->loadFile(file));
            editor->setWindowTitle(caption.isEmpty() ? file : caption);
        }
        editor->clearChanged();
        return editor;
    }

    tw::EditorWindow *openWith(const QString &name, const QByteArray &bytes)
    {
        writeBytes(path(name), bytes);
        return open(path(name));
    }

    static void type(tw::EditorWindow *editor, const QString &text)
    {
        editor->editor()->moveCursor(QTextCursor::End);
        editor->editor()->insertPlainText(text);
    }

    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  private:
    QList<QPointer<tw::EditorWindow>> m_made;
};

} // namespace twtest
