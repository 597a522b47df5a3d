// The column model of the string grid: a column owns the texts of its cells, one packed cell word per cell
// (value options and value type) and the editing rules of its cells; the collection owns the columns; the column
// list holds the visible ones in display order. Also the two list-cell text conversions (lines <-> comma text).
// Row indexes are not checked here: the grid checks them before it calls in.
#pragma once

#include "grid/XGridTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TXGridColumn;
class TXGridColumns;

// ---- list cell conversions -------------------------------------------------------------------------------------
// Lines (CR, LF or CR LF breaks) to one comma text; items holding a blank, a control character, a double quote
// or a comma are quoted. A trailing break gives a trailing comma.
std::string LinesToCommaText(const std::string& Lines);
// Comma text back to lines joined by CR LF.
std::string CommaTextToLines(const std::string& CommaText);

// ---- drop-down lines "data=shown" ------------------------------------------------------------------------------
// The Name (data) part of a line: the text before the first "=", or the whole line without one.
std::string ItemName(const std::string& Line);
// The Value (shown) part of a line: the text after the first "=", or the whole line without one.
std::string ItemValue(const std::string& Line);
// Name -> shown text: the Value of the first line whose Name equals Name without regard to case; the Name
// itself when no line matches or the line's Value is empty.
std::string ComboNameToValue(const std::vector<std::string>& Items, const std::string& Name);
// Shown text -> Name: the Name of the first line that has one and whose Value equals Value exactly; Value itself
// when none does.
std::string ComboValueToName(const std::vector<std::string>& Items, const std::string& Value);

// ---- key filter of a cell --------------------------------------------------------------------------------------
// Whether the editor of a cell of this type and these character masks takes a typed (or pasted) character.
bool CellAcceptsChar(TCellValueType Type, const std::string& InputMask, const std::string& NotInputMask, char Ch);

// ---- cell word -------------------------------------------------------------------------------------------------
inline uint32_t MakeCellWord(TCellValueOptions Options, TCellValueType Type)
{
    return uint32_t(Options & 0xFF) + (uint32_t(Type) & 127u) * 65536u;
}
inline TCellValueOptions WordOptions(uint32_t Word) { return TCellValueOptions(Word & 0x0F); }
inline TCellValueType WordType(uint32_t Word) { return TCellValueType((Word >> 16) & 127u); }

// ---- editing rules of a cell -----------------------------------------------------------------------------------
class TXGridProperty {
public:
    std::string Key;
    std::string InputMask;      // characters the editor accepts (empty: no restriction)
    std::string NotInputMask;   // characters the editor refuses
    std::string EditMask;       // handed to the editor's mask (Qt input-mask notation)
    int32_t EditLimit = 0;      // maximum text length, 0 = none
    int32_t MinInteger = 0;
    int32_t MaxInteger = 0;
    bool CanEmpty = false;
    std::vector<std::string> Items;   // drop-down lines "data=shown"
    std::string Hint;
    intptr_t Data = 0;          // the caller's own tag

    void Assign(const TXGridProperty& Source);
};

class TXGridProperties {
public:
    int Count() const { return int(FItems.size()); }
    TXGridProperty& Items(int Index) { return *FItems.at(size_t(Index)); }
    const TXGridProperty& Items(int Index) const { return *FItems.at(size_t(Index)); }
    TXGridProperty& Add();
    TXGridProperty& Insert(int Index);
    void Delete(int Index);
    void Clear() { FItems.clear(); }
    // Swaps the contents of two items through a temporary copy.
    void Exchange(int I, int J);
    void Move(int From, int To);

private:
    std::vector<std::unique_ptr<TXGridProperty>> FItems;
};

