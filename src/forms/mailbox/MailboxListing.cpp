#include "forms/mailbox/MailboxListing.h"

#include "common/Utilits.h"
#include "forms/base/FormServices.h"
#include "forms/mailbox/MailboxNotification.h"
#include "forms/mailbox/MailboxRules.h"
#include "forms/dialogs/SetMailboxNo.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>

#include <algorithm>
#include <QLineEdit>
#include <QToolButton>

namespace {
constexpr const char* Section = "Mailbox Listing";
TDeviceFacts Facts()
{
    TFormServices* S = FormServices();
    return S ? S->DeviceFacts() : TDeviceFacts{};
}
} // namespace

TMailboxListingForm::TMailboxListingForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnButtonClick = [this] { GridButtonClick(); };
    disconnect(NewRowButton, nullptr, this, nullptr);
    disconnect(DeleteRowButton, nullptr, this, nullptr);
    connect(NewRowButton, &QToolButton::clicked, this, [this] { NewRowButtonClick(); });
    connect(DeleteRowButton, &QToolButton::clicked, this, [this] { DeleteRowButtonClick(); });
}

void TMailboxListingForm::InitForm()
{
    TBaseGridForm::InitForm();
    DeletedServiceNumbers.clear();
    SortColumn = 0;
    FormMask.Include(6);
    ShowSection(false, Section, "");
    NewRowButton->show();
    DeleteRowButton->show();
    UpdateNewRowButton();
    Grid->ModifyTracking = true;
    PrintOrientation = 1;
}

void TMailboxListingForm::LoadRecordRows()
{
    TBaseGridForm::LoadRecordRows();
    const TDeviceFacts F = Facts();
    // The System Manager's mailbox is not in the device's listing; it is shown from the template, unbound.
    EnsureRow(PlaceRow + 1);
    const int SystemRow = PlaceRow;
    LoadNodes(ViewDoc, ViewNode, true, true);
    PlaceRow = SystemRow;
    Grid->SetCells(KeyColumn, SystemRow, F.SystemManagerMailbox);
    if (Grid->ColumnCount() > 4)
        Grid->SetCells(4, SystemRow, "64");
    const int LastCol = Grid->ColumnCount() - 1;
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        SetCellReadOnly(true, 0, Row);
        const std::string Number = Grid->Cells(0, Row);
        if (Number == F.MessageManagerMailbox)
            SetRowReadOnly(true, Row, std::min(NotificationCol, LastCol), 1);
        if (Number != F.SystemManagerMailbox && ResetPasswordCol <= LastCol)
            SetCellReadOnly(false, ResetPasswordCol, Row);
        // The Notification button of a stored mailbox (the Message Manager's has none to set).
        if (NotificationCol <= LastCol && GetCellNode(NotificationCol, Row) && Number != F.MessageManagerMailbox)
            SetCellReadOnly(false, NotificationCol, Row);
    }
}

std::vector<std::string> TMailboxListingForm::ColumnTexts(int Col) const
{
    std::vector<std::string> Texts;
    for (int Row = 0; Row < Grid->RowCount(); ++Row)
        Texts.push_back(Col < Grid->ColumnCount() ? Grid->Cells(Col, Row) : std::string());
    return Texts;
}

bool TMailboxListingForm::MailboxNoUsed(const std::string& Value, int ExceptRow) const
{
    return ColumnHolds(ColumnTexts(0), Value, ExceptRow);
}
bool TMailboxListingForm::Column6ValueUsed(const std::string& Value, int ExceptRow) const
{
    return ColumnHolds(ColumnTexts(InterviewCol), Value, ExceptRow);
}
bool TMailboxListingForm::ExtensionNoUsed(const std::string& Value, int ExceptRow) const
{
    return ColumnHolds(ColumnTexts(ExtensionCol), Value, ExceptRow);
}

bool TMailboxListingForm::NumberInUse(TNumberUse Use, const std::string& Number) const
{
    if (Number.empty())
        return false;
    const int Current = Grid->Row();
    if (Use == nuMailbox)
        return MailboxNoUsed(Number, Current) || Column6ValueUsed(Number, -1);
    if (Use == nuExtension)
        return ExtensionNoUsed(Number, Current);
    return false;
}

bool TMailboxListingForm::MayAddMailbox() const { return ::MayAddMailbox(Grid->RowCount(), Facts().AmountUserMailboxes); }

void TMailboxListingForm::UpdateNewRowButton() { NewRowButton->setEnabled(MayAddMailbox()); }

