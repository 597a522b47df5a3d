#include "print/PrnObjects.h"

#include <algorithm>
#include <cmath>

void TPrnBaseObject::LoadFromValueList(const TPrnValueList& L) { UserValue = L.ReadIntValue("UI", -1); }

void TPrnBaseObject::SaveToValueList(TPrnValueList& L) const
{
    L.WriteIntValue("ID", ObjectID());
    L.WriteIntValue("UI", UserValue);
}

void TPrnBaseObject::SaveToStream(TPrnWriter& W) const
{
    W.WriteInteger(ObjectID());
    TPrnValueList l;
    SaveToValueList(l);
    l.SaveToStream(W);
}

void TPrnBaseObject::LoadFromStream(TPrnReader& R)
{
    TPrnValueList l;
    l.LoadFromStream(R);
    LoadFromValueList(l);
}

// ---- shared resources ------------------------------------------------------------------------------------------
TPrnOutlineShape::~TPrnOutlineShape() { Table().Pens.Release(FPen.get()); }

void TPrnOutlineShape::SetPen(const TPrnPen& P)
{
    std::shared_ptr<TPrnPen> old = std::move(FPen);
    FPen = Table().Pens.Hold(Table().Pens.AddPen(P));
    Table().Pens.Release(old.get());
}

void TPrnOutlineShape::LoadFromValueList(const TPrnValueList& L)
{
    TPrnVisibleObject::LoadFromValueList(L);
    if (TPrnPen* p = Table().Pens.GetPen(L.ReadIntValue("P", -1)))
        SetPen(*p);
}

void TPrnOutlineShape::SaveToValueList(TPrnValueList& L) const
{
    TPrnVisibleObject::SaveToValueList(L);
    L.WriteIntValue("P", Table().Pens.IndexOfPen(Pen()));
}

TPrnSolidShape::~TPrnSolidShape() { Table().Brushes.Release(FBrush.get()); }

void TPrnSolidShape::SetBrush(const TPrnBrush& B)
{
    std::shared_ptr<TPrnBrush> old = std::move(FBrush);
    FBrush = Table().Brushes.Hold(Table().Brushes.AddBrush(B));
    Table().Brushes.Release(old.get());
}

void TPrnSolidShape::LoadFromValueList(const TPrnValueList& L)
{
    TPrnOutlineShape::LoadFromValueList(L);
    if (TPrnBrush* b = Table().Brushes.GetBrush(L.ReadIntValue("B", -1)))
        SetBrush(*b);
}

void TPrnSolidShape::SaveToValueList(TPrnValueList& L) const
{
    TPrnOutlineShape::SaveToValueList(L);
    L.WriteIntValue("B", Table().Brushes.IndexOfBrush(Brush()));
}

TPrnBaseTextObject::~TPrnBaseTextObject() { Table().Fonts.Release(FFont.get()); }

void TPrnBaseTextObject::SetFont(const TPrnFont& F)
{
    std::shared_ptr<TPrnFont> old = std::move(FFont);
    FFont = Table().Fonts.Hold(Table().Fonts.AddFont(F));
    Table().Fonts.Release(old.get());
}

const TPrnFont& TPrnBaseTextObject::DrawFont() const
{
    static const TPrnFont fallback;
    return FFont ? *FFont : fallback;
}

// ---- shapes ----------------------------------------------------------------------------------------------------
void TPrnBaseSolidShape::OffsetObject(TPrnMeasurement U, Extended DX, Extended DY)
{
    Rect = OffsetExtendedRect(Rect, ConvertValue(DX, U, pnInches), ConvertValue(DY, U, pnInches));
}

bool TPrnBaseSolidShape::ContainsPoint(TPrnExtPoint P) const
{
    return P.X >= std::min(Rect.Left, Rect.Right) && P.X <= std::max(Rect.Left, Rect.Right) &&
        P.Y >= std::min(Rect.Top, Rect.Bottom) && P.Y <= std::max(Rect.Top, Rect.Bottom);
}

void TPrnSimpleSolidShape::LoadFromValueList(const TPrnValueList& L)
{
    TPrnBaseSolidShape::LoadFromValueList(L);
    Rect = L.ReadRectValue("XY", Rect);
}

void TPrnSimpleSolidShape::SaveToValueList(TPrnValueList& L) const
{
    TPrnBaseSolidShape::SaveToValueList(L);
    L.WriteRectValue("XY", Rect);
}

void TPrnLineObject::Draw(TPrnDrawContext& C)
{
    if (!Visible || !Pen() || Pen()->IsClear())
        return;
    TPrnDevice& d = C.Device;
    d.SetPen(Pen());
    d.Line(d.X(Rect.Left), d.Y(Rect.Top), d.X(Rect.Right), d.Y(Rect.Bottom));
}

void TPrnRectangleShape::Draw(TPrnDrawContext& C)
{
    if (!Visible)
        return;
    C.Device.SetPen(Pen());
    C.Device.SetBrush(Brush());
    C.Device.Rectangle(C.Device.Pixels(Rect));
}

