// The view-description interpreter on a grid without a window: any sequence of "Grid Info" and "Cell Info"
// attributes (name, type, value, flag), in either layout and with any cell placed or none, must either apply or
// raise the conversion error, never crash, and leave a grid whose every cell can still be read.
// Input: a first line of four numbers (layout, placed column, placed row, editable), then one attribute per line
// as name TAB type TAB value TAB flag.
#include "forms/base/GridFormCore.h"
#include "forms/ModelGrid.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "support/RecordingDialogs.h"

#include <cstdlib>
#include <sstream>

namespace {
class TFuzzForm : public TGridFormCore {
public:
    TFuzzForm()
    {
        AttachGrid(&G);
        G.M.Columns().Add();
        G.M.SetRowCount(3);
        for (int c = 0; c < G.M.ColumnCount(); ++c)
            G.M.Columns()[c]->SetRowProperty(true);
        G.M.Columns()[0]->SetName("Description");
        G.M.Columns()[1]->SetName("Value");
    }
    TModelGrid G;
};

std::string Field(std::istringstream& In)
{
    std::string S;
    std::getline(In, S, '\t');
    return S;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs Silent;
    static TDialogsScope Scope(&Silent);
    std::istringstream Lines(std::string(reinterpret_cast<const char*>(Data), Size));
    std::string Line;
    std::getline(Lines, Line);
    int Mode = 0, Col = -1, Row = -1, Editable = 0;
    std::istringstream(Line) >> Mode >> Col >> Row >> Editable;
    TFuzzForm F;
    F.PropertyMode = Mode & 1;
    F.PlaceCol = Col;
    F.PlaceRow = Row;
    F.RowAlignments.assign(3, taLeftJustify);
    if (Editable & 1)
        F.G.Opts |= goEditing;
    for (int n = 0; n < 2000 && std::getline(Lines, Line); ++n) {
        std::istringstream In(Line);
        std::string Name = Field(In), Type = Field(In), Value = Field(In), Flag = Field(In);
        try {
            F.ApplyViewAttribute(Name, Type, Value, Flag == "1");
        } catch (const EConvertError&) {
        }
    }
    TXStringGridModel& M = F.G.M;
    for (int c = 0; c < M.ColumnCount(); ++c)
        for (int r = 0; r < M.RowCount(); ++r) {
            (void)M.Cells(c, r);
            (void)M.GetCellHint(c, r);
            if (std::vector<std::string>* Items = M.GetCellItems(c, r))
                (void)Items->size();
        }
    if (F.RowAlignments.size() != 3)
        std::abort();
    return 0;
}
