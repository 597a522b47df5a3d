#include "forms/ExtensionGroup.h"

#include "forms/FormServices.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>

void TExtensionGroupForm::InitForm()
{
    TBaseGridForm::InitForm();
    ShowGroups(gkExtension, 20, "Extension Group");
}

void TExtensionGroupForm::closeEvent(QCloseEvent* Event)
{
    TBaseGridForm::closeEvent(Event);
    if (!Event->isAccepted())
        return;
    // The listing and the operators are read afresh: their checks may have read this window's numbers.
    if (TFormServices* S = FormServices(); S && !S->DeviceFacts().BatchMode)
        S->ForgetExtensionSections("Extension Group");
}

namespace {
TFormClassRegistration Registration("TExtensionGroupForm", MakeFormFactory<TExtensionGroupForm>());
}
