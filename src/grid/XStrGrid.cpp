#include "grid/XStrGrid.h"

#include "grid/XStrGridEditors.h"
#include "grid/XStrGridTexts.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>
#include <QToolButton>
#include <algorithm>

TXStringGrid::TXStringGrid(QWidget* Parent) : TXCustomGrid(Parent)
{
    FHeaderHeight = TXCustomGrid::RowHeights(0);
    Layout().SetRowCount(2);
    Layout().SetColCount(0);
    SetFont(TXFont{});
    TXCustomGrid::SetDefaultRowHeight(18);
}

TXStringGrid::~TXStringGrid()
{
    // The header grid is a child widget; its columns point at ours, so it goes first.
    delete FHeaderGrid;
    FHeaderGrid = nullptr;
    DestroyEditor();
    delete FPickList;
    FPickList = nullptr;
}

// ---- coordinates -----------------------------------------------------------------------------------------------

int TXStringGrid::Col() const { return ColumnCount() == 0 ? -1 : TXCustomGrid::Col(); }

void TXStringGrid::SetCol(int Value)
{
    if (ColumnCount() == 0)
        throw EXGridError(XStrGridText(SNoColumns));
    CheckCol(Value);
    TXCustomGrid::SetCol(Value);
}

int TXStringGrid::Row() const { return NoDataRows() ? -1 : TXCustomGrid::Row() - 1; }

void TXStringGrid::SetRow(int Value)
{
    if (NoDataRows())
        return;
    if (Value < 0 || Value >= RowCount())
        throw EXGridError(XStrGridText(SWrongRowIndex));
    TXCustomGrid::SetRow(Value + 1);
}

void TXStringGrid::SetFixedCols(int Value)
{
    SetWantedFixedCols(Value);
    UpdateCoreColumns();
    if (FHeaderGrid)
        FHeaderGrid->SetFixedCols(Value);
}

void TXStringGrid::SetFont(const TXFont& Value)
{
    TXStringGridModel::SetFont(Value);
    SetGridFont(Value);
}

void TXStringGrid::DeleteRow(int ARow) { DeleteRows(ARow, ARow); }

void TXStringGrid::InvalidateCell(int ACol, int ARow) { InvalidateGridCell(ACol, ARow + 1); }

void TXStringGrid::InvalidateRow(int ARow)
{
    // Any visible cell of the row gives its height: column 0 is out of view when there is no frozen column and
    // the grid is scrolled right.
    QRect r = CellRect(TXCustomGrid::FixedCols() > 0 ? 0 : LeftCol(), ARow + 1);
    if (!r.isEmpty())
        viewport()->update(QRect(0, r.top() - 1, viewport()->width(), r.height() + 2));
}

void TXStringGrid::InvalidateCol(int ACol)
{
    QRect r = CellRect(ACol, 0);
    if (r.isEmpty())
        r = CellRect(ACol, TopRow());
    if (!r.isEmpty())
        viewport()->update(QRect(r.left() - 1, 0, r.width() + 2, viewport()->height()));
}

void TXStringGrid::SetHeaderHeight(int Value)
{
    FHeaderHeight = Value;
    SetRowHeights(0, Value);
    if (FHeaderGrid) {
        FHeaderGrid->SetHeaderHeight(Value);
        PlaceHeaderGrid();
    }
}

// ---- model hooks -----------------------------------------------------------------------------------------------

void TXStringGrid::UpdateCoreColumns()
{
    FColumnsUpdating = true;
    TXGridLayout& l = Layout();
    int n = std::max(1, ColumnCount());
    l.SetColCount(n);
    for (int i = 0; i < ColumnCount(); ++i)
        l.SetColWidth(i, ColumnList()[i]->Width());
    int fixed = AppliedFixedCols();
    if (l.FixedCols() != fixed)
        l.SetFixedCols(fixed);
    FColumnsUpdating = false;
    UpdateScrollRange();
    InvalidateGrid();
    ColWidthsChanged();
    UpdateEditorLocation();
}

void TXStringGrid::UpdateCoreRows()
{
    int rows = NoDataRows() ? 2 : RowCount() + 1;
    Layout().SetRowCount(rows);
    if (Layout().RowHeight(0) != FHeaderHeight)
        Layout().SetRowHeight(0, FHeaderHeight);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEditorLocation();
}

