#include "FindDialog.h"

#include "EditorWindow.h"
#include "source/Normaliser.h"
#include "workspace/FindText.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tw
{

FindDialog::FindDialog(EditorSource activeEditor, QWidget *parent)
    : QDialog(parent), m_activeEditor(std::move(activeEditor))
{
    setObjectName(QStringLiteral("FindDialog"));
    setModal(false);
    setWindowTitle(caption(m_mode));

    m_findText = new QLineEdit(this);
    m_findText->setObjectName(QStringLiteral("findText"));
    m_replaceText = new QLineEdit(this);
    m_replaceText->setObjectName(QStringLiteral("replaceText"));
    m_matchCase = new QCheckBox(QStringLiteral(u"大、小写匹配"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCase"));
    m_findButton = new QPushButton(QStringLiteral(u"查    找"), this);
    m_findButton->setObjectName(QStringLiteral("findButton"));
    m_findNextButton = new QPushButton(QStringLiteral(u"查找下一个"), this);
    m_findNextButton->setObjectName(QStringLiteral("findNextButton"));
    m_replaceButton = new QPushButton(QStringLiteral(u"替    换"), this);
    m_replaceButton->setObjectName(QStringLiteral("replaceButton"));
    m_cancelButton = new QPushButton(QStringLiteral(u"取    消"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("resultLabel"));
    for (QPushButton *button : {m_findButton, m_findNextButton, m_replaceButton, m_cancelButton})
        button->setAutoDefault(false);
    // Enter in the pattern box finds, as in every find dialog.
    m_findButton->setDefault(true);
    m_findButton->setEnabled(false);
    m_findNextButton->setEnabled(false);
    m_replaceButton->setEnabled(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral(u"查  找"), this), 0, 0);
    grid->addWidget(m_findText, 0, 1);
    grid->addWidget(m_findButton, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral(u"替换为"), this), 1, 0);
    grid->addWidget(m_replaceText, 1, 1);
    grid->addWidget(m_findNextButton, 1, 2);
    grid->addWidget(m_matchCase, 2, 1);
    grid->addWidget(m_replaceButton, 2, 2);
    grid->addWidget(m_result, 3, 1);
    grid->addWidget(m_cancelButton, 3, 2);

    connect(m_findText, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_findButton->setEnabled(!text.isEmpty()); });
    connect(m_findButton, &QPushButton::clicked, this, &FindDialog::find);
    connect(m_findNextButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(m_replaceButton, &QPushButton::clicked, this, &FindDialog::replace);
    connect(m_cancelButton, &QPushButton::clicked, this, &QWidget::close);

    // 4500 by 2000 twips from the screen's corner.
    move(300, 133);
}

QString FindDialog::caption(Mode mode)
{
    return mode == Mode::ByText ? QStringLiteral(u"按字符查找") : QStringLiteral(u"按指令查找");
}

void FindDialog::start(Mode mode)
{
    m_mode = mode;
    setWindowTitle(caption(mode));
    if (EditorWindow *editor = activeEditor())
        m_findText->setText(editor->selectedText());
    // A dialog closed and opened again keeps its text but not the enabled Find.
    m_findButton->setEnabled(!m_findText->text().isEmpty());
    show();
}

void FindDialog::find()
{
    m_findText->setText(trimBlanks(m_findText->text()));
    m_pattern = m_mode == Mode::ByInstruction ? normaliseStatement(m_findText->text()) : m_findText->text();
    search(true);
}

void FindDialog::findNext()
{
    // By instruction the pattern stays as the last Find normalised it.
    if (m_mode == Mode::ByText)
        m_pattern = m_findText->text();
    search(false);
}

void FindDialog::search(bool fromTop)
{
    EditorWindow *editor = activeEditor();
    if (!editor)
        return;
    const QString text = editor->text();
    const bool matchCase = m_matchCase->isChecked();
    const FindMatch match =
        fromTop ? tw::findFirst(text, m_pattern, matchCase) : tw::findNext(text, m_pattern, matchCase);
    m_findNextButton->setEnabled(match.found());
    m_replaceButton->setEnabled(match.found());
    if (match.found()) {
        m_result->clear();
        QTextCursor cursor = editor->editor()->textCursor();
        cursor.setPosition(match.start);
        cursor.setPosition(match.start + match.length, QTextCursor::KeepAnchor);
        editor->editor()->setTextCursor(cursor);
    } else {
        m_result->setText(QStringLiteral(u"未找到！"));
    }
    showAgain();
}

void FindDialog::replace()
{
    if (EditorWindow *editor = activeEditor())
        editor->editor()->textCursor().insertText(m_replaceText->text());
    showAgain();
}

void FindDialog::showAgain()
{
    show();
    raise();
}

void FindDialog::closeEvent(QCloseEvent *event)
{
    m_findButton->setEnabled(false);
    m_findNextButton->setEnabled(false);
    m_replaceButton->setEnabled(false);
    QDialog::closeEvent(event);
}

bool FindDialog::event(QEvent *event)
{
    // Losing the focus to another window closes the dialog.
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        close();
    return QDialog::event(event);
}

} // namespace tw
