#include "print/PrnResource.h"

#include "print/PrnGraphic.h"
#include "print/PrnRtfFuncs.h"

#include "platform/StrUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void TPrnBrush::SaveToValueList(TPrnValueList& L) const
{
    L.WriteIntValue("CL", Color);
    L.WriteIntValue("ST", Style);
}

void TPrnBrush::LoadFromValueList(const TPrnValueList& L)
{
    Color = L.ReadIntValue("CL", clWhite);
    Style = TPrnBrushStyle(L.ReadIntValue("ST", bsSolid));
}

void TPrnFont::SetHeight(int Pixels) { Size = int(std::lround(std::abs(Pixels) * 72.0 / 96.0)); }

void TPrnFont::SaveToValueList(TPrnValueList& L) const
{
    L.WriteIntValue("CL", Color);
    L.WriteStringValue("ST", FontStyleToStr(Style));
    L.WriteStringValue("FN", Name);
    L.WriteIntValue("SZ", Size);
    L.WriteExtValue("FA", Angle);
    L.WriteIntValue("CS", Charset);
}

void TPrnFont::LoadFromValueList(const TPrnValueList& L)
{
    Color = L.ReadIntValue("CL", clBlack);
    Style = StrToFontStyle(L.ReadStringValue("ST", ""));
    Name = L.ReadStringValue("FN", "Arial");
    Size = L.ReadIntValue("SZ", 10);
    Angle = L.ReadExtValue("FA", 0);
    Charset = L.ReadIntValue("CS", 1);
}

int TPrnPen::DeviceWidth(Extended PixelsPerInch) const
{
    int w = int(std::llround(Width * PixelsPerInch / 72 / 4));
    return Style == psSolid && w < 2 ? 0 : w;
}

void TPrnPen::SaveToValueList(TPrnValueList& L) const
{
    L.WriteIntValue("CL", Color);
    L.WriteIntValue("SZ", Width);
    L.WriteIntValue("ST", Style);
    L.WriteIntValue("PM", Mode);
}

void TPrnPen::LoadFromValueList(const TPrnValueList& L)
{
    Color = L.ReadIntValue("CL", clBlack);
    Width = L.ReadIntValue("SZ", 1);
    Style = TPrnPenStyle(L.ReadIntValue("ST", psSolid));
    Mode = TPrnPenMode(L.ReadIntValue("PM", pmCopy));
}

std::string PenToString(const TPrnPen& Pen)
{
    return IntToStr(Pen.Color) + "," + IntToStr(Pen.Width) + "," + IntToStr(Pen.Style) + "," + IntToStr(Pen.Mode);
}

void StringToPen(const std::string& Text, TPrnPen& Pen)
{
    std::vector<int> v;
    size_t start = 0;
    while (start <= Text.size()) {
        size_t comma = Text.find(',', start);
        int32_t n;
        if (!TryStrToInt(Trim(std::string_view(Text).substr(start, comma - start)), n))
            return;
        v.push_back(n);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (v.size() > 0)
        Pen.Color = v[0];
    if (v.size() > 1)
        Pen.Width = v[1];
    if (v.size() > 2 && v[2] >= psSolid && v[2] <= psInsideFrame)
        Pen.Style = TPrnPenStyle(v[2]);
    if (v.size() > 3 && v[3] >= pmBlack && v[3] <= pmNotXor)
        Pen.Mode = TPrnPenMode(v[3]);
}

void PrnSaveReferenceCounts(TPrnWriter& W, const std::vector<int>& Counts)
{
    TPrnValueList refs;
    refs.WriteIntValue("RC", int(Counts.size()));
    for (size_t i = 0; i < Counts.size(); ++i)
        refs.WriteIntValue("RN" + std::to_string(i + 1), Counts[i]);
    refs.SaveToStream(W);
}

std::vector<int> PrnLoadReferenceCounts(TPrnReader& R, std::vector<int> Counts)
{
    TPrnValueList refs;
    refs.LoadFromStream(R);
    for (size_t i = 0; i < Counts.size(); ++i)
        Counts[i] = std::max(1, refs.ReadIntValue("RN" + std::to_string(i + 1), Counts[i]));
    return Counts;
}

TPrnResourceTable::TPrnResourceTable()
    : FGraphics(std::make_unique<TPrnGraphicList>()), FMemos(std::make_unique<TPrnCustomMemoList>())
{
}

TPrnResourceTable::~TPrnResourceTable() = default;

void TPrnResourceTable::SaveToStream(TPrnWriter& W) const
{
    Brushes.SaveToStream(W);
    Fonts.SaveToStream(W);
    Pens.SaveToStream(W);
    FGraphics->SaveToStream(W);
    FMemos->SaveToStream(W);
}

void TPrnResourceTable::LoadFromStream(TPrnReader& R)
{
    TPrnBrushList b;
    TPrnFontList f;
    TPrnPenList p;
    b.LoadFromStream(R);
    f.LoadFromStream(R);
    p.LoadFromStream(R);
    TPrnGraphicList g;
    g.CompareGraphics = FGraphics->CompareGraphics;
    g.LoadFromStream(R);
    TPrnCustomMemoList m;
    m.OnNeedRichEdit = FMemos->OnNeedRichEdit;
    m.LoadFromStream(R);
    Brushes.TakeLoaded(std::move(b));
    Fonts.TakeLoaded(std::move(f));
    Pens.TakeLoaded(std::move(p));
    FGraphics->TakeLoaded(std::move(g));
    FMemos->TakeLoaded(std::move(m));
}
