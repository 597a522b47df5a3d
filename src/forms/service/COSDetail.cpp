#include "forms/service/COSDetail.h"

#include "forms/base/FormServices.h"
#include "forms/service/ServiceRules.h"
#include "forms/dialogs/SetTime.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <QCloseEvent>

namespace {
const char* const Authorizations[] = {"Authorization for Message Notification",
    "Authorization for External Message Delivery", "Authorization for Auto Forwarding"};
}

TCOSDetailForm::TCOSDetailForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnButtonClick = [this] { GridButtonClick(); };
}

void TCOSDetailForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(10);
    std::string Sub;
    if (TGridFormCore* Owner = OwnerGridForm())
        Owner->GetRowSubSection(Index, Sub);
    ShowSection(true, "Class of Service", Sub);
    Grid->ModifyTracking = true;
    CopyOwnerSelection = true;
}

void TCOSDetailForm::ShowSection(bool APropertyMode, const std::string& Section, const std::string& SubSection)
{
    TBaseGridForm::ShowSection(APropertyMode, Section, SubSection);
    if (Grid->RowCount() > 0)
        SetCellReadOnly(true, 1, 0);
}

void TCOSDetailForm::GetNodeGroup(TXmlNode*, std::string& S) { S = IntToStr(Index + 1); }

void TCOSDetailForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1)
        return;
    const std::string Key = Grid->GetCellKey(ACol, ARow);
    try {
        if (Key == "Mailbox Capacity Maximum Message Time") {
            SettleCellDecision(*this, COSMessageTimeText(Value), Value);
        } else if (int32_t Rows = COSDependentRows(Key); Rows > 0) {
            bool ReadOnly = false;
            if (COSDependentLock(Value, ReadOnly))
                for (int R = ARow + 1; R <= ARow + Rows && R < Grid->RowCount(); ++R)
                    SetCellReadOnly(ReadOnly, 1, R);
        } else if (Key == "Mailbox Number") {
            if (TFormServices* S = FormServices())
                SettleCellDecision(*this, CheckForwardMailbox(Value, EditStartText, S->DeviceFacts(), *S), Value);
        }
    } catch (const Exception& E) {
        SettleCellDecision(*this, TCellDecision{false, Value, E.Message}, Value);
    }
}

void TCOSDetailForm::GridButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Grid->GetCellKey(1, Row) != "Delay Time")
        return;
    TSetTimeForm Dialog(this);
    Dialog.SetHour12(false);
    Dialog.SetMinTime("00:05");
    Dialog.SetMaxTime("99:59");
    Dialog.SetTimeField(1, Grid->Cells(1, Row));
    if (Dialog.exec() != QDialog::Accepted)
        return;
    // The device shows a delay with two hour digits ("01:15"), as its own defaults are; the cell holds that form.
    // A time cleared in the dialog is refused as an emptied cell is: the device has no way to be given none.
    std::string Text = CellTimeText(Dialog.GetTimeField(1));
    EditStartText = Grid->Cells(1, Row);
    if (RefuseUnsendableEmpty(1, Row, Text))
        return;
    if (Text != Grid->Cells(1, Row)) {
        Grid->SetCells(1, Row, Text);
        SetModified(true);
    }
}

bool TCOSDetailForm::ApplyChanges(bool Notify)
{
    for (const char* Key : Authorizations) {
        const int Row = FindRowByKey(1, Key);
        if (Row >= 0)
            UpdateDependentNodes(1, Row, false, {"Yes"});
    }
    return TBaseGridForm::ApplyChanges(Notify);
}

void TCOSDetailForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetMailboxListing();
}
