#include "forms/simple/InterDigitTimeout.h"

#include "shell/FormRegistry.h"

void TInterDigitTimeoutForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(40);
    ShowSection(true, "Inter-Digit Timeout", "");
    Grid->ModifyTracking = true;
}

namespace {
TFormClassRegistration Registration("TInterDigitTimeoutForm", MakeFormFactory<TInterDigitTimeoutForm>());
}
