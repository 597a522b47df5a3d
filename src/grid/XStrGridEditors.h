// The string grid's in-place editor: the core editor plus the multi-line form for list cells (Enter makes a new
// line, Ctrl+Enter ends the edit), the per-type key filter with the cell's character masks (applied to pasted
// text as well), the column's input-method settings, and the selection-change notification.
#pragma once

#include "grid/XGrids.h"

class TXStringGrid;

class TXSGInplaceEdit : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TXSGInplaceEdit(TXStringGrid* Grid);
    // Fires the grid's OnSelChange when the selection length changed since the last check.
    virtual void CheckSelChange();
    // Sets the editor up for a cell (-1: the current column or row): multi-line for list cells.
    virtual void PrepareForCell(int ACol, int ARow);
    void UpdateEditRect() override;
    void UpdateContents() override;

protected:
    bool KeyDown(int Key, Qt::KeyboardModifiers Mods) override;
    bool KeyPress(char& Ch) override;
    bool AcceptChar(char Ch) const override;
    void BeforeShow() override { PrepareForCell(-1, -1); }
    void SelectionMaybeChanged() override { CheckSelChange(); }

private:
    bool CurrentIsList() const;
    TXStringGrid* FStrGrid;
    int FLastSelLength = 0;
};
