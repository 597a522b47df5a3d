// The column-based string grid every section form edits on: the grid core with the column model on top. Core
// row 0 is the caption row; data row r is core row r + 1; columns are addressed by their place in the display
// list. It adds typed cells committed through their checks, read-only cells, list cells with a multi-line
// editor, cells with an ellipsis button or a drop-down list of "data=shown" lines, click-to-sort captions, an
// optional second header grid (double header), a colour scheme per cell state, status-bar hints and modified
// tracking. Drawing, buttons, the drop-down list and the header live in XStrGridDraw.cpp.
#pragma once

#include "grid/XGrids.h"
#include "grid/XStrGridModel.h"

#include <QFontMetrics>
#include <QListWidget>
#include <memory>

class QToolButton;
class TXStringGrid;

// What a form may change about a data cell just before it is drawn.
struct TXCellProperties {
    TXFont Font;
    TColor Color = clWindow;
    TAlignment Alignment = taLeftJustify;
};

// The drop-down list of a cell: a child of the grid, so it stays where the grid is (and shows in its picture).
class TXPickList : public QListWidget {
    Q_OBJECT
public:
    explicit TXPickList(TXStringGrid* Grid);
    bool Cancelled = false;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    TXStringGrid* FGrid;
};

#define XSG_COLOR_PROPERTY(Name, Default)                        \
public:                                                          \
    TColor Name() const { return F##Name; }                      \
    void Set##Name(TColor Value)                                 \
    {                                                            \
        F##Name = Value;                                         \
        InvalidateGrid();                                        \
    }                                                            \
                                                                 \
private:                                                         \
    TColor F##Name = Default;

#define XSG_FONT_PROPERTY(Name, ...)                             \
public:                                                          \
    const TXFont& Name() const { return F##Name; }               \
    void Set##Name(const TXFont& Value)                          \
    {                                                            \
        F##Name = Value;                                         \
        InvalidateGrid();                                        \
    }                                                            \
                                                                 \
private:                                                         \
    TXFont F##Name = TXFont{__VA_ARGS__};

class TXStringGrid : public TXCustomGrid, public TXStringGridModel {
    Q_OBJECT
public:
    explicit TXStringGrid(QWidget* Parent = nullptr);
    ~TXStringGrid() override;

    // ---- data coordinates (these hide the core's) ----
    int RowCount() const { return TXStringGridModel::RowCount(); }
    void SetRowCount(int Value) { TXStringGridModel::SetRowCount(Value); }
    // Current column (-1 without columns) and data row (-1 without data rows).
    int Col() const;
    void SetCol(int Value);
    int Row() const;
    void SetRow(int Value);
    int FixedCols() const { return TXCustomGrid::FixedCols(); }
    void SetFixedCols(int Value);
    const TXFont& Font() const { return TXStringGridModel::Font(); }
    void SetFont(const TXFont& Value);
    const TXFont& GridFont() const override { return TXStringGridModel::Font(); }
    // Deletes one data row.
    void DeleteRow(int ARow) override;
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);

    int HeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(int Value);
    bool DefaultLook() const { return FDefaultLook; }
    void SetDefaultLook(bool Value)
    {
        FDefaultLook = Value;
        InvalidateGrid();
    }

    // ---- double header ----
    bool DoubleHeader() const { return FHeaderGrid != nullptr; }
    void SetDoubleHeader(bool Value);
    TXStringGrid* HeaderGrid() const { return FHeaderGrid; }
    TXStringGrid* DataGrid() const { return FDataGrid; }
    // A new header column; its position in the header grid's list, -1 without a header grid.
    int AddHeaderColumn();
    TXGridColumns* GetHeaderColumns();
    // Links data column ACol (index in Columns) under header column AHeaderCol.
    void SetHeaderColumn(int ACol, int AHeaderCol);

    // ---- cell buttons and the drop-down list ----
    bool HasVisibleEllipsis() const;
    bool HasVisibleComboButton() const;
    QToolButton* EllipsisButton() const { return FEllipsisButton; }
    QToolButton* ComboButton() const { return FComboButton; }
    TXPickList* PickList() const { return FPickList; }
    bool PickListCancelled() const { return FPickList && FPickList->Cancelled; }
    // Opens the current cell's drop-down list (nothing when its Items are empty).
    void DropDown();
    // Closes the list; Accept commits the chosen item into the cell the list was opened on unless the list was
    // cancelled.
    void CloseUp(bool Accept);
    // The list's choice and the editor's text go to the cells they were opened on; a change of rows or columns
    // closes the list without a choice and commits the editor first.
    void EndEditBeforeChange() override;
    // For an owner that refused a commit without raising: once the commit under way (and whatever move it was
    // part of) is over, data cell (ACol, ARow) becomes current and its editor opens holding Text, counted as typed,
    // so that leaving it commits Text again. Nothing happens when the cell is gone, read-only or not editable.
    void ReopenEditor(int ACol, int ARow, const std::string& Text);
    void ButtonClick();
    // Places (or hides) the cell buttons for the current cell.
    void PlaceCellButtons();
    void HideCellButtons();
    void ShowCellHint(int ACol = -1, int ARow = -1);
    // After the grid was filled from a description: rebuild the display list from Columns.
    void Loaded();

    // ---- events (ARow is a data row) ----
    std::function<void(int ACol, int ARow, bool& CanSelect)> OnSelectCell;
    std::function<void(TXGridColumn* OldActiveCol, TXGridColumn* NewActiveCol)> OnActiveColChanged;
    std::function<void(int ACol, int ARow, TXCellProperties& CellProps)> OnGetCellProps;
    std::function<void(QPainter& Painter, int ACol, int ARow, const QRect& Rect, TGridDrawState State)> OnDrawCell;
    std::function<void(QPainter& Painter, int ACol, const QRect& Rect, TGridDrawState State)> OnDrawHeader;
    std::function<void()> OnButtonClick;
    std::function<void(int X, int Y)> OnContextPopup;
    std::function<void(int ACol)> OnHeaderClick;
    std::function<void(int ACol, int ARow, const std::string& Value)> OnCancelEdit;
    std::function<void()> OnSelChange;
    std::function<void()> OnColumnResize;
    std::function<void(int ACol, int ARow, bool& AShowEditor)> OnCanEditShow;

    // ---- the editor's questions ----
    std::string GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::string& Value) override;
    int GetEditLimit() override;
    void EditLimitReached(int Limit) override;
    std::string GetEditMask(int ACol, int ARow) override;
    bool KeyDown(int Key, Qt::KeyboardModifiers Shift) override;
    bool KeyPress(char& Key) override;
    void DblClick() override;

    XSG_COLOR_PROPERTY(ActiveHeaderColor, clGray)
    XSG_COLOR_PROPERTY(ActiveColColor, clNone)
    XSG_COLOR_PROPERTY(ActiveRowColor, clInfoBk)
    XSG_COLOR_PROPERTY(ActiveRowFontColor, clNone)
    XSG_COLOR_PROPERTY(HeaderColor, clBtnFace)
    XSG_COLOR_PROPERTY(SelectedColor, clHighlight)
    XSG_COLOR_PROPERTY(SelectedFontColor, clHighlightText)
    XSG_COLOR_PROPERTY(ActiveFixedColor, clGray)
    XSG_COLOR_PROPERTY(ActiveReadOnlyColor, cl3DLight)
    XSG_COLOR_PROPERTY(ActiveReadOnlyFontColor, clNone)
    XSG_COLOR_PROPERTY(ReadOnlyColor, cl3DLight)
    XSG_COLOR_PROPERTY(ReadOnlyFontColor, clNone)
    XSG_FONT_PROPERTY(ActiveHeaderFont, "MS Sans Serif", 8, true, false, false, clWhite)
    XSG_FONT_PROPERTY(ActiveFixedFont, "MS Sans Serif", 8, false, false, false, clWhite)
    XSG_FONT_PROPERTY(FixedFont, "MS Sans Serif", 8, false, false, false, clWindowText)

protected:
    // ---- core overrides ----
    void DrawCell(QPainter& Painter, int ACol, int ARow, const QRect& Rect, TGridDrawState State) override;
    bool DrawCellFills(int ACol) const override { return ACol < ColumnCount(); }
    bool SelectCell(int ACol, int ARow) override;
    TInplaceEdit* CreateEditor() override;
    bool CanEditShow() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
    void UpdateEditorLocation() override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void CurrentCellChanged(TGridCoord OldCurrent) override;
    void BeforeScrollMessage() override;
    void ClientSizeChanged() override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

    // ---- model hooks ----
    int GridDefaultColWidth() const override { return TXCustomGrid::DefaultColWidth(); }
    void UpdateCoreColumns() override;
    void UpdateCoreRows() override;
    void InvalidateDataCell(int ACol, int ARow) override;
    void InvalidateAll() override { InvalidateGrid(); }
    void BeforeRowsDeleted() override { HideCellButtons(); }
    void BeforeCellsChange() override { EndEditBeforeChange(); }
    void ReselectCurrent() override;
    void ColumnWidthUpdated(TXGridColumn* Column) override;
    void SortBusy(bool Busy) override;
    void ActiveColChanged(TXGridColumn* OldColumn, TXGridColumn* NewColumn) override;

private:
    friend class TXSGInplaceEdit;
    void HeaderClicked(int ACol);
    void PlaceHeaderGrid();
    void SyncHeaderScroll(int OldLeft);
    int CaptionCellAt(QPoint Pos) const;
    int FixedEdgeAt(QPoint Pos) const;
    QRect ButtonRect() const;

    int FHeaderHeight = 24;
    bool FDefaultLook = false;
    bool FColumnsUpdating = false;
    bool FRestoringEdit = false;
    bool FRowHeightGuard = false;
    TXStringGrid* FHeaderGrid = nullptr;
    TXStringGrid* FDataGrid = nullptr;
    bool FSyncingHeader = false;
    int FLastLeftCol = 0;
    QToolButton* FEllipsisButton = nullptr;
    QToolButton* FComboButton = nullptr;
    TXPickList* FPickList = nullptr;
    TGridCoord FPickCell{-1, -1};   // the core cell the open list belongs to
    bool FButtonsQueued = false;
    // The font the last cell was painted in, its metrics and the largest advance of a printable ASCII character in
    // it: cells mostly share one font, and building it and its metrics for every cell was a measurable part of a
    // paint. Kept across paints while the font and the screen's resolution stay.
    struct TPaintFont {
        TXFont Font;   // its colour left at clNone: a cell's colour is no part of the font
        int Dpi = 0;
        QFont QtFont;
        QFontMetrics Metrics{QFont()};
        int WidestChar = 0;
    };
    std::unique_ptr<TPaintFont> FPaintFont;
    const TPaintFont& PaintFont(const TXFont& Font);
    // Caption-row mouse state.
    bool FSizingFixed = false;
    int FFixedEdge = -1;
    int FSizingCol = -1;
    int FLastX = 0;
    int FPressedCaption = -1;
    bool FInDoubleClick = false;
};

#undef XSG_COLOR_PROPERTY
#undef XSG_FONT_PROPERTY
