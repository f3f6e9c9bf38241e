#include "LibraryWindow.h"

#include "common/Prompter.h"
#include "common/ui/CrLfBox.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw
{

namespace
{

QPlainTextEdit *textBox(bool code)
{
    auto *box = new QPlainTextEdit;
    if (code) {
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    return box;
}

} // namespace

LibraryWindow::LibraryWindow(Workspace &workspace, QWidget *parent)
    : ToolWindow(workspace, ToolName::Library, parent), m_prompter(workspace.prompter().forWindow(this))
{
    setWindowTitle(LibraryText::DesignCaption);

    m_ui.names = new QComboBox;
    m_ui.names->setEditable(true);
    // The list changes only through the library; a typed name is not an item.
    m_ui.names->setInsertPolicy(QComboBox::NoInsert);
    m_ui.names->setMaxVisibleItems(20);
    for (int k = 0; k < 5; ++k)
        m_ui.boxes[k] = textBox(k == Code);
    m_ui.add = new QPushButton(QStringLiteral(u"添 加"));
    m_ui.confirm = new QPushButton(QStringLiteral(u"确 定"));
    m_ui.confirm->setEnabled(false);

    auto *side = new QVBoxLayout;
    const QString labels[] = {QStringLiteral(u"入口条件"), QStringLiteral(u"出口状态"),
                              QStringLiteral(u"占用资源"), QStringLiteral(u"堆栈需求")};
    for (int k = 0; k < 4; ++k) {
        side->addWidget(new QLabel(labels[k]));
        side->addWidget(m_ui.boxes[k], k < 2 ? 3 : 1);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ui.add);
    buttons->addWidget(m_ui.confirm);
    side->addLayout(buttons);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_ui.names, 0, 0, 1, 2);
    grid->addWidget(m_ui.boxes[Code], 1, 0);
    grid->addLayout(side, 1, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    resize(760, 520);

    connect(m_ui.names, &QComboBox::textActivated, this, &LibraryWindow::showRoutine);
    connect(m_ui.add, &QPushButton::clicked, this, &LibraryWindow::startAdding);
    connect(m_ui.confirm, &QPushButton::clicked, this, &LibraryWindow::confirmAdding);

    lockMainWindow();
}

LibraryWindow::~LibraryWindow() = default;

void LibraryWindow::report(const QString &text)
{
    m_prompter->message(text, MsgStyle::Ok + MsgStyle::Exclamation, LibraryText::MessageTitle);
}

void LibraryWindow::clearBoxes()
{
    for (QPlainTextEdit *box : m_ui.boxes)
        box->clear();
}

void LibraryWindow::openLibrary(SubroutineLibrary library)
{
    m_library = library;
    m_place = libraryPlace(library);
    m_ui.names->clear();
    clearBoxes();
    const bool user = library == SubroutineLibrary::User;
    m_ui.add->setVisible(user);
    m_ui.confirm->setVisible(user);
    m_ui.add->setEnabled(true);
    m_ui.confirm->setEnabled(false);
    setWindowTitle(m_place.caption);

    // A library that cannot be opened is reported; the window stays, with an empty list.
    m_store = std::make_unique<SubroutineStore>();
    const QString error = m_place.readOnly ? m_store->openReadOnly(m_place.path, m_place.table)
                                           : m_store->openOrCreate(m_place.path, m_place.table);
    if (error.isEmpty())
        fillList();
    else
        report(libraryOpenFailure(m_place.path, error));
    // Filling the list does not change the text above it.
    m_ui.names->setEditText(m_place.caption);
}

std::optional<QList<SubroutineRecord>> LibraryWindow::readRecords()
{
    QList<SubroutineRecord> records;
    const QString error = m_store->readAll(records);
    if (error.isEmpty())
        return records;
    report(libraryOpenFailure(m_place.path, error));
    return std::nullopt;
}

void LibraryWindow::fillList()
{
    m_ui.names->clear();
    if (const auto records = readRecords())
        for (const SubroutineRecord &record : *records)
            m_ui.names->addItem(record.name);
}

void LibraryWindow::showRoutine(const QString &name)
{
    if (name.isEmpty() || name == LibraryText::DesignCaption || !m_store)
        return;
    const auto records = readRecords();
    if (!records)
        return;
    // Every match is shown in turn, so when names repeat the last one stays.
    for (const SubroutineRecord &record : *records) {
        if (record.name != name)
            continue;
        setCrLfText(m_ui.boxes[Entry], record.entry);
        setCrLfText(m_ui.boxes[Exit], record.exit);
        setCrLfText(m_ui.boxes[Resources], record.resources);
        setCrLfText(m_ui.boxes[Stack], record.stack);
        setCrLfText(m_ui.boxes[Code], record.code);
    }
}

void LibraryWindow::startAdding()
{
    clearBoxes();
    m_ui.names->setEditText(LibraryText::NamePlaceholder);
    m_ui.names->setFocus();
    m_ui.names->lineEdit()->setSelection(0, LibraryText::NamePlaceholder.size());
    m_ui.add->setEnabled(false);
    m_ui.confirm->setEnabled(true);
}

SubroutineRecord LibraryWindow::typedRecord() const
{
    return {m_ui.names->currentText(),  crLfText(m_ui.boxes[Code]),      crLfText(m_ui.boxes[Entry]),
            crLfText(m_ui.boxes[Exit]), crLfText(m_ui.boxes[Resources]), crLfText(m_ui.boxes[Stack])};
}

void LibraryWindow::confirmAdding()
{
    const SubroutineRecord record = typedRecord();
    const QString problem = newRoutineProblem(record);
    if (!problem.isEmpty()) {
        report(problem);
        return;
    }
    // A store that could not be opened gets another try; its failure keeps the input.
    QString error;
    if (!m_store || !m_store->isOpen()) {
        m_store = std::make_unique<SubroutineStore>();
        error = m_store->openOrCreate(m_place.path, m_place.table);
    }
    if (error.isEmpty())
        error = m_store->add(record);
    if (!error.isEmpty()) {
        report(libraryWriteFailure(m_place.path, error));
        return;
    }
    m_ui.add->setEnabled(true);
    m_ui.confirm->setEnabled(false);
    fillList();
    clearBoxes();
    m_ui.names->setEditText(m_place.caption);
}

void LibraryWindow::unloading()
{
    m_store.reset();
}

void launchLibrary(Workspace &workspace, SubroutineLibrary library)
{
    if (auto *window = showToolWindow<LibraryWindow>(workspace, ToolName::Library))
        window->openLibrary(library);
}

void registerLibraryWindow()
{
    const std::pair<const char *, SubroutineLibrary> launchers[] = {
        {Menu::FixedPointLibrary, SubroutineLibrary::FixedPoint},
        {Menu::FloatingPointLibrary, SubroutineLibrary::FloatingPoint},
        {Menu::UserLibrary, SubroutineLibrary::User}};
    QList<ToolMenuItem> items;
    for (const auto &[item, library] : launchers)
        items.append({QString::fromLatin1(item),
                      [library](Workspace &workspace) { launchLibrary(workspace, library); }});
    registerTool(
        ToolName::Library, [](Workspace &workspace) -> QWidget * { return new LibraryWindow(workspace); },
        items);
}

} // namespace tw
