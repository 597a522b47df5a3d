#include "print/PrnTextPrint.h"

#include "print/PrnCanvas.h"
#include "print/PrnGridPrint.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr Extended TextMargin = 0.025L;   // inches inside the text rectangle

Extended WidestLine(TPrnTextMeasurer& M, const TPrnFont& F, const std::string& Text)
{
    Extended w = 0;
    for (const std::string& line : LayoutText(M, F, Text, 0, false))
        w = std::max(w, M.TextWidth(F, line));
    return w;
}
}

TPrnFont TPrnTextPrint::PrintFont(TPrnTextMeasurer& M, Extended Width) const
{
    TPrnFont f = TextFont;
    f.Color = TextColor;
    if (!FitToPageWidth || Width <= 0)
        return f;
    Extended widest = WidestLine(M, f, Text);
    if (widest <= Width || f.EffectiveSize() <= PrnTextMinFitSize)
        return f;
    // One overlong line must not make the whole printout unreadable: the shrink stops at a floor, and what is
    // still wider there is wrapped (TextToPage).
    // Widths grow with the size, but not strictly in proportion (hinting, rounding): step down until it fits.
    f.Size = std::max(PrnTextMinFitSize, int(std::floor(f.EffectiveSize() * Width / widest)));
    while (f.Size > PrnTextMinFitSize && WidestLine(M, f, Text) > Width)
        --f.Size;
    return f;
}

void TPrnTextPrint::TextToPage()
{
    if (!Preview) {
        ShowPrnError("TPrnTextPrint", PrnNoPreviewMessage);
        return;
    }
    TPrnPageList& p = *Preview;
    TPrnTextMeasurer& m = p.GetMeasurer();
    TPrnPage& page = p.Current();
    Extended left = p.Margins.Left.Value();
    Extended top = p.Margins.Top.Value() + (p.Header.Visible ? p.Header.GetHeight(m) : 0);
    Extended right = page.Width() - p.Margins.Right.Value();
    Extended bottom = page.Height() - p.Margins.Bottom.Value() - (p.Footer.Visible ? p.Footer.GetHeight(m) : 0);
    if (bottom <= top)
        bottom = top + 1 / 96.0L;
    p.BeginUpdate();
    if (!Text.empty()) {
        TPrnCanvas& c = p.Canvas();
        c.SaveValues();
        TPrnCoordsRelative origin = c.CoordsRelativeTo;
        c.CoordsRelativeTo = pnFromPage;
        c.Pen = TPrnPen{clBlack, 1, psClear, pmCopy};
        c.Brush = TPrnBrush{clWhite, bsClear};
        c.Font = PrintFont(m, right - left - 2 * TextMargin);
        c.WordBreak = WrapLines || (FitToPageWidth && WidestLine(m, c.Font, Text) > right - left - 2 * TextMargin);
        int pages = c.TextPage(pnInches, left, top, right, bottom, Text, taLeftJustify, TextMargin, 0);
        for (int block = 1; block < pages; ++block) {
            if (p.CurrentPage() == p.Count())
                p.AddPage();
            else
                p.SetCurrentPage(p.CurrentPage() + 1);
            c.TextPage(pnInches, left, top, right, bottom, Text, taLeftJustify, TextMargin, block);
        }
        c.CoordsRelativeTo = origin;
        c.RestoreValues();
    }
    p.EndUpdate();
    p.SetCurrentPage(1);
}
