#include "grid/XStrGridColumns.h"

#include "grid/XStrGridTexts.h"
#include "platform/StrUtil.h"

#include <algorithm>

// ---- list cell conversions -------------------------------------------------------------------------------------

std::string LinesToCommaText(const std::string& Lines)
{
    std::string out;
    size_t p = 0, n = Lines.size();
    bool first = true;
    while (p < n) {
        size_t e = p;
        while (e < n && Lines[e] != '\r' && Lines[e] != '\n')
            ++e;
        std::string line = Lines.substr(p, e - p);
        bool hasBreak = e < n;
        if (hasBreak) {
            if (Lines[e] == '\r' && e + 1 < n && Lines[e + 1] == '\n')
                e += 2;
            else
                ++e;
        }
        bool quote = false;
        for (unsigned char c : line)
            if (c <= 32 || c == '"' || c == ',') {
                quote = true;
                break;
            }
        if (!first)
            out += ',';
        first = false;
        if (quote) {
            out += '"';
            for (char c : line) {
                if (c == '"')
                    out += '"';
                out += c;
            }
            out += '"';
        } else {
            out += line;
        }
        if (hasBreak && e >= n)
            out += ',';
        p = e;
    }
    return out;
}

std::string CommaTextToLines(const std::string& CommaText)
{
    const std::string& s = CommaText;
    std::string out;
    size_t p = 0, n = s.size();
    auto isBlank = [&](size_t i) { return i < n && s[i] != 0 && static_cast<unsigned char>(s[i]) <= 32; };
    while (isBlank(p))
        ++p;
    while (p < n) {
        size_t start = p;
        if (s[p] == '"') {
            ++p;
            while (p < n) {
                if (s[p] == '"') {
                    if (p + 1 < n && s[p + 1] == '"') {
                        out += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                out += s[p++];
            }
        } else {
            while (p < n && static_cast<unsigned char>(s[p]) > 32 && s[p] != ',')
                out += s[p++];
        }
        while (isBlank(p))
            ++p;
        if (p < n && s[p] == ',') {
            out += "\r\n";
            ++p;
            while (isBlank(p))
                ++p;
        }
        if (p == start)
            ++p;   // a stray NUL: drop it rather than loop
    }
    return out;
}

// ---- drop-down lines -------------------------------------------------------------------------------------------

std::string ItemName(const std::string& Line)
{
    size_t eq = Line.find('=');
    return eq == std::string::npos ? Line : Line.substr(0, eq);
}

std::string ItemValue(const std::string& Line)
{
    size_t eq = Line.find('=');
    return eq == std::string::npos ? Line : Line.substr(eq + 1);
}

std::string ComboNameToValue(const std::vector<std::string>& Items, const std::string& Name)
{
    for (const std::string& line : Items) {
        if (SameText(ItemName(line), Name)) {
            std::string value = ItemValue(line);
            return value.empty() ? Name : value;
        }
    }
    return Name;
}

std::string ComboValueToName(const std::vector<std::string>& Items, const std::string& Value)
{
    for (const std::string& line : Items) {
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0)
            continue;
        if (line.compare(eq + 1, std::string::npos, Value) == 0)
            return line.substr(0, eq);
    }
    return Value;
}

// ---- key filter -----------------------------------------------------------------------------------------------

bool CellAcceptsChar(TCellValueType Type, const std::string& InputMask, const std::string& NotInputMask, char Ch)
{
    if (Type == vtString)
        return true;
    if (Ch == 8 || Ch == 10 || Ch == 13 || Ch == 27)
        return true;
    bool digit = Ch >= '0' && Ch <= '9';
    bool letter = (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z');
    bool masksEmpty = InputMask.empty() && NotInputMask.empty();
    bool passesMasks = NotInputMask.find(Ch) == std::string::npos &&
        (InputMask.empty() || InputMask.find(Ch) != std::string::npos);
    switch (Type) {
    case vtAlphabeticString:
        return Ch == ' ' || letter || (!masksEmpty && passesMasks);
    case vtAlphaNumericString:
        return Ch == ' ' || letter || digit || (!masksEmpty && passesMasks);
    case vtMaskedString:
        return masksEmpty || passesMasks;
    case vtInteger:
    case vtRangeInteger:
        return digit;
    default:
        return true;
    }
}

// ---- properties ------------------------------------------------------------------------------------------------

void TXGridProperty::Assign(const TXGridProperty& Source)
{
    if (&Source == this)
        return;
    Key = Source.Key;
    InputMask = Source.InputMask;
    NotInputMask = Source.NotInputMask;
    EditMask = Source.EditMask;
    EditLimit = Source.EditLimit;
    MinInteger = Source.MinInteger;
    MaxInteger = Source.MaxInteger;
    CanEmpty = Source.CanEmpty;
    Items.clear();
    for (const std::string& line : Source.Items)
        Items.push_back(line);
    Hint = Source.Hint;
    Data = Source.Data;
}

TXGridProperty& TXGridProperties::Add()
{
    FItems.push_back(std::make_unique<TXGridProperty>());
    return *FItems.back();
}

TXGridProperty& TXGridProperties::Insert(int Index)
{
    Index = std::clamp(Index, 0, Count());
    auto it = FItems.insert(FItems.begin() + Index, std::make_unique<TXGridProperty>());
    return **it;
}

void TXGridProperties::Delete(int Index)
{
    if (Index >= 0 && Index < Count())
        FItems.erase(FItems.begin() + Index);
}

void TXGridProperties::Exchange(int I, int J)
{
    if (I == J)
        return;
    TXGridProperty temp;
    temp.Assign(Items(I));
    Items(I).Assign(Items(J));
    Items(J).Assign(temp);
}

void TXGridProperties::Move(int From, int To)
{
    if (From == To || From < 0 || To < 0 || From >= Count() || To >= Count())
        return;
    auto item = std::move(FItems[size_t(From)]);
    FItems.erase(FItems.begin() + From);
    FItems.insert(FItems.begin() + To, std::move(item));
}

// ---- column ----------------------------------------------------------------------------------------------------

TXGridColumn::TXGridColumn(TXGridColumns* Collection) : FCollection(Collection)
{
    FDefaultProperty.MaxInteger = 2147483647;
    if (TXColumnsOwner* owner = Owner()) {
        FWidth = owner->ColumnsDefaultColWidth();
        FFont = owner->ColumnsFont();
        FHeaderFont = owner->ColumnsHeaderFont();
        int rows = owner->ColumnsDataRowCount();
        FTexts.assign(size_t(std::max(rows, 0)), std::string());
        FWords.assign(FTexts.size(), 0);
    }
}

TXGridColumn::~TXGridColumn()
{
    if (FHeaderColumn)
        FHeaderColumn->RemoveSubColumn(this);
    for (TXGridColumn* sub : FSubColumns)
        sub->FHeaderColumn = nullptr;
}

TXColumnsOwner* TXGridColumn::Owner() const { return FCollection ? FCollection->Owner() : nullptr; }

int TXGridColumn::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TXGridColumn::SetIndex(int Value)
{
    if (!FCollection)
        return;
    TXColumnsOwner* owner = Owner();
    if (Value < 0 && !(owner && owner->ColumnsLoading()))
        throw EXGridError(XStrGridText(SWrongColumnIndex));
    if (owner && !owner->ColumnsLoading())
        owner->ColumnsChanging();
    int old = Index();
    if (Value >= 0 && Value < FCollection->Count() && Value != old)
        FCollection->MoveItem(old, Value);
    if (owner) {
        if (owner->ColumnsLoading())
            FOrder = Value;
        else
            owner->ColumnIndexChanged(this, Value);
    }
}

std::string TXGridColumn::GetDisplayName() const
{
    if (!FCaption.empty())
        return FCaption;
    return "TXGridColumn";
}

void TXGridColumn::Changed()
{
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnRepaint(this);
}

void TXGridColumn::SetCaption(const std::string& Value)
{
    FCaption = Value;
    Changed();
}

void TXGridColumn::SetWidth(int Value)
{
    if (Value == FWidth)
        return;
    FWidth = Value;
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnWidthChanged(this);
}

void TXGridColumn::SetFont(const TXFont& Value)
{
    FFont = Value;
    FParentFont = false;
    Changed();
}

void TXGridColumn::SetHeaderFont(const TXFont& Value)
{
    FHeaderFont = Value;
    FParentHeaderFont = false;
    if (FHeaderColumn)
        FHeaderColumn->SetHeaderFont(Value);
    Changed();
}

void TXGridColumn::SetParentFont(bool Value)
{
    FParentFont = Value;
    TXColumnsOwner* owner = Owner();
    if (Value && owner && !owner->ColumnsLoading()) {
        FFont = owner->ColumnsFont();
        Changed();
    }
}

void TXGridColumn::SetParentHeaderFont(bool Value)
{
    FParentHeaderFont = Value;
    TXColumnsOwner* owner = Owner();
    if (Value && owner && !owner->ColumnsLoading()) {
        FHeaderFont = owner->ColumnsHeaderFont();
        Changed();
    }
}

void TXGridColumn::SetColor(TColor Value)
{
    FColor = Value;
    Changed();
}

void TXGridColumn::SetHeaderColor(TColor Value)
{
    FHeaderColor = Value;
    Changed();
}

void TXGridColumn::SetName(const std::string& Value)
{
    if (Value == FName)
        return;
    if (FCollection) {
        TXGridColumn* other = FCollection->FindColumn(Value);
        if (other && other != this)
            throw EXGridColumnsError(Format(XStrGridText(SNameAlreadyExists), {Value}));
    }
    FName = Value;
}

void TXGridColumn::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnsChanging();
    FVisible = Value;
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnVisibilityChanged(this);
}

void TXGridColumn::SetSortOrder(TColumnSorting Value)
{
    if (Value == FSortOrder)
        return;
    FSortOrder = Value;
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnSortOrderChanged(this);
}

void TXGridColumn::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Changed();
}

