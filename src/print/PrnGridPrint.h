// Grid printing: a grid's table laid out onto the pages of a document, page by page, with the caption row (and
// the upper row of a double header) at the top of every page. Columns that are wider together than the page are
// either shrunk to its width (FitToPageWidth) or cut into column ranges, one page per range for every band of rows
// that fits the page height; a column that does not fit the rest of a page moves whole to the next one
// (pnWrapColumns) or is split across both. Rows grow to their tallest wrapped cell text.
//
// The grid is read through TPrnGridSource, plain values, so that the layout runs without a window; the Qt layer
// adapts the string grid to it. Nothing is drawn here: every cell becomes recorded objects of the page list.
// A row taller than a whole page is printed alone on its page, cut at the page's bottom; it is never dropped.
// Plain C++.
#pragma once

#include "print/PrnPageList.h"

#include <string>
#include <vector>

// One column as the printer sees it; widths in pixels at 96 to the inch.
struct TPrnGridColumn {
    std::string Caption;
    int Width = 64;
    TPrnFont Font;
    TPrnFont HeaderFont;
    TAlignment Alignment = taLeftJustify;
    TAlignment HeaderAlignment = taCenter;
    int LinkedColumns = 0;   // upper header columns: the data columns below it
};

class TPrnGridSource {
public:
    virtual ~TPrnGridSource() = default;
    virtual int RowCount() const = 0;                 // data rows
    virtual int RowHeight(int Row) const = 0;         // pixels, of data row Row
    virtual int HeaderHeight() const = 0;             // pixels, of the caption row and the upper header row
    virtual bool DoubleHeader() const = 0;
    virtual std::vector<TPrnGridColumn> Columns() const = 0;         // data columns in display order
    virtual std::vector<TPrnGridColumn> HeaderColumns() const = 0;   // upper header columns
    virtual std::string CellValue(int Col, int Row) const = 0;
};

// Widths in inches and their cutting into page-wide ranges.
class TPrnWidthsList {
public:
    Extended AvailableWidth = 0;
    bool Wrap = false;

    void Clear();
    void AddWidth(Extended W) { FWidths.push_back(W); }
    Extended GetWidth(int I) const { return FWidths.at(size_t(I)); }
    void SetWidth(int I, Extended W) { FWidths.at(size_t(I)) = W; }
    int Count() const { return int(FWidths.size()); }
    Extended TotalWidth() const { return SumWidths(0, Count()); }
    Extended SumWidths(int Start, int Count) const;
    // The next range starts again with the first width.
    void ResetRange();
    // Takes the next range: as many widths as fit the available width; an overflowing width ends the range split
    // (its first part in this range, the rest carried into the next) or, with Wrap and another width in the range,
    // moves whole to the next range.
    void NextRange();
    bool RangesDone() const { return FNextStart == -1; }

    int RangeStart() const { return FRangeStart; }
    int RangeCount() const { return FRangeCount; }
    Extended RangeWidth() const { return FRangeWidth; }
    // X offset at which the range starts: 0, or negative when it begins with the rest of a split column.
    Extended CarriedOffset() const { return FCarried; }

private:
    std::vector<Extended> FWidths;
    Extended FCarried = 0, FNextCarried = 0, FRangeWidth = 0;
    int FRangeStart = 0, FNextStart = -1, FRangeCount = 0;
};

enum TPrnGridOption : unsigned {
    pnVertLine = 1, pnHorzLine = 2, pnFixedRowPerPage = 4, pnMark2Row = 8, pnMark2Col = 16, pnGridBorder = 32,
    pnWrapColumns = 64
};
using TPrnGridOptions = unsigned;

// The error texts of both printers.
inline constexpr const char* PrnNoPreviewMessage = "The \"Preview\" property must be set to a TPrnPreview component";
inline constexpr const char* PrnNoGridMessage = "The \"Grid\" property must be set to a valid grid component\"";
// The narrowest width between the margins a grid is laid out on (inches): a thousandth of an inch, the precision
// in which the library stores geometry.
inline constexpr Extended PrnMinPrintWidth = 0.001L;

class TPrnGridPrint {
public:
    std::string About() const { return PrnVersionString("TPrnGridPrint"); }
    const TPrnGridSource* Grid = nullptr;
    TPrnPageList* Preview = nullptr;   // the preview's document
    bool AutoExpandRows = true;
    bool FitToPageWidth = false;
    TColor LineColor = clBlack;
    TColor CellColor = clNone;
    TColor TextColor = clBlack;
    TColor FixedCellColor = clSilver;
    TColor FixedTextColor = clBlack;
    TColor MarkRowColor = cl3DLight;
    TPrnGridOptions GridOptions = pnVertLine | pnHorzLine | pnFixedRowPerPage | pnGridBorder | pnWrapColumns;
    TPrnVertAlignment CellVertAlignment = pnMiddle;

    // Lays the whole grid out from the document's current page on; the document then shows page 1. Without a
    // document or a grid, or when the margins leave less than PrnMinPrintWidth between them, the library's error
    // box is shown and nothing is recorded.
    void GridToPage();
    Extended Scale() const { return FScale; }

private:
    enum TRowKind { rkData, rkCaption, rkUpperHeader };
    void PageArea();
    void MeasureColumns();
    bool StartPage(bool First, bool LastRowDone);
    int DrawRows(int From, int To);
    bool NextRowRect(int Row, TRowKind Kind, bool Force);
    void DrawRow(int Row, TRowKind Kind);
    void DrawCell(const TPrnExtRect& R, const std::string& Text, TPrnFont Font, TAlignment Alignment,
        TColor Fill);
    void DrawBorder();
    void VLine(Extended X);
    void HLine(Extended Y);
    TPrnFont Scaled(const TPrnFont& F) const;

    std::vector<TPrnGridColumn> FCols, FHeaderCols;
    TPrnWidthsList FWidths, FHeaderWidths;
    Extended FScale = 1;
    Extended FLeft = 0, FTop = 0, FAvail = 0, FBottom = 0;
    Extended FOriginX = 0, FCursorY = 0;
    TPrnExtRect FBand;
    bool FBandDrawn = false;
    bool FHeaderRange = false;   // the upper header has a range on this page
};
