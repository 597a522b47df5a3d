#include "print/ui/PrnXStringGrid.h"

TPrnFont PrnFontOf(const TXFont& Font)
{
    TPrnFont f;
    f.Name = Font.Name;
    f.Size = Font.Size;
    f.Style = (Font.Bold ? unsigned(fsBold) : 0u) | (Font.Italic ? unsigned(fsItalic) : 0u) |
        (Font.Underline ? unsigned(fsUnderline) : 0u);
    f.Color = Font.Color;
    return f;
}

namespace {
TPrnGridColumn ColumnOf(const TXGridColumn& C)
{
    TPrnGridColumn p;
    p.Caption = C.Caption();
    p.Width = C.Width();
    p.Font = PrnFontOf(C.Font());
    p.HeaderFont = PrnFontOf(C.HeaderFont());
    p.Alignment = C.Alignment();
    p.HeaderAlignment = C.HeaderAlignment();
    p.LinkedColumns = C.GetSubColumnCount();
    return p;
}
}

std::vector<TPrnGridColumn> TPrnXStringGridSource::Columns() const
{
    std::vector<TPrnGridColumn> out;
    const TXGridColumnList& list = G.ColumnList();
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(ColumnOf(*list.Items(i)));
    return out;
}

std::vector<TPrnGridColumn> TPrnXStringGridSource::HeaderColumns() const
{
    std::vector<TPrnGridColumn> out;
    TXGridColumns* header = G.GetHeaderColumns();
    if (!header)
        return out;
    for (int i = 0; i < header->Count(); ++i)
        if (TXGridColumn* c = header->GetItem(i); c && c->Visible())
            out.push_back(ColumnOf(*c));
    return out;
}
