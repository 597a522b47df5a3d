// The preview's zoom arithmetic without a window: the table of zoom steps, stepping in and out, fitting a page to
// a width, and scroll positions kept as fractions of their range across a zoom. Plain C++.
#pragma once

#include "print/PrnTypes.h"

#include <array>

inline constexpr std::array<int, 15> PrnZoomTable{7, 10, 14, 20, 30, 45, 60, 80, 120, 170, 250, 350, 500, 650, 800};

struct TPrnZoomLimits {
    int MinZoom = 5;
    int MaxZoom = 400;
    TPrnZoomStyle Style = pnVariableZoom;
    int Increment = 10;
    int Clamp(int Zoom) const { return Zoom < MinZoom ? MinZoom : Zoom > MaxZoom ? MaxZoom : Zoom; }
};

// The zoom one step in or out from Zoom, clamped: the next table entry (variable zoom) or Zoom plus or minus the
// increment (fixed zoom); Zoom itself when the table has no further entry.
int PrnZoomIn(int Zoom, const TPrnZoomLimits& L);
int PrnZoomOut(int Zoom, const TPrnZoomLimits& L);
// The zoom at which a page PageWidth inches wide fills ControlWidth pixels less the gaps and 20 pixels, at 96
// pixels to the inch, truncated; not clamped. 0 for a page without width.
int PrnFitWidthZoom(int ControlWidth, int GapLeft, int GapRight, Extended PageWidth);
// Position as a fraction of Range; an empty range counts as 0.
double PrnScrollFraction(int Position, int Range);
