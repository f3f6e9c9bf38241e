#pragma once
// The tool windows' layouts keep the twips they were drawn in; 15 twips make a pixel.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tw
{

inline constexpr int kTwipsPerPixel = 15;

// The twips rounded to a whole number, then to whole pixels, halves to the even one each time.
int pixelsOfTwips(double twips);

QRect twipsRect(int left, int top, int width, int height);

// Where a window goes on a screen of this size (pixels): its left edge `leftOfMiddle` twips left of
// the screen's middle, its top `downFraction` of the screen's height down.
QPoint screenPlace(QSize screen, double leftOfMiddle, double downFraction);

} // namespace tw
