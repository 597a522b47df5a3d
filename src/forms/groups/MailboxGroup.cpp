#include "forms/groups/MailboxGroup.h"

#include "forms/base/FormServices.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>
#include <QToolButton>

TMailboxGroupForm::TMailboxGroupForm(const TFormCreation& Creation) : TGroupSectionLogic<TBaseGridForm>(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnKeyUp = [this](int& Key, Qt::KeyboardModifiers Shift) { KeyUp(Key, Shift); };
    connect(DeleteRowButton, &QToolButton::clicked, this, [this] { DeleteRowButtonClick(); });
}

void TMailboxGroupForm::InitForm()
{
    TBaseGridForm::InitForm();
    ShowGroups(gkMailbox, 19, "Mailbox Group");
}

void TMailboxGroupForm::ShowGroups(TGroupKind Kind, int32_t FormKind, const char* Section)
{
    Groups.SetKind(Kind);
    FormMask.Include(FormKind);
    KeyColumn = TGroupTable::GroupCol;
    PrintOrientation = 1;
    DeleteRowButton->show();
    ShowSection(false, Section, "");
    // The row numbers are the window's own: no node of the description stands for them.
    if (Grid->ColumnCount() > TGroupTable::NumberCol) {
        TXGridColumn* Numbers = Grid->ColumnList()[TGroupTable::NumberCol];
        Numbers->SetCaption("No.");
        Numbers->SetWidth(32);
    }
    Grid->SetCol(TGroupTable::GroupCol);
    Grid->ModifyTracking = true;
}

bool TMailboxGroupForm::NumberInUse(TNumberUse Use, const std::string& Number) const
{
    if (Number.empty())
        return false;
    if (Use == nuGroupNumber)
        return Groups.GroupNumberExists(Number);
    if (Use == nuGroupMember)
        return Groups.Kind == gkExtension && Groups.MemberExists(Number, -1, -1);
    return false;
}

void TMailboxGroupForm::DeleteRowButtonClick()
{
    Grid->HideEditor();
    if (!Groups.DeleteGroup(Grid->Row()))
        return;
    Grid->SetRow(0);
    Grid->SetCol(TGroupTable::GroupCol);
    Grid->update();
}

void TMailboxGroupForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    Groups.CellEdited(ACol, ARow, Value);
}

void TMailboxGroupForm::KeyUp(int& Key, Qt::KeyboardModifiers Shift)
{
    if (Key != Qt::Key_Delete) {
        GridKeyUp(Key, Shift);
        return;
    }
    if (!Grid->EditorShowing() && Groups.DeleteKey(Grid->Col(), Grid->Row()))
        Grid->update();
}

void TMailboxGroupForm::ForgetReadSections(TFormServices& Services)
{
    // The listing's checks may have read the groups' numbers while this window held them; it reads afresh.
    Services.ForgetMailboxListing();
}

namespace {
TFormClassRegistration Registration("TMailboxGroupForm", MakeFormFactory<TMailboxGroupForm>());
}
