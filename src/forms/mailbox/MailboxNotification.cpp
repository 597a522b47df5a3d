#include "forms/mailbox/MailboxNotification.h"

#include "engine/SectionReconcile.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/mailbox/MailboxRules.h"
#include "forms/mailbox/MailboxSheduleTime.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QMdiArea>

namespace {
constexpr int Devices = 3;
}

TMailboxNotificationForm::TMailboxNotificationForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnButtonClick = [this] { GridButtonClick(); };
}

void TMailboxNotificationForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(7);
    if (TGridFormCore* Owner = OwnerGridForm())
        Owner->GetRowSubSection(Index, MailboxSubSection);
    ShowSection(false, "", "");
    Grid->ModifyTracking = true;
    PrintOrientation = 1;
}

void TMailboxNotificationForm::ShowTable(const std::string&, const std::string&)
{
    PlaceCol = 1;
    PlaceRow = -1;
    if (!RecordNode.Get()) {
        const TNotificationNodes Found = FindNotificationNodes(DataDoc, MailboxSubSection);
        SectionNode = Found.Section;
        RecordNode = Found.Record;
        NotificationNode = Found.Notification;
        ViewNode = Found.Notification ? Found.Notification->GetTemplate() : nullptr;
    }
    if (!SectionNode.Get() || !RecordNode.Get() || !NotificationNode.Get() || !ViewNode.Get())
        return;
    ApplyViewParams(ViewNode, "Grid Info", false);
    for (int Device = 0; Device < Devices; ++Device) {
        EnsureRow(Device);
        LoadNodes(ViewDoc, ViewNode, true, true);
        PlaceRow = Device;
        DeviceMade[Device] = true;
        if (TXmlNode* Node = DataDoc->FindNode(NotificationNode, DeviceName(Device) + " Device")) {
            LoadNodes(DataDoc, Node, true, false);
            DeviceMade[Device] = false;
        }
        PlaceRow = Device;
        Grid->SetCells(0, Device, IntToStr(Device + 1));
    }
    for (int Row = 0; Row < Devices; ++Row)
        LockRow(Row);
}

void TMailboxNotificationForm::LockRow(int Row)
{
    const int LastCol = Grid->ColumnCount() - 1;
    if (LastCol < ScheduleCol)
        return;
    SetCellReadOnly(true, 0, Row);
    SetRowReadOnly(false, Row, LastCol - 1, NumberCol);
    const bool Off = Grid->Cells(NumberCol, Row).empty();
    SetRowReadOnly(Off, Row, LastCol - 1, TypeCol);
    SetCellReadOnly(Off || Grid->Cells(ModeCol, Row) != "Scheduled", ScheduleCol, Row);
}

bool TMailboxNotificationForm::IsCellInfoNode(TXmlNode* Node)
{
    return Node->GetName() != "Notification Setting" && TBaseGridForm::IsCellInfoNode(Node);
}

bool TMailboxNotificationForm::SkipNode(TXmlNode* Node)
{
    const std::string Name = Node->GetName();
    return Name == "Day %T%" || (Name.size() == 7 && Name.rfind("Day ", 0) == 0);
}

void TMailboxNotificationForm::GetNodeGroup(TXmlNode*, std::string& S) { S = DeviceName(PlaceRow); }

void TMailboxNotificationForm::GetRowSubSection(int Row, std::string& S)
{
    if (Row < 0)
        Row = Grid->Row();
    S = DeviceName(Row) + " Device";
}

void TMailboxNotificationForm::GetRowCaption(int Row, std::string& S)
{
    S = Row >= 0 && Row < Grid->RowCount() ? Grid->Cells(0, Row) : std::string();
}

void TMailboxNotificationForm::ValueToText(const std::string& Value, int Col, std::string& S, int)
{
    S = Col == NumberCol ? DeviceNumberText(Value) : Value;
}

void TMailboxNotificationForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard)
        return;
    if (ACol == NumberCol) {
        Value = DeviceNumberText(Value);
        if (!Value.empty() && IsBeeperNumber(Value))
            Grid->SetCells(TypeCol, ARow, "Beeper");
        Grid->SetCells(NumberCol, ARow, Value);
        LockRow(ARow);
    } else if (ACol == ModeCol) {
        SetCellReadOnly(Value != "Scheduled", ScheduleCol, ARow);
    }
}

bool TMailboxNotificationForm::EnsureRowNode(int Row, bool Force)
{
    EnsureRow(Row);
    if (GetCellNode(0, Row))
        return false;
    if (!Force && ShowsTemplateValues(ViewNode))
        return false;
    TXmlNode* View = ViewNode;
    TXmlNode* Parent = NotificationNode;
    if (!View || !Parent)
        return false;
    for (const auto& Child : View->Nodes) {
        if (Child->GetTag() != "PARAM" && Child->GetTag() != "ATTR")
            continue;
        EnsureRow(Row);
        CreateRecordNode(Parent, Child.get(), true);
    }
    if (TXmlNode* Device = GetCellNode(0, Row))
        ExpandAttribute(Device, "Name", DeviceName(Row));
    return GetCellNode(0, Row) != nullptr;
}

