#include "QtPrompter.h"
#include "FileListTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace tw
{

QtPrompter::QtPrompter(QWidget *parent) : m_parent(parent), m_session(std::make_shared<Session>()) {}

QtPrompter::~QtPrompter() = default;

QtPrompter::Session::~Session() = default;

QPrinter *QtPrompter::printer()
{
    if (!m_session->printer)
        m_session->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_session->printer.get();
}

std::unique_ptr<Prompter> QtPrompter::forWindow(QWidget *asker)
{
    auto prompter = std::make_unique<QtPrompter>(asker ? asker : m_parent.data());
    prompter->m_session = m_session;
    return prompter;
}

int QtPrompter::message(const QString &text, int style, const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(!title.isEmpty()                     ? title
                       : !m_session->defaultTitle.isEmpty() ? m_session->defaultTitle
                                                            : QApplication::applicationDisplayName());
    box.setText(text);
    switch (style & 0x70) {
    case MsgStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgStyle::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgStyle::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgStyle::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Button {
        QMessageBox::StandardButton button;
        int answer;
    };
    QList<Button> buttons;
    switch (style & 7) {
    case MsgStyle::OkCancel:
        buttons = {{QMessageBox::Ok, MsgAnswer::Ok}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
        break;
    case MsgStyle::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, MsgAnswer::Abort},
                   {QMessageBox::Retry, MsgAnswer::Retry},
                   {QMessageBox::Ignore, MsgAnswer::Ignore}};
        break;
    case MsgStyle::YesNoCancel:
        buttons = {{QMessageBox::Yes, MsgAnswer::Yes},
                   {QMessageBox::No, MsgAnswer::No},
                   {QMessageBox::Cancel, MsgAnswer::Cancel}};
        break;
    case MsgStyle::YesNo:
        buttons = {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}};
        break;
    case MsgStyle::RetryCancel:
        buttons = {{QMessageBox::Retry, MsgAnswer::Retry}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, MsgAnswer::Ok}};
        break;
    }
    QMessageBox::StandardButtons all;
    for (const Button &b : buttons)
        all |= b.button;
    box.setStandardButtons(all);
    const int defaultIndex = (style & MsgStyle::DefaultButton3)   ? 2
                             : (style & MsgStyle::DefaultButton2) ? 1
                                                                  : 0;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(buttons[defaultIndex].button);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const Button &b : buttons)
        if (b.button == pressed)
            return b.answer;
    // Closed with Escape or the title bar: Cancel where there is one, else the only button.
    for (const Button &b : buttons)
        if (b.answer == MsgAnswer::Cancel || b.answer == MsgAnswer::No)
            return b.answer;
    return buttons.first().answer;
}

namespace
{

// Qt shows each filter "text (patterns)" whole, which names the pattern twice where the text
// names it already (" 源程序文件(*.asm) (*.asm)"). With the patterns hidden the dialog shows what
// stands before them: so that is the text alone where it ends in a pattern of its own, else the
// text and the patterns as before. The patterns that filter stay the caller's ("所有文件(*.*)"
// keeps "*", which unlike "*.*" also lists files without an extension).
QStringList shownNameFilters(const QStringList &filters)
{
    static const QRegularExpression withPatterns(QStringLiteral("^(.*)\\(([^()]*)\\)$"));
    QStringList shown;
    for (const QString &filter : filters) {
        const QRegularExpressionMatch match = withPatterns.match(filter);
        const bool textNamesPattern =
            match.hasMatch() && withPatterns.match(match.captured(1).trimmed()).hasMatch();
        shown.append(!match.hasMatch() || textNamesPattern
                         ? filter
                         : filter + QStringLiteral(" (") + match.captured(2) + QStringLiteral(")"));
    }
    return shown;
}

// The dialog's chosen file, or empty where it was cancelled.
QString runFileDialog(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(shownNameFilters(dialog.nameFilters()));
    dialog.setProxyModel(new FileListTexts(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtPrompter::openFileName(const QString &title, const QString &filter, const QString &start)
{
    QFileDialog dialog(m_parent, title, start, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return runFileDialog(dialog);
}

QString QtPrompter::openFileNameOrTyped(const QString &title, const QString &filter, const QString &start)
{
    // The file mode that does not insist on an existing file, so the caller can say it is missing.
    QFileDialog dialog(m_parent, title, start, filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return runFileDialog(dialog);
}

QString QtPrompter::saveFileName(const QString &title, const QString &filter, const QString &start)
{
    return runSaveDialog(title, filter, start, true);
}

QString QtPrompter::saveFileNameUnasked(const QString &title, const QString &filter, const QString &start)
{
    return runSaveDialog(title, filter, start, false);
}

QString QtPrompter::runSaveDialog(const QString &title, const QString &filter, const QString &start,
                                  bool asksBeforeReplacing)
{
    QFileDialog dialog(m_parent, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !asksBeforeReplacing);
    // The first filter's extension goes on a name typed without one before the dialog checks
    // whether that file exists, so the overwrite question asks about the file really written.
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\*\\.(\\w+)\\)\\s*(;;|$)"));
    if (const QRegularExpressionMatch match = firstPattern.match(filter); match.hasMatch())
        dialog.setDefaultSuffix(match.captured(1));
    return runFileDialog(dialog);
}

std::optional<FontChoice> QtPrompter::chooseFont(const FontChoice &current)
{
    QFont initial(current.family);
    initial.setPointSizeF(current.pointSize > 0 ? current.pointSize : 10);
    initial.setBold(current.bold);
    initial.setItalic(current.italic);
    initial.setUnderline(current.underline);
    initial.setStrikeOut(current.strikeOut);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, m_parent);
    if (!ok)
        return std::nullopt;
    return FontChoice{font.family(), font.pointSizeF(), font.bold(),
                      font.italic(), font.underline(),  font.strikeOut()};
}

bool QtPrompter::printSetup()
{
    QPageSetupDialog dialog(printer(), m_parent);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<PrintChoice> QtPrompter::choosePrint(bool selectionAvailable)
{
    QPrintDialog dialog(printer(), m_parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionAvailable);
    if (selectionAvailable)
        dialog.setPrintRange(QAbstractPrintDialog::Selection);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    PrintChoice choice;
    choice.range =
        dialog.printRange() == QAbstractPrintDialog::Selection ? PrintRange::Selection : PrintRange::All;
    choice.copies = printer()->copyCount();
    return choice;
}

} // namespace tw
