#include "forms/simple/FaxManagement.h"

#include "forms/base/FormServices.h"
#include "forms/simple/SimpleFormRules.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>

TFaxManagementForm::TFaxManagementForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TFaxManagementForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(34);
    ShowSection(true, "Fax Management", "");
    Grid->ModifyTracking = true;
}

void TFaxManagementForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    TFormServices* S = FormServices();
    if (CheckGuard || ACol != 1 || !S)
        return;
    if (ARow == FaxExtensionRow1 || ARow == FaxExtensionRow2) {
        std::string Other;
        GetCellText(1, ARow == FaxExtensionRow1 ? FaxExtensionRow2 : FaxExtensionRow1, Other);
        SettleCellDecision(*this, CheckFaxExtension(Value, EditStartText, Other, *S), Value);
    } else if (ARow == FaxMailboxRow) {
        SettleCellDecision(*this, CheckFaxMailbox(Value, EditStartText, *S), Value);
    }
}

void TFaxManagementForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetMailboxListing();
    Services.ForgetExtensionGroup();
}

namespace {
TFormClassRegistration Registration("TFaxManagementForm", MakeFormFactory<TFaxManagementForm>());
}
