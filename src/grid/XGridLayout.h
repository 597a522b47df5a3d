// Geometry and cursor state of the grid core, without a window: counts, fixed parts, column widths and row
// heights, the visible origin, the current cell and selection anchor, and every calculation the control makes
// from them (cell rectangles, hit tests, largest origin, the 0..127 scroll-bar scale, paging, keyboard moves,
// sizing hot zones). Setters validate exactly as the control does and leave the state untouched when they raise
// EInvalidGridOperation.
#pragma once

#include "grid/XGridTypes.h"

#include <vector>

// One axis as it stands for the current origin and client size.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;   // the line after every cell on this axis (0 when the lines are off)
    int FixedBoundary = 0;        // end of the fixed cells and their lines
    int GridBoundary = 0;         // end of the painted cells (at most GridExtent)
    int GridExtent = 0;           // client width or height
    int LastFullVisibleCell = 0;  // last cell whose far edge lies inside the client (at least FirstGridCell)
    int LastVisibleCell = 0;      // last cell starting inside the client (partly visible)
    int FullVisBoundary = 0;      // end of LastFullVisibleCell and its line
    int FixedCellCount = 0;
    int FirstGridCell = 0;        // LeftCol or TopRow
    int GridCellCount = 0;
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz, Vert;
};

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridSizing {
    TGridState State = gsNormal;
    int Index = -1;   // the column or row being sized
    int Pos = 0;      // pixel position of its far line
    int Offset = 0;   // pointer distance from that line
};

enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom };
enum TGridKey { gkUp, gkDown, gkLeft, gkRight, gkPrior, gkNext, gkHome, gkEnd, gkTab };

// What a navigation key asks for: the origin to apply first and then the cell to make current.
struct TGridMove {
    TGridCoord TopLeft;
    TGridCoord Current;
    bool Extend = false;   // keep the anchor (Shift with goRangeSelect, no goEditing)
};

class TXGridLayout {
public:
    TXGridLayout();

