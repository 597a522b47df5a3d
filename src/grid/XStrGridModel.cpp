#include "grid/XStrGridModel.h"

#include "grid/XStrGridTexts.h"
#include "platform/StrUtil.h"

#include <algorithm>

TXStringGridModel::TXStringGridModel() : FColumns(std::make_unique<TXGridColumns>(this)) {}

TXStringGridModel::~TXStringGridModel()
{
    FColumnList.Clear();
    FActiveColumn = nullptr;
    FColumns.reset();
}

// ---- columns ---------------------------------------------------------------------------------------------------

int TXStringGridModel::AppliedFixedCols() const
{
    int count = ColumnCount();
    if (count == 0)
        return 0;
    return std::min(FFixedCols, count - 1);
}

void TXStringGridModel::RebuildColumnList()
{
    std::vector<TXGridColumn*> visible;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TXGridColumn* c = FColumns->GetItem(i);
        if (c->Visible())
            visible.push_back(c);
        else
            c->SetPositionRaw(-1);
    }
    // Placed columns keep their display order; columns without one go behind them in collection order.
    std::stable_sort(visible.begin(), visible.end(), [](TXGridColumn* a, TXGridColumn* b) {
        int ka = a->OrderKey() < 0 ? 1 << 30 : a->OrderKey();
        int kb = b->OrderKey() < 0 ? 1 << 30 : b->OrderKey();
        return ka < kb;
    });
    FColumnList.Clear();
    for (TXGridColumn* c : visible)
        FColumnList.Add(c);
    FColumnList.Renumber();
    if (FActiveColumn && FActiveColumn->Position() < 0)
        FActiveColumn = nullptr;
}

void TXStringGridModel::ColumnAdded(TXGridColumn* Column)
{
    if (Column->Visible())
        FColumnList.InsertByPosition(Column);
    UpdateCoreColumns();
    if (Column->Position() == 0) {
        ReselectCurrent();
        // Selecting again may have made it the active column already.
        if (FActiveColumn != Column) {
            TXGridColumn* old = FActiveColumn;
            FActiveColumn = Column;
            ActiveColChanged(old, Column);
        }
    }
}

void TXStringGridModel::ColumnRemoving(TXGridColumn* Column)
{
    if (FActiveColumn == Column)
        FActiveColumn = nullptr;
    FColumnList.Remove(Column);
    Column->SetPositionRaw(-1);
}

void TXStringGridModel::ColumnVisibilityChanged(TXGridColumn*)
{
    RebuildColumnList();
    FActiveColumn = nullptr;
    UpdateCoreColumns();
    ReselectCurrent();
}

void TXStringGridModel::ColumnIndexChanged(TXGridColumn* Column, int NewIndex)
{
    int from = FColumnList.IndexOf(Column);
    if (from >= 0 && NewIndex < FColumnList.Count())
        FColumnList.Move(from, NewIndex);
    UpdateCoreColumns();
}

void TXStringGridModel::MoveListColumn(int From, int To)
{
    BeforeCellsChange();
    FColumnList.Move(From, To);
    UpdateCoreColumns();
    if (OnColumnMoved)
        OnColumnMoved(From, To);
    InvalidateAll();
}

void TXStringGridModel::ColumnWidthChanged(TXGridColumn* Column)
{
    if (Column->HeaderColumn())
        Column->HeaderColumn()->RecalcHeaderWidth();
    if (Column->Visible() && Column->Position() >= 0)
        ColumnWidthUpdated(Column);
}

void TXStringGridModel::ColumnSortOrderChanged(TXGridColumn* Column)
{
    if (FAutoSort && (Column->SortOrder() == csAsc || Column->SortOrder() == csDsc)) {
        SortBusy(true);
        try {
            SortRows();
        } catch (...) {
            SortBusy(false);
            throw;
        }
        SortBusy(false);
    } else {
        InvalidateAll();
    }
}

void TXStringGridModel::ColumnCellChanged(TXGridColumn* Column, int Row, bool TextChanged)
{
    if (Column->Position() >= 0)
        InvalidateDataCell(Column->Position(), Row);
    if (TextChanged && ModifyTracking)
        SetModified();
}

void TXStringGridModel::ColumnRepaint(TXGridColumn*) { InvalidateAll(); }

void TXStringGridModel::ActiveColChanged(TXGridColumn*, TXGridColumn*) {}

// ---- rows ------------------------------------------------------------------------------------------------------

