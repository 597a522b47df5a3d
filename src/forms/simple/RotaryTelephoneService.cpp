#include "forms/simple/RotaryTelephoneService.h"

#include "shell/FormRegistry.h"

void TRotaryTelephoneServiceForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(32);
    ShowSection(true, "Rotary Telephone Service", "");
    Grid->ModifyTracking = true;
}

namespace {
TFormClassRegistration Registration("TRotaryTelephoneServiceForm", MakeFormFactory<TRotaryTelephoneServiceForm>());
}