void TXStringGrid::InvalidateDataCell(int ACol, int ARow)
{
    InvalidateGridCell(ACol, ARow + 1);
    if (ACol == TXCustomGrid::Col() && ARow + 1 == TXCustomGrid::Row())
        PlaceCellButtons();
}

void TXStringGrid::ReselectCurrent()
{
    if (ColumnCount() == 0)
        return;
    TGridCoord cur = Layout().Current();
    FocusCell(std::min(cur.X, Layout().ColCount() - 1), std::min(cur.Y, Layout().RowCount() - 1), true);
}

void TXStringGrid::ColumnWidthUpdated(TXGridColumn* Column)
{
    if (FColumnsUpdating || Column->Position() < 0 || Column->Position() >= Layout().ColCount())
        return;
    SetColWidths(Column->Position(), Column->Width());
}

void TXStringGrid::SortBusy(bool Busy)
{
    if (Busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TXStringGrid::ActiveColChanged(TXGridColumn* OldColumn, TXGridColumn* NewColumn)
{
    if (OldColumn && OldColumn->Position() >= 0)
        InvalidateCol(OldColumn->Position());
    if (NewColumn && NewColumn->Position() >= 0)
        InvalidateCol(NewColumn->Position());
    if (OnActiveColChanged)
        OnActiveColChanged(OldColumn, NewColumn);
}

void TXStringGrid::Loaded()
{
    RebuildColumnList();
    UpdateCoreColumns();
    ReselectCurrent();
}

// ---- core overrides --------------------------------------------------------------------------------------------

bool TXStringGrid::SelectCell(int ACol, int ARow)
{
    if (ColumnCount() == 0 || ACol >= ColumnCount()) {
        SetActiveColumnRaw(nullptr);
        return false;
    }
    ShowCellHint(ACol, ARow - 1);
    bool can = true;
    if (!NoDataRows() && ARow >= 1 && OnSelectCell)
        OnSelectCell(ACol, ARow - 1, can);
    if (!can)
        return false;
    InvalidateRow(TXCustomGrid::Row() - 1);
    InvalidateRow(ARow - 1);
    // A list open on the cell that is left chooses nothing.
    if (FPickList && FPickList->isVisible())
        CloseUp(false);
    HideCellButtons();
    TXGridColumn* old = ActiveColumn();
    if (!old || old->Position() != ACol) {
        SetActiveColumnRaw(ColumnList()[ACol]);
        ActiveColChanged(old, ColumnList()[ACol]);
    }
    return true;
}

TInplaceEdit* TXStringGrid::CreateEditor() { return new TXSGInplaceEdit(this); }

bool TXStringGrid::CanEditShow()
{
    bool allowed = TXCustomGrid::CanEditShow() && ColumnCount() > 0 && !NoDataRows();
    if (allowed) {
        TCellValueOptions o = GetCellValueOptions(Col(), Row());
        if (HasVisibleEllipsis() || HasVisibleComboButton() || (o & voReadOnly))
            allowed = false;
    }
    bool show = true;
    if (OnCanEditShow)
        OnCanEditShow(Col(), Row(), show);
    bool result = allowed && show;
    if (!result)
        SetEditorModeFlag(false);
    return result;
}

std::string TXStringGrid::GetEditText(int ACol, int ARow)
{
    if (NoDataRows() || ColumnCount() == 0 || ARow < 1)
        return std::string();
    return EditText(ACol, ARow - 1);
}

void TXStringGrid::SetEditText(int ACol, int ARow, const std::string& Value)
{
    if (FRestoringEdit) {
        if (!NoDataRows() && ACol < ColumnCount() && ARow >= 1 && ARow - 1 < RowCount())
            SetCells(ACol, ARow - 1, Value);
        return;
    }
    if (NoDataRows() || ColumnCount() == 0 || ARow < 1)
        return;
    CommitEditText(ACol, ARow - 1, Value);
}

int TXStringGrid::GetEditLimit()
{
    if (NoDataRows() || ColumnCount() == 0)
        return 0;
    return GetCellEditLimit(Col(), Row());
}

std::string TXStringGrid::GetEditMask(int ACol, int ARow)
{
    if (NoDataRows() || ColumnCount() == 0 || ARow < 1)
        return std::string();
    return GetCellEditMask(ACol, ARow - 1);
}

bool TXStringGrid::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    if (Key == Qt::Key_Escape && !(Shift & Qt::ControlModifier) && EditorShowing() &&
        !Layout().Has(goAlwaysShowEditor)) {
        // Put the cell's own text back and close without the commit checks.
        int col = Col(), row = Row();
        std::string value = Cells(col, row);
        InplaceEditor()->SetText(value);
        FRestoringEdit = true;
        try {
            HideEditor();
        } catch (...) {
            FRestoringEdit = false;
            throw;
        }
        FRestoringEdit = false;
        if (OnCancelEdit)
            OnCancelEdit(col, row, value);
        return true;
    }
    return TXCustomGrid::KeyDown(Key, Shift);
}

bool TXStringGrid::KeyPress(char& Key)
{
    if (Key == '\r') {
        if (HasVisibleEllipsis()) {
            ButtonClick();
            return true;
        }
        if (HasVisibleComboButton()) {
            DropDown();
            return true;
        }
    }
    if (Key == '\n' && !EditorShowing()) {
        char enter = '\r';
        KeyPress(enter);
        return true;
    }
    return TXCustomGrid::KeyPress(Key);
}

void TXStringGrid::ColumnMoved(int FromIndex, int ToIndex) { MoveListColumn(FromIndex, ToIndex); }

void TXStringGrid::RowMoved(int FromIndex, int ToIndex)
{
    if (FromIndex < 1 || ToIndex < 1)
        return;
    MoveDataRow(FromIndex - 1, ToIndex - 1);
}

void TXStringGrid::TopLeftChanged()
{
    int oldLeft = FLastLeftCol;
    TXCustomGrid::TopLeftChanged();
    FLastLeftCol = LeftCol();
    if (FHeaderGrid)
        SyncHeaderScroll(oldLeft);
    PlaceCellButtons();
}

void TXStringGrid::UpdateEditorLocation()
{
    HideCellButtons();
    TXCustomGrid::UpdateEditorLocation();
    PlaceCellButtons();
}

void TXStringGrid::ColWidthsChanged()
{
    if (FColumnsUpdating)
        return;
    for (int i = 0; i < ColumnCount() && i < Layout().ColCount(); ++i)
        ColumnList()[i]->SetWidthRaw(Layout().ColWidth(i));
    if (FHeaderGrid) {
        TXGridColumns& hc = FHeaderGrid->Columns();
        for (int i = 0; i < hc.Count(); ++i)
            hc[i]->RecalcHeaderWidth();
        FHeaderGrid->SetLeftCol(FHeaderGrid->LeftCol());
    } else {
        // A header grid passes the width of a one-column group on to that column.
        for (int i = 0; i < Columns().Count(); ++i) {
            TXGridColumn* c = Columns()[i];
            if (c->GetSubColumnCount() == 1 && c->SubColumn(0)->Width() != c->Width())
                c->SubColumn(0)->SetWidth(c->Width());
        }
    }
    if (OnColumnResize)
        OnColumnResize();
}

void TXStringGrid::RowHeightsChanged()
{
    if (FRowHeightGuard)
        return;
    FRowHeightGuard = true;
    TXGridLayout& l = Layout();
    if (!l.Has(goRowSizing) && !l.Has(goRowDifferentHeight)) {
        for (int r = 1; r < l.RowCount(); ++r) {
            if (l.RowHeight(r) != l.DefaultRowHeight()) {
                TXCustomGrid::SetDefaultRowHeight(l.RowHeight(r));
                break;
            }
        }
    } else if (parentWidget()) {
        // Rows taller than the room under the caption are cut, but never below the default height (the client can
        // be tiny before the grid has its real size).
        int room = std::max(l.ClientHeight() - FHeaderHeight - l.DefaultRowHeight(), l.DefaultRowHeight());
        for (int r = 1; r < l.RowCount(); ++r)
            if (l.RowHeight(r) > room)
                l.SetRowHeight(r, room);
    }
    if (l.RowHeight(0) != FHeaderHeight)
        l.SetRowHeight(0, FHeaderHeight);
    FRowHeightGuard = false;
}

void TXStringGrid::CurrentCellChanged(TGridCoord OldCurrent)
{
    // The current row and column are drawn in their own colours: both the old and the new ones change.
    InvalidateRow(OldCurrent.Y - 1);
    InvalidateRow(TXCustomGrid::Row() - 1);
    if (OldCurrent.X != TXCustomGrid::Col()) {
        InvalidateCol(OldCurrent.X);
        InvalidateCol(TXCustomGrid::Col());
    }
    PlaceCellButtons();
}

void TXStringGrid::BeforeScrollMessage()
{
    HideEditor();
    PlaceCellButtons();
}

void TXStringGrid::ClientSizeChanged()
{
    PlaceHeaderGrid();
    PlaceCellButtons();
}

void TXStringGrid::EndEditBeforeChange()
{
    if (FPickList && FPickList->isVisible()) {
        FPickList->Cancelled = true;
        CloseUp(false);
    }
    TXCustomGrid::EndEditBeforeChange();
}

void TXStringGrid::ReopenEditor(int ACol, int ARow, const std::string& Text)
{
    // Queued: the commit's caller hides the editor and may still move the current cell after the owner answered.
    QTimer::singleShot(0, this, [this, ACol, ARow, Text] {
        GuardGridHandler([&] {
            if (NoDataRows() || ACol < 0 || ACol >= ColumnCount() || ARow < 0 || ARow >= RowCount() ||
                (GetCellValueOptions(ACol, ARow) & voReadOnly))
                return;
            if (Col() != ACol || Row() != ARow)
                FocusCell(ACol, ARow + 1, true);
            if (Col() != ACol || Row() != ARow)
                return;
            setFocus(Qt::OtherFocusReason);
            ShowEditor();
            if (TInplaceEdit* Edit = InplaceEditor(); Edit && EditorShowing()) {
                Edit->SetText(Text);
                Edit->Deselect();
            }
        });
    });
}

void TXStringGrid::wheelEvent(QWheelEvent* Event)
{
    GuardGridHandler([&] {
        // The list keeps the current cell while it is open: its choice belongs to that cell.
        if (FPickList && FPickList->isVisible()) {
            Event->accept();
            return;
        }
        TXCustomGrid::wheelEvent(Event);
    });
}

void TXStringGrid::focusInEvent(QFocusEvent* Event)
{
    GuardGridHandler([&] {
        // A header grid hands the focus on to the grid it heads.
        if (FDataGrid) {
            FDataGrid->setFocus(Event->reason());
            return;
        }
        TXCustomGrid::focusInEvent(Event);
    });
}

// ---- hints -----------------------------------------------------------------------------------------------------

namespace {
// The status line beside the grid, if its window has one.
QStatusBar* StatusLineBeside(const QWidget* Grid)
{
    const QWidget* parent = Grid->parentWidget();
    if (!parent)
        return nullptr;
    for (QObject* child : parent->children())
        if (auto* bar = qobject_cast<QStatusBar*>(child))
            return bar;
    return nullptr;
}
} // namespace

void TXStringGrid::ShowCellHint(int ACol, int ARow)
{
    QStatusBar* bar = StatusLineBeside(this);
    if (!bar)
        return;
    if (ACol < 0)
        ACol = Col();
    if (ARow < 0)
        ARow = Row();
    std::string hint;
    if (!NoDataRows() && ACol >= 0 && ACol < ColumnCount() && ARow >= 0 && ARow < RowCount())
        hint = GetCellHint(ACol, ARow);
    if (hint.empty())
        bar->clearMessage();
    else
        bar->showMessage(ToQ(hint));
}

void TXStringGrid::EditLimitReached(int Limit)
{
    TXCustomGrid::EditLimitReached(Limit);
    if (QStatusBar* bar = StatusLineBeside(this))
        bar->showMessage(QStringLiteral("The cell takes at most %1 characters: what was typed past them is not taken.")
                             .arg(Limit));
}
