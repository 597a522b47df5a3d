// The plain vocabulary shared by the grid controls: options, cell coordinates, colours and fonts, the cell word
// types and the grid exceptions. Nothing here needs a window, so the grid's logic classes and their tests can use
// it without Qt; the widgets convert colours and fonts at the painter only.
#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <string>

// ---- grid options ----------------------------------------------------------------------------------------------
enum TGridOption : uint16_t {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
    goRowDifferentHeight = 1u << 15,
};
using TGridOptions = uint16_t;   // a set of TGridOption

enum TGridDrawStateItem : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = uint8_t;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNone, bsSingle };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

struct TGridCoord {
    int X = 0;
    int Y = 0;
    bool operator==(const TGridCoord&) const = default;
};

// A rectangle of cells (inclusive) or of pixels (right and bottom exclusive), as the context says.
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TGridRect&) const = default;
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// ---- colours ---------------------------------------------------------------------------------------------------
// A colour is 0x00BBGGRR, or a system colour 0xFF0000nn (nn = the classic system colour index), or one of the two
// markers clNone and clDefault. System colours resolve through one fixed table (XGridColors), never through the
// desktop, so that a headless run draws the same on every machine.
using TColor = int32_t;

constexpr TColor clSystemColor = int32_t(0xFF000000u);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clActiveCaption = clSystemColor | 2;
constexpr TColor clInactiveCaption = clSystemColor | 3;
constexpr TColor clMenu = clSystemColor | 4;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowFrame = clSystemColor | 6;
constexpr TColor clMenuText = clSystemColor | 7;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clCaptionText = clSystemColor | 9;
constexpr TColor clActiveBorder = clSystemColor | 10;
constexpr TColor clInactiveBorder = clSystemColor | 11;
constexpr TColor clAppWorkSpace = clSystemColor | 12;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInactiveCaptionText = clSystemColor | 19;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

// ---- fonts -----------------------------------------------------------------------------------------------------
// A font as the grid keeps it; the painter maps the name to an installed family. Size is in points at 96 dpi.
struct TXFont {
    std::string Name = "MS Sans Serif";
    int Size = 8;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor Color = clWindowText;
    bool operator==(const TXFont&) const = default;
};

// ---- cells of the string grid ----------------------------------------------------------------------------------
enum TCellValueOption : uint8_t { voList = 1, voButton = 2, voReadOnly = 4, voComboBox = 8 };
using TCellValueOptions = uint8_t;   // a set of TCellValueOption
enum TCellValueType : uint8_t {
    vtString = 0,
    vtAlphabeticString = 1,
    vtAlphaNumericString = 2,
    vtMaskedString = 3,
    vtInteger = 4,
    vtRangeInteger = 5,
};
enum TColumnSorting { csNone, csAsc, csDsc };

// ---- errors ----------------------------------------------------------------------------------------------------
// Index and count errors of the grid core.
ORLANTIS_EXCEPTION(EInvalidGridOperation, Exception);
// Errors of the string grid and its columns.
ORLANTIS_EXCEPTION(EXGridError, Exception);
ORLANTIS_EXCEPTION(EXGridColumnsError, EXGridError);

// The core's texts; the grid raises every one of them through InvalidGridOp.
inline constexpr const char* SGridIndexOutOfRange = "Grid index out of range";
inline constexpr const char* SFixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* SFixedRowTooBig = "Fixed row count must be less than row count";
inline constexpr const char* STooManyDeleted = "Too many rows or columns deleted";
inline constexpr const char* SGridTooLarge = "Grid too large for operation";
[[noreturn]] inline void InvalidGridOp(const char* Message) { throw EInvalidGridOperation(Message); }
