#include "Twips.h"

#include "common/Vb.h"

namespace tw
{

int pixelsOfTwips(double twips)
{
    return static_cast<int>(roundHalfEven(roundHalfEven(twips) / kTwipsPerPixel));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return {pixelsOfTwips(left), pixelsOfTwips(top), pixelsOfTwips(width), pixelsOfTwips(height)};
}

QPoint screenPlace(QSize screen, double leftOfMiddle, double downFraction)
{
    return {pixelsOfTwips(screen.width() * kTwipsPerPixel * 0.5 - leftOfMiddle),
            pixelsOfTwips(screen.height() * kTwipsPerPixel * downFraction)};
}

} // namespace tw
