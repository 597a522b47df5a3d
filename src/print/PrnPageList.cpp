#include "print/PrnPageList.h"

#include "print/PrnCanvas.h"
#include "platform/StrUtil.h"
#include "print/PrnRtfFuncs.h"

#include <algorithm>
#include <cmath>

// ---- margins and decorations -----------------------------------------------------------------------------------
TPrnMargins::TPrnMargins()
{
    for (TPrnValue* v : {&Left, &Top, &Right, &Bottom})
        v->OnChange = [this] {
            if (OnChange)
                OnChange();
        };
}

Extended TPrnMargins::GetValue(int Edge) const
{
    const TPrnValue* v[] = {&Left, &Top, &Right, &Bottom};
    return v[std::clamp(Edge, 1, 4) - 1]->GetAsUnit(ValueMeasurement);
}

void TPrnMargins::SetValue(int Edge, Extended V)
{
    TPrnValue* v[] = {&Left, &Top, &Right, &Bottom};
    v[std::clamp(Edge, 1, 4) - 1]->SetAsUnit(ValueMeasurement, V);
}

std::string TPrnMargins::MarginValuesText() const
{
    std::string t;
    for (const TPrnValue* v : {&Left, &Top, &Right, &Bottom})
        t += std::to_string(v->AsTwips()) + ",";
    return t + "\"" + PenToString(Pen) + "\",\"" + PenToString(PrinterMarginPen) + "\"";
}

bool TPrnMargins::SetMarginValuesText(const std::string& Text)
{
    // Comma text: items split at commas outside double quotes; quotes are taken off.
    std::vector<std::string> items(1);
    bool quoted = false;
    for (char c : Text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            items.emplace_back();
        else
            items.back() += c;
    }
    if (quoted || (items.size() != 4 && items.size() != 6))
        return false;
    int twips[4];
    for (int i = 0; i < 4; ++i)
        if (!TryStrToInt(Trim(items[size_t(i)]), twips[i]))
            return false;
    // One notice for the whole change, not one per value.
    std::function<void()> notify = std::move(OnChange);
    OnChange = nullptr;
    TPrnValue* v[] = {&Left, &Top, &Right, &Bottom};
    for (int i = 0; i < 4; ++i)
        v[i]->SetAsTwips(twips[i]);
    if (items.size() == 6) {
        StringToPen(items[4], Pen);
        StringToPen(items[5], PrinterMarginPen);
    }
    OnChange = std::move(notify);
    if (OnChange)
        OnChange();
    return true;
}

void TPrnPageGrid::Draw(TPrnDevice& D, Extended Width, Extended Height) const
{
    if (GridStyle == pnNoGrid || Spacing <= 0)
        return;
    long n = std::lround(Width / Spacing), m = std::lround(Height / Spacing);
    if (GridStyle == pnLines) {
        D.SetPen(&GridPen);
        for (long i = 1; i <= n; ++i)
            D.Line(D.X(i * Spacing), 0, D.X(i * Spacing), D.Y(Height));
        for (long j = 1; j <= m; ++j)
            D.Line(0, D.Y(j * Spacing), D.X(Width), D.Y(j * Spacing));
        return;
    }
    for (long i = 1; i <= n; ++i)
        for (long j = 1; j <= m; ++j)
            D.SetPixel(D.X(i * Spacing), D.Y(j * Spacing), GridPen.Color);
}

void TPrnHeaderFooterCaption::SetCaption(const std::string& C)
{
    if (C == Caption)
        return;
    Caption = C;
    if (OnChange)
        OnChange();
}

void TPrnHeaderFooterCaption::SetFont(const TPrnFont& F)
{
    if (F == Font)
        return;
    Font = F;
    if (OnChange)
        OnChange();
}

TPrnHeaderFooter::TPrnHeaderFooter()
{
    for (TPrnHeaderFooterCaption& c : FCaptions)
        c.OnChange = [this] { Changed(); };
    Height.OnChange = [this] { Changed(); };
}

void TPrnHeaderFooter::SetVisible(bool V)
{
    if (V != Visible) {
        Visible = V;
        Changed();
    }
}

