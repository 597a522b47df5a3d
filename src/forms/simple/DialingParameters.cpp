#include "forms/simple/DialingParameters.h"

#include "forms/simple/SimpleFormRules.h"
#include "shell/FormRegistry.h"

TDialingParametersForm::TDialingParametersForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TDialingParametersForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(28);
    ShowSection(true, "Dialing Parameters", "");
    Grid->ModifyTracking = true;
}

void TDialingParametersForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col == 1 && Row == CapitalRow)
        S = CapitalText(S);
}

void TDialingParametersForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (ACol == 1 && ARow == CapitalRow)
        Value = CapitalText(Value);
}

namespace {
TFormClassRegistration Registration("TDialingParametersForm", MakeFormFactory<TDialingParametersForm>());
}
