#include "forms/simple/MessageWaitingNotification.h"

#include "forms/base/FormServices.h"
#include "forms/simple/SimpleFormRules.h"
#include "shell/FormRegistry.h"

TMessageWaitingNotificationForm::TMessageWaitingNotificationForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TMessageWaitingNotificationForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(29);
    ShowSection(true, "Message Waiting Notification", "");
    Grid->ModifyTracking = true;
}

void TMessageWaitingNotificationForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1 || !(ARow == 0 || ARow == 1))
        return;
    TFormServices* S = FormServices();
    const int32_t Ports = S ? S->DeviceFacts().AmountVPSPorts : TDeviceFacts().AmountVPSPorts;
    SettleCellDecision(*this, NormalizePortListText(Value, EditStartText, Ports), Value);
}

namespace {
TFormClassRegistration Registration("TMessageWaitingNotificationForm", MakeFormFactory<TMessageWaitingNotificationForm>());
}