void TXGridColumn::SetHeaderAlignment(TAlignment Value)
{
    FHeaderAlignment = Value;
    Changed();
}

void TXGridColumn::SetRowProperty(bool Value)
{
    if (Value == FRowProperty)
        return;
    FRowProperty = Value;
    FRowProperties.Clear();
    if (Value)
        for (size_t i = 0; i < FTexts.size(); ++i)
            FRowProperties.Add();
}

// ---- cells -----------------------------------------------------------------------------------------------------

void TXGridColumn::SetValueOptions(int Row, TCellValueOptions Options)
{
    uint32_t& word = FWords[size_t(Row)];
    Options &= 0x0F;
    if (Options == WordOptions(word))
        return;
    if (Options & voButton)
        Options &= TCellValueOptions(~voComboBox);
    if (Options & voComboBox)
        Options &= TCellValueOptions(~voButton);
    TCellValueType type = WordType(word);
    if (type == vtInteger || type == vtRangeInteger)
        Options &= TCellValueOptions(~voList);
    word = MakeCellWord(Options, type);
    if (FPosition >= 0)
        if (TXColumnsOwner* owner = Owner())
            owner->ColumnCellChanged(this, Row, false);
}

void TXGridColumn::SetValueType(int Row, TCellValueType Type)
{
    uint32_t& word = FWords[size_t(Row)];
    if (Type == WordType(word))
        return;
    word = MakeCellWord(WordOptions(word), Type);
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnCellChanged(this, Row, false);
}

