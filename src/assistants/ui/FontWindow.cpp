#include "FontWindow.h"

#include "GlyphGrid.h"
#include "GlyphInputBox.h"
#include "assistants/GlyphLookup.h"
#include "common/Paths.h"
#include "common/ui/CrLfBox.h"
#include "common/ui/Twips.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"
#include "workspace/ui/ToolRegistry.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>

namespace tw
{

namespace
{

QFont boldFont(const QFont &base, double points)
{
    QFont font = base;
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

template <typename Widget> Widget *place(Widget *widget, QWidget *parent, const QRect &twips)
{
    widget->setParent(parent);
    widget->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return widget;
}

// The byte columns' captions: Left and Width in twips, Top set per font.
constexpr int kColumnLeft[4] = {600, 1560, 2520, 3480};
constexpr int kBitOrderLeft[4] = {480, 1560, 2520, 3480};
constexpr int kBitOrderWidth[4] = {975, 855, 855, 855};
constexpr int kBitOrderHeight[4] = {255, 255, 240, 240};
constexpr int kBottomCaptionWidth[4] = {975, 855, 975, 855};
constexpr int kCaptionHeight = 255;
constexpr int kDesignCaptionTop = 240, kDesignBottomTop = 4680, kDesignBitOrderTop = 480;

// Where each font puts its captions (twips): "H......L", the first bytes above, the last below.
struct CaptionTops {
    int bitOrder, above, below;
};
constexpr CaptionTops kCaptionTops[kGlyphModeCount] = {
    // The 8x16 pattern ends at row 23 (3615 twips); its last byte's caption sits just below it.
    {1530, 1280, 3660},
    {930, 680, 3000},
    {930, 680, 3300},
    {480, 240, 3800},
};

QString byteCaption(int number)
{
    return QStringLiteral(u"第%1字节").arg(number);
}

} // namespace

FontWindow::FontWindow(const QString &fontFolder, QWidget *parent) : QWidget(parent), m_fontFolder(fontFolder)
{
    setObjectName(QString::fromLatin1(ToolName::Font));
    setWindowTitle(QStringLiteral(u"点阵字模"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed dialog border: no minimise or maximise button.
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(pixelsOfTwips(9510), pixelsOfTwips(5130));
    buildControls();
    // The design state: a full 32 x 32 pattern under the captions of its 128 bytes.
    m_ui.grid->setCells(GridCells().set());
    for (int k = 0; k < 8; ++k) {
        const int column = k % 4;
        m_ui.byteCaptions[k]->setText(byteCaption(k < 4 ? column + 1 : 125 + column));
        m_ui.byteCaptions[k]->move(pixelsOfTwips(kColumnLeft[column]),
                                   pixelsOfTwips(k < 4 ? kDesignCaptionTop : kDesignBottomTop));
        m_ui.byteCaptions[k]->show();
    }
    for (QLabel *label : m_ui.bitOrder) {
        label->move(label->x(), pixelsOfTwips(kDesignBitOrderTop));
        label->show();
    }
    m_ui.db->setFocus();
}

void FontWindow::buildControls()
{
    const QFont base = font();
    const std::pair<const char16_t *, QRect> titles[] = {{u"点阵字模", {4560, 360, 2655, 255}},
                                                         {u"请输入", {6840, 4200, 855, 375}},
                                                         {u"区位码", {6840, 3600, 855, 375}}};
    for (const auto &[text, rect] : titles)
        place(new QLabel(QString::fromUtf16(text)), this, rect)->setFont(boldFont(base, 10.5));

    m_ui.db = place(new QPlainTextEdit, this, {4560, 720, 4335, 2415});
    m_ui.db->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_ui.db->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A face with half-width Latin letters, as the Song face has: a DB line fits the box's width.
    QFont dbFont = base;
    dbFont.setFamilies({QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("monospace")});
    dbFont.setStyleHint(QFont::TypeWriter);
    dbFont.setPointSizeF(10.5);
    m_ui.db->setFont(dbFont);

    m_ui.code = place(new QLineEdit, this, {7800, 3480, 1095, 435});
    m_ui.input = place(new GlyphInputBox, this, {7800, 4080, 855, 435});
    for (QLineEdit *box : {m_ui.code, static_cast<QLineEdit *>(m_ui.input)}) {
        box->setFont(boldFont(base, 12));
        box->setAlignment(Qt::AlignCenter);
    }
    connect(m_ui.input, &GlyphInputBox::characterKey, this, &FontWindow::onCharacterKey);
    connect(m_ui.input, &QLineEdit::textChanged, this, &FontWindow::generate);

    const char16_t *sizes[] = {u"8x16 字符", u"12x12 汉字", u"16x16 汉字", u"24x24 汉字"};
    for (int k = 0; k < kGlyphModeCount; ++k) {
        m_ui.size[k] =
            place(new QRadioButton(QString::fromUtf16(sizes[k])), this, {4800, 3360 + 360 * k, 1335, 255});
        connect(m_ui.size[k], &QRadioButton::clicked, this, [this, k] { chooseSize(k); });
    }
    m_ui.size[int(GlyphMode::Hanzi16)]->setChecked(true);

    m_ui.grid = new GlyphGrid(this);
    m_ui.grid->move(pixelsOfTwips(480), pixelsOfTwips(720));
    connect(m_ui.grid, &GlyphGrid::cellClicked, this, &FontWindow::toggleCell);

    for (int k = 0; k < 4; ++k)
        m_ui.bitOrder[k] =
            place(new QLabel(QStringLiteral("H......L")), this,
                  {kBitOrderLeft[k], kDesignBitOrderTop, kBitOrderWidth[k], kBitOrderHeight[k]});
    for (int k = 0; k < 8; ++k) {
        const int column = k % 4;
        const int width = k < 4 ? 735 : kBottomCaptionWidth[column];
        m_ui.byteCaptions[k] =
            place(new QLabel, this, {kColumnLeft[column], kDesignCaptionTop, width, kCaptionHeight});
    }
    // Some captions lie over the grid's edge rows; a click there still reaches the cell below.
    for (QLabel *label : m_ui.bitOrder)
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QLabel *label : m_ui.byteCaptions)
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FontWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // Centred across the screen's width (4800 twips left of the middle), a tenth down its height,
    // counted from the main window's workspace (its editor area) where it has one.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QPoint place = screenPlace(screen->size(), 4800, 0.1);
    if (const auto *main = qobject_cast<QMainWindow *>(parentWidget()); main && main->centralWidget())
        place = main->centralWidget()->mapToGlobal(place);
    move(place);
}

QString FontWindow::dbText() const
{
    return crLfText(m_ui.db);
}

void FontWindow::chooseSize(int option)
{
    m_mode = static_cast<GlyphMode>(option);
    m_ui.input->setFocus();
}

void FontWindow::onCharacterKey(const QString &character)
{
    // The typed character replaces the previous one, so the box holds one character.
    if (!m_ui.input->text().isEmpty()) {
        m_ui.input->setSelection(0, 2);
        m_ui.input->setFocus();
    }
    int checked = 0;
    for (int k = 1; k < kGlyphModeCount; ++k)
        if (m_ui.size[k]->isChecked())
            checked = k;
    m_mode = glyphModeForKey(gbkCodeOf(character).value_or(0), m_mode, checked);
}

void FontWindow::generate()
{
    m_ui.db->clear();
    m_pattern.clear();
    m_ui.grid->setCells(GridCells());
    const std::optional<qint16> code = gbkCodeOf(m_ui.input->text());
    if (!code)
        return;
    m_ui.code->setText(glyphCodeText(m_mode, *code));
    // A font file that is missing, or a code it does not hold, leaves everything blank: no message.
    const std::optional<QByteArray> rows = readGlyphRows(m_fontFolder, m_mode, *code);
    if (!rows)
        return;
    m_pattern = *rows;
    m_patternMode = m_mode;
    showPattern();
    showCaptions(m_mode);
}

void FontWindow::showPattern()
{
    setCrLfText(m_ui.db, glyphDbText(m_pattern));
    m_ui.grid->setCells(glyphCells(m_patternMode, m_pattern));
}

void FontWindow::showCaptions(GlyphMode mode)
{
    const RasterFontLayout &layout = rasterFontLayout(mode);
    const CaptionTops &tops = kCaptionTops[int(mode)];
    for (QLabel *label : m_ui.bitOrder)
        label->hide();
    for (QLabel *label : m_ui.byteCaptions)
        label->hide();
    const int firstColumn = layout.gridColumn / 8;
    const int lastRowStart = layout.glyphBytes - layout.bytesPerRow;
    for (int j = 0; j < layout.bytesPerRow; ++j) {
        const int column = firstColumn + j;
        QLabel *bitOrder = m_ui.bitOrder[column];
        bitOrder->move(bitOrder->x(), pixelsOfTwips(tops.bitOrder));
        bitOrder->show();
        QLabel *above = m_ui.byteCaptions[column];
        above->setText(byteCaption(j + 1));
        above->move(above->x(), pixelsOfTwips(tops.above));
        above->show();
        QLabel *below = m_ui.byteCaptions[4 + column];
        below->setText(byteCaption(lastRowStart + j + 1));
        below->move(below->x(), pixelsOfTwips(tops.below));
        below->show();
    }
}

void FontWindow::toggleCell(int row, int column)
{
    if (m_pattern.isEmpty())
        return;
    const std::optional<GlyphBit> bit = glyphBitOfCell(m_patternMode, row, column);
    if (!bit)
        return;
    m_pattern[bit->byte] = static_cast<char>(static_cast<quint8>(m_pattern[bit->byte]) ^ bit->mask);
    showPattern();
}

void registerFontWindow()
{
    // The menu item only shows the window.
    registerTool(QString::fromLatin1(ToolName::Font),
                 [](Workspace &) -> QWidget * { return new FontWindow(programFolder()); },
                 {{Menu::DotMatrixFont, {}}});
}

} // namespace tw
