#include "print/PrnGridPrint.h"

#include "print/PrnCanvas.h"

#include <algorithm>

namespace {
constexpr Extended CellMargin = 0.025L;   // inches inside every cell
}

// ---- widths ----------------------------------------------------------------------------------------------------
void TPrnWidthsList::Clear()
{
    FWidths.clear();
    ResetRange();
}

Extended TPrnWidthsList::SumWidths(int Start, int N) const
{
    Extended s = 0;
    for (int i = std::max(0, Start); i < std::min(Count(), Start + N); ++i)
        s += FWidths[size_t(i)];
    return s;
}

void TPrnWidthsList::ResetRange()
{
    FCarried = FNextCarried = FRangeWidth = 0;
    FRangeStart = FRangeCount = 0;
    FNextStart = FWidths.empty() ? -1 : 0;
}

void TPrnWidthsList::NextRange()
{
    FRangeCount = 0;
    if (FNextStart == -1)
        return;
    FCarried = FNextCarried;
    FRangeStart = FNextStart;
    FNextCarried = 0;
    FNextStart = -1;
    FRangeWidth = 0;
    Extended running = FCarried;
    for (int i = FRangeStart; i < Count(); ++i) {
        Extended w = FWidths[size_t(i)];
        ++FRangeCount;
        running += w;
        FRangeWidth += w;
        if (running - AvailableWidth > 1e-8L) {
            FNextCarried = running - AvailableWidth - w;
            FNextStart = i;
            if (Wrap && FRangeCount >= 2) {
                --FRangeCount;
                FRangeWidth -= w;
                FNextCarried = 0;
            }
            return;
        }
    }
}

// ---- layout ----------------------------------------------------------------------------------------------------
TPrnFont TPrnGridPrint::Scaled(const TPrnFont& F) const
{
    TPrnFont f = F;
    if (FScale != 1)
        f.Size = ScaleFontSize(F.Size, FScale);
    return f;
}

void TPrnGridPrint::PageArea()
{
    TPrnPageList& p = *Preview;
    TPrnPage& page = p.Current();
    TPrnTextMeasurer& m = p.GetMeasurer();
    FLeft = p.Margins.Left.Value();
    FTop = p.Margins.Top.Value() + (p.Header.Visible ? p.Header.GetHeight(m) : 0);
    FAvail = page.Width() - p.Margins.Left.Value() - p.Margins.Right.Value();
    FBottom = page.Height() - p.Margins.Bottom.Value() - (p.Footer.Visible ? p.Footer.GetHeight(m) : 0);
}

void TPrnGridPrint::MeasureColumns()
{
    FCols = Grid->Columns();
    FHeaderCols = Grid->DoubleHeader() ? Grid->HeaderColumns() : std::vector<TPrnGridColumn>();
    FWidths.Clear();
    FHeaderWidths.Clear();
    FWidths.AvailableWidth = FHeaderWidths.AvailableWidth = FAvail;
    FWidths.Wrap = (GridOptions & pnWrapColumns) != 0;
    FHeaderWidths.Wrap = false;
    // A header column is as wide as its linked columns and the lines between them; on paper the lines are drawn
    // on the column edges, so the header column spans exactly the data columns.
    for (const TPrnGridColumn& c : FHeaderCols)
        FHeaderWidths.AddWidth((c.LinkedColumns > 0 ? c.Width - (c.LinkedColumns - 1) : c.Width) / 96.0L);
    for (const TPrnGridColumn& c : FCols)
        FWidths.AddWidth(c.Width / 96.0L);
    FWidths.ResetRange();
    FHeaderWidths.ResetRange();
}

void TPrnGridPrint::GridToPage()
{
    if (!Preview) {
        ShowPrnError("TPrnGridPrint", PrnNoPreviewMessage);
        return;
    }
    if (!Grid) {
        ShowPrnError("TPrnGridPrint", PrnNoGridMessage);
        return;
    }
    PageArea();
    // Without width every column range would start where the last one did, one page after another without end.
    if (FAvail < PrnMinPrintWidth) {
        const TPrnPage& page = Preview->Current();
        ShowPrnError("TPrnGridPrint", "The margins leave no width to print the grid on: the page is " +
                PrnFormatExtended(page.Width(), 2) + " in wide, the left and right margins take " +
                PrnFormatExtended(page.Width() - FAvail, 2) + " in.");
        return;
    }
    MeasureColumns();
    FScale = 1;
    Extended total = FWidths.TotalWidth();
    if (FitToPageWidth && total > 0 && FAvail <= total) {
        FScale = FAvail / total - 0.002L;
        for (TPrnWidthsList* l : {&FWidths, &FHeaderWidths})
            for (int i = 0; i < l->Count(); ++i)
                l->SetWidth(i, l->GetWidth(i) * FScale);
    }
    Preview->BeginUpdate();
    TPrnCanvas& c = Preview->Canvas();
    c.SaveValues();
    TPrnCoordsRelative origin = c.CoordsRelativeTo;
    c.CoordsRelativeTo = pnFromPage;
    FBandDrawn = false;
    StartPage(true, false);
    const int rows = Grid->RowCount();
    for (int r = 0; r < rows;) {
        int last = DrawRows(r, rows - 1);
        while (!StartPage(false, last == rows - 1))
            DrawRows(r, last);
        r = last + 1;
    }
    DrawBorder();
    c.CoordsRelativeTo = origin;
    c.RestoreValues();
    Preview->EndUpdate();
    Preview->SetCurrentPage(1);
}

