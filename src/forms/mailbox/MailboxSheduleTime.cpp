#include "forms/mailbox/MailboxSheduleTime.h"

#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/mailbox/MailboxNotification.h"
#include "forms/mailbox/MailboxRules.h"
#include "forms/dialogs/SetTimeFrames.h"
#include "platform/StrUtil.h"

namespace {
constexpr int Frame2StartCol = 3;
constexpr int Days = 7;
int32_t Flash()
{
    TFormServices* S = FormServices();
    return S ? S->DeviceFacts().FlashVersion : 409;
}
} // namespace

TMailboxSheduleTimeForm::TMailboxSheduleTimeForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnDblClick = [this] { EditFrames(); };
    Grid->OnKeyPress = [this](char& Key) {
        if (Key == '\r' || Key == '\n') {
            Key = 0;
            EditFrames();
        }
    };
}

void TMailboxSheduleTimeForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(8);
    if (TGridFormCore* Owner = OwnerGridForm()) {
        Owner->GetRowSubSection(Index, DeviceSubSection);
        DeviceText = Owner->GridModel().Cells(0, std::max(0, Owner->FormGrid().CurrentRow()));
        if (auto* Notification = dynamic_cast<TMailboxNotificationForm*>(Owner)) {
            MailboxSubSection = Notification->MailboxSubSection;
            if (auto* Listing = qobject_cast<TBaseGridForm*>(Notification->OwnerForm.data()))
                MailboxText = Listing->Grid->Cells(0, std::max(0, Listing->Grid->Row()));
        }
    }
    ShowSection(false, "", "");
    Grid->ModifyTracking = true;
}

void TMailboxSheduleTimeForm::ShowTable(const std::string&, const std::string&)
{
    PlaceCol = 1;
    PlaceRow = -1;
    if (!ScheduleNode.Get()) {
        const TNotificationNodes Found = FindNotificationNodes(DataDoc, MailboxSubSection);
        SectionNode = Found.Section;
        RecordNode = Found.Record;
        NotificationNode = Found.Notification;
        TXmlNode* Notification = Found.Notification;
        TXmlNode* Device = Notification ? DataDoc->FindNode(Notification, DeviceSubSection) : nullptr;
        DeviceNode = Device;
        if (Device) {
            TXmlNode* Schedule = DataDoc->FindNode(Device, "Schedule Time");
            ScheduleNode = Schedule;
            ViewNode = Schedule ? Schedule->GetTemplate() : nullptr;
        } else if (Notification && Notification->GetTemplate()) {
            ViewNode = ViewDoc->FindNode(Notification->GetTemplate(), "Schedule Time");
        }
    }
    if (!ViewNode.Get())
        return;
    ApplyViewParams(ViewNode, "Grid Info", false);
    for (int Day = 0; Day < Days; ++Day) {
        EnsureRow(Day);
        for (const char* Frame : {"1", "2"}) {
            FrameNo = Frame;
            LoadNodes(ViewDoc, ViewNode, true, true);
            PlaceRow = Day;
        }
        FrameNo.clear();
        if (ScheduleNode.Get())
            if (TXmlNode* DayNode = DataDoc->FindNode(ScheduleNode, "Day " + DayName(Day)))
                LoadNodes(DataDoc, DayNode, true, false);
        PlaceRow = Day;
        Grid->SetCells(0, Day, DayName(Day));
        if (Grid->ColumnCount() > 4 && !ScheduleHasSecondFrame(Grid->Cells(1, Day), Grid->Cells(3, Day))) {
            Grid->SetCells(3, Day, "");
            Grid->SetCells(4, Day, "");
        }
    }
    for (int Day = 0; Day < Days; ++Day)
        SetRowReadOnly(false, Day, Grid->ColumnCount() - 1, 0);
}

bool TMailboxSheduleTimeForm::IsCellInfoNode(TXmlNode* Node)
{
    return Node->GetName() != "Schedule Time" && TBaseGridForm::IsCellInfoNode(Node);
}

void TMailboxSheduleTimeForm::GetNodeGroup(TXmlNode*, std::string& S) { S = DayName(PlaceRow); }

void TMailboxSheduleTimeForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == "Day %T%" || S.rfind("Day ", 0) == 0)
        return;
    // The frame a node belongs to: its parent's number ("Time frame 2") in the data, FrameNo in the description.
    if (TXmlNode* Parent = Node->Parent) {
        const std::string Value = Parent->GetAttr("ParseValue");
        const std::string Name = Parent->GetName();
        if (!Value.empty() && Value != "%%")
            FrameNo = Value;
        else if (Name.rfind("Time frame ", 0) == 0 && Name != "Time frame %%")
            FrameNo = Name.substr(11);
    }
    S += FrameNo;
}

void TMailboxSheduleTimeForm::FormatFormCaption(const std::string& S, std::string& R)
{
    R = Format(S, {MailboxText, DeviceText});
}

void TMailboxSheduleTimeForm::FormatColumnCaption(const std::string& S, std::string& R) { R = Format(S, {FrameNo}); }

void TMailboxSheduleTimeForm::ValueToText(const std::string& Value, int Col, std::string& S, int)
{
    S = Col == Frame2StartCol ? ScheduleFrame2StartText(Value, Flash()) : ScheduleValueToText(Value, Flash());
}

