#include "grid/XStrGridEditors.h"

#include "grid/XStrGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>

TXSGInplaceEdit::TXSGInplaceEdit(TXStringGrid* Grid) : TInplaceEdit(Grid), FStrGrid(Grid) {}

bool TXSGInplaceEdit::CurrentIsList() const
{
    if (FStrGrid->NoDataRows() || FStrGrid->ColumnCount() == 0)
        return false;
    return (FStrGrid->GetCellValueOptions(FStrGrid->Col(), FStrGrid->Row()) & voList) != 0;
}

void TXSGInplaceEdit::PrepareForCell(int ACol, int ARow)
{
    if (ACol < 0)
        ACol = FStrGrid->Col();
    if (ARow < 0)
        ARow = FStrGrid->Row();
    bool list = false;
    if (!FStrGrid->NoDataRows() && ACol >= 0 && ACol < FStrGrid->ColumnCount() && ARow >= 0 &&
        ARow < FStrGrid->RowCount()) {
        list = (FStrGrid->GetCellValueOptions(ACol, ARow) & voList) != 0;
        // The column's ImeName and ImeMode have nothing to act on here: the single-byte texts of the device
        // leave the desktop's input method to Qt's defaults.
    }
    SetMultiLine(list);
    MemoEdit()->setFrameStyle(list ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    MemoEdit()->setVerticalScrollBarPolicy(list ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TXSGInplaceEdit::UpdateContents()
{
    PrepareForCell(-1, -1);
    TInplaceEdit::UpdateContents();
}

void TXSGInplaceEdit::UpdateEditRect()
{
    if (CurrentIsList()) {
        QRect r = geometry();
        if (r.height() != 100) {
            int bottom = r.bottom();
            r.setHeight(100);
            if (r.bottom() >= FStrGrid->viewport()->height())
                r.moveBottom(bottom);
            setGeometry(r);
        }
    }
    LineEdit()->setTextMargins(2, 1, 2, 0);
    if (TXGridColumn* column = FStrGrid->ActiveColumn())
        setFont(ToQFont(column->Font()));
    if (MultiLine())
        MemoEdit()->ensureCursorVisible();
}

bool TXSGInplaceEdit::KeyDown(int Key, Qt::KeyboardModifiers Mods)
{
    bool ctrl = Mods & Qt::ControlModifier;
    bool enter = Key == Qt::Key_Return || Key == Qt::Key_Enter;
    if (CurrentIsList()) {
        // Enter and Ctrl+Enter go on as characters (a new line, the end of the edit); the vertical keys move
        // inside the lines.
        if (enter || Key == Qt::Key_PageUp || Key == Qt::Key_PageDown || Key == Qt::Key_Up || Key == Qt::Key_Down)
            return false;
        return TInplaceEdit::KeyDown(Key, Mods);
    }
    if (enter && ctrl)
        return true;
    return TInplaceEdit::KeyDown(Key, Mods);
}

bool TXSGInplaceEdit::AcceptChar(char Ch) const
{
    if (FStrGrid->NoDataRows() || FStrGrid->ColumnCount() == 0)
        return TInplaceEdit::AcceptChar(Ch);
    int col = FStrGrid->Col(), row = FStrGrid->Row();
    if (!FStrGrid->GetCellEditMask(col, row).empty())
        return true;   // the mask decides
    return CellAcceptsChar(FStrGrid->GetCellValueType(col, row), FStrGrid->GetCellInputMask(col, row),
               FStrGrid->GetCellNotInputMask(col, row), Ch) &&
        TInplaceEdit::AcceptChar(Ch);
}

bool TXSGInplaceEdit::KeyPress(char& Ch)
{
    if (FStrGrid->NoDataRows() || FStrGrid->ColumnCount() == 0)
        return TInplaceEdit::KeyPress(Ch);
    int col = FStrGrid->Col(), row = FStrGrid->Row();
    if (!FStrGrid->GetCellEditMask(col, row).empty())
        return TInplaceEdit::KeyPress(Ch);
    if (FStrGrid->GetCellValueOptions(col, row) & voList) {
        if (Ch == '\r')
            Ch = '\n';
        else if (Ch == '\n')
            Ch = '\r';
    }
    if (!CellAcceptsChar(FStrGrid->GetCellValueType(col, row), FStrGrid->GetCellInputMask(col, row),
            FStrGrid->GetCellNotInputMask(col, row), Ch)) {
        QApplication::beep();
        return true;
    }
    return TInplaceEdit::KeyPress(Ch);
}

void TXSGInplaceEdit::CheckSelChange()
{
    int len = SelLength();
    if (len != FLastSelLength) {
        FLastSelLength = len;
        if (FStrGrid->OnSelChange)
            FStrGrid->OnSelChange();
    }
}