void TMailboxListingForm::NewRowButtonClick()
{
    // The limit is checked here as well: a key or a stale button state must not pass it.
    if (!MayAddMailbox()) {
        UpdateNewRowButton();
        return;
    }
    TSetMailboxNoForm Dialog(this);
    const int Row = std::max(0, Grid->Row());
    Dialog.MinValue = Grid->GetCellMinInteger(KeyColumn, Row);
    Dialog.MaxValue = Grid->GetCellMaxInteger(KeyColumn, Row);
    Dialog.NumberLength = Grid->GetCellEditLimit(KeyColumn, Row);
    Dialog.ListingCheck = [this](const std::string& N) { return MailboxNoUsed(N, -1) || Column6ValueUsed(N, -1); };
    if (Dialog.exec() != QDialog::Accepted)
        return;
    AddMailbox(FromQ(Dialog.EditMailboxNo->text()));
}

int TMailboxListingForm::AddMailbox(const std::string& Number)
{
    if (!MayAddMailbox()) {
        UpdateNewRowButton();
        return -1;
    }
    Grid->HideEditor();
    int Row = -1;
    try {
        Row = AddRecordRow(Number);
    } catch (const Exception& E) {
        ShowError(E.Message);
        return -1;
    }
    if (Row >= 0) {
        SetCellReadOnly(true, 0, Row);
        SetCellReadOnly(true, ResetPasswordCol, Row);
        Grid->SetRow(Row);
        Grid->SetCol(ExtensionCol);
    }
    UpdateNewRowButton();
    return Row;
}

void TMailboxListingForm::DeleteRowButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount())
        return;
    const TDeviceFacts F = Facts();
    const std::string Number = Grid->Cells(0, Row);
    if (Number == F.MessageManagerMailbox || Number == F.SystemManagerMailbox) {
        TDialogs::instance().MessageBox(Utilits::SUnableDeleteManagerMailbox, Utilits::SError, mtError, mbOK);
        return;
    }
    Grid->HideEditor();
    if (TDialogs::instance().MessageBox(Format(Utilits::SConfirmDeleteMailbox, {Number}), Utilits::SConfirmDelete,
            mtWarning, mbYes | mbNo) != mrYes)
        return;
    int32_t Interview = 0;
    if (TryStrToInt(Grid->Cells(InterviewCol, Row), Interview))
        DeletedServiceNumbers.push_back(Interview);
    DeleteRecordRow(Row);
    UpdateNewRowButton();
}

void TMailboxListingForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    TFormServices* S = FormServices();
    if (CheckGuard || !S)
        return;
    // A check that raises must not leave the editor's commit half done: its message is shown and the text reverts.
    try {
        switch (ACol) {
        case ExtensionCol:
            SettleCellDecision(*this,
                CheckListingExtension(Value, EditStartText, ColumnTexts(ExtensionCol), ARow, SectionCaption(), *S),
                Value);
            break;
        case 2:
        case 3:
            if (S->DeviceFacts().FlashVersion < 409)
                Value = UpperCase(Value);
            break;
        case ExtensionGroupCol:
            SettleCellDecision(*this, CheckListingExtensionGroup(Value, EditStartText, *S), Value);
            break;
        case InterviewCol: {
            SettleCellDecision(*this,
                CheckInterviewNumber(Value, EditStartText, ColumnTexts(0), ColumnTexts(InterviewCol), ARow, *S),
                Value);
            int32_t Old = 0;
            if (Value != EditStartText && TryStrToInt(EditStartText, Old))
                DeletedServiceNumbers.push_back(Old);
            break;
        }
        default:
            break;
        }
    } catch (const Exception& E) {
        SettleCellDecision(*this, TCellDecision{false, Value, E.Message}, Value);
    }
}

