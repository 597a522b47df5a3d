#include "forms/simple/CallHold.h"

#include "shell/FormRegistry.h"

void TCallHoldForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(31);
    KeyColumn = 1;
    ShowSection(true, "Call Hold", "");
    Grid->ModifyTracking = true;
}

namespace {
TFormClassRegistration Registration("TCallHoldForm", MakeFormFactory<TCallHoldForm>());
}
