// The fixed table of system colours the grids draw with. A colour resolves to red, green and blue here and
// nowhere else, so every machine (and every headless test run) paints a grid alike.
#pragma once

#include "grid/XGridTypes.h"

struct TRGB {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TRGB&) const = default;
};

// The colour's red, green and blue; system colours come from the table, clNone and clDefault read as white
// (callers resolve those markers before they paint).
TRGB ColorToRGB(TColor Color);
// True for a system colour (0xFF0000nn).
inline bool IsSystemColor(TColor Color) { return (uint32_t(Color) & 0xFF000000u) == 0xFF000000u; }
