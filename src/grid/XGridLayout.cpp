#include "grid/XGridLayout.h"

#include <algorithm>
#include <cmath>

TXGridLayout::TXGridLayout() = default;

// ---- counts --------------------------------------------------------------------------------------------------

void TXGridLayout::SetColCount(int Value)
{
    Value = std::max(Value, 1);
    if (Value == FColCount)
        return;
    if (FFixedCols >= Value)
        FFixedCols = Value - 1;
    if (!FColWidths.empty())
        FColWidths.resize(size_t(Value), FDefaultColWidth);
    if (!FTabStops.empty())
        FTabStops.resize(size_t(Value), true);
    FColCount = Value;
    ClampCursor();
}

void TXGridLayout::SetRowCount(int Value)
{
    Value = std::max(Value, 1);
    if (Value == FRowCount)
        return;
    if (FFixedRows >= Value)
        FFixedRows = Value - 1;
    if (!FRowHeights.empty())
        FRowHeights.resize(size_t(Value), FDefaultRowHeight);
    FRowCount = Value;
    ClampCursor();
}

void TXGridLayout::ClampCursor()
{
    auto clamp = [this](TGridCoord c) {
        c.X = std::clamp(c.X, FFixedCols, FColCount - 1);
        c.Y = std::clamp(c.Y, FFixedRows, FRowCount - 1);
        return c;
    };
    FCurrent = clamp(FCurrent);
    FAnchor = clamp(FAnchor);
    if (Has(goRowSelect))
        FAnchor.X = FColCount - 1;
    TGridCoord max = CalcMaxTopLeft();
    FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, max.X);
    FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, max.Y);
    FColOffset = std::clamp(FColOffset, 0, MaxColOffset());
}

void TXGridLayout::SetFixedCols(int Value)
{
    if (Value < 0)
        InvalidGridOp(SGridIndexOutOfRange);
    if (Value >= FColCount)
        InvalidGridOp(SFixedColTooBig);
    FFixedCols = Value;
    FTopLeft.X = Value;
    FCurrent.X = Value;
    FAnchor.X = Has(goRowSelect) ? FColCount - 1 : Value;
    FColOffset = 0;
}

void TXGridLayout::SetFixedRows(int Value)
{
    if (Value < 0)
        InvalidGridOp(SGridIndexOutOfRange);
    if (Value >= FRowCount)
        InvalidGridOp(SFixedRowTooBig);
    FFixedRows = Value;
    FTopLeft.Y = Value;
    FCurrent.Y = Value;
    FAnchor.Y = Value;
}

void TXGridLayout::SetDefaultColWidth(int Value)
{
    FDefaultColWidth = Value;
    FColWidths.clear();
    ClampCursor();
}

void TXGridLayout::SetDefaultRowHeight(int Value)
{
    FDefaultRowHeight = Value;
    FRowHeights.clear();
    ClampCursor();
}

int TXGridLayout::ColWidth(int Index) const
{
    if (Index < 0 || size_t(Index) >= FColWidths.size())
        return FDefaultColWidth;
    return FColWidths[size_t(Index)];
}

int TXGridLayout::RowHeight(int Index) const
{
    if (Index < 0 || size_t(Index) >= FRowHeights.size())
        return FDefaultRowHeight;
    return FRowHeights[size_t(Index)];
}

bool TXGridLayout::SetColWidth(int Index, int Value)
{
    if (Index < 0 || Index >= FColCount)
        InvalidGridOp(SGridIndexOutOfRange);
    if (FColWidths.empty())
        FColWidths.assign(size_t(FColCount), FDefaultColWidth);
    if (FColWidths[size_t(Index)] == Value)
        return false;
    FColWidths[size_t(Index)] = Value;
    ClampCursor();
    return true;
}

bool TXGridLayout::SetRowHeight(int Index, int Value)
{
    if (Index < 0 || Index >= FRowCount)
        InvalidGridOp(SGridIndexOutOfRange);
    if (FRowHeights.empty())
        FRowHeights.assign(size_t(FRowCount), FDefaultRowHeight);
    if (FRowHeights[size_t(Index)] == Value)
        return false;
    FRowHeights[size_t(Index)] = Value;
    ClampCursor();
    return true;
}

bool TXGridLayout::TabStop(int Col) const
{
    if (Col < 0 || size_t(Col) >= FTabStops.size())
        return true;
    return FTabStops[size_t(Col)];
}

