#include "forms/simple/ExternalMessageDelivery.h"

#include "forms/base/FormServices.h"
#include "forms/simple/SimpleFormRules.h"
#include "shell/FormRegistry.h"

TExternalMessageDeliveryForm::TExternalMessageDeliveryForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TExternalMessageDeliveryForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(30);
    ShowSection(true, "External Message Delivery", "");
    Grid->ModifyTracking = true;
}

void TExternalMessageDeliveryForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1 || !(ARow == 3))
        return;
    TFormServices* S = FormServices();
    const int32_t Ports = S ? S->DeviceFacts().AmountVPSPorts : TDeviceFacts().AmountVPSPorts;
    SettleCellDecision(*this, NormalizePortListText(Value, EditStartText, Ports), Value);
}

namespace {
TFormClassRegistration Registration("TExternalMessageDeliveryForm", MakeFormFactory<TExternalMessageDeliveryForm>());
}