std::string TXGridColumn::GetCellValue(int Row) const
{
    const std::string& s = FTexts[size_t(Row)];
    if (GetValueOptions(Row) & voList)
        return CommaTextToLines(s);
    return s;
}

std::string TXGridColumn::GetCell(int Row) const
{
    std::string s = GetCellValue(Row);
    if ((GetValueOptions(Row) & voComboBox) && FPosition >= 0)
        return ComboValueToName(CellProperty(Row).Items, s);
    return s;
}

bool TXGridColumn::SetCell(int Row, const std::string& Text)
{
    TCellValueOptions options = GetValueOptions(Row);
    TCellValueType type = GetValueType(Row);
    std::string s = Text;
    if ((options & voList) && (type == vtString || type == vtAlphabeticString || type == vtAlphaNumericString))
        s = LinesToCommaText(s);
    if ((options & voComboBox) && FPosition >= 0)
        s = ComboNameToValue(CellProperty(Row).Items, s);
    std::string& stored = FTexts[size_t(Row)];
    bool changed = stored != s;
    stored = std::move(s);
    if (TXColumnsOwner* owner = Owner())
        owner->ColumnCellChanged(this, Row, changed);
    return changed;
}

TXGridProperty& TXGridColumn::CellProperty(int Row)
{
    if (FRowProperty && Row >= 0 && Row < FRowProperties.Count())
        return FRowProperties.Items(Row);
    return FDefaultProperty;
}

