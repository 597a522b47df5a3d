#include "forms/groups/ExtensionGroup.h"

#include "forms/base/FormServices.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>

void TExtensionGroupForm::InitForm()
{
    TBaseGridForm::InitForm();
    ShowGroups(gkExtension, 20, "Extension Group");
}

void TExtensionGroupForm::ForgetReadSections(TFormServices& Services)
{
    // The listing and the operators are read afresh: their checks may have read this window's numbers.
    Services.ForgetExtensionSections("Extension Group");
}

namespace {
TFormClassRegistration Registration("TExtensionGroupForm", MakeFormFactory<TExtensionGroupForm>());
}