void TXGridLayout::SetTabStop(int Col, bool Value)
{
    if (Col < 0 || Col >= FColCount)
        InvalidGridOp(SGridIndexOutOfRange);
    if (FTabStops.empty())
        FTabStops.assign(size_t(FColCount), true);
    FTabStops[size_t(Col)] = Value;
}

void TXGridLayout::SetOptions(TGridOptions Value)
{
    if (Value & goRowSelect)
        Value &= TGridOptions(~goAlwaysShowEditor);
    FOptions = Value;
    if (Has(goRowSelect))
        FAnchor.X = FColCount - 1;
}

void TXGridLayout::SetClientSize(int Width, int Height)
{
    FClientWidth = std::max(Width, 0);
    FClientHeight = std::max(Height, 0);
    ClampCursor();
}

// ---- origin and cursor -----------------------------------------------------------------------------------------

bool TXGridLayout::SetTopLeft(TGridCoord Value)
{
    TGridCoord max = CalcMaxTopLeft();
    Value.X = std::clamp(Value.X, FFixedCols, max.X);
    Value.Y = std::clamp(Value.Y, FFixedRows, max.Y);
    if (Value == FTopLeft)
        return false;
    FTopLeft = Value;
    return true;
}

void TXGridLayout::SetCurrent(TGridCoord Cell, bool MoveAnchor)
{
    FCurrent = Cell;
    if (Has(goRowSelect)) {
        FCurrent.X = FFixedCols;
        FAnchor = {FColCount - 1, MoveAnchor ? Cell.Y : FAnchor.Y};
    } else if (MoveAnchor) {
        FAnchor = FCurrent;
    }
}

TGridRect TXGridLayout::Selection() const
{
    TGridRect r;
    r.Left = std::min(FCurrent.X, FAnchor.X);
    r.Right = std::max(FCurrent.X, FAnchor.X);
    r.Top = std::min(FCurrent.Y, FAnchor.Y);
    r.Bottom = std::max(FCurrent.Y, FAnchor.Y);
    if (Has(goRowSelect)) {
        r.Left = FFixedCols;
        r.Right = FColCount - 1;
    }
    return r;
}

bool TXGridLayout::IsSelected(int Col, int Row) const
{
    TGridRect r = Selection();
    return Col >= r.Left && Col <= r.Right && Row >= r.Top && Row <= r.Bottom;
}

int TXGridLayout::MaxColOffset() const
{
    if (!IsSingleColumn())
        return 0;
    return std::max(0, ColWidth(0) - FClientWidth);
}

bool TXGridLayout::SetColOffset(int Value)
{
    Value = std::clamp(Value, 0, MaxColOffset());
    if (Value == FColOffset)
        return false;
    FColOffset = Value;
    return true;
}

// ---- calculations ----------------------------------------------------------------------------------------------

int TXGridLayout::LineWidth(bool Horz) const
{
    if (Horz)
        return (FOptions & (goFixedVertLine | goVertLine)) ? FGridLineWidth : 0;
    return (FOptions & (goFixedHorzLine | goHorzLine)) ? FGridLineWidth : 0;
}

TGridAxisDrawInfo TXGridLayout::CalcAxis(bool Horz, int First) const
{
    TGridAxisDrawInfo a;
    a.EffectiveLineWidth = LineWidth(Horz);
    a.GridExtent = Horz ? FClientWidth : FClientHeight;
    a.FixedCellCount = Horz ? FFixedCols : FFixedRows;
    a.GridCellCount = Horz ? FColCount : FRowCount;
    a.FirstGridCell = First;
    int pos = 0;
    for (int i = 0; i < a.FixedCellCount; ++i)
        pos += Extent(Horz, i) + a.EffectiveLineWidth;
    a.FixedBoundary = pos;
    if (Horz)
        pos -= FColOffset;
    a.FullVisBoundary = a.FixedBoundary;
    a.LastFullVisibleCell = First;
    a.LastVisibleCell = First;
    a.GridBoundary = std::min(a.FixedBoundary, a.GridExtent);
    bool fullRun = true;
    for (int i = First; i < a.GridCellCount; ++i) {
        if (pos >= a.GridExtent && i > First)
            break;
        int end = pos + Extent(Horz, i);
        a.LastVisibleCell = i;
        if (fullRun && end <= a.GridExtent) {
            a.LastFullVisibleCell = i;
            a.FullVisBoundary = end + a.EffectiveLineWidth;
        } else {
            fullRun = false;
        }
        pos = end + a.EffectiveLineWidth;
        a.GridBoundary = std::min(pos, a.GridExtent);
    }
    return a;
}