void TPrnHeaderFooter::SetShowLine(bool S)
{
    if (S != ShowLine) {
        ShowLine = S;
        Changed();
    }
}

void TPrnHeaderFooter::SetPen(const TPrnPen& P)
{
    if (!(P == Pen)) {
        Pen = P;
        Changed();
    }
}

Extended TPrnHeaderFooter::GetHeight(TPrnTextMeasurer& M) const
{
    if (Height.Value() != 0)
        return Height.Value();
    const TPrnFont* tallest = &FCaptions[0].Font;
    for (const TPrnHeaderFooterCaption& c : FCaptions)
        if (c.Font.EffectiveSize() > tallest->EffectiveSize())
            tallest = &c.Font;
    return M.LineHeight(*tallest);
}

// ---- page ------------------------------------------------------------------------------------------------------
TPrnPage::TPrnPage(TPrnPageList& Owner) : FOwner(Owner) {}

TPrnPage::~TPrnPage()
{
    for (const TPrnPageRtfInfo::TPlaced& p : RtfInfo.Items)
        FOwner.Resources.Memos().Release(p.Memo.get());
}

void TPrnPage::SetOrientation(TPrnOrientation O)
{
    FOrientation = O;
    TPrnExtSize s = OrientedSize({FWidth, FHeight}, O);
    FWidth = s.Width;
    FHeight = s.Height;
}

void TPrnPage::SetSize(TPrnExtSize Size)
{
    TPrnExtSize s = OrientedSize(Size, FOrientation);
    FWidth = s.Width;
    FHeight = s.Height;
}

TPrnExtSize TPrnPage::GetPageSize(TPrnMeasurement Unit) const
{
    return {ConvertValue(FWidth, pnInches, Unit), ConvertValue(FHeight, pnInches, Unit)};
}

TPrnVisibleObject* TPrnPage::ObjectAtPoint(TPrnExtPoint P) const
{
    for (auto it = Objects.rbegin(); it != Objects.rend(); ++it)
        if (auto* v = dynamic_cast<TPrnVisibleObject*>(it->get()); v && v->Visible && v->ContainsPoint(P))
            return v;
    return nullptr;
}

namespace {
// The three captions of a band; in the header they stand on the band's bottom, in the footer they hang from its top.
void DrawBand(TPrnDevice& D, const TPrnHeaderFooter& Band, const TPrnExtRect& R, bool IsHeader, int Page,
    int Count, const std::tm& Now)
{
    TPrnTextMeasurer& m = D.Measurer();
    for (int i = 0; i < 3; ++i) {
        const TPrnHeaderFooterCaption& c = Band.Caption(i);
        std::string text = ExpandHeaderFooterTokens(c.Caption, Page, Count, Now);
        if (text.empty())
            continue;
        Extended w = m.TextWidth(c.Font, text);
        Extended x = i == 0 ? R.Left : i == 1 ? (R.Left + R.Right) / 2 - w / 2 : R.Right - w;
        Extended top = IsHeader ? R.Bottom - m.LineHeight(c.Font) : R.Top;
        D.TextOut(c.Font, x, top, text);
    }
    if (Band.ShowLine && !Band.Pen.IsClear()) {
        int y = D.Y(IsHeader ? R.Bottom : R.Top);
        D.SetPen(&Band.Pen);
        D.Line(D.X(R.Left), y, D.X(R.Right), y);
    }
}
}

