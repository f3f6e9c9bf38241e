#pragma once
// The About box: product name and version, what the program does, two mail links and the
// system-information button.
#include <QColor>
#include <QDialog>
#include <memory>

class QLabel;

namespace tw
{

class Prompter;
class Workspace;

class AboutBox : public QDialog
{
    Q_OBJECT

  public:
    explicit AboutBox(Workspace &workspace, QWidget *parent = nullptr);
    ~AboutBox() override;

    // Link colours: at rest, and under the mouse.
    static QColor restingLinkColour();
    static QColor hoverLinkColour();

    QLabel *linkLabel(int index) const { return m_links[index]; }
    QColor linkColour(int index) const;
    // Starts the system-information tool, or says it is not available.
    void startSystemInfo();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

  private:
    void setLinkColours(int hovered);

    Workspace &m_workspace;
    std::unique_ptr<Prompter> m_prompter; // the box's own messages, over it
    QLabel *m_links[2] = {nullptr, nullptr};
    bool m_centred = false;
};

} // namespace tw
