// The owner-drawn grid control: a scroll area that paints its own cells in fixed and scrolling rows and columns,
// keeps a current cell and a selection, scrolls whole cells on a 0..127 scroll-bar scale (pixels within a lone
// column), sizes rows and columns with the mouse, and drives a borderless in-place editor over the current cell.
// The geometry lives in TXGridLayout; this class adds painting, input and the editor. A descendant supplies the
// cells through DrawCell and the edit hooks; index and count errors raise EInvalidGridOperation.
#pragma once

#include "grid/XGridLayout.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QTimer>
#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class TXCustomGrid;

// ---- the Qt edge of colours and fonts --------------------------------------------------------------------------
QColor ToQColor(TColor Color);
// The grid's font as Qt draws it: the named family with a fixed set of substitutes, sized in pixels at 96 dpi.
QFont ToQFont(const TXFont& Font);

// ---- the boundary of the grids' Qt handlers --------------------------------------------------------------------
// Every Qt event handler and signal handler of the grids runs its work through these: an error raised inside (most
// often by a handler of the owner) is shown in an error box once the event is over, and the grid goes on; Qt never
// sees an exception. The same text waiting to be shown is not queued twice.
void ReportGridError(const std::string& Message);
template <class F>
void GuardGridHandler(F&& Fn)
{
    try {
        Fn();
    } catch (const std::exception& e) {
        ReportGridError(e.what());
    } catch (...) {
        ReportGridError("Unknown error");
    }
}
// The same for a handler that answers whether it took the event; a failed one counts as taken.
template <class F>
bool GuardGridEvent(F&& Fn)
{
    bool taken = true;
    GuardGridHandler([&] { taken = Fn(); });
    return taken;
}

// ---- the core's in-place editor ---------------------------------------------------------------------------------
// A borderless editor with a single-line part (it enforces an edit mask in Qt input-mask notation when one is
// given) and a multi-line part for list cells. Keys go through KeyDown/KeyPress first, so the grid can take
// navigation keys and a descendant can filter characters; paste goes through the same character check.
class TInplaceEdit : public QWidget {
    Q_OBJECT
public:
    explicit TInplaceEdit(TXCustomGrid* Grid);
    TXCustomGrid* Grid() const { return FGrid; }

    std::string Text() const;
    void SetText(const std::string& Value);
    void SelectAll();
    // Caret to the end, nothing selected.
    void Deselect();
    int SelLength() const;
    bool WholeTextSelected() const;
    void SetEditMask(const std::string& Mask);
    void SetMaxLength(int Limit);   // 0 = none
    int MaxLength() const { return FMaxLength; }
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool Value);
    QWidget* ActiveEdit() const;
    QLineEdit* LineEdit() const { return FLine; }
    QPlainTextEdit* MemoEdit() const { return FMemo; }
    bool EditorVisible() const { return isVisible(); }

    // Place over a rectangle and show, taking the focus when the grid has it; an empty rectangle hides.
    void Move(const QRect& Rect);
    void UpdateLoc(const QRect& Rect);
    void HideEdit();
    virtual void UpdateContents();
    virtual void UpdateEditRect();
    // Whether the text differs from what UpdateContents filled in.
    bool TextEdited() const { return Text() != FFilledText; }
    // A typed character as if it came from the keyboard (the grid hands on the key that opened the editor).
    void TypeChar(char Ch);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    // True when the key was consumed here.
    virtual bool KeyDown(int Key, Qt::KeyboardModifiers Mods);
    // True when the character was dropped; may change it.
    virtual bool KeyPress(char& Ch);
    // Whether a character may go into the text (the paste check uses it too).
    virtual bool AcceptChar(char Ch) const;
    virtual void BeforeShow() {}
    virtual void SelectionMaybeChanged() {}
    void Insert(const std::string& Text);
    void Paste();
    bool AtLeftSide() const;
    bool AtRightSide() const;

private:
    TXCustomGrid* FGrid;
    QLineEdit* FLine;
    QPlainTextEdit* FMemo;
    bool FMultiLine = false;
    int FMaxLength = 0;
    std::string FFilledText;
};

