#pragma once
// A small window with one multi-line text box; its caption and text are set by whoever shows it
// (the FAQ, for one). It takes no part in the tool-window lock.
#include <QWidget>

class QPlainTextEdit;

namespace tw
{

class TextViewer : public QWidget
{
    Q_OBJECT

  public:
    explicit TextViewer(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    QPlainTextEdit *textBox() const { return m_text; }

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    QPlainTextEdit *m_text = nullptr;
    bool m_centred = false;
};

// Moves a window to the middle of its screen.
void centreOnScreen(QWidget *window);

} // namespace tw
