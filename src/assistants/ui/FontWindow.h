#pragma once
// The dot-matrix font window (点阵字模): the pattern of one typed character from the raster font
// files, drawn on a 32 x 32 grid and written as DB lines, with its code. It is a child window of
// the main window's workspace and takes no part in the tool-window lock.
#include "assistants/GlyphPattern.h"

#include <QWidget>
#include <array>

class QLabel;
class QPlainTextEdit;
class QLineEdit;
class QRadioButton;

namespace tw
{

class GlyphGrid;
class GlyphInputBox;

class FontWindow : public QWidget
{
    Q_OBJECT

  public:
    struct Controls {
        GlyphInputBox *input = nullptr;                     // 请输入: the character
        QLineEdit *code = nullptr;                          // 区位码: its code, written by the window
        QPlainTextEdit *db = nullptr;                       // the DB lines
        std::array<QRadioButton *, kGlyphModeCount> size{}; // 8x16 字符 ... 24x24 汉字
        GlyphGrid *grid = nullptr;
        std::array<QLabel *, 4> bitOrder{};     // "H......L" above each byte column
        std::array<QLabel *, 8> byteCaptions{}; // 4 above the grid, 4 below
    };

    // fontFolder: where the raster font files are (the program folder).
    explicit FontWindow(const QString &fontFolder, QWidget *parent = nullptr);

    const Controls &controls() const { return m_ui; }
    GlyphMode glyphMode() const { return m_mode; }
    // The DB lines with their CR LF line ends.
    QString dbText() const;

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    void buildControls();
    void chooseSize(int option);
    void onCharacterKey(const QString &character);
    void generate();
    void showPattern();
    void showCaptions(GlyphMode mode);
    void toggleCell(int row, int column);

    QString m_fontFolder;
    Controls m_ui;
    GlyphMode m_mode = GlyphMode::Hanzi16;
    // The pattern on the grid, by rows, while one is shown; clicks on its cells edit it.
    QByteArray m_pattern;
    GlyphMode m_patternMode = GlyphMode::Hanzi16;
    bool m_placed = false;
};

// The launcher (辅助工具 > 汉字显示 > 点阵字模) and the factory.
void registerFontWindow();

} // namespace tw