const TXGridProperty& TXGridColumn::CellProperty(int Row) const
{
    if (FRowProperty && Row >= 0 && Row < FRowProperties.Count())
        return FRowProperties.Items(Row);
    return FDefaultProperty;
}

void TXGridColumn::InsertRow(int Index)
{
    Index = std::clamp(Index, 0, CellCount());
    FTexts.insert(FTexts.begin() + Index, std::string());
    FWords.insert(FWords.begin() + Index, 0);
    if (FRowProperty)
        FRowProperties.Insert(Index);
}

void TXGridColumn::DeleteRow(int Index)
{
    if (Index < 0 || Index >= CellCount())
        return;
    FTexts.erase(FTexts.begin() + Index);
    FWords.erase(FWords.begin() + Index);
    if (FRowProperty)
        FRowProperties.Delete(Index);
}

void TXGridColumn::ExchangeRows(int I, int J)
{
    if (I == J)
        return;
    std::swap(FTexts[size_t(I)], FTexts[size_t(J)]);
    std::swap(FWords[size_t(I)], FWords[size_t(J)]);
    if (FRowProperty && I < FRowProperties.Count() && J < FRowProperties.Count())
        FRowProperties.Exchange(I, J);
}

void TXGridColumn::MoveRow(int From, int To)
{
    if (From == To)
        return;
    std::string text = std::move(FTexts[size_t(From)]);
    FTexts.erase(FTexts.begin() + From);
    FTexts.insert(FTexts.begin() + To, std::move(text));
    uint32_t word = FWords[size_t(From)];
    FWords.erase(FWords.begin() + From);
    FWords.insert(FWords.begin() + To, word);
    if (FRowProperty)
        FRowProperties.Move(From, To);
}

// ---- double header ---------------------------------------------------------------------------------------------

void TXGridColumn::AddSubColumn(TXGridColumn* DataColumn)
{
    if (!DataColumn || DataColumn->FHeaderColumn == this)
        return;
    // A column shows under one header column only, so it leaves its former one.
    if (DataColumn->FHeaderColumn)
        DataColumn->FHeaderColumn->RemoveSubColumn(DataColumn);
    FSubColumns.push_back(DataColumn);
    DataColumn->FHeaderColumn = this;
    FHeaderFont = DataColumn->HeaderFont();
    RecalcHeaderWidth();
}

void TXGridColumn::RemoveSubColumn(TXGridColumn* DataColumn)
{
    auto it = std::find(FSubColumns.begin(), FSubColumns.end(), DataColumn);
    if (it == FSubColumns.end())
        return;
    FSubColumns.erase(it);
    DataColumn->FHeaderColumn = nullptr;
    RecalcHeaderWidth();
}

int TXGridColumn::FirstSubPosition() const
{
    int best = -1;
    for (TXGridColumn* sub : FSubColumns)
        if (sub->Position() >= 0 && (best < 0 || sub->Position() < best))
            best = sub->Position();
    return best;
}

bool TXGridColumn::RecalcHeaderWidth()
{
    if (FSubColumns.empty())
        return false;
    int w = int(FSubColumns.size()) - 1;
    for (TXGridColumn* sub : FSubColumns)
        w += sub->Visible() ? sub->Width() : -1;
    if (w == FWidth)
        return false;
    SetWidth(w);
    return true;
}

void TXGridColumn::AssignLook(const TXGridColumn& Source)
{
    FCaption = Source.FCaption;
    FWidth = Source.FWidth;
    FFont = Source.FFont;
    FHeaderFont = Source.FHeaderFont;
    FColor = Source.FColor;
    FHeaderColor = Source.FHeaderColor;
    FSortOrder = Source.FSortOrder;
    FAlignment = Source.FAlignment;
    FHeaderAlignment = Source.FHeaderAlignment;
    FParentFont = Source.FParentFont;
    FParentHeaderFont = Source.FParentHeaderFont;
    ImeName = Source.ImeName;
    ImeMode = Source.ImeMode;
    FDefaultProperty.Assign(Source.FDefaultProperty);
    FRowProperty = Source.FRowProperty;
    FRowProperties.Clear();
    size_t rows = std::min(FTexts.size(), Source.FTexts.size());
    for (size_t i = 0; i < rows; ++i) {
        FTexts[i] = Source.FTexts[i];
        FWords[i] = Source.FWords[i];
    }
    if (FRowProperty)
        for (size_t i = 0; i < FTexts.size(); ++i) {
            TXGridProperty& p = FRowProperties.Add();
            if (int(i) < Source.FRowProperties.Count())
                p.Assign(Source.FRowProperties.Items(int(i)));
        }
}

