#pragma once
// Where windows go: tool windows inside the screen above the main window's status bar, editors
// inside the visible editor area, and the cascade of editors at a size one can work in.
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tw
{

// The frame a window manager usually puts round a window, assumed until the real one is known.
inline constexpr QMargins kAssumedFrame{6, 32, 6, 8};

// The client rectangle of a window of this size whose frame goes inside area: shrunk to fit (but
// never below minimum), centred on centre as far as the area allows.
QRect placeInside(const QRect &area, QSize size, const QMargins &frame, QSize minimum, QPoint centre);

// A rectangle moved and, where it must be, shrunk so that it lies inside area.
QRect keepInside(const QRect &area, const QRect &wanted);

// Cascade positions for count windows in area, each step further right and down: the windows are
// as large as the area allows, at least two thirds of it each way, and the offsets start again
// from the corner before a window would stick out.
QList<QRect> cascade(const QRect &area, int count, int step);

} // namespace tw
