// A form grid made of the string grid's data model alone, with the few widget-level settings as plain fields:
// the section logic runs on it without a window (tests, fuzz targets). No test framework here.
#pragma once

#include "forms/base/FormGrid.h"

#include <memory>

// The grid's model plus the few widget-level settings, kept as plain fields.
class TModelGrid : public TFormGrid {
public:
    TModelGrid()
    {
        M.Columns().Add();
        M.Columns().Add();
    }
    TXStringGridModel& Model() override { return M; }
    TGridOptions Options() const override { return Opts; }
    void SetOptions(TGridOptions Value) override { Opts = Value; }
    int FixedCols() const override { return Fixed; }
    void SetFixedCols(int Value) override { Fixed = Value; }
    int HeaderHeight() const override { return Header; }
    void SetHeaderHeight(int Value) override { Header = Value; }
    bool DoubleHeader() const override { return HeaderModel != nullptr; }
    void SetDoubleHeader(bool Value) override
    {
        if (Value && !HeaderModel)
            HeaderModel = std::make_unique<TXStringGridModel>();
        else if (!Value)
            HeaderModel.reset();
    }
    TXGridColumns* HeaderColumns() override { return HeaderModel ? &HeaderModel->Columns() : nullptr; }
    void LinkHeaderColumn(int Col, int HeaderIndex) override
    {
        ++Links;
        HeaderModel->Columns()[HeaderIndex]->AddSubColumn(M.Columns()[Col]);
    }
    int CurrentCol() const override { return CurCol; }
    int CurrentRow() const override { return CurRow; }
    void SetCurrentRow(int Row) override { CurRow = Row; }

    TXStringGridModel M;
    std::unique_ptr<TXStringGridModel> HeaderModel;
    TGridOptions Opts = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    int Fixed = 1;
    int Header = 20;
    int CurCol = 0, CurRow = 0;
    int Links = 0;
};