void TMailboxNotificationForm::CreateScheduleDays(TXmlNode* Schedule)
{
    TXmlNode* Template = Schedule->GetTemplate();
    if (!Template)
        return;
    TDataManager* M = Manager();
    for (const auto& Child : Template->Nodes) {
        if (Child->GetTag() != "PARAM" && Child->GetTag() != "ATTR")
            continue;
        if (Child->GetName() != DayTemplateName) {
            AddFormNodeFromTemplate(M, Schedule, Child.get(), true);
            continue;
        }
        for (int Day = 0; Day < 7; ++Day) {
            TXmlNode* DayNode = AddScheduleDay(M, Schedule, Child.get(), DayName(Day), true);
            TXmlNode* Frame2 = DayNode ? DataDoc->FindNode(DayNode, "Time frame 2") : nullptr;
            if (TXmlNode* Start = Frame2 ? DataDoc->FindNode(Frame2, "Notification Service Start Time") : nullptr)
                Start->SetAttr("Value", "");
        }
    }
}

bool TMailboxNotificationForm::ApplyChanges(bool Notify)
{
    for (int Row = 0; Row < Devices; ++Row) {
        if (Grid->Cells(NumberCol, Row).empty()) {
            ShowSwitchedOff(Row);
            continue;
        }
        EnsureRowNode(Row, false);
        TXmlNode* Schedule = GetCellNode(ScheduleCol, Row);
        if (!Schedule)
            continue;
        if (Grid->Cells(ModeCol, Row) != "Scheduled")
            ClearFormParamNodes(Schedule);
        else if (!DataDoc->FindNode(Schedule, "Day Mon"))
            CreateScheduleDays(Schedule);
    }
    if (!TBaseGridForm::ApplyChanges(Notify))
        return false;
    for (bool& Made : DeviceMade)
        Made = false;
    return true;
}

void TMailboxNotificationForm::ShowSwitchedOff(int Row)
{
    EnsureRow(Row);
    LoadNodes(ViewDoc, ViewNode, true, true);
    PlaceRow = Row;
    Grid->SetCells(0, Row, IntToStr(Row + 1));
    // The nodes take the template's values unmarked, as the rows show them: only the emptied number is sent, and the
    // document then holds what the device holds (a device that is switched on again starts from these values there
    // too). Every road that writes a switched-off device follows the same rule.
    if (TXmlNode* Number = GetCellNode(NumberCol, Row))
        SettleSwitchedOffRecord(Number);
    LockRow(Row);
}

void TMailboxNotificationForm::AfterDiscard()
{
    for (int Row = 0; Row < Devices; ++Row) {
        if (!DeviceMade[Row])
            continue;
        if (TXmlNode* Device = GetCellNode(0, Row)) {
            if (Device->Parent)
                Device->Parent->RemoveChild(Device);
            for (int Col = 0; Col < Grid->ColumnCount(); ++Col)
                SetCellNode(Col, Row, nullptr);
        }
    }
}

void TMailboxNotificationForm::GridButtonClick()
{
    const int Row = Grid->Row();
    if (Grid->Col() != ScheduleCol || Row < 0)
        return;
    TFormServices* S = FormServices();
    if (!S)
        return;
    if (TBaseMDIForm* Open = S->FindChildForm(TFormKinds{3, 8}, this, Row)) {
        Area()->setActiveSubWindow(Open);
        return;
    }
    std::string Sub;
    GetRowSubSection(Row, Sub);
    TFormParams P;
    TXmlNode* Device = NotificationNode.Get() ? DataDoc->FindNode(NotificationNode, Sub) : nullptr;
    TXmlNode* Schedule = Device ? DataDoc->FindNode(Device, "Schedule Time") : nullptr;
    TXmlNode* View = Schedule ? Schedule->GetTemplate() : nullptr;
    if (!View && ViewNode.Get())
        if (TXmlNode* DeviceTemplate = ViewDoc->FindNode(ViewNode, "%% Device"))
            View = ViewDoc->FindNode(DeviceTemplate, "Schedule Time");
    ReadFormInfo(View, P);
    TBaseMDIForm::CreateDetail<TMailboxSheduleTimeForm>(Area(), TFormKinds{3}, P, this, Row);
}

namespace {
TFormClassRegistration Registration("TMailboxNotificationForm", MakeFormFactory<TMailboxNotificationForm>());
}