// ---- text ------------------------------------------------------------------------------------------------------
void TPrnBaseTextObject::LoadFromValueList(const TPrnValueList& L)
{
    TPrnBaseSolidShape::LoadFromValueList(L);
    Text = L.ReadStringValue("T", "");
    ClipRect = L.ReadRectValue("CR", ClipRect);
    TPrnExtPoint p = L.ReadPointValue("XY", {Rect.Left, Rect.Top});
    Rect.Left = p.X;
    Rect.Top = p.Y;
    if (TPrnFont* f = Table().Fonts.GetFont(L.ReadIntValue("F", -1)))
        SetFont(*f);
}

void TPrnBaseTextObject::SaveToValueList(TPrnValueList& L) const
{
    TPrnBaseSolidShape::SaveToValueList(L);
    L.WriteStringValue("T", Text);
    L.WriteRectValue("CR", ClipRect);
    L.WritePointValue("XY", {Rect.Left, Rect.Top});
    L.WriteIntValue("F", Table().Fonts.IndexOfFont(Font()));
}

void DrawTextLines(TPrnDevice& D, const TPrnFont& Font, const std::vector<std::string>& Lines,
    const TPrnExtRect& Box, TAlignment Alignment)
{
    TPrnTextMeasurer& m = D.Measurer();
    Extended lineHeight = m.LineHeight(Font);
    Extended y = Box.Top;
    for (const std::string& line : Lines) {
        if (y >= Box.Bottom)
            break;
        Extended x = Box.Left;
        if (Alignment != taLeftJustify) {
            Extended w = m.TextWidth(Font, line);
            x = Alignment == taRightJustify ? Box.Right - w : (Box.Left + Box.Right - w) / 2;
        }
        if (!line.empty())
            D.TextOut(Font, x, y, line);
        y += lineHeight;
    }
}

void TPrnTextBoxObject::Draw(TPrnDrawContext& C)
{
    if (!Visible)
        return;
    TPrnDevice& d = C.Device;
    if ((Pen() && !Pen()->IsClear()) || (Brush() && !Brush()->IsClear())) {
        d.SetPen(Pen());
        d.SetBrush(Brush());
        d.Rectangle(d.Pixels(Rect));
    }
    const std::string text = ExpandTokens ? ExpandHeaderFooterTokens(Text, C.PageNumber, C.PageCount, C.Now) : Text;
    if (text.empty())
        return;
    TPrnExtRect box = Rect;
    if (VertAlignment == pnMiddle)
        box.Top += (RectHeight(Rect) - TextHeight) / 2;
    else if (VertAlignment == pnBottom)
        box.Top = Rect.Bottom - TextHeight;
    box = {box.Left + InnerMargin, box.Top + InnerMargin, box.Right - InnerMargin, box.Bottom - InnerMargin};
    const TPrnFont& font = DrawFont();
    d.SaveClip();
    if (ClipText)
        d.IntersectClip(d.Pixels({Rect.Left, Rect.Top, Rect.Right, Rect.Bottom}));
    if (ClipRect.Left >= 0 && ClipRect.Right > ClipRect.Left)
        d.IntersectClip(d.Pixels(ClipRect));
    box.Bottom = std::max(box.Bottom, box.Top + TextHeight);   // the clip, not the box, cuts the text
    DrawTextLines(d, font, LayoutText(d.Measurer(), font, text, RectWidth(box), WordBreak), box, Alignment);
    d.RestoreClip();
}

void TPrnTextBoxObject::LoadFromValueList(const TPrnValueList& L)
{
    TPrnBaseTextObject::LoadFromValueList(L);
    TPrnExtPoint p2 = L.ReadPointValue("XY2", {Rect.Right, Rect.Bottom});
    Rect.Right = p2.X;
    Rect.Bottom = p2.Y;
    InnerMargin = L.ReadExtValue("TP", 0);
    TextHeight = L.ReadExtValue("TH", 0);
    Alignment = TAlignment(std::clamp(L.ReadIntValue("TA", 0), 0, 2));
    VertAlignment = TPrnVertAlignment(std::clamp(L.ReadIntValue("VA", 0), 0, 2));
    ClipText = L.ReadBoolValue("CT", true);
    WordBreak = L.ReadBoolValue("WB", true);
    ExpandTokens = L.ReadBoolValue("XT", true);
}

void TPrnTextBoxObject::SaveToValueList(TPrnValueList& L) const
{
    TPrnBaseTextObject::SaveToValueList(L);
    L.WritePointValue("XY2", {Rect.Right, Rect.Bottom});
    L.WriteExtValue("TP", InnerMargin);
    L.WriteExtValue("TH", TextHeight);
    L.WriteStringValue("T", Text);
    L.WriteIntValue("TA", Alignment);
    L.WriteIntValue("VA", VertAlignment);
    L.WriteBoolValue("CT", ClipText);
    L.WriteBoolValue("WB", WordBreak);
    if (!ExpandTokens)
        L.WriteBoolValue("XT", false);
    L.WriteIntValue("F", Table().Fonts.IndexOfFont(Font()));
}