void TXStringGridModel::SetRowCount(int Value)
{
    Value = std::max(Value, 0);
    if (Value != RowCount())
        BeforeCellsChange();
    bool hadNone = FNoDataRows;
    int current = RowCount();
    if (Value < current)
        DeleteRows(Value, current - 1);
    else if (Value > current)
        AddRows(Value - current);
    if (hadNone && !FNoDataRows)
        ReselectCurrent();
}

void TXStringGridModel::InsertRow(int Index)
{
    if (Index < 0 || Index > FRows)
        throw EXGridError(XStrGridText(SWrongRowIndex));
    BeforeCellsChange();
    FColumns->InsertRowAt(Index);
    ++FRows;
    FNoDataRows = false;
    UpdateCoreRows();
    InvalidateAll();
}

void TXStringGridModel::AddRows(int Count)
{
    if (Count <= 0)
        return;
    BeforeCellsChange();
    for (int i = 0; i < Count; ++i)
        InsertRow(FRows);
    if (ModifyTracking)
        SetModified();
}

void TXStringGridModel::DeleteRows(int First, int Last)
{
    if (First < 0 || First >= RowCount() || Last < First || Last >= RowCount())
        throw EXGridError(XStrGridText(SWrongRowIndex));
    BeforeCellsChange();
    BeforeRowsDeleted();
    for (int i = First; i <= Last; ++i)
        FColumns->DeleteRowAt(First);
    FRows -= Last - First + 1;
    FNoDataRows = FRows == 0;
    UpdateCoreRows();
    InvalidateAll();
    if (ModifyTracking)
        SetModified();
}

void TXStringGridModel::ExchangeRows(int I, int J)
{
    if (I < 0 || J < 0 || I >= RowCount() || J >= RowCount())
        throw EXGridError(XStrGridText(SWrongRowIndex));
    BeforeCellsChange();
    for (int c = 0; c < FColumns->Count(); ++c)
        FColumns->GetItem(c)->ExchangeRows(I, J);
    InvalidateAll();
}

void TXStringGridModel::MoveDataRow(int From, int To)
{
    if (From < 0 || To < 0 || From >= RowCount() || To >= RowCount())
        throw EXGridError(XStrGridText(SWrongRowIndex));
    BeforeCellsChange();
    for (int c = 0; c < FColumns->Count(); ++c)
        FColumns->GetItem(c)->MoveRow(From, To);
    if (OnRowMoved)
        OnRowMoved(From, To);
    InvalidateAll();
}

// ---- cells -----------------------------------------------------------------------------------------------------

void TXStringGridModel::CheckCol(int ACol) const
{
    if (ACol < 0 || ACol >= ColumnCount())
        throw EXGridError(XStrGridText(SWrongColumnIndex));
}

void TXStringGridModel::CheckCell(int ACol, int ARow) const
{
    CheckCol(ACol);
    if (ARow < 0 || ARow >= RowCount())
        throw EXGridError(XStrGridText(SWrongRowIndex));
}

std::string TXStringGridModel::Cells(int ACol, int ARow) const
{
    CheckCell(ACol, ARow);
    return FColumnList[ACol]->GetCell(ARow);
}

void TXStringGridModel::SetCells(int ACol, int ARow, const std::string& Value)
{
    CheckCell(ACol, ARow);
    FColumnList[ACol]->SetCell(ARow, Value);
}

std::string TXStringGridModel::GetCellValue(int ACol, int ARow) const
{
    CheckCell(ACol, ARow);
    return FColumnList[ACol]->GetCellValue(ARow);
}

const std::string& TXStringGridModel::StoredText(int ACol, int ARow) const
{
    CheckCell(ACol, ARow);
    return FColumnList[ACol]->StoredText(ARow);
}

bool TXStringGridModel::RulesAvailable(int ACol, int ARow) const
{
    if (FNoDataRows || ColumnCount() == 0)
        return false;
    CheckCell(ACol, ARow);
    return true;
}

const TXGridProperty* TXStringGridModel::RuleOf(int ACol, int ARow) const
{
    if (!RulesAvailable(ACol, ARow))
        return nullptr;
    return &FColumnList[ACol]->CellProperty(ARow);
}

TXGridProperty& TXStringGridModel::CellProperty(int ACol, int ARow)
{
    CheckCell(ACol, ARow);
    return FColumnList[ACol]->CellProperty(ARow);
}

TCellValueOptions TXStringGridModel::GetCellValueOptions(int ACol, int ARow) const
{
    return RulesAvailable(ACol, ARow) ? FColumnList[ACol]->GetValueOptions(ARow) : 0;
}