void TPrnPage::Draw(TPrnDevice& D, int PageNumber, int PageCount, const std::tm& Now)
{
    TPrnDrawContext c{D, PageNumber, PageCount, Now};
    for (const TPrnPageRtfInfo::TPlaced& p : RtfInfo.Items)
        DrawRichText(D, p.Memo->Content(), p.Rect);
    D.SaveClip();   // excluded rectangles hold for the page's objects, not for header and footer
    for (auto& o : Objects)
        o->DrawToCanvas(c);
    D.RestoreClip();
    int n = 0;
    for (int i = 1; i <= FOwner.Count(); ++i)
        if (&FOwner.GetPage(i) == this)
            n = i;
    if (n == 0)
        return;
    if (ShowHeader && FOwner.Header.Visible) {
        TPrnExtRect band = FOwner.GetHeaderRect(n);
        DrawBand(D, FOwner.Header, band, true, PageNumber, PageCount, Now);
        if (FOwner.OnDrawHeader)
            FOwner.OnDrawHeader(D, band, PageNumber);
    }
    if (ShowFooter && FOwner.Footer.Visible) {
        TPrnExtRect band = FOwner.GetFooterRect(n);
        DrawBand(D, FOwner.Footer, band, false, PageNumber, PageCount, Now);
        if (FOwner.OnDrawFooter)
            FOwner.OnDrawFooter(D, band, PageNumber);
    }
}

// ---- page list -------------------------------------------------------------------------------------------------
TPrnPageList::TPrnPageList() : FCanvas(std::make_unique<TPrnCanvas>(*this))
{
    Header.OnChange = Footer.OnChange = [this] { Changed(); };
    AddPage();
}

TPrnPageList::~TPrnPageList()
{
    FPages.clear();   // objects release their resources while the table still stands
}

void TPrnPageList::Changed()
{
    if (FUpdateCount == 0 && OnPaintRequest)
        OnPaintRequest();
}

TPrnPage& TPrnPageList::MakeCurrent(std::vector<std::unique_ptr<TPrnPage>>::iterator At)
{
    auto page = std::make_unique<TPrnPage>(*this);
    page->SetOrientation(FOrientation);
    page->SetSize(FPaper);
    TPrnPage& p = **FPages.insert(At, std::move(page));
    int index = 0;
    for (int i = 0; i < Count(); ++i)
        if (FPages[size_t(i)].get() == &p)
            index = i + 1;
    if (OnBeforePageChange)
        OnBeforePageChange();
    FCurrentPage = index;
    if (OnAfterPageChange)
        OnAfterPageChange();
    if (OnPageAdded)
        OnPageAdded();
    if (FUpdateCount == 0 && OnPageCountChanged)
        OnPageCountChanged();
    Changed();
    return p;
}

TPrnPage& TPrnPageList::AddPage() { return MakeCurrent(FPages.end()); }

TPrnPage& TPrnPageList::InsertPage(int Index)
{
    if (Index < 1 || Index > Count() + 1)
        throw EPrnError("List index out of bounds (" + std::to_string(Index) + ")");
    return MakeCurrent(FPages.begin() + (Index - 1));
}

TPrnPage& TPrnPageList::GetPage(int N) const
{
    if (N < 1 || N > Count())
        throw EPrnError("List index out of bounds (" + std::to_string(N) + ")");
    return *FPages[size_t(N - 1)];
}

void TPrnPageList::Clear()
{
    FPages.clear();
    FCurrentPage = 0;
    AddPage();
}

void TPrnPageList::SetCurrentPage(int N)
{
    if (N < 1 || N > Count() || N == FCurrentPage)
        return;
    if (OnBeforePageChange)
        OnBeforePageChange();
    FCurrentPage = N;
    if (OnAfterPageChange)
        OnAfterPageChange();
    Changed();
}

TPrnExtPoint TPrnPageList::OriginOffset(TPrnCoordsRelative Origin) const
{
    switch (Origin) {
    case pnFromPage: return {0, 0};
    case pnFromPrinterMargins: {
        TPrnExtRect m = Printer.GetPrinterMargins(Current().Orientation());
        return {m.Left, m.Top};
    }
    case pnFromUserMargins: return {Margins.Left.Value(), Margins.Top.Value()};
    case pnFromHeaderLine:
        return {Margins.Left.Value(), Margins.Top.Value() + Header.GetHeight(GetMeasurer())};
    }
    return {0, 0};
}

void TPrnPageList::AddObject(std::unique_ptr<TPrnBaseObject> Object, TPrnCoordsRelative Origin)
{
    TPrnExtPoint o = OriginOffset(Origin);
    if (o.X != 0 || o.Y != 0)
        Object->OffsetObject(pnInches, o.X, o.Y);
    TPrnPage& page = Current();
    page.Objects.push_back(std::move(Object));
    if (FUpdateCount == 0 && page.OnChange)
        page.OnChange();
}

