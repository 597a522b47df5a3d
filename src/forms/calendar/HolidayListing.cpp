#include "forms/calendar/HolidayListing.h"

#include "common/Utilits.h"
#include "forms/calendar/CalendarRules.h"
#include "forms/base/FormServices.h"
#include "forms/simple/SimpleFormRules.h"
#include "forms/dialogs/SetDate.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>
#include <QToolButton>

using namespace Holidays;

namespace {
TDeviceFacts Facts()
{
    TFormServices* S = FormServices();
    return S ? S->DeviceFacts() : TDeviceFacts{};
}
} // namespace

THolidayListingForm::THolidayListingForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnButtonClick = [this] { GridButtonClick(); };
    DeleteRowButton->show();
    connect(DeleteRowButton, &QToolButton::clicked, this, [this] { DeleteRowButtonClick(); });
}

void THolidayListingForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(22);
    PrintOrientation = 1;
    ShowSection(false, "Holiday Listing", "");
    if (HolidayOldFirmware(Facts()))
        for (int Row = 0; Row < Grid->RowCount(); ++Row) {
            SetCellReadOnly(true, EndCol, Row);
            SetCellReadOnly(true, GreetingCol, Row);
        }
    Grid->ModifyTracking = true;
}

void THolidayListingForm::LoadRecordRows()
{
    for (TXmlNode* Node : LoadHolidayRows(*this, Facts()))
        ReportUnshownNode(Node, "its holiday number is not 1 to 20");
}

void THolidayListingForm::GetNodeValue(TXmlNode* Node, std::string& S)
{
    S = HolidayNodeValue(Node, PlaceRow);
}

void THolidayListingForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    S = HolidayNodeName(S, PlaceRow);
}

void THolidayListingForm::RecordNodeCreated(TXmlNode* Node)
{
    if (Node)
        Node->SetAttr("Name", HolidayNodeName(Node->GetName(), PlaceRow));
}

void THolidayListingForm::ValueToText(const std::string& Value, int Col, std::string& S, int)
{
    S = HolidayValueToText(Col, Value);
}

void THolidayListingForm::TextToValue(const std::string& Text, int Col, std::string& S, int)
{
    S = HolidayTextToValue(Col, Text);
}

void THolidayListingForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard)
        return;
    const TDeviceFacts F = Facts();
    try {
        if (ACol == ServiceCol) {
            if (Value != EditStartText) {
                Grid->SetCells(ServiceCol, ARow, Value);
                SetHolidayParameterRules(*this, ARow, F);
                Grid->SetCells(ParameterCol, ARow, "");
            }
        } else if (ACol == ParameterCol) {
            if (TFormServices* S = FormServices())
                SettleCellDecision(*this,
                    CheckServiceNumber(Grid->Cells(ServiceCol, ARow), Value, EditStartText, *S), Value);
        } else if (ACol == GreetingCol) {
            if (Value != EditStartText)
                SettleCellDecision(*this, HolidayGreetingText(Value), Value);
        } else if (ACol == PortsCol) {
            SettleCellDecision(*this, NormalizePortListText(Value, EditStartText, F.AmountVPSPorts), Value);
        } else if (ACol == TrunksCol) {
            SettleCellDecision(*this, NormalizePortListText(Value, EditStartText, F.AmountTrunkGroups), Value);
        }
    } catch (const Exception& E) {
        SettleCellDecision(*this, TCellDecision{false, Value, E.Message}, Value);
    }
}

void THolidayListingForm::SetDate(int Col, int Row, const std::string& Text)
{
    SetEditedCell(Col, Row, Text);
    if (Col == StartCol)
        SetHolidayEndDateLock(*this, Row, Facts(), true);
    Grid->update();
}

void THolidayListingForm::GridButtonClick()
{
    const int Col = Grid->Col(), Row = Grid->Row();
    if ((Col != StartCol && Col != EndCol) || Row < 0 || Row >= Grid->RowCount())
        return;
    std::string From = Grid->Cells(Col, Row);
    if (Col == EndCol && From.empty())
        From = Grid->Cells(StartCol, Row);
    TSetDateForm Dialog(this);
    Dialog.SetDateText(From);
    if (Dialog.exec() != QDialog::Accepted)
        return;
    std::string Text;
    Dialog.GetDateText(Text);
    SetDate(Col, Row, Text);
}

void THolidayListingForm::DeleteRowButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount())
        return;
    ResetHolidayRow(*this, Row, Facts());
    SetModified(true);
    Grid->update();
}

bool THolidayListingForm::ApplyChanges(bool Notify)
{
    const TCellRef Missing = FirstMissingHolidayCell(*this);
    if (Missing.Col >= 0) {
        ShowError(Format(Utilits::SNotSetParameter, {Trim(Grid->ColumnList()[Missing.Col]->Caption())}));
        Grid->SetRow(Missing.Row);
        Grid->SetCol(Missing.Col);
        Grid->setFocus();
        return false;
    }
    SettleHolidayRecords(*this);
    return TBaseGridForm::ApplyChanges(Notify);
}

void THolidayListingForm::BeforeWriteBack()
{
    for (int Row = 0; Row < Grid->RowCount(); ++Row)
        if (!FindNodeByID(DeletedNodes, GetCellNode(NumberCol, Row)))
            UpdateDependentNodes(ServiceCol, Row, false, {"Interview", "Custom"});
}

void THolidayListingForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetMailboxListing();
}

namespace {
TFormClassRegistration Registration("THolidayListingForm", MakeFormFactory<THolidayListingForm>());
}