// ---- the grid core ---------------------------------------------------------------------------------------------
class TXCustomGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TXCustomGrid(QWidget* Parent = nullptr);
    ~TXCustomGrid() override;

    TXGridLayout& Layout() { return FLayout; }
    const TXGridLayout& Layout() const { return FLayout; }

    // ---- core coordinates ----
    int ColCount() const { return FLayout.ColCount(); }
    void SetColCount(int Value);
    int RowCount() const { return FLayout.RowCount(); }
    void SetRowCount(int Value);
    int FixedCols() const { return FLayout.FixedCols(); }
    void SetFixedCols(int Value);
    int FixedRows() const { return FLayout.FixedRows(); }
    void SetFixedRows(int Value);
    int Col() const { return FLayout.Current().X; }
    void SetCol(int Value) { FocusCell(Value, FLayout.Current().Y, true); }
    int Row() const { return FLayout.Current().Y; }
    void SetRow(int Value) { FocusCell(FLayout.Current().X, Value, true); }
    int LeftCol() const { return FLayout.LeftCol(); }
    void SetLeftCol(int Value) { MoveTopLeft({Value, FLayout.TopRow()}); }
    int TopRow() const { return FLayout.TopRow(); }
    void SetTopRow(int Value) { MoveTopLeft({FLayout.LeftCol(), Value}); }
    int DefaultColWidth() const { return FLayout.DefaultColWidth(); }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FLayout.DefaultRowHeight(); }
    void SetDefaultRowHeight(int Value);
    int ColWidths(int Index) const { return FLayout.ColWidth(Index); }
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const { return FLayout.RowHeight(Index); }
    void SetRowHeights(int Index, int Value);
    int GridLineWidth() const { return FLayout.GridLineWidth(); }
    void SetGridLineWidth(int Value);
    TGridOptions Options() const { return FLayout.Options(); }
    void SetOptions(TGridOptions Value);
    TGridRect Selection() const { return FLayout.Selection(); }
    TGridCoord MouseCoord(int X, int Y) const { return FLayout.MouseCoord(X, Y); }
    QRect CellRect(int ACol, int ARow) const;
    int VisibleColCount() const { return FLayout.VisibleColCount(); }
    int VisibleRowCount() const { return FLayout.VisibleRowCount(); }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    bool Ctl3D = true;
    // Column widths and row heights as stored with a form ("ColWidths", "RowHeights"); empty while unset.
    std::vector<int> StoredColWidths() const;
    std::vector<int> StoredRowHeights() const;

    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    bool EditorShowing() const;
    // The grid or its editor has the keyboard focus.
    bool GridHasFocus() const;

    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    virtual void DeleteColumn(int ACol);
    virtual void DeleteRow(int ARow);

    // ---- events ----
    std::function<void(int ACol, int ARow, bool& CanSelect)> OnCoreSelectCell;
    std::function<void(int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(int& Key, Qt::KeyboardModifiers Shift)> OnKeyUp;
    std::function<void(char& Key)> OnKeyPress;
    std::function<void()> OnDblClick;
    std::function<void()> OnClick;
    std::function<void()> OnTopLeftChanged;

    // ---- hooks the editor and descendants use ----
    virtual bool CanEditAcceptKey(char Key) const { (void)Key; return true; }
    virtual bool CanGridAcceptKey(int Key, Qt::KeyboardModifiers Shift) const { (void)Key; (void)Shift; return true; }
    virtual bool CanEditModify() const { return true; }
    virtual std::string GetEditText(int ACol, int ARow) { (void)ACol; (void)ARow; return std::string(); }
    virtual void SetEditText(int ACol, int ARow, const std::string& Value) { (void)ACol; (void)ARow; (void)Value; }
    virtual int GetEditLimit() { return 0; }
    virtual std::string GetEditMask(int ACol, int ARow) { (void)ACol; (void)ARow; return std::string(); }
    // The editor refused text that would pass the cell's limit of Limit characters: never cut short in silence.
    // Here a beep; a descendant with a status line says it there too.
    virtual void EditLimitReached(int Limit);
    // The grid's KeyDown and KeyPress as the editor calls them; true when the key was consumed.
    virtual bool KeyDown(int Key, Qt::KeyboardModifiers Shift);
    // Tab or Shift+Tab with goTabs, from the grid or its editor: the next (previous) cell, and from the last cell
    // (the first) the edit committed and the focus on to the window's next (previous) control.
    void TabKey(int Key, Qt::KeyboardModifiers Shift);
    virtual bool KeyPress(char& Key);
    virtual void KeyUp(int Key, Qt::KeyboardModifiers Shift);
    virtual void DblClick();
    virtual const TXFont& GridFont() const { return FFont; }
    void SetGridFont(const TXFont& Value);
    // Commits the editor's text for the cell it was placed on.
    void UpdateText();
    // A focus loss that leaves the editor open: a popup over the grid, or the grid's window becoming inactive (another
    // window, a message box of the owner, or the window closing or being destroyed). The focus comes back to the
    // editor with the window; an owner that closes its window commits an open edit itself (HideEditor) first, so
    // that no handler of the owner runs while its window is being torn down.
    static bool WindowFocusLoss(Qt::FocusReason Reason)
    {
        return Reason == Qt::PopupFocusReason || Reason == Qt::ActiveWindowFocusReason;
    }
    // Runs before any change of rows, columns or their order: an open editor is committed for the cell it was
    // opened on and closed. When the commit raises (the owner refuses the text), the edit is cancelled (editor
    // closed, cell as it was) and the error goes on to the caller, before anything has changed.
    virtual void EndEditBeforeChange();
    void ShowEditor();
    void HideEditor();
    void InvalidateGridCell(int ACol, int ARow);
    void InvalidateGrid();
    // Makes a cell current (asking SelectCell), moving the anchor unless the selection is being extended.
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    void MoveTopLeft(TGridCoord Value);
    // A scroll-bar request as the bars send them (tests and the header grid use it directly).
    void ScrollRequest(bool Horz, TScrollCode Code, int Pos = 0);

protected:
    // ---- overridables ----
    virtual void DrawCell(QPainter& Painter, int ACol, int ARow, const QRect& Rect, TGridDrawState State) = 0;
    // Whether DrawCell paints the whole of the cell opaquely first, so that the default filling beneath it would
    // never be seen and is left out.
    virtual bool DrawCellFills(int ACol) const { (void)ACol; return false; }
    virtual bool SelectCell(int ACol, int ARow);
    virtual TInplaceEdit* CreateEditor();
    virtual bool CanEditShow();
    virtual void ColumnMoved(int FromIndex, int ToIndex) { (void)FromIndex; (void)ToIndex; }
    // Whether a row (column) may start moving, and whether it may land on a cell; by default it may.
    virtual bool BeginRowDrag(int Origin) { (void)Origin; return true; }
    virtual bool BeginColumnDrag(int Origin) { (void)Origin; return true; }
    virtual bool CheckRowDrag(int Origin, int Destination) { (void)Origin; (void)Destination; return true; }
    virtual bool CheckColumnDrag(int Origin, int Destination) { (void)Origin; (void)Destination; return true; }
    virtual void RowMoved(int FromIndex, int ToIndex) { (void)FromIndex; (void)ToIndex; }
    virtual void TopLeftChanged();
    virtual void UpdateEditorLocation();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    // After the current cell moved (and the view followed it).
    virtual void CurrentCellChanged(TGridCoord OldCurrent) { (void)OldCurrent; }
    virtual void BeforeScrollMessage() {}
    virtual void EditorTextChanged();
    virtual void ClientSizeChanged() {}
    void UpdateScrollRange();
    void UpdateScrollPos();
    void SetEditorModeFlag(bool Value) { FEditorMode = Value; }
    // Frees the editor while the whole grid is still alive (its focus and change notices call back).
    void DestroyEditor();
    bool Designing = false;

    // ---- Qt ----
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void scrollContentsBy(int, int) override {}
    bool focusNextPrevChild(bool Next) override;
    bool event(QEvent* Event) override;
    bool viewportEvent(QEvent* Event) override;

    // Core mouse steps, so a descendant can run them around its own handling.
    void CoreMousePress(QMouseEvent* Event);
    void CoreMouseMove(QMouseEvent* Event);
    void CoreMouseRelease(QMouseEvent* Event);
    TGridState GridState() const { return FGridState; }
    friend class TInplaceEdit;

private:
    void PaintLines(QPainter& Painter, const TGridDrawInfo& Info);
    // A paint that fails fails again at every repaint: its error is shown once, not at every repaint.
    template <class F>
    void PaintGuarded(F&& Fn)
    {
        try {
            Fn();
        } catch (const std::exception& e) {
            if (FLastPaintError != e.what())
                ReportGridError(FLastPaintError = e.what());
        } catch (...) {
            if (FLastPaintError != "Unknown error")
                ReportGridError(FLastPaintError = "Unknown error");
        }
    }
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    void ScrollAction(bool Horz, int Action);
    void SelectTimerTick();
    void EndMouseState();
    void MoveStep(QPoint Pointer);
    void ScrollData(TGridCoord From, TGridCoord To);
    bool GridKeyFromQt(int Key, TGridKey& Out) const;

    TXGridLayout FLayout;
    TColor FColor = clWindow;
    TColor FFixedColor = clBtnFace;
    TXFont FFont;
    TScrollStyle FScrollBars = ssBoth;
    bool FDefaultDrawing = true;
    bool FEditorMode = false;
    TInplaceEdit* FInplaceEdit = nullptr;
    int FInplaceCol = -1, FInplaceRow = -1;
    bool FUpdatingScrollBars = false;
    TGridState FGridState = gsNormal;
    TGridSizing FSizing;
    int FSizingLine = -1;
    int FMoveIndex = -1, FMovePos = -1;   // the row or column being moved and where it would land
    QTimer FSelectTimer;
    QPoint FLastMouse;
    int FWheelRest = 0;   // wheel angle not yet turned into rows
    std::string FLastPaintError;
};