void TXStringGridModel::SetCellValueOptions(int ACol, int ARow, TCellValueOptions Value)
{
    CheckCell(ACol, ARow);
    FColumnList[ACol]->SetValueOptions(ARow, Value);
}

TCellValueType TXStringGridModel::GetCellValueType(int ACol, int ARow) const
{
    return RulesAvailable(ACol, ARow) ? FColumnList[ACol]->GetValueType(ARow) : vtString;
}

void TXStringGridModel::SetCellValueType(int ACol, int ARow, TCellValueType Value)
{
    CheckCell(ACol, ARow);
    FColumnList[ACol]->SetValueType(ARow, Value);
}

#define XSG_RULE(Name, Type, Field, Empty)                                               \
    Type TXStringGridModel::GetCell##Name(int ACol, int ARow) const                      \
    {                                                                                    \
        const TXGridProperty* p = RuleOf(ACol, ARow);                                    \
        return p ? Type(p->Field) : Type(Empty);                                         \
    }
XSG_RULE(Key, std::string, Key, std::string())
XSG_RULE(InputMask, std::string, InputMask, std::string())
XSG_RULE(NotInputMask, std::string, NotInputMask, std::string())
XSG_RULE(EditMask, std::string, EditMask, std::string())
XSG_RULE(EditLimit, int, EditLimit, 0)
XSG_RULE(MinInteger, int, MinInteger, 0)
XSG_RULE(MaxInteger, int, MaxInteger, 0)
XSG_RULE(CanEmpty, bool, CanEmpty, false)
XSG_RULE(Hint, std::string, Hint, std::string())
XSG_RULE(Data, intptr_t, Data, 0)
#undef XSG_RULE

void TXStringGridModel::SetCellKey(int ACol, int ARow, const std::string& Value) { CellProperty(ACol, ARow).Key = Value; }
void TXStringGridModel::SetCellInputMask(int ACol, int ARow, const std::string& Value)
{
    CellProperty(ACol, ARow).InputMask = Value;
}
void TXStringGridModel::SetCellNotInputMask(int ACol, int ARow, const std::string& Value)
{
    CellProperty(ACol, ARow).NotInputMask = Value;
}
void TXStringGridModel::SetCellEditMask(int ACol, int ARow, const std::string& Value)
{
    CellProperty(ACol, ARow).EditMask = Value;
}
void TXStringGridModel::SetCellEditLimit(int ACol, int ARow, int Value) { CellProperty(ACol, ARow).EditLimit = Value; }
void TXStringGridModel::SetCellMinInteger(int ACol, int ARow, int Value) { CellProperty(ACol, ARow).MinInteger = Value; }
void TXStringGridModel::SetCellMaxInteger(int ACol, int ARow, int Value) { CellProperty(ACol, ARow).MaxInteger = Value; }
void TXStringGridModel::SetCellCanEmpty(int ACol, int ARow, bool Value) { CellProperty(ACol, ARow).CanEmpty = Value; }
void TXStringGridModel::SetCellHint(int ACol, int ARow, const std::string& Value) { CellProperty(ACol, ARow).Hint = Value; }
void TXStringGridModel::SetCellData(int ACol, int ARow, intptr_t Value) { CellProperty(ACol, ARow).Data = Value; }

std::vector<std::string>* TXStringGridModel::GetCellItems(int ACol, int ARow)
{
    if (!RulesAvailable(ACol, ARow))
        return nullptr;
    return &FColumnList[ACol]->CellProperty(ARow).Items;
}

// ---- editing ---------------------------------------------------------------------------------------------------

std::string TXStringGridModel::EditText(int ACol, int ARow)
{
    if (FNoDataRows || ColumnCount() == 0)
        return std::string();
    std::string value = Cells(ACol, ARow);
    if (OnGetEditText)
        OnGetEditText(ACol, ARow, value);
    return value;
}