TGridDrawInfo TXGridLayout::CalcDrawInfo() const { return CalcDrawInfoAt(FTopLeft); }

TGridDrawInfo TXGridLayout::CalcDrawInfoAt(TGridCoord TopLeft) const
{
    return {CalcAxis(true, TopLeft.X), CalcAxis(false, TopLeft.Y)};
}

int TXGridLayout::MaxOrigin(bool Horz) const
{
    int fixed = Horz ? FFixedCols : FFixedRows;
    int count = Horz ? FColCount : FRowCount;
    if (Horz && IsSingleColumn())
        return 0;
    int line = LineWidth(Horz);
    int fixedExtent = 0;
    for (int i = 0; i < fixed; ++i)
        fixedExtent += Extent(Horz, i) + line;
    int room = (Horz ? FClientWidth : FClientHeight) - fixedExtent;
    int result = count - 1;
    int used = 0;
    for (int i = count - 1; i >= fixed; --i) {
        int e = Extent(Horz, i);
        used += e + line;
        // The cell is fully visible when its far edge (its line excluded) fits.
        if (used - line > room)
            break;
        if (e > 0 || i == count - 1)
            result = i;
    }
    // Zero-sized cells right before the found origin are skipped: the origin is a cell that takes room.
    return std::max(result, fixed);
}

TGridCoord TXGridLayout::CalcMaxTopLeft() const { return {MaxOrigin(true), MaxOrigin(false)}; }

namespace {
int CalcCoord(const TGridAxisDrawInfo& a, int Pos, int ColOffset, bool Horz,
    int (*extent)(const TXGridLayout&, bool, int), const TXGridLayout& l)
{
    if (Pos < 0 || Pos >= a.GridBoundary)
        return -1;
    int start = 0;
    if (Pos < a.FixedBoundary) {
        for (int i = 0; i < a.FixedCellCount; ++i) {
            start += extent(l, Horz, i) + a.EffectiveLineWidth;
            if (Pos < start)
                return i;
        }
        return -1;
    }
    start = a.FixedBoundary - (Horz ? ColOffset : 0);
    for (int i = a.FirstGridCell; i < a.GridCellCount; ++i) {
        start += extent(l, Horz, i) + a.EffectiveLineWidth;
        if (Pos < start)
            return i;
        if (start > a.GridExtent)
            break;
    }
    return -1;
}
int AxisExtent(const TXGridLayout& l, bool Horz, int i) { return Horz ? l.ColWidth(i) : l.RowHeight(i); }
}  // namespace

TGridCoord TXGridLayout::MouseCoord(int X, int Y) const
{
    TGridDrawInfo d = CalcDrawInfo();
    TGridCoord c{CalcCoord(d.Horz, X, FColOffset, true, AxisExtent, *this),
        CalcCoord(d.Vert, Y, FColOffset, false, AxisExtent, *this)};
    if (c.X < 0 || c.Y < 0)
        return {-1, -1};
    return c;
}

TGridRect TXGridLayout::BoxRect(TGridRect Cells) const
{
    TGridDrawInfo d = CalcDrawInfo();
    // Start and end pixel of a cell on one axis; false when the cell is not on screen.
    auto linePos = [this](const TGridAxisDrawInfo& a, bool Horz, int Cell, int& Start, int& End) {
        if (Cell < 0 || Cell >= a.GridCellCount)
            return false;
        int pos = 0;
        if (Cell < a.FixedCellCount) {
            for (int i = 0; i < Cell; ++i)
                pos += Extent(Horz, i) + a.EffectiveLineWidth;
        } else {
            if (Cell < a.FirstGridCell || Cell > a.LastVisibleCell)
                return false;
            pos = a.FixedBoundary - (Horz ? FColOffset : 0);
            for (int i = a.FirstGridCell; i < Cell; ++i)
                pos += Extent(Horz, i) + a.EffectiveLineWidth;
        }
        Start = pos;
        End = pos + Extent(Horz, Cell);
        return true;
    };
    // Clip the requested block to the cells that are on screen on each axis.
    auto axis = [&](const TGridAxisDrawInfo& a, bool Horz, int From, int To, int& S, int& E) {
        if (From > To)
            std::swap(From, To);
        bool any = false;
        for (int c = From; c <= To; ++c) {
            int s = 0, e = 0;
            if (!linePos(a, Horz, c, s, e))
                continue;
            if (!any) {
                S = s;
                any = true;
            }
            E = e;
        }
        if (!any)
            return false;
        S = std::max(S, Horz && From >= a.FixedCellCount ? a.FixedBoundary : 0);
        E = std::min(E, a.GridExtent);
        return E > S;
    };
    TGridRect r;
    if (!axis(d.Horz, true, Cells.Left, Cells.Right, r.Left, r.Right) ||
        !axis(d.Vert, false, Cells.Top, Cells.Bottom, r.Top, r.Bottom))
        return {};
    return r;
}