bool TPrnGridPrint::StartPage(bool First, bool LastRowDone)
{
    FOriginX = FLeft;
    FCursorY = FTop;
    if (FWidths.RangesDone() && LastRowDone) {
        DrawBorder();
        return true;
    }
    if (!First) {
        DrawBorder();
        if (Preview->CurrentPage() == Preview->Count())
            Preview->AddPage();
        else
            Preview->SetCurrentPage(Preview->CurrentPage() + 1);
        FBandDrawn = false;
    }
    // Whether a band is complete is decided by the data columns alone: the upper header follows them, so that a
    // header that covers fewer columns never ends a band early and loses the columns it does not cover.
    bool complete = false, bandStart = First;
    if (FWidths.RangesDone()) {
        FWidths.ResetRange();
        complete = bandStart = true;
    }
    if (bandStart)
        FHeaderWidths.ResetRange();
    FWidths.NextRange();
    if (!FHeaderCols.empty()) {
        FHeaderWidths.AvailableWidth = FAvail;
        if (FWidths.Wrap && FWidths.RangeWidth() + FWidths.CarriedOffset() < FAvail)
            FHeaderWidths.AvailableWidth = FWidths.RangeWidth() + FWidths.CarriedOffset();
        FHeaderWidths.NextRange();
        FHeaderRange = FHeaderWidths.RangeCount() > 0;
        if (FHeaderRange && NextRowRect(0, rkUpperHeader, true))
            DrawRow(0, rkUpperHeader);
    }
    if (NextRowRect(0, rkCaption, true))
        DrawRow(0, rkCaption);
    return complete;
}

int TPrnGridPrint::DrawRows(int From, int To)
{
    for (int r = From; r <= To; ++r) {
        // A row that does not fit even a fresh page is printed there alone, cut at the bottom.
        if (!NextRowRect(r, rkData, r == From))
            return r - 1;
        DrawRow(r, rkData);
    }
    return To;
}

bool TPrnGridPrint::NextRowRect(int Row, TRowKind Kind, bool Force)
{
    Extended pixels = Kind == rkData ? Grid->RowHeight(Row) : Grid->HeaderHeight();
    Extended h = pixels / 96 * FScale;
    if (AutoExpandRows) {
        TPrnCanvas& c = Preview->Canvas();
        const std::vector<TPrnGridColumn>& cols = Kind == rkUpperHeader ? FHeaderCols : FCols;
        const TPrnWidthsList& widths = Kind == rkUpperHeader ? FHeaderWidths : FWidths;
        for (int i = 0; i < int(cols.size()); ++i) {
            const std::string text = Kind == rkData ? Grid->CellValue(i, Row) : cols[size_t(i)].Caption;
            if (text.empty())
                continue;
            // Measured as it is drawn: in the printed font, inside the cell's margins.
            c.Font = Scaled(Kind == rkData ? cols[size_t(i)].Font : cols[size_t(i)].HeaderFont);
            Extended w = widths.GetWidth(i) - 2 * CellMargin;
            h = std::max(h, c.TextHeightUnit(text, pnInches, w > 0 ? w : 0) + 2 * CellMargin);
        }
    }
    if (Kind == rkData && FCursorY + h > FBottom + 1e-9L) {
        if (!Force)
            return false;
        h = std::max<Extended>(FBottom - FCursorY, 1 / 96.0L);
    }
    const TPrnWidthsList& list = Kind == rkUpperHeader ? FHeaderWidths : FWidths;
    FBand.Left = FOriginX + list.CarriedOffset();
    FBand.Right = FBand.Left + list.RangeWidth();
    FBand.Top = FCursorY;
    FBand.Bottom = FCursorY + h;
    FCursorY += h;
    return true;
}

