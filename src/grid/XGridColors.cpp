#include "grid/XGridColors.h"

#include <algorithm>
#include <cmath>

namespace {
// The classic standard scheme, index = system colour number.
constexpr TRGB SystemColors[] = {
    {0xD4, 0xD0, 0xC8},  // clScrollBar
    {0x3A, 0x6E, 0xA5},  // clBackground
    {0x0A, 0x24, 0x6A},  // clActiveCaption
    {0x80, 0x80, 0x80},  // clInactiveCaption
    {0xD4, 0xD0, 0xC8},  // clMenu
    {0xFF, 0xFF, 0xFF},  // clWindow
    {0x00, 0x00, 0x00},  // clWindowFrame
    {0x00, 0x00, 0x00},  // clMenuText
    {0x00, 0x00, 0x00},  // clWindowText
    {0xFF, 0xFF, 0xFF},  // clCaptionText
    {0xD4, 0xD0, 0xC8},  // clActiveBorder
    {0xD4, 0xD0, 0xC8},  // clInactiveBorder
    {0x80, 0x80, 0x80},  // clAppWorkSpace
    {0x0A, 0x24, 0x6A},  // clHighlight
    {0xFF, 0xFF, 0xFF},  // clHighlightText
    {0xD4, 0xD0, 0xC8},  // clBtnFace
    {0x80, 0x80, 0x80},  // clBtnShadow
    {0x80, 0x80, 0x80},  // clGrayText
    {0x00, 0x00, 0x00},  // clBtnText
    {0xD4, 0xD0, 0xC8},  // clInactiveCaptionText
    {0xFF, 0xFF, 0xFF},  // clBtnHighlight
    {0x40, 0x40, 0x40},  // cl3DDkShadow
    {0xE8, 0xE6, 0xE0},  // cl3DLight
    {0x00, 0x00, 0x00},  // clInfoText
    {0xFF, 0xFF, 0xE1},  // clInfoBk
};
}  // namespace

TRGB ColorToRGB(TColor Color)
{
    if (Color == clNone || Color == clDefault)
        return {0xFF, 0xFF, 0xFF};
    if (IsSystemColor(Color)) {
        unsigned index = uint32_t(Color) & 0xFFu;
        if (index < sizeof(SystemColors) / sizeof(SystemColors[0]))
            return SystemColors[index];
        return {0, 0, 0};
    }
    uint32_t v = uint32_t(Color);
    return {uint8_t(v & 0xFF), uint8_t((v >> 8) & 0xFF), uint8_t((v >> 16) & 0xFF)};
}

namespace {
// A channel's linear light for each of its 256 values, worked out once: every painted cell asks for a readable text
// colour, and three powers per colour per cell were a measurable part of a paint.
struct TLinearChannels {
    double Value[256];
    TLinearChannels()
    {
        for (int v = 0; v < 256; ++v) {
            double x = v / 255.0;
            Value[v] = x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        }
    }
};

double Luminance(TColor Color)
{
    static const TLinearChannels Linear;
    TRGB c = ColorToRGB(Color);
    return 0.2126 * Linear.Value[c.R] + 0.7152 * Linear.Value[c.G] + 0.0722 * Linear.Value[c.B];
}
}  // namespace

double ContrastRatio(TColor A, TColor B)
{
    double a = Luminance(A), b = Luminance(B);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

TColor ReadableTextColor(TColor Text, TColor Background)
{
    // Below this, text is hard to make out at the grid's small font sizes; grey on light grey still passes.
    constexpr double Readable = 2.5;
    Text = TextColorOf(Text);
    Background = BackColorOf(Background);
    if (ContrastRatio(Text, Background) >= Readable)
        return Text;
    return ContrastRatio(clWindowText, Background) >= ContrastRatio(clWhite, Background) ? clWindowText : clWhite;
}