void TMailboxSheduleTimeForm::TextToValue(const std::string& Text, int Col, std::string& S, int)
{
    S = Col == Frame2StartCol ? ScheduleFrame2StartValue(Text, Flash()) : ScheduleTextToValue(Text, Flash());
}

void TMailboxSheduleTimeForm::SetFrames(int Row, const std::string& Start1, const std::string& End1,
    const std::string& Start2, const std::string& End2)
{
    if (Row < 0 || Row >= Grid->RowCount() || Grid->ColumnCount() < 5)
        return;
    const std::string Texts[] = {Start1, End1, Start2, End2};
    bool Changed = false;
    for (int Col = 1; Col <= 4; ++Col)
        if (Grid->Cells(Col, Row) != Texts[Col - 1]) {
            Grid->SetCells(Col, Row, Texts[Col - 1]);
            Changed = true;
        }
    if (Changed)
        SetModified(true);
    Grid->update();
}

void TMailboxSheduleTimeForm::EditFrames()
{
    const int Row = Grid->Row();
    if (Row < 0 || Grid->ColumnCount() < 5)
        return;
    TSetTimeFramesForm Dialog(this);
    TFormServices* S = FormServices();
    Dialog.SetHour12(S ? S->DeviceFacts().UseAMPM : false);
    Dialog.LoadFrames(Grid->Cells(1, Row), Grid->Cells(2, Row), Grid->Cells(3, Row), Grid->Cells(4, Row));
    if (Dialog.exec() != QDialog::Accepted)
        return;
    std::string S1, E1, S2, E2;
    Dialog.GetFrames(S1, E1, S2, E2);
    SettleDialogFrames(S1, E1, S2, E2);
    SetFrames(Row, S1, E1, S2, E2);
}

bool TMailboxSheduleTimeForm::CreateDayNodes(int Row)
{
    EnsureRow(Row);
    TXmlNode* Schedule = ScheduleNode;
    TXmlNode* View = ViewNode;
    if (!Schedule || !View)
        return false;
    TDataManager* M = Manager();
    const std::string Day = "Day " + DayName(Row);
    TXmlNode* DayNode = DataDoc->FindNode(Schedule, Day);
    const bool Second = !Grid->Cells(3, Row).empty() ||
                        (Grid->Cells(1, Row) != "All Day" && Grid->Cells(1, Row) != "No Use");
    bool Made = false;
    if (!DayNode) {
        for (const auto& Child : View->Nodes) {
            if (Child->GetTag() != "PARAM" && Child->GetTag() != "ATTR")
                continue;
            if (Child->GetName() != DayTemplateName) {
                AddFormNodeFromTemplate(M, Schedule, Child.get(), true);
                continue;
            }
            DayNode = AddScheduleDay(M, Schedule, Child.get(), DayName(Row), Second);
            if (!DayNode)
                return false;
            Made = true;
        }
    } else if (!Grid->Cells(3, Row).empty() && !DataDoc->FindNode(DayNode, "Time frame 2")) {
        if (TXmlNode* Frame1 = DataDoc->FindNode(DayNode, "Time frame 1"))
            if (TXmlNode* Template = Frame1->GetTemplate())
                Made = AddScheduleFrame(M, DayNode, Template, "2") != nullptr;
    }
    return Made;
}

bool TMailboxSheduleTimeForm::ApplyChanges(bool Notify)
{
    (void)Notify;
    auto* Owner = dynamic_cast<TMailboxNotificationForm*>(OwnerGridForm());
    if (!DeviceNode.Get()) {
        if (!Owner)
            return false;
        Owner->EnsureRowNode(Index, true);
        Owner->MarkNodesModified();
        std::string Sub;
        Owner->GetRowSubSection(Index, Sub);
        TXmlNode* Notification = NotificationNode;
        TXmlNode* Device = Notification ? DataDoc->FindNode(Notification, Sub) : nullptr;
        DeviceNode = Device;
        TXmlNode* Schedule = Device ? DataDoc->FindNode(Device, "Schedule Time") : nullptr;
        ScheduleNode = Schedule;
        ViewNode = Schedule ? Schedule->GetTemplate() : nullptr;
        if (!Device || !Schedule || !ViewNode.Get())
            return false;
    }
    bool Made = false;
    for (int Row = 0; Row < Days; ++Row)
        Made = CreateDayNodes(Row) || Made;
    if (Made) {
        // The new nodes take the cells of their frames; the texts the user set stay and are written back below.
        std::vector<std::vector<std::string>> Texts(Days);
        for (int Row = 0; Row < Days; ++Row)
            for (int Col = 1; Col <= 4; ++Col)
                Texts[Row].push_back(Grid->Cells(Col, Row));
        for (int Row = 0; Row < Days; ++Row) {
            TXmlNode* DayNode = DataDoc->FindNode(ScheduleNode, "Day " + DayName(Row));
            for (int Frame = 1; Frame <= 2 && DayNode; ++Frame) {
                TXmlNode* F = DataDoc->FindNode(DayNode, "Time frame " + IntToStr(Frame));
                if (!F)
                    continue;
                SetCellNode(Frame * 2 - 1, Row, DataDoc->FindNode(F, "Notification Service Start Time"));
                SetCellNode(Frame * 2, Row, DataDoc->FindNode(F, "Notification Service End Time"));
            }
            for (int Col = 1; Col <= 4; ++Col)
                Grid->SetCells(Col, Row, Texts[Row][Col - 1]);
        }
    }
    return TBaseGridForm::ApplyChanges(false);
}