// ---- collection ------------------------------------------------------------------------------------------------

TXGridColumns::~TXGridColumns()
{
    // Columns leave without telling the grid: the grid is going away with them.
    FItems.clear();
}

TXGridColumn* TXGridColumns::Add()
{
    if (FOwner)
        FOwner->ColumnsChanging();
    FItems.push_back(std::make_unique<TXGridColumn>(this));
    TXGridColumn* column = FItems.back().get();
    if (FOwner)
        FOwner->ColumnAdded(column);
    return column;
}

void TXGridColumns::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EXGridError(XStrGridText(SWrongColumnIndex));
    if (FOwner)
        FOwner->ColumnsChanging();
    TXGridColumn* column = FItems[size_t(Index)].get();
    if (FOwner)
        FOwner->ColumnRemoving(column);
    std::unique_ptr<TXGridColumn> gone = std::move(FItems[size_t(Index)]);
    FItems.erase(FItems.begin() + Index);
    gone.reset();
    if (FOwner)
        FOwner->ColumnVisibilityChanged(nullptr);
}

void TXGridColumns::Clear()
{
    while (Count() > 0)
        Delete(Count() - 1);
}

int TXGridColumns::IndexOf(const TXGridColumn* Column) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == Column)
            return int(i);
    return -1;
}

void TXGridColumns::MoveItem(int From, int To)
{
    if (From == To || From < 0 || To < 0 || From >= Count() || To >= Count())
        return;
    auto item = std::move(FItems[size_t(From)]);
    FItems.erase(FItems.begin() + From);
    FItems.insert(FItems.begin() + To, std::move(item));
}

TXGridColumn* TXGridColumns::FindColumn(const std::string& Name) const
{
    for (const auto& c : FItems)
        if (SameText(c->Name(), Name))
            return c.get();
    return nullptr;
}

void TXGridColumns::InsertRowAt(int Index)
{
    for (auto& c : FItems)
        c->InsertRow(Index);
}

void TXGridColumns::DeleteRowAt(int Index)
{
    for (auto& c : FItems)
        c->DeleteRow(Index);
}

void TXGridColumns::Assign(const TXGridColumns& Source)
{
    if (&Source == this)
        return;
    Clear();
    for (int i = 0; i < Source.Count(); ++i) {
        TXGridColumn* from = Source.GetItem(i);
        TXGridColumn* to = Add();
        to->AssignLook(*from);
        to->SetName(from->Name());
        if (!from->Visible())
            to->SetVisible(false);
    }
}

// ---- column list -----------------------------------------------------------------------------------------------

void TXGridColumnList::Remove(TXGridColumn* Column)
{
    auto it = std::find(FItems.begin(), FItems.end(), Column);
    if (it != FItems.end())
        FItems.erase(it);
}

int TXGridColumnList::IndexOf(const TXGridColumn* Column) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == Column)
            return int(i);
    return -1;
}

void TXGridColumnList::Move(int From, int To)
{
    if (From < 0 || To < 0 || From >= Count() || To >= Count())
        throw EXGridError(XStrGridText(SWrongColumnIndex));
    if (From != To) {
        TXGridColumn* c = FItems[size_t(From)];
        FItems.erase(FItems.begin() + From);
        FItems.insert(FItems.begin() + To, c);
    }
    Renumber();
}

void TXGridColumnList::InsertByPosition(TXGridColumn* Column)
{
    auto at = FItems.end();
    if (Column->OrderKey() >= 0)
        at = std::find_if(FItems.begin(), FItems.end(),
            [&](TXGridColumn* c) { return c->OrderKey() > Column->OrderKey(); });
    FItems.insert(at, Column);
    Renumber();
}

void TXGridColumnList::Renumber()
{
    for (size_t i = 0; i < FItems.size(); ++i) {
        FItems[i]->SetPositionRaw(int(i));
        FItems[i]->SetOrderKey(int(i));
    }
}
