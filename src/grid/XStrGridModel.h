// The data side of the string grid without a window: the column collection and its display list, the data rows,
// the cells with their "data=shown" drop-down mapping, per-cell rules, committing an edit (type normalisation,
// range clamp, the caller's hook), sorting, row insertion and deletion, and modified tracking. The widget
// (TXStringGrid) derives from it and receives the repaint and layout hooks below.
//
// Every operation that takes a cell checks its indexes and raises EXGridError ("Wrong column index",
// "Wrong row index") before it changes anything; rule getters answer empty values while there are no data rows
// or no columns.
#pragma once

#include "grid/XStrGridColumns.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TXStringGridModel : public TXColumnsOwner {
public:
    TXStringGridModel();
    ~TXStringGridModel() override;
    TXStringGridModel(const TXStringGridModel&) = delete;
    TXStringGridModel& operator=(const TXStringGridModel&) = delete;

    // ---- events (ARow is always a data row) ----
    std::function<void(int ACol, int ARow, std::string& Value)> OnGetEditText;
    std::function<void(int ACol, int ARow, std::string& Value)> OnSetEditText;
    std::function<void(int ACol, int ARow)> OnErrorRangeInput;
    std::function<void()> OnModified;
    std::function<void(const TXGridColumnList& SortedColumns, int Index1, int Index2, int& Result)> OnCompareRows;
    std::function<void(int FromIndex, int ToIndex)> OnRowMoved;
    std::function<void(int FromIndex, int ToIndex)> OnColumnMoved;

    // ---- columns ----
    TXGridColumns& Columns() { return *FColumns; }
    const TXGridColumns& Columns() const { return *FColumns; }
    // Assigning copies the other collection's columns.
    void SetColumns(const TXGridColumns& Value) { FColumns->Assign(Value); }
    // Visible columns in display order; column-list index = core column.
    const TXGridColumnList& ColumnList() const { return FColumnList; }
    int ColumnCount() const { return FColumnList.Count(); }
    TXGridColumn* ActiveColumn() const { return FActiveColumn; }
    // The fixed-column count asked for; applied as min(asked, columns - 1), 0 without columns.
    int WantedFixedCols() const { return FFixedCols; }
    int AppliedFixedCols() const;
    void SetWantedFixedCols(int Value) { FFixedCols = Value < 0 ? 0 : Value; }
    // Moves a column of the display list (core column move).
    void MoveListColumn(int From, int To);

    // ---- rows ----
    bool NoDataRows() const { return FNoDataRows; }
    int RowCount() const { return FNoDataRows ? 0 : FRows; }
    void SetRowCount(int Value);
    void InsertRow(int Index);
    void AddRow() { AddRows(1); }
    void AddRows(int Count);
    void DeleteRows(int First, int Last);
    void DeleteDataRow(int Index) { DeleteRows(Index, Index); }
    void ExchangeRows(int I, int J);
    void MoveDataRow(int From, int To);

    // ---- cells ----
    // The caller's value: list cells as CR LF lines, drop-down cells as the Name of the stored Value.
    std::string Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const std::string& Value);
    // What the cell shows (no drop-down mapping; list cells as lines).
    std::string GetCellValue(int ACol, int ARow) const;
    const std::string& StoredText(int ACol, int ARow) const;

    TCellValueOptions GetCellValueOptions(int ACol, int ARow) const;
    void SetCellValueOptions(int ACol, int ARow, TCellValueOptions Value);
    TCellValueType GetCellValueType(int ACol, int ARow) const;
    void SetCellValueType(int ACol, int ARow, TCellValueType Value);
    std::string GetCellKey(int ACol, int ARow) const;
    void SetCellKey(int ACol, int ARow, const std::string& Value);
    std::string GetCellInputMask(int ACol, int ARow) const;
    void SetCellInputMask(int ACol, int ARow, const std::string& Value);
    std::string GetCellNotInputMask(int ACol, int ARow) const;
    void SetCellNotInputMask(int ACol, int ARow, const std::string& Value);
    std::string GetCellEditMask(int ACol, int ARow) const;
    void SetCellEditMask(int ACol, int ARow, const std::string& Value);
    int GetCellEditLimit(int ACol, int ARow) const;
    void SetCellEditLimit(int ACol, int ARow, int Value);
    int GetCellMinInteger(int ACol, int ARow) const;
    void SetCellMinInteger(int ACol, int ARow, int Value);
    int GetCellMaxInteger(int ACol, int ARow) const;
    void SetCellMaxInteger(int ACol, int ARow, int Value);
    bool GetCellCanEmpty(int ACol, int ARow) const;
    void SetCellCanEmpty(int ACol, int ARow, bool Value);
    // The drop-down lines; nullptr while there are no data rows or no columns.
    std::vector<std::string>* GetCellItems(int ACol, int ARow);
    std::string GetCellHint(int ACol, int ARow) const;
    void SetCellHint(int ACol, int ARow, const std::string& Value);
    intptr_t GetCellData(int ACol, int ARow) const;
    void SetCellData(int ACol, int ARow, intptr_t Value);
    // The whole rule record of a cell (checked).
    TXGridProperty& CellProperty(int ACol, int ARow);

    // The text the editor starts with: Cells, then OnGetEditText.
    std::string EditText(int ACol, int ARow);
    // Commits an edited text: integer normalisation and range clamp, OnSetEditText (with the drop-down Name),
    // then Cells; a clamp fires OnErrorRangeInput after that, when the cell holds the clamped value. A text that
    // is no number leaves the cell as it was and fires OnErrorRangeInput; so does an empty text in an integer
    // cell without CanEmpty. Returns false when the text was refused.
    bool CommitEditText(int ACol, int ARow, const std::string& Value);

    // ---- sorting ----
    bool AutoSort() const { return FAutoSort; }
    void SetAutoSort(bool Value);
    void SortRows();
    // Comparison of two data rows by the sorted columns (positive: A after B).
    int CompareRows(const TXGridColumnList& Sorted, int A, int B);

    // ---- modified tracking ----
    bool ModifyTracking = false;
    bool Modified() const { return FModified; }
    void SetModified();
    void ClearModified() { FModified = false; }

    // ---- fonts the columns copy ----
    const TXFont& Font() const { return FFont; }
    void SetFont(const TXFont& Value);
    const TXFont& HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const TXFont& Value);

    void CheckCell(int ACol, int ARow) const;
    void CheckCol(int ACol) const;

