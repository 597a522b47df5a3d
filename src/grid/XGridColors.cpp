#include "grid/XGridColors.h"

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