bool TXStringGridModel::CommitEditText(int ACol, int ARow, const std::string& Value)
{
    if (FNoDataRows || ColumnCount() == 0)
        return false;
    CheckCell(ACol, ARow);
    TXGridColumn* column = FColumnList[ACol];
    const TXGridProperty& rule = column->CellProperty(ARow);
    std::string text = Value;
    bool clamped = false;
    TCellValueType type = column->GetValueType(ARow);
    if (type == vtInteger || type == vtRangeInteger) {
        if (!(text.empty() && rule.CanEmpty)) {
            int32_t v = 0;
            if (!TryStrToInt(text, v)) {
                // Not a number (or out of the 32-bit range): the cell keeps its text, the owner hears of it.
                if (OnErrorRangeInput)
                    OnErrorRangeInput(ACol, ARow);
                return false;
            }
            // Clamp only with a real range: both bounds 0 means none, and a lone minimum must not bring in a
            // maximum of 0.
            bool ranged = type == vtRangeInteger && !(rule.MinInteger == 0 && rule.MaxInteger == 0) &&
                rule.MinInteger <= rule.MaxInteger;
            if (ranged && (v < rule.MinInteger || v > rule.MaxInteger)) {
                v = v < rule.MinInteger ? rule.MinInteger : rule.MaxInteger;
                clamped = true;
            }
            text = IntToStr(v);
        }
    }
    // A drop-down cell speaks Names to its caller: the shown text goes back to its Name here, and Cells turns
    // the Name into the shown text again (which also keeps texts that are another line's Name apart).
    if (column->GetValueOptions(ARow) & voComboBox)
        text = ComboValueToName(rule.Items, text);
    if (OnSetEditText) {
        OnSetEditText(ACol, ARow, text);
        // The handler may have changed the columns or rows.
        if (FNoDataRows || ACol >= ColumnCount() || ARow >= RowCount())
            return true;
    }
    SetCells(ACol, ARow, text);
    // Told once the cell holds its clamped value, so that the owner can say what it now holds.
    if (clamped && OnErrorRangeInput)
        OnErrorRangeInput(ACol, ARow);
    return true;
}

// ---- sorting ---------------------------------------------------------------------------------------------------

void TXStringGridModel::SetAutoSort(bool Value)
{
    if (Value == FAutoSort)
        return;
    FAutoSort = Value;
    if (Value)
        SortRows();
    else
        InvalidateAll();
}

int TXStringGridModel::CompareRows(const TXGridColumnList& Sorted, int A, int B)
{
    int result = 0;
    for (int i = 0; i < Sorted.Count(); ++i) {
        TXGridColumn* c = Sorted[i];
        int r = CompareText(c->GetCell(A), c->GetCell(B));
        if (c->SortOrder() == csDsc)
            r = -r;
        if (r != 0) {
            result = r;
            break;
        }
    }
    if (OnCompareRows && Sorted.Count() > 0)
        OnCompareRows(Sorted, A, B, result);
    return result;
}

void TXStringGridModel::QuickSort(const TXGridColumnList& Sorted, int Lo, int Hi)
{
    int i = Lo, j = Hi, p = (Lo + Hi) / 2;
    // The guards keep a comparison handler that is not a strict order from running the indexes off the rows.
    while (i <= j) {
        if (i < Hi && CompareRows(Sorted, i, p) < 0) {
            ++i;
            continue;
        }
        while (j > Lo && CompareRows(Sorted, j, p) > 0)
            --j;
        if (j > i) {
            for (int c = 0; c < FColumns->Count(); ++c)
                FColumns->GetItem(c)->ExchangeRows(i, j);
            if (p == i)
                p = j;
            else if (p == j)
                p = i;
            ++i;
            --j;
        } else if (j == i) {
            if (i < Hi)
                ++i;
            else
                --j;
        } else {
            break;
        }
    }
    if (Lo < j)
        QuickSort(Sorted, Lo, j);
    if (i < Hi)
        QuickSort(Sorted, i, Hi);
}

void TXStringGridModel::SortRows()
{
    BeforeCellsChange();
    TXGridColumnList sorted;
    for (int i = 0; i < FColumnList.Count(); ++i)
        if (FColumnList[i]->SortOrder() == csAsc || FColumnList[i]->SortOrder() == csDsc)
            sorted.Add(FColumnList[i]);
    if (RowCount() > 1)
        QuickSort(sorted, 0, RowCount() - 1);
    InvalidateAll();
}

// ---- modified and fonts ----------------------------------------------------------------------------------------

void TXStringGridModel::SetModified()
{
    FModified = true;
    if (OnModified)
        OnModified();
}

void TXStringGridModel::SetFont(const TXFont& Value)
{
    FFont = Value;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TXGridColumn* c = FColumns->GetItem(i);
        if (c->ParentFont())
            c->SetParentFont(true);
    }
    InvalidateAll();
}

void TXStringGridModel::SetHeaderFont(const TXFont& Value)
{
    FHeaderFont = Value;
    for (int i = 0; i < FColumns->Count(); ++i) {
        TXGridColumn* c = FColumns->GetItem(i);
        if (c->ParentHeaderFont())
            c->SetParentHeaderFont(true);
    }
    InvalidateAll();
}