void TPrnGridPrint::VLine(Extended X) { Preview->Canvas().Line(pnInches, X, FBand.Top, X, FBand.Bottom); }

void TPrnGridPrint::HLine(Extended Y) { Preview->Canvas().Line(pnInches, FBand.Left, Y, FBand.Right, Y); }

void TPrnGridPrint::DrawRow(int Row, TRowKind Kind)
{
    TPrnCanvas& c = Preview->Canvas();
    const bool header = Kind != rkData;
    const std::vector<TPrnGridColumn>& cols = Kind == rkUpperHeader ? FHeaderCols : FCols;
    const TPrnWidthsList& list = Kind == rkUpperHeader ? FHeaderWidths : FWidths;
    if (Kind == rkUpperHeader && FWidths.Wrap && !FWidths.RangesDone()) {
        // Header columns end where this page's data columns end.
        Extended right = FOriginX + FWidths.CarriedOffset() + FWidths.RangeWidth();
        if (right < FLeft + FAvail)
            c.ExcludeClipRect(pnInches, right, FBand.Top, FLeft + FAvail + 1, FBand.Bottom);
    }
    Extended x = FBand.Left;
    const int first = list.RangeStart(), end = list.RangeStart() + list.RangeCount();
    for (int i = first; i < end; ++i) {
        const TPrnGridColumn& col = cols[size_t(i)];
        Extended w = list.GetWidth(i);
        TPrnExtRect cell{x, FBand.Top, x + w, FBand.Bottom};
        if (Kind == rkData) {
            bool mark = ((GridOptions & pnMark2Row) && Row % 2 == 1) || ((GridOptions & pnMark2Col) && i % 2 == 1);
            TPrnFont f = col.Font;
            f.Color = TextColor;
            DrawCell(cell, Grid->CellValue(i, Row), f, col.Alignment, mark ? MarkRowColor : CellColor);
        } else {
            TPrnFont f = col.HeaderFont;
            f.Color = FixedTextColor;
            DrawCell(cell, col.Caption, f, col.HeaderAlignment, FixedCellColor);
        }
        c.Pen = TPrnPen{LineColor, 1, psSolid, pmCopy};
        // The rest of a split column has its left edge on the page before.
        const bool leftEdge = !(i == first && list.CarriedOffset() < 0);
        if ((GridOptions & pnGridBorder) || header) {
            if (i == 0 && leftEdge)
                VLine(x);
            if (i == end - 1)
                VLine(x + w);
        }
        if (((GridOptions & pnVertLine) || header) && i > 0 && leftEdge)
            VLine(x);
        x += w;
    }
    c.Pen = TPrnPen{LineColor, 1, psSolid, pmCopy};
    if (header || ((GridOptions & pnHorzLine) && Row >= 1))
        HLine(FBand.Top);
    if (Kind == rkCaption)
        HLine(FBand.Bottom);
    FBandDrawn = true;
}

void TPrnGridPrint::DrawCell(const TPrnExtRect& R, const std::string& Text, TPrnFont Font, TAlignment Alignment,
    TColor Fill)
{
    TPrnCanvas& c = Preview->Canvas();
    if (Fill != clWhite && Fill != clNone) {
        c.Pen = TPrnPen{clBlack, 1, psClear, pmCopy};
        c.Brush = TPrnBrush{Fill, bsSolid};
        c.Rectangle(pnInches, R.Left, R.Top, R.Right, R.Bottom);
    }
    if (Text.empty())
        return;
    c.Pen = TPrnPen{clBlack, 1, psClear, pmCopy};
    c.Brush = TPrnBrush{clWhite, bsClear};
    c.Font = Scaled(Font);
    c.WordBreak = AutoExpandRows;
    c.TextBox(pnInches, R.Left, R.Top, R.Right, R.Bottom, Text, Alignment, CellVertAlignment, CellMargin);
    // A cell holds what the device sent or the user typed: "{PAGE}" there is text, not a page number.
    if (auto* box = dynamic_cast<TPrnTextBoxObject*>(c.LastObject()))
        box->ExpandTokens = false;
}

void TPrnGridPrint::DrawBorder()
{
    if (!(GridOptions & pnGridBorder) || !FBandDrawn)
        return;
    TPrnCanvas& c = Preview->Canvas();
    c.Brush = TPrnBrush{clWhite, bsClear};
    c.Pen = TPrnPen{LineColor, 1, psSolid, pmCopy};
    HLine(FBand.Bottom);
    VLine(FBand.Right);
    FBandDrawn = false;
}