void TPrnPageList::EndUpdate()
{
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0) {
        if (OnPageCountChanged)
            OnPageCountChanged();
        Changed();
    }
}

void TPrnPageList::SetOrientation(TPrnOrientation O)
{
    BeginUpdate();
    FOrientation = O;
    for (auto& p : FPages)
        p->SetOrientation(O);
    EndUpdate();
}

void TPrnPageList::SetPaperSize(TPrnPaperSize P)
{
    FPaperSize = P;
    if (!PaperSizeDimensions(P, FPaper))
        return;
    BeginUpdate();
    for (auto& p : FPages)
        p->SetSize(FPaper);
    EndUpdate();
}

TPrnExtRect TPrnPageList::GetMarginArea(int N) const
{
    const TPrnPage& p = GetPage(N);
    return {Margins.Left.Value(), Margins.Top.Value(), p.Width() - Margins.Right.Value(),
        p.Height() - Margins.Bottom.Value()};
}

TPrnExtRect TPrnPageList::GetDrawingArea(int N) const
{
    TPrnExtRect r = GetMarginArea(N);
    if (Header.Visible)
        r.Top += Header.GetHeight(GetMeasurer());
    return r;
}

TPrnExtRect TPrnPageList::GetHeaderRect(int N) const
{
    TPrnExtRect r = GetMarginArea(N);
    r.Bottom = r.Top + Header.GetHeight(GetMeasurer());
    return r;
}

TPrnExtRect TPrnPageList::GetFooterRect(int N) const
{
    TPrnExtRect r = GetMarginArea(N);
    r.Top = r.Bottom - Footer.GetHeight(GetMeasurer());
    return r;
}

std::tm TPrnPageList::Now() const
{
    std::time_t t = Clock ? Clock() : std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

void TPrnPageList::DrawPage(int N, TPrnDevice& D, bool ClipToMargins)
{
    TPrnPage& page = GetPage(N);
    D.SaveClip();
    if (ClipToMargins)
        D.IntersectClip(D.Pixels(GetMarginArea(N)));
    page.Draw(D, N, Count(), Now());
    D.RestoreClip();
}

bool TPrnPageList::PrintRange(int From, int To)
{
    for (int n : {From, To})
        if (n < 1 || n > Count()) {
            ShowPrnError("TPrnPageList", "Page " + std::to_string(n) + " is not in the document's pages 1 to " +
                    std::to_string(Count()) + ".");
            return false;
        }
    std::vector<int> order;
    for (int n = From;; n += From <= To ? 1 : -1) {
        order.push_back(n);
        if (n == To)
            break;
    }
    if (Printer.ReversePrintOrder)
        std::reverse(order.begin(), order.end());

    TPrnPage& first = GetPage(order.front());
    Printer.SetOrientation(first.Orientation());
    Printer.PagesPerSheet = PagesPerSheet;
    if (!Printer.BeginDoc(first.Size()))
        return false;
    // A device that cannot make copies itself (a PDF file) gets the pages once per copy.
    std::vector<int> sheets = order;
    int copies = Printer.PrintCopies();
    if (copies > 1 && !Printer.Backend->CanRepeatCopies()) {
        sheets.clear();
        if (Printer.Collate())
            for (int c = 0; c < copies; ++c)
                sheets.insert(sheets.end(), order.begin(), order.end());
        else
            for (int n : order)
                sheets.insert(sheets.end(), size_t(copies), n);
    }
    for (size_t i = 0; i < sheets.size(); ++i) {
        TPrnPage& page = GetPage(sheets[i]);
        if (i > 0) {
            Printer.SetOrientation(page.Orientation());
            if (!Printer.NewPage(page.Size()))
                return false;
        }
        DrawPage(sheets[i], *Printer.PageDevice(page.Size()), Margins.ClipMargins);
        if (OnPrintProgress)
            OnPrintProgress(sheets[i]);
        if (Printer.Aborted())
            return false;
    }
    return Printer.EndDoc();
}