protected:
    // ---- hooks for the widget ----
    virtual int GridDefaultColWidth() const { return 64; }
    // The column list changed: bring the core's columns and fixed count into line.
    virtual void UpdateCoreColumns() {}
    // The data-row count changed: bring the core's row count into line.
    virtual void UpdateCoreRows() {}
    virtual void InvalidateDataCell(int ACol, int ARow) { (void)ACol; (void)ARow; }
    virtual void InvalidateAll() {}
    virtual void BeforeRowsDeleted() {}
    // Rows, columns or their order are about to change (nothing has changed yet): the widget closes an open
    // editor or list for the cell it was opened on.
    virtual void BeforeCellsChange() {}
    // The current cell should be selected again (columns or rows appeared).
    virtual void ReselectCurrent() {}
    virtual void ColumnWidthUpdated(TXGridColumn* Column) { (void)Column; }
    virtual void SortBusy(bool Busy) { (void)Busy; }
    virtual void ActiveColChanged(TXGridColumn* OldColumn, TXGridColumn* NewColumn);
    void SetActiveColumnRaw(TXGridColumn* Column) { FActiveColumn = Column; }
    void RebuildColumnList();

    // ---- TXColumnsOwner ----
    int ColumnsDefaultColWidth() const override { return GridDefaultColWidth(); }
    const TXFont& ColumnsFont() const override { return FFont; }
    const TXFont& ColumnsHeaderFont() const override { return FHeaderFont; }
    int ColumnsDataRowCount() const override { return FRows; }
    void ColumnsChanging() override { BeforeCellsChange(); }
    void ColumnAdded(TXGridColumn* Column) override;
    void ColumnRemoving(TXGridColumn* Column) override;
    void ColumnVisibilityChanged(TXGridColumn* Column) override;
    void ColumnIndexChanged(TXGridColumn* Column, int NewIndex) override;
    void ColumnWidthChanged(TXGridColumn* Column) override;
    void ColumnSortOrderChanged(TXGridColumn* Column) override;
    void ColumnCellChanged(TXGridColumn* Column, int Row, bool TextChanged) override;
    void ColumnRepaint(TXGridColumn* Column) override;

private:
    void QuickSort(const TXGridColumnList& Sorted, int Lo, int Hi);
    bool RulesAvailable(int ACol, int ARow) const;
    const TXGridProperty* RuleOf(int ACol, int ARow) const;

    std::unique_ptr<TXGridColumns> FColumns;
    TXGridColumnList FColumnList;
    TXGridColumn* FActiveColumn = nullptr;
    int FRows = 0;
    bool FNoDataRows = true;
    bool FModified = false;
    bool FAutoSort = true;
    int FFixedCols = 1;
    TXFont FFont;
    TXFont FHeaderFont{"MS Sans Serif", 8, true, false, false, clWindowText};
};
