// The vocabulary of the print library: its enumerations, the extended-precision point, size and rectangle in
// which all page geometry is held (inches), device rectangles, and the library's error. Plain C++, no Qt.
#pragma once

#include "grid/XGridTypes.h"   // TColor and its named colours, TAlignment: shared with the grids we print

#include <cstdint>

using Extended = long double;

enum TPrnMeasurement { pnUnits, pnPixels, pnMillimeters, pnCentimeters, pnInches, pnTwips };
enum TPrnCoordsRelative { pnFromPage, pnFromPrinterMargins, pnFromUserMargins, pnFromHeaderLine };
enum TPrnOrientation { pnPortrait, pnLandscape };
enum TPrnPagesPerSheet { pnOnePage, pnTwoPage, pnFourPage };
enum TPrnPrintColor { pnColor, pnMonochrome };
enum TPrnPrintQuality { pnDraft, pnLow, pnMedium, pnHigh };
enum TPrnDitherType { pnNone, pnCourse, pnFine, pnLineArt, pnGrayScale };
enum TPrnDuplexType { pnSimplex, pnHorzDuplex, pnVertDuplex };
enum TPrnVertAlignment { pnTop, pnMiddle, pnBottom };
enum TPrnZoomStyle { pnFixedZoom, pnVariableZoom };
enum TPrnGridStyle { pnNoGrid, pnDots, pnLines };
enum TPrnPaperSize {
    pnA3, pnA4, pnA5, pnA6, pnB5, pnC5, pnLegal, pnLetter, pnCustom, pnB4, pnEnvelope_09, pnEnvelope_10,
    pnEnvelope_11, pnEnvelope_12, pnEnvelope_14, pnTabloid, pnLedger, pnExecutive
};

struct TPrnExtPoint {
    Extended X = 0, Y = 0;
    bool operator==(const TPrnExtPoint&) const = default;
};
struct TPrnExtSize {
    Extended Width = 0, Height = 0;
    bool operator==(const TPrnExtSize&) const = default;
};
struct TPrnExtRect {
    Extended Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TPrnExtRect&) const = default;
};
// Device pixels; right and bottom exclusive.
struct TPrnRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TPrnRect&) const = default;
};

// Any refusal of the print library: a page number out of range, a stream that ends early.
ORLANTIS_EXCEPTION(EPrnError, Exception);
