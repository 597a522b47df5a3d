#include "forms/simple/DisconnectParameter.h"

#include "shell/FormRegistry.h"

void TDisconnectParameterForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(35);
    ShowSection(true, "Disconnect Parameter", "");
    Grid->ModifyTracking = true;
}

namespace {
TFormClassRegistration Registration("TDisconnectParameterForm", MakeFormFactory<TDisconnectParameterForm>());
}