int TPrnTextPageObject::LinesPerPage(TPrnTextMeasurer& M) const
{
    // Counted in whole 1/7200 inch so that every device agrees on where a page of text ends.
    long long height = std::llround((RectHeight(Rect) - 2 * InnerMargin) * 7200);
    long long line = std::max<long long>(1, std::llround(M.LineHeight(DrawFont()) * 7200));
    return int(std::max<long long>(1, height / line));
}

std::vector<std::string> TPrnTextPageObject::Lines(TPrnTextMeasurer& M) const
{
    return LayoutText(M, DrawFont(), Text, RectWidth(Rect) - 2 * InnerMargin, WordBreak);
}

void TPrnTextPageObject::Draw(TPrnDrawContext& C)
{
    if (!Visible)
        return;
    TPrnDevice& d = C.Device;
    if ((Pen() && !Pen()->IsClear()) || (Brush() && !Brush()->IsClear())) {
        d.SetPen(Pen());
        d.SetBrush(Brush());
        d.Rectangle(d.Pixels(Rect));
    }
    const TPrnFont& font = DrawFont();
    std::vector<std::string> all = Lines(d.Measurer());
    size_t per = size_t(LinesPerPage(d.Measurer()));
    // A text laid out after other pages still draws its own lines: its block, not the page number, says which.
    size_t first = size_t(Block >= 0 ? Block : std::max(0, C.PageNumber - 1)) * per;
    if (first >= all.size())
        return;
    std::vector<std::string> share(all.begin() + long(first), all.begin() + long(std::min(all.size(), first + per)));
    TPrnExtRect box{Rect.Left + InnerMargin, Rect.Top + InnerMargin, Rect.Right - InnerMargin,
        Rect.Bottom - InnerMargin};
    d.SaveClip();
    d.IntersectClip(d.Pixels(box));
    DrawTextLines(d, font, share, box, Alignment);
    d.RestoreClip();
}

void TPrnTextPageObject::LoadFromValueList(const TPrnValueList& L)
{
    TPrnBaseTextObject::LoadFromValueList(L);
    TPrnExtPoint p2 = L.ReadPointValue("XY2", {Rect.Right, Rect.Bottom});
    Rect.Right = p2.X;
    Rect.Bottom = p2.Y;
    InnerMargin = L.ReadExtValue("TP", 0);
    Text = L.ReadStringValue("T", "");
    Alignment = TAlignment(std::clamp(L.ReadIntValue("TA", 0), 0, 2));
    WordBreak = L.ReadBoolValue("WB", true);
    Block = L.ReadIntValue("BL", -1);
}

void TPrnTextPageObject::SaveToValueList(TPrnValueList& L) const
{
    TPrnBaseTextObject::SaveToValueList(L);
    L.WritePointValue("XY2", {Rect.Right, Rect.Bottom});
    L.WriteExtValue("TP", InnerMargin);
    L.WriteStringValue("T", Text);
    if (Alignment != taLeftJustify)
        L.WriteIntValue("TA", Alignment);
    if (!WordBreak)
        L.WriteBoolValue("WB", false);
    if (Block >= 0)
        L.WriteIntValue("BL", Block);
    L.WriteIntValue("F", Table().Fonts.IndexOfFont(Font()));
}

// ---- clipping --------------------------------------------------------------------------------------------------
void TPrnBaseClipObject::OffsetObject(TPrnMeasurement U, Extended DX, Extended DY)
{
    Rect = OffsetExtendedRect(Rect, ConvertValue(DX, U, pnInches), ConvertValue(DY, U, pnInches));
}

void TPrnBaseClipObject::LoadFromValueList(const TPrnValueList& L)
{
    TPrnBaseObject::LoadFromValueList(L);
    Rect = L.ReadRectValue("XY", Rect);
}

void TPrnBaseClipObject::SaveToValueList(TPrnValueList& L) const
{
    TPrnBaseObject::SaveToValueList(L);
    L.WriteRectValue("XY", Rect);
}

void TPrnExcludeClipRectObject::Draw(TPrnDrawContext& C) { C.Device.ExcludeClip(C.Device.Pixels(Rect)); }

std::unique_ptr<TPrnBaseObject> CreatePrnObject(int32_t ObjectID, TPrnResourceTable& Table)
{
    switch (ObjectID) {
    case 1: return std::make_unique<TPrnLineObject>(Table);
    case 2: return std::make_unique<TPrnRectangleShape>(Table);
    case 14: return std::make_unique<TPrnTextBoxObject>(Table);
    case 20: return std::make_unique<TPrnExcludeClipRectObject>(Table);
    default: return nullptr;
    }
}
