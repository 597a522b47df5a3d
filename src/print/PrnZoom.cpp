#include "print/PrnZoom.h"

#include <cmath>

int PrnZoomIn(int Zoom, const TPrnZoomLimits& L)
{
    if (L.Style == pnFixedZoom)
        return L.Clamp(Zoom + L.Increment);
    for (int z : PrnZoomTable)
        if (z > Zoom)
            return L.Clamp(z);
    return Zoom;
}

int PrnZoomOut(int Zoom, const TPrnZoomLimits& L)
{
    if (L.Style == pnFixedZoom)
        return L.Clamp(Zoom - L.Increment);
    for (auto it = PrnZoomTable.rbegin(); it != PrnZoomTable.rend(); ++it)
        if (*it < Zoom)
            return L.Clamp(*it);
    return Zoom;
}

int PrnFitWidthZoom(int ControlWidth, int GapLeft, int GapRight, Extended PageWidth)
{
    if (PageWidth <= 0)
        return 0;
    Extended factor = Extended(ControlWidth - GapLeft - GapRight - 20) / (PageWidth * 96);
    return int(std::trunc(factor * 100));
}

double PrnScrollFraction(int Position, int Range)
{
    return Range > 0 ? double(Position) / double(Range) : 0.0;
}
