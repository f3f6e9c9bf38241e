#include "WindowPlacement.h"

#include <algorithm>

namespace tw
{

namespace
{

// The start of a span of length size inside [low, low + room), centred on middle where it fits.
int clampedStart(int middle, int size, int low, int room)
{
    if (size >= room)
        return low;
    return std::clamp(middle - size / 2, low, low + room - size);
}

} // namespace

QRect placeInside(const QRect &area, QSize size, const QMargins &frame, QSize minimum, QPoint centre)
{
    if (area.isEmpty())
        return QRect(centre - QPoint(size.width() / 2, size.height() / 2), size);
    const QSize room(area.width() - frame.left() - frame.right(),
                     area.height() - frame.top() - frame.bottom());
    size = size.boundedTo(room).expandedTo(minimum);
    const QSize framed(size.width() + frame.left() + frame.right(),
                       size.height() + frame.top() + frame.bottom());
    const int x = clampedStart(centre.x(), framed.width(), area.left(), area.width());
    const int y = clampedStart(centre.y(), framed.height(), area.top(), area.height());
    return QRect(QPoint(x + frame.left(), y + frame.top()), size);
}

QRect keepInside(const QRect &area, const QRect &wanted)
{
    // An area not laid out yet says nothing.
    if (area.isEmpty())
        return wanted;
    const QSize size = wanted.size().boundedTo(area.size());
    const int x = std::clamp(wanted.left(), area.left(), area.left() + area.width() - size.width());
    const int y = std::clamp(wanted.top(), area.top(), area.top() + area.height() - size.height());
    return QRect(QPoint(x, y), size);
}

QList<QRect> cascade(const QRect &area, int count, int step)
{
    QList<QRect> places;
    if (count <= 0 || area.isEmpty())
        return places;
    step = std::max(step, 1);
    const int spread = step * (count - 1);
    const QSize size(std::max(area.width() * 2 / 3, area.width() - spread),
                     std::max(area.height() * 2 / 3, area.height() - spread));
    const QSize fitted = size.boundedTo(area.size());
    // How many offsets fit before a window would stick out on either side.
    const int positions = std::max(
        1, std::min((area.width() - fitted.width()) / step, (area.height() - fitted.height()) / step) + 1);
    for (int k = 0; k < count; ++k) {
        const int offset = (k % positions) * step;
        places.append(QRect(area.topLeft() + QPoint(offset, offset), fitted));
    }
    return places;
}

} // namespace tw