bool TMailboxListingForm::ApplyChanges(bool Notify)
{
    TFormServices* S = FormServices();
    // The base settles the deleted records on every Apply, also on one the device then refuses: their numbers are
    // kept here until a store succeeds.
    for (const TNodeRef& Ref : DeletedNodes)
        if (TXmlNode* Node = Ref.Get(); Node && !Node->GetValue().empty())
            if (std::find(DeletedMailboxes.begin(), DeletedMailboxes.end(), Node->GetValue()) == DeletedMailboxes.end())
                DeletedMailboxes.push_back(Node->GetValue());
    if (S && !MayCarryMailboxDeletions(*S, !DeletedMailboxes.empty(), !DeletedServiceNumbers.empty()))
        return false;
    // A cut write may have deleted the mailboxes on the device, which drops them from its groups as well and lets
    // the port and trunk modes that reached their interview services fall back: dropping the edits puts those back
    // with the mailboxes, where the device holds them as the deletion left them.
    std::vector<TChangeSet> Follow;
    if (S && !S->DeviceFacts().BatchMode && !DeletedMailboxes.empty()) {
        std::vector<std::string> Interviews;
        for (int32_t Number : DeletedServiceNumbers)
            Interviews.push_back(IntToStr(Number));
        Follow.push_back(S->MailboxDeletionChanges(DeletedMailboxes, Interviews, "Mailbox Group"));
        if (!Interviews.empty())
            for (const char* Section : {"Port Service", "Trunk Service"})
                Follow.push_back(S->MailboxDeletionChanges(DeletedMailboxes, Interviews, Section));
    }
    if (!TBaseGridForm::ApplyChanges(Notify)) {
        if (WriteCutShort())
            for (TChangeSet& Changes : Follow)
                if (!Changes.Empty())
                    KeepCutChanges(std::move(Changes));
        return false;
    }
    // Only now has the device (or the data file) dropped the mailboxes: the other sections follow it.
    if (S)
        CarryMailboxDeletions(*S, DeletedMailboxes, DeletedServiceNumbers);
    DeletedMailboxes.clear();
    DeletedServiceNumbers.clear();
    // Stored now: a new mailbox's password may be reset from here on (the last row is the System Manager's).
    for (int Row = 0; Row + 1 < Grid->RowCount(); ++Row)
        SetCellReadOnly(false, ResetPasswordCol, Row);
    UpdateNewRowButton();
    return true;
}

void TMailboxListingForm::GridButtonClick()
{
    const int Row = Grid->Row();
    if (Grid->Col() != NotificationCol || Row < 0)
        return;
    TFormServices* S = FormServices();
    if (!S)
        return;
    if (TBaseMDIForm* Open = S->FindChildForm(TFormKinds{3, 7}, this, Row)) {
        Area()->setActiveSubWindow(Open);
        return;
    }
    std::string Sub;
    GetRowSubSection(Row, Sub);
    TXmlNode* Record = RecordNode.Get() ? DataDoc->FindNode(RecordNode, Sub) : nullptr;
    if (!Record) {
        ShowError(Format("Apply the new mailbox %s before setting its notification.", {Grid->Cells(0, Row)}));
        return;
    }
    TFormParams P;
    if (TXmlNode* Notification = DataDoc->FindNode(Record, "Notification Setting"))
        ReadFormInfo(Notification->GetTemplate(), P);
    TBaseMDIForm::CreateDetail<TMailboxNotificationForm>(Area(), TFormKinds{3}, P, this, Row);
}

void TMailboxListingForm::GetRowCaption(int Row, std::string& S)
{
    S = Row >= 0 && Row < Grid->RowCount() ? Grid->Cells(0, Row) : std::string();
}

void TMailboxListingForm::GetRowSubSection(int Row, std::string& S)
{
    if (Row < 0)
        Row = Grid->Row();
    S = "Mailbox No. " + (Row >= 0 && Row < Grid->RowCount() ? Grid->Cells(0, Row) : std::string());
}

void TMailboxListingForm::RecordNodeCreated(TXmlNode* Node)
{
    const std::string Number = Grid->Cells(0, PlaceRow);
    Node->SetAttr("Value", Number);
    ExpandAttribute(Node, "Name", Number);
}

bool TMailboxListingForm::SkipNode(TXmlNode* Node)
{
    // Asked of every node of every mailbox: the name is read where it is stored, not copied.
    const TXmlAttribute* A = Node->Attrs.Find("Name");
    if (!A)
        return false;
    const std::string& Name = A->GetValue();
    return Name == "%% Device" || Name == "1ST Device" || Name == "2ND Device" || Name == "3RD Device";
}

bool TMailboxListingForm::EditedElsewhere(const TXmlNode* Node) const
{
    return Node->GetName() == "Notification Setting";
}

void TMailboxListingForm::GetNodeGroup(TXmlNode* Node, std::string& S) { S = Node->GetValue(); }

void TMailboxListingForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetMailboxGroup();
    Services.ForgetExtensionSections(Section);
}

namespace {
TFormClassRegistration Registration("TMailboxListingForm", MakeFormFactory<TMailboxListingForm>());
}
