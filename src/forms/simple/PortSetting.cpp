#include "forms/simple/PortSetting.h"

#include "forms/base/FormNodeServices.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

void TPortSettingForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(37);
    PrintOrientation = 1;
    ShowSection(false, "Port Setting", "");
    const int LastCol = Grid->ColumnCount() - 1;
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        Grid->SetCells(0, Row, IntToStr(Row + 1));
        SetCellReadOnly(true, 0, Row);
        SetCellReadOnly(true, LastCol, Row);
    }
    Grid->ModifyTracking = true;
}

void TPortSettingForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == "Port No. %T%")
        S = SubstituteFormValue(S, IntToStr(PlaceRow + 1));
}

namespace {
TFormClassRegistration Registration("TPortSettingForm", MakeFormFactory<TPortSettingForm>());
}
