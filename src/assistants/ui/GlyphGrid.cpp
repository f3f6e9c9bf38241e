#include "GlyphGrid.h"

#include <QMouseEvent>
#include <QPainter>

namespace tw
{

GlyphGrid::GlyphGrid(QWidget *parent) : QWidget(parent)
{
    setFixedSize(kPitch * (kGridSize - 1) + kCell, kPitch * (kGridSize - 1) + kCell);
    setCursor(Qt::PointingHandCursor);
}

void GlyphGrid::setCells(const GridCells &cells)
{
    if (cells == m_cells)
        return;
    m_cells = cells;
    update();
}

void GlyphGrid::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor ink = palette().color(QPalette::WindowText);
    for (int row = 0; row < kGridSize; ++row)
        for (int column = 0; column < kGridSize; ++column)
            if (isCellSet(row, column))
                painter.fillRect(QRect(cellOrigin(row, column), QSize(kCell, kCell)), ink);
}

void GlyphGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const int row = std::min(at.y() / kPitch, kGridSize - 1);
    const int column = std::min(at.x() / kPitch, kGridSize - 1);
    if (row >= 0 && column >= 0)
        emit cellClicked(row, column);
}

} // namespace tw
