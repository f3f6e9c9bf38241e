#include "CablePicture.h"

#include <QPainter>
#include <QPainterPath>

namespace tw
{

namespace
{

struct Wire {
    int plugPin;
    const char *signal;
    const char *chipPin;
    int y;
    bool toPlug; // the chip drives it
};

const Wire kWires[] = {
    {1, "MOSI", "P1.5", 30, false},
    {13, "MISO", "P1.6", 56, true},
    {14, "SCK", "P1.7", 82, false},
};

void drawInverter(QPainter &painter, int x, int y)
{
    // A triangle pointing at the plug with the small circle of the inversion.
    QPainterPath path;
    path.moveTo(x + 14, y - 7);
    path.lineTo(x + 14, y + 7);
    path.lineTo(x, y);
    path.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(path);
    painter.drawEllipse(QPointF(x - 3, y), 3, 3);
    painter.setBrush(Qt::NoBrush);
}

} // namespace

CablePicture::CablePicture(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("cablePicture"));
    setToolTip(QStringLiteral(u"下载时，要将RST接Vcc"));
    setMinimumSize(282, 165);
}

void CablePicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    QFont small = font();
    small.setPixelSize(10);
    painter.setFont(small);
    painter.setPen(QPen(Qt::black, 1));

    // The PC's printer plug.
    const QRect plug(8, 14, 46, 110);
    painter.drawRoundedRect(plug, 6, 6);
    painter.drawText(QRect(plug.left(), plug.bottom() + 2, plug.width(), 14), Qt::AlignCenter,
                     QStringLiteral("DB-25"));
    // The chip.
    const QRect chip(200, 14, 70, 110);
    painter.drawRect(chip);
    painter.drawText(QRect(chip.left(), chip.bottom() + 2, chip.width(), 14), Qt::AlignCenter,
                     QStringLiteral("89S51"));

    for (const Wire &wire : kWires) {
        painter.drawText(QRect(plug.left() + 4, wire.y - 7, 40, 14), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::number(wire.plugPin));
        painter.drawText(QRect(chip.left() + 4, wire.y - 7, 60, 14), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(wire.chipPin));
        painter.drawText(QRect(100, wire.y - 16, 80, 12), Qt::AlignCenter, QString::fromLatin1(wire.signal));
        if (wire.toPlug) {
            painter.drawLine(plug.right(), wire.y, 112, wire.y);
            drawInverter(painter, 118, wire.y);
            painter.drawLine(132, wire.y, chip.left(), wire.y);
        } else {
            painter.drawLine(plug.right(), wire.y, chip.left(), wire.y);
        }
    }

    // Ground: pins 18-25 to the chip's GND.
    const int groundY = 108;
    painter.drawText(QRect(plug.left() + 4, groundY - 7, 44, 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("18-25"));
    painter.drawText(QRect(chip.left() + 4, groundY - 7, 60, 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("GND"));
    painter.drawLine(plug.right(), groundY, chip.left(), groundY);

    // RST tied to Vcc through a switch while programming.
    const int rstY = 4;
    painter.drawText(QRect(chip.right() - 30, 14, 28, 12), Qt::AlignRight, QStringLiteral("RST"));
    painter.drawLine(chip.right() - 16, chip.top(), chip.right() - 16, rstY + 6);
    painter.drawLine(chip.right() - 16, rstY + 6, chip.right() - 30, rstY);
    painter.drawLine(chip.right() - 34, rstY + 6, chip.left() - 10, rstY + 6);
    painter.drawText(QRect(chip.left() - 40, rstY, 30, 12), Qt::AlignRight, QStringLiteral("Vcc"));

    QFont titleFont = font();
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.drawText(QRect(0, height() - 20, width(), 18), Qt::AlignCenter, QStringLiteral(u"ISP下载线"));
}

} // namespace tw