    // ---- counts and extents (core coordinates) ----
    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }
    int FixedCols() const { return FFixedCols; }
    int FixedRows() const { return FFixedRows; }
    // Clamp the count to at least 1 and the fixed count below it; resize the extent arrays keeping old entries;
    // keep the current cell, anchor and origin inside.
    void SetColCount(int Value);
    void SetRowCount(int Value);
    // Raise "Grid index out of range" / "Fixed ... must be less than ..."; a new value resets origin, current
    // cell and anchor to the first scrolling cell.
    void SetFixedCols(int Value);
    void SetFixedRows(int Value);

    int DefaultColWidth() const { return FDefaultColWidth; }
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    // Discards the width (height) array.
    void SetDefaultColWidth(int Value);
    void SetDefaultRowHeight(int Value);
    int ColWidth(int Index) const;
    int RowHeight(int Index) const;
    // Raise "Grid index out of range" at or beyond the count; true when the value changed.
    bool SetColWidth(int Index, int Value);
    bool SetRowHeight(int Index, int Value);
    bool HasColWidths() const { return !FColWidths.empty(); }
    bool HasRowHeights() const { return !FRowHeights.empty(); }
    bool TabStop(int Col) const;
    void SetTabStop(int Col, bool Value);

    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value) { FGridLineWidth = Value < 0 ? 0 : Value; }
    TGridOptions Options() const { return FOptions; }
    // goRowSelect removes goAlwaysShowEditor.
    void SetOptions(TGridOptions Value);
    bool Has(TGridOption Option) const { return (FOptions & Option) != 0; }

    void SetClientSize(int Width, int Height);
    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }

    // ---- origin, current cell, selection ----
    TGridCoord TopLeft() const { return FTopLeft; }
    int LeftCol() const { return FTopLeft.X; }
    int TopRow() const { return FTopLeft.Y; }
    // Held within the fixed count and the largest origin; true when it changed.
    bool SetTopLeft(TGridCoord Value);
    TGridCoord Current() const { return FCurrent; }
    TGridCoord Anchor() const { return FAnchor; }
    // Raw setters; the control checks and asks its descendant before it calls them.
    void SetCurrent(TGridCoord Cell, bool MoveAnchor);
    void SetAnchor(TGridCoord Cell) { FAnchor = Cell; }
    // The selected rectangle of cells (inclusive); with goRowSelect it spans the scrolling columns.
    TGridRect Selection() const;
    bool IsSelected(int Col, int Row) const;

    // Pixel offset into a single scrolling column (0 unless the grid has one column and no fixed column).
    int ColOffset() const { return FColOffset; }
    bool IsSingleColumn() const { return FColCount == 1 && FFixedCols == 0; }
    // Range of the pixel scroll of a single column: 0..max(0, column width - client width).
    int MaxColOffset() const;
    bool SetColOffset(int Value);

    // ---- calculations ----
    TGridDrawInfo CalcDrawInfo() const;
    // The drawing info as if the origin were TopLeft.
    TGridDrawInfo CalcDrawInfoAt(TGridCoord TopLeft) const;
    // The largest origin: the first scrolling cell from which the last column (row) is fully visible.
    TGridCoord CalcMaxTopLeft() const;
    // The cell under a client point; (-1, -1) when outside the cells in either direction.
    TGridCoord MouseCoord(int X, int Y) const;
    // Pixel rectangle of a cell (line excluded, clipped to the client); empty when not visible.
    TGridRect CellRect(int Col, int Row) const;
    // Pixel rectangle spanning the visible part of a block of cells; empty when none of it is visible.
    TGridRect BoxRect(TGridRect Cells) const;
    int VisibleColCount() const;
    int VisibleRowCount() const;

    // Scroll bars: a range of 0..127 exists while the largest origin lies beyond the fixed count.
    bool HasScrollRange(bool Horz) const;
    int ScrollPos(bool Horz) const;
    // The origin a scroll request asks for (held within the fixed count and the largest origin); for a single
    // column grid the horizontal result is a pixel offset. LineStep is the pixel step of such a grid.
    int ScrollRequest(bool Horz, TScrollCode Code, int ThumbPos, int LineStep = 8) const;
    // Pixels the cells move when the origin of an axis goes from From to To (positive: the contents move up or left).
    int PixelDistance(bool Horz, int From, int To) const;
    // The origin that makes a cell fully visible, the current origin when it already is.
    TGridCoord OriginToShow(TGridCoord Cell) const;

    // What a navigation key asks for; Handled false when the key means nothing here. Tab (Shift: Shift+Tab) from the
    // last cell (the first) means nothing either: there the focus leaves the grid.
    bool Navigate(TGridKey Key, bool Shift, bool Ctrl, TGridMove& Move) const;

    // The sizing hot zone under a client point (Designing counts both sizing options as set).
    TGridSizing CalcSizingState(int X, int Y, bool Designing = false) const;

    // Move one column (row) of the extent arrays from one index to another.
    void MoveColumn(int From, int To);
    void MoveRow(int From, int To);

private:
    TGridAxisDrawInfo CalcAxis(bool Horz, int First) const;
    int Extent(bool Horz, int Index) const { return Horz ? ColWidth(Index) : RowHeight(Index); }
    int LineWidth(bool Horz) const;
    int MaxOrigin(bool Horz) const;
    void ClampCursor();

    int FColCount = 5, FRowCount = 5;
    int FFixedCols = 1, FFixedRows = 1;
    int FDefaultColWidth = 64, FDefaultRowHeight = 24;
    std::vector<int> FColWidths, FRowHeights;
    std::vector<bool> FTabStops;
    int FGridLineWidth = 1;
    TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    int FClientWidth = 320, FClientHeight = 120;
    TGridCoord FTopLeft{1, 1}, FCurrent{1, 1}, FAnchor{1, 1};
    int FColOffset = 0;
};