// ---- what a column needs from its grid -------------------------------------------------------------------------
class TXColumnsOwner {
public:
    virtual ~TXColumnsOwner() = default;
    virtual int ColumnsDefaultColWidth() const = 0;
    virtual const TXFont& ColumnsFont() const = 0;
    virtual const TXFont& ColumnsHeaderFont() const = 0;
    virtual int ColumnsDataRowCount() const = 0;
    virtual bool ColumnsLoading() const { return false; }
    // Columns are about to be added, removed, shown, hidden or moved (nothing has changed yet).
    virtual void ColumnsChanging() {}
    // A new column was added to the collection; the grid places it in its column list.
    virtual void ColumnAdded(TXGridColumn* Column) = 0;
    // A column is about to leave the collection.
    virtual void ColumnRemoving(TXGridColumn* Column) = 0;
    // Visible changed, or the collection order changed (NewIndex the wanted list position).
    virtual void ColumnVisibilityChanged(TXGridColumn* Column) = 0;
    virtual void ColumnIndexChanged(TXGridColumn* Column, int NewIndex) = 0;
    virtual void ColumnWidthChanged(TXGridColumn* Column) = 0;
    virtual void ColumnSortOrderChanged(TXGridColumn* Column) = 0;
    // A cell's stored text or word changed (TextChanged: the text itself changed).
    virtual void ColumnCellChanged(TXGridColumn* Column, int Row, bool TextChanged) = 0;
    virtual void ColumnRepaint(TXGridColumn* Column) = 0;
};

// ---- one column ------------------------------------------------------------------------------------------------
class TXGridColumn {
public:
    explicit TXGridColumn(TXGridColumns* Collection);
    ~TXGridColumn();
    TXGridColumn(const TXGridColumn&) = delete;
    TXGridColumn& operator=(const TXGridColumn&) = delete;

    TXGridColumns* Collection() const { return FCollection; }
    int Index() const;   // in the collection
    // Moves the column in the collection and, outside loading, to that index in the grid's column list.
    void SetIndex(int Value);
    // Position in the grid's column list, -1 while not placed (hidden or not yet inserted).
    int Position() const { return FPosition; }
    void SetPositionRaw(int Value) { FPosition = Value; }
    int OrderKey() const { return FOrder; }
    void SetOrderKey(int Value) { FOrder = Value; }
    std::string GetDisplayName() const;

