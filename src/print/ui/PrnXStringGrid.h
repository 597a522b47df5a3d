// The string grid as the grid printer reads it: columns in display order with their captions, widths, fonts and
// alignments, the upper header columns of a double header, row heights and the stored cell values.
#pragma once

#include "grid/XStrGrid.h"
#include "print/PrnGridPrint.h"

TPrnFont PrnFontOf(const TXFont& Font);

class TPrnXStringGridSource : public TPrnGridSource {
public:
    explicit TPrnXStringGridSource(TXStringGrid& Grid) : G(Grid) {}
    int RowCount() const override { return G.RowCount(); }
    int RowHeight(int Row) const override { return G.RowHeights(Row + 1); }
    int HeaderHeight() const override { return G.HeaderHeight(); }
    bool DoubleHeader() const override { return G.DoubleHeader(); }
    std::vector<TPrnGridColumn> Columns() const override;
    std::vector<TPrnGridColumn> HeaderColumns() const override;
    std::string CellValue(int Col, int Row) const override { return G.GetCellValue(Col, Row); }

private:
    TXStringGrid& G;
};