TGridRect TXGridLayout::CellRect(int Col, int Row) const { return BoxRect({Col, Row, Col, Row}); }

int TXGridLayout::VisibleColCount() const
{
    TGridAxisDrawInfo a = CalcAxis(true, FTopLeft.X);
    return std::min(a.LastVisibleCell - FTopLeft.X + 1, FColCount - FFixedCols);
}

int TXGridLayout::VisibleRowCount() const
{
    TGridAxisDrawInfo a = CalcAxis(false, FTopLeft.Y);
    return std::min(a.LastVisibleCell - FTopLeft.Y + 1, FRowCount - FFixedRows);
}

// ---- scroll bars -----------------------------------------------------------------------------------------------

bool TXGridLayout::HasScrollRange(bool Horz) const
{
    if (Horz && IsSingleColumn())
        return MaxColOffset() > 0;
    return MaxOrigin(Horz) > (Horz ? FFixedCols : FFixedRows);
}

int TXGridLayout::ScrollPos(bool Horz) const
{
    if (Horz && IsSingleColumn())
        return FColOffset;
    int fixed = Horz ? FFixedCols : FFixedRows;
    int max = MaxOrigin(Horz);
    if (max <= fixed)
        return 0;
    int origin = Horz ? FTopLeft.X : FTopLeft.Y;
    return int(std::lround(double(origin - fixed) * 127.0 / double(max - fixed)));
}

int TXGridLayout::ScrollRequest(bool Horz, TScrollCode Code, int ThumbPos, int LineStep) const
{
    if (Horz && IsSingleColumn()) {
        int max = MaxColOffset();
        int v = FColOffset;
        switch (Code) {
        case scLineUp: v -= LineStep; break;
        case scLineDown: v += LineStep; break;
        case scPageUp: v -= FClientWidth; break;
        case scPageDown: v += FClientWidth; break;
        case scPosition:
        case scTrack: v = ThumbPos; break;
        case scTop: v = 0; break;
        case scBottom: v = max; break;
        }
        return std::clamp(v, 0, max);
    }
    int fixed = Horz ? FFixedCols : FFixedRows;
    int max = MaxOrigin(Horz);
    int origin = Horz ? FTopLeft.X : FTopLeft.Y;
    auto extent = [&](int i) { return Extent(Horz, i); };
    auto step = [&](int from) {
        int v = from;
        switch (Code) {
        case scLineUp: v = from - 1; break;
        case scLineDown: v = from + 1; break;
        case scPageUp: {
            // Back to the origin from which the current origin cell would be the last fully visible one.
            int line = LineWidth(Horz);
            int fixedExtent = 0;
            for (int i = 0; i < fixed; ++i)
                fixedExtent += extent(i) + line;
            int room = (Horz ? FClientWidth : FClientHeight) - fixedExtent;
            int used = extent(from);
            v = from;
            for (int i = from - 1; i >= fixed; --i) {
                used += extent(i) + line;
                if (used > room)
                    break;
                v = i;
            }
            if (v >= from)
                v = from - 1;
            break;
        }
        case scPageDown: {
            TGridAxisDrawInfo a = CalcAxis(Horz, from);
            v = std::max(a.LastFullVisibleCell, from + 1);
            break;
        }
        case scPosition:
        case scTrack:
            if (max <= fixed)
                return from;
            v = fixed + int(std::lround(double(ThumbPos) * double(max - fixed) / 127.0));
            break;
        case scTop: v = fixed; break;
        case scBottom: v = max; break;
        }
        return std::clamp(v, fixed, max);
    };
    int v = step(origin);
    if (Code == scLineUp || Code == scLineDown || Code == scPageUp || Code == scPageDown) {
        // Pass over cells that take no room.
        while (extent(v) <= 0 && v != fixed && v != max) {
            int next = step(v);
            if (next == v)
                break;
            v = next;
        }
    }
    return v;
}

