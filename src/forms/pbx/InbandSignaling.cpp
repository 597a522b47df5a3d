#include "forms/pbx/InbandSignaling.h"

#include "forms/simple/SimpleFormRules.h"
#include "shell/FormRegistry.h"

TInbandSignalingForm::TInbandSignalingForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TInbandSignalingForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(39);
    ShowSection(true, "Inband Signaling", "");
    Grid->ModifyTracking = true;
}

void TInbandSignalingForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col == 1)
        S = CapitalText(S);
}

void TInbandSignalingForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (!CheckGuard)
        Value = CapitalText(Value);
}

namespace {
TFormClassRegistration Registration("TInbandSignalingForm", MakeFormFactory<TInbandSignalingForm>());
}
