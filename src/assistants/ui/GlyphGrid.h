#pragma once
// The font window's 32 x 32 grid: a set cell is a black square, neighbours overlap by a pixel so
// strokes join. A click on a cell is reported for editing the pattern.
#include "assistants/GlyphPattern.h"

#include <QWidget>

namespace tw
{

class GlyphGrid : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int kPitch = 8; // pixels from one cell to the next
    static constexpr int kCell = 9;  // pixels a cell covers

    explicit GlyphGrid(QWidget *parent = nullptr);

    void setCells(const GridCells &cells);
    const GridCells &cells() const { return m_cells; }
    bool isCellSet(int row, int column) const { return m_cells.test(kGridSize * row + column); }
    // The top-left pixel of a cell, in the grid's coordinates.
    static QPoint cellOrigin(int row, int column) { return {kPitch * column, kPitch * row}; }

  signals:
    void cellClicked(int row, int column);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    GridCells m_cells;
};

} // namespace tw
