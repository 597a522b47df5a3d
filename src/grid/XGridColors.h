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
// clDefault stands for the system's colour of the role it is used in: the window text colour for text, the window
// colour for a background.
inline TColor TextColorOf(TColor Color) { return Color == clDefault ? clWindowText : Color; }
inline TColor BackColorOf(TColor Color) { return Color == clDefault ? clWindow : Color; }
// The contrast of two colours, 1 (none) to 21 (black on white), from their relative luminance.
double ContrastRatio(TColor A, TColor B);
// The text colour to draw with: Text itself, or, where it would hardly stand out from the background (a colour
// set meant for another background), the window text colour or white, whichever stands out more.
TColor ReadableTextColor(TColor Text, TColor Background);
// True for a system colour (0xFF0000nn).
inline bool IsSystemColor(TColor Color) { return (uint32_t(Color) & 0xFF000000u) == 0xFF000000u; }
