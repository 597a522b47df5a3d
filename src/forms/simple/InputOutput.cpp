#include "forms/simple/InputOutput.h"

#include "forms/base/FormNodeServices.h"
#include "forms/simple/SimpleFormRules.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

TInputOutputForm::TInputOutputForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TInputOutputForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(41);
    PrintOrientation = 1;
    ShowSection(false, "Input/Output", "");
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        Grid->SetCells(0, Row, IntToStr(Row + 1));
        SetCellReadOnly(true, 0, Row);
        std::string Input;
        GetCellText(InputCol, Row, Input);
        if (Input.empty())
            SetCellReadOnly(true, OutputCol, Row);
    }
    FInputChanged.clear();
    Grid->ModifyTracking = true;
}

void TInputOutputForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == "Table No. %T%")
        S = SubstituteFormValue(S, IntToStr(PlaceRow + 1));
}

void TInputOutputForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col == InputCol || Col == OutputCol)
        S = CapitalText(S);
}

void TInputOutputForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (ACol == InputCol && Value != EditStartText) {
        TOutputCodeState State = OutputCodeAfterInput(Value);
        if (State.Clear)
            Grid->SetCells(OutputCol, ARow, "");
        SetCellReadOnly(!State.Editable, OutputCol, ARow);
        FInputChanged.insert(ARow);
    }
    if (ACol == InputCol || ACol == OutputCol)
        Value = CapitalText(Value);
}

void TInputOutputForm::AfterWriteBack()
{
    TBaseGridForm::AfterWriteBack();
    for (int Row : FInputChanged) {
        TXmlNode* Input = Row < Grid->RowCount() ? GetCellNode(InputCol, Row) : nullptr;
        TXmlNode* Output = Row < Grid->RowCount() ? GetCellNode(OutputCol, Row) : nullptr;
        if (!Input || !Output)
            continue;
        const std::string Mark = Output->GetAttr("Change");
        if (Input->GetValue().empty()) {
            // The device empties the output code itself and refuses it while the input code is empty.
            if (Mark == "Modify")
                Output->SetAttr("Change", "NoChange");
        } else if (!Output->GetValue().empty() && Mark == "NoChange") {
            Output->SetAttr("Change", "Modify");
        }
    }
    FInputChanged.clear();
}

namespace {
TFormClassRegistration Registration("TInputOutputForm", MakeFormFactory<TInputOutputForm>());
}