int TXGridLayout::PixelDistance(bool Horz, int From, int To) const
{
    int sign = 1;
    if (To < From) {
        std::swap(From, To);
        sign = -1;
    }
    int line = LineWidth(Horz), d = 0;
    for (int i = From; i < To; ++i)
        d += Extent(Horz, i) + line;
    return sign * d;
}

TGridCoord TXGridLayout::OriginToShow(TGridCoord Cell) const
{
    TGridCoord origin = FTopLeft;
    auto axis = [this](bool Horz, int cell, int current) {
        int fixed = Horz ? FFixedCols : FFixedRows;
        if (cell < fixed)
            return current;
        if (cell < current)
            return cell;
        TGridAxisDrawInfo a = CalcAxis(Horz, current);
        if (cell <= a.LastFullVisibleCell)
            return current;
        // The smallest origin from which the cell is fully visible.
        int line = LineWidth(Horz);
        int room = (Horz ? FClientWidth : FClientHeight) - a.FixedBoundary;
        int used = Extent(Horz, cell);
        int v = cell;
        for (int i = cell - 1; i >= fixed; --i) {
            used += line + Extent(Horz, i);
            if (used > room)
                break;
            v = i;
        }
        return v;
    };
    if (!(Has(goRowSelect)))
        origin.X = axis(true, Cell.X, origin.X);
    origin.Y = axis(false, Cell.Y, origin.Y);
    TGridCoord max = CalcMaxTopLeft();
    origin.X = std::clamp(origin.X, FFixedCols, max.X);
    origin.Y = std::clamp(origin.Y, FFixedRows, max.Y);
    return origin;
}

// ---- keyboard --------------------------------------------------------------------------------------------------

bool TXGridLayout::Navigate(TGridKey Key, bool Shift, bool Ctrl, TGridMove& Move) const
{
    TGridDrawInfo d = CalcDrawInfo();
    int pageWidth = std::max(d.Horz.LastFullVisibleCell - FTopLeft.X, 1);
    int pageHeight = std::max(d.Vert.LastFullVisibleCell - FTopLeft.Y, 1);
    TGridCoord tl = FTopLeft;
    TGridCoord cur = FCurrent;
    bool rowSelect = Has(goRowSelect);
    if (Ctrl) {
        switch (Key) {
        case gkUp: --tl.Y; break;
        case gkDown: ++tl.Y; break;
        case gkLeft:
            if (rowSelect)
                return false;
            cur.X -= pageWidth;
            tl.X -= pageWidth;
            break;
        case gkRight:
            if (rowSelect)
                return false;
            cur.X += pageWidth;
            tl.X += pageWidth;
            break;
        case gkPrior: cur.Y = FTopLeft.Y; break;
        case gkNext: cur.Y = d.Vert.LastFullVisibleCell; break;
        case gkHome: cur = {FFixedCols, FFixedRows}; break;
        case gkEnd: cur = {FColCount - 1, FRowCount - 1}; break;
        case gkTab: return false;
        }
    } else {
        switch (Key) {
        case gkUp: --cur.Y; break;
        case gkDown: ++cur.Y; break;
        case gkLeft:
            if (rowSelect)
                --tl.X;
            else
                --cur.X;
            break;
        case gkRight:
            if (rowSelect)
                ++tl.X;
            else
                ++cur.X;
            break;
        case gkPrior:
            cur.Y -= pageHeight;
            tl.Y -= pageHeight;
            break;
        case gkNext:
            cur.Y += pageHeight;
            tl.Y += pageHeight;
            break;
        case gkHome:
            if (rowSelect)
                tl.X = FFixedCols;
            else
                cur.X = FFixedCols;
            break;
        case gkEnd:
            if (rowSelect)
                tl.X = CalcMaxTopLeft().X;
            else
                cur.X = FColCount - 1;
            break;
        case gkTab: {
            if (!Has(goTabs))
                return false;
            // The next (previous) tab-stop column, wrapping to the next (previous) row.
            TGridCoord c = FCurrent;
            for (int guard = 0; guard < FColCount * 2 + 2; ++guard) {
                if (Shift) {
                    if (--c.X < FFixedCols) {
                        if (c.Y <= FFixedRows)
                            return false;
                        c.X = FColCount - 1;
                        --c.Y;
                    }
                } else {
                    if (++c.X >= FColCount) {
                        if (c.Y >= FRowCount - 1)
                            return false;
                        c.X = FFixedCols;
                        ++c.Y;
                    }
                }
                if (TabStop(c.X))
                    break;
            }
            cur = c;
            Shift = false;
            break;
        }
        }
    }
    TGridCoord max = CalcMaxTopLeft();
    Move.TopLeft = {std::clamp(tl.X, FFixedCols, max.X), std::clamp(tl.Y, FFixedRows, max.Y)};
    Move.Current = {std::clamp(cur.X, FFixedCols, FColCount - 1), std::clamp(cur.Y, FFixedRows, FRowCount - 1)};
    Move.Extend = Shift && Has(goRangeSelect) && !Has(goEditing);
    return true;
}

