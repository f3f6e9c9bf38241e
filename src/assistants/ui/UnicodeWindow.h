#pragma once
// The Unicode converter: text to its UTF-16 code units as decimal, "0x" hexadecimal or continuous
// hexadecimal numbers, and back. It takes no part in the tool-window lock.
#include <QWidget>
#include <array>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tw
{

class Prompter;

class UnicodeWindow : public QWidget
{
    Q_OBJECT

  public:
    struct Controls {
        QPlainTextEdit *text = nullptr, *codes = nullptr;
        std::array<QRadioButton *, 3> format{}; // 十进制代码, 十六进制代码, 十六进制连续代码
        QPushButton *toCodes = nullptr, *toText = nullptr, *clear = nullptr;
    };

    explicit UnicodeWindow(Prompter &prompter, QWidget *parent = nullptr);
    ~UnicodeWindow() override;

    const Controls &controls() const { return m_ui; }

    void convertToCodes();
    void convertToText();
    void clearBoth();

  private:
    std::unique_ptr<Prompter> m_ownPrompter; // this window's boxes
    Prompter &m_prompter;
    Controls m_ui;
};

void registerUnicodeWindow();

} // namespace tw