    // ---- look ----
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    void SetWidthRaw(int Value) { FWidth = Value; }
    const TXFont& Font() const { return FFont; }
    void SetFont(const TXFont& Value);
    const TXFont& HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const TXFont& Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    bool ParentHeaderFont() const { return FParentHeaderFont; }
    void SetParentHeaderFont(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor HeaderColor() const { return FHeaderColor; }
    void SetHeaderColor(TColor Value);
    const std::string& Name() const { return FName; }
    // Raises EXGridColumnsError when another column of the collection has the name already.
    void SetName(const std::string& Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TColumnSorting SortOrder() const { return FSortOrder; }
    void SetSortOrder(TColumnSorting Value);
    void SetSortOrderRaw(TColumnSorting Value) { FSortOrder = Value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TAlignment HeaderAlignment() const { return FHeaderAlignment; }
    void SetHeaderAlignment(TAlignment Value);
    std::string ImeName;
    int ImeMode = 0;
    bool RowProperty() const { return FRowProperty; }
    void SetRowProperty(bool Value);

    // ---- cells ----
    int CellCount() const { return int(FTexts.size()); }
    TCellValueOptions GetValueOptions(int Row) const { return WordOptions(FWords[size_t(Row)]); }
    void SetValueOptions(int Row, TCellValueOptions Options);
    TCellValueType GetValueType(int Row) const { return WordType(FWords[size_t(Row)]); }
    void SetValueType(int Row, TCellValueType Type);
    uint32_t CellWord(int Row) const { return FWords[size_t(Row)]; }
    const std::string& StoredText(int Row) const { return FTexts[size_t(Row)]; }
    // The stored text; a list cell as lines.
    std::string GetCellValue(int Row) const;
    // As GetCellValue; a drop-down cell of a placed column gives the Name of its stored Value.
    std::string GetCell(int Row) const;
    // Stores a text: list cells as comma text, drop-down Names as their Value. True when the stored text changed.
    bool SetCell(int Row, const std::string& Text);

    // The rules the cell uses: its own with RowProperty, else the column default.
    TXGridProperty& CellProperty(int Row);
    const TXGridProperty& CellProperty(int Row) const;
    TXGridProperty& DefaultProperty() { return FDefaultProperty; }
    TXGridProperties& RowProperties() { return FRowProperties; }

    void InsertRow(int Index);
    void DeleteRow(int Index);
    void ExchangeRows(int I, int J);
    void MoveRow(int From, int To);

    // ---- double header ----
    // Links a data column under this header column (it leaves its former header column's list).
    void AddSubColumn(TXGridColumn* DataColumn);
    void RemoveSubColumn(TXGridColumn* DataColumn);
    int GetSubColumnCount() const { return int(FSubColumns.size()); }
    TXGridColumn* SubColumn(int Index) const { return FSubColumns.at(size_t(Index)); }
    TXGridColumn* HeaderColumn() const { return FHeaderColumn; }
    // The smallest list position among the linked columns, -1 when none is placed.
    int FirstSubPosition() const;
    // Width = linked widths + (count - 1); true when it changed.
    bool RecalcHeaderWidth();

    void AssignLook(const TXGridColumn& Source);

private:
    TXColumnsOwner* Owner() const;
    void Changed();

    TXGridColumns* FCollection;
    std::string FCaption;
    int FWidth = 64;
    TXFont FFont, FHeaderFont;
    TColor FColor = clNone, FHeaderColor = clNone;
    int FPosition = -1;
    int FOrder = -1;
    std::string FName;
    std::vector<std::string> FTexts;
    std::vector<uint32_t> FWords;
    TXGridProperties FRowProperties;
    TXGridProperty FDefaultProperty;
    bool FRowProperty = false;
    bool FVisible = true;
    TColumnSorting FSortOrder = csNone;
    TAlignment FAlignment = taLeftJustify;
    TAlignment FHeaderAlignment = taCenter;
    bool FParentFont = true, FParentHeaderFont = true;
    std::vector<TXGridColumn*> FSubColumns;
    TXGridColumn* FHeaderColumn = nullptr;
};

// ---- the owned collection --------------------------------------------------------------------------------------
class TXGridColumns {
public:
    explicit TXGridColumns(TXColumnsOwner* Owner) : FOwner(Owner) {}
    virtual ~TXGridColumns();
    TXGridColumns(const TXGridColumns&) = delete;
    TXGridColumns& operator=(const TXGridColumns&) = delete;

    TXColumnsOwner* Owner() const { return FOwner; }
    int Count() const { return int(FItems.size()); }
    TXGridColumn* GetItem(int Index) const { return FItems.at(size_t(Index)).get(); }
    TXGridColumn* operator[](int Index) const { return GetItem(Index); }
    TXGridColumn* Add();
    void Delete(int Index);
    void Clear();
    int IndexOf(const TXGridColumn* Column) const;
    void MoveItem(int From, int To);
    // The first column named Name without regard to case, nullptr when none.
    TXGridColumn* FindColumn(const std::string& Name) const;
    virtual void InsertRowAt(int Index);
    virtual void DeleteRowAt(int Index);
    // Copies the other collection's columns (look, name, rules and cells).
    void Assign(const TXGridColumns& Source);

private:
    TXColumnsOwner* FOwner;
    std::vector<std::unique_ptr<TXGridColumn>> FItems;
};

// ---- plain list of columns in display order --------------------------------------------------------------------
class TXGridColumnList {
public:
    int Count() const { return int(FItems.size()); }
    TXGridColumn* Items(int Index) const { return FItems.at(size_t(Index)); }
    TXGridColumn* operator[](int Index) const { return Items(Index); }
    void Clear() { FItems.clear(); }
    void Add(TXGridColumn* Column) { FItems.push_back(Column); }
    void Remove(TXGridColumn* Column);
    int IndexOf(const TXGridColumn* Column) const;
    // Moves an item, then renumbers every column's position.
    void Move(int From, int To);
    // Inserts by order key: -1 goes to the end, else before the first column with a greater key; renumbers.
    void InsertByPosition(TXGridColumn* Column);
    void Renumber();
    const std::vector<TXGridColumn*>& List() const { return FItems; }

private:
    std::vector<TXGridColumn*> FItems;
};