// ---- sizing ----------------------------------------------------------------------------------------------------

TGridSizing TXGridLayout::CalcSizingState(int X, int Y, bool Designing) const
{
    TGridSizing s;
    bool colSizing = Designing || Has(goColSizing);
    bool rowSizing = Designing || Has(goRowSizing);
    TGridDrawInfo d = CalcDrawInfo();
    // The hot zone of the line after cell i on one axis; the index found or -1.
    auto hit = [this](const TGridAxisDrawInfo& a, bool Horz, int Pos, int& LinePos) {
        int line = a.EffectiveLineWidth;
        int back = line < 7 ? (7 - line) / 2 : 0;
        int pos = 0;
        for (int i = 0; i < a.GridCellCount; ++i) {
            if (i == a.FixedCellCount) {
                pos = a.FixedBoundary - (Horz ? FColOffset : 0);
                i = a.FirstGridCell;
            }
            pos += Extent(Horz, i);
            int lineStart = pos;
            pos += line;
            if (lineStart > a.GridExtent)
                break;
            int from = line < 7 ? lineStart - back : lineStart;
            int to = line < 7 ? lineStart + line + back : pos;
            if (Pos >= from && Pos < to) {
                LinePos = lineStart;
                return i;
            }
            if (i >= a.LastVisibleCell)
                break;
        }
        return -1;
    };
    if (colSizing && X > d.Horz.FixedBoundary && Y < d.Vert.FixedBoundary) {
        int linePos = 0;
        int i = hit(d.Horz, true, X, linePos);
        if (i >= d.Horz.FixedCellCount) {
            s.State = gsColSizing;
            s.Index = i;
            s.Pos = linePos;
            s.Offset = linePos - X;
            return s;
        }
    }
    if (rowSizing && Y > d.Vert.FixedBoundary && X < d.Horz.FixedBoundary) {
        int linePos = 0;
        int i = hit(d.Vert, false, Y, linePos);
        if (i >= d.Vert.FixedCellCount) {
            s.State = gsRowSizing;
            s.Index = i;
            s.Pos = linePos;
            s.Offset = linePos - Y;
        }
    }
    return s;
}

// ---- moving ----------------------------------------------------------------------------------------------------

namespace {
template <class V>
void MoveEntry(V& v, int From, int To)
{
    if (v.empty() || From == To)
        return;
    auto value = v[size_t(From)];
    v.erase(v.begin() + From);
    v.insert(v.begin() + To, value);
}
}  // namespace

void TXGridLayout::MoveColumn(int From, int To)
{
    if (From < 0 || To < 0 || From >= FColCount || To >= FColCount)
        InvalidGridOp(SGridIndexOutOfRange);
    MoveEntry(FColWidths, From, To);
    MoveEntry(FTabStops, From, To);
}

void TXGridLayout::MoveRow(int From, int To)
{
    if (From < 0 || To < 0 || From >= FRowCount || To >= FRowCount)
        InvalidGridOp(SGridIndexOutOfRange);
    MoveEntry(FRowHeights, From, To);
}
