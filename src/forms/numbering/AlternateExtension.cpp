#include "forms/numbering/AlternateExtension.h"

#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/numbering/NumberListRules.h"
#include "forms/simple/SimpleFormRules.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

namespace {
bool IsEntryTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }
}

TAlternateExtensionForm::TAlternateExtensionForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnKeyUp = [this](int& Key, Qt::KeyboardModifiers Shift) { KeyUp(Key, Shift); };
}

void TAlternateExtensionForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(15);
    ShowSection(true, "Alternate Extension", "");
    Grid->ModifyTracking = true;
}

void TAlternateExtensionForm::LoadPropertyRows()
{
    for (EntryIndex = 1; EntryIndex <= EntryCount; ++EntryIndex) {
        LoadNodes(ViewDoc, ViewNode, true, true);
        if (Grid->RowCount() >= EntryIndex)
            Grid->SetCells(0, EntryIndex - 1, IntToStr(EntryIndex));
    }
    EntryIndex = 1;
    LoadNodes(DataDoc, RecordNode, true, false);
    UpdateReadOnly(0);
}

void TAlternateExtensionForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    S = SubstituteFormValue(S, IntToStr(EntryIndex));
}

bool TAlternateExtensionForm::SkipNode(TXmlNode* Node) { return Node && Node->GetAttr("Change") == "Delete"; }

TXmlNode* TAlternateExtensionForm::FindColumnSubNode(int)
{
    TXmlNode* View = ViewNode;
    if (!View)
        return nullptr;
    for (const auto& Child : View->Nodes)
        if (IsEntryTag(Child.get()))
            return Child.get();
    return nullptr;
}

void TAlternateExtensionForm::RecordNodeCreated(TXmlNode* Node)
{
    ExpandAttribute(Node, "Name", IntToStr(PlaceRow + 1));
    ExpandAttribute(Node, "ParseValue", IntToStr(PlaceRow + 1));
}

void TAlternateExtensionForm::NodeDeleted(TXmlNode* Node)
{
    if (Node)
        Node->SetAttr("Name", "Extension No. " + IntToStr(MaxEntryNumber() + 1));
}

int32_t TAlternateExtensionForm::MaxEntryNumber() const { return MaxAlternateEntryNumber(RecordNode); }

void TAlternateExtensionForm::SetEntryName(TXmlNode* Node, int32_t Entry)
{
    if (Node)
        Node->SetAttr("Name", "Extension No. " + IntToStr(Entry));
}

void TAlternateExtensionForm::AfterWriteBack() { NumberAlternateEntries(RecordNode); }

void TAlternateExtensionForm::UpdateReadOnly(int FromRow)
{
    const int Rows = std::min<int>(EntryCount, Grid->RowCount());
    for (int r = std::max(0, FromRow); r < Rows; ++r) {
        const bool Filled = !Grid->Cells(1, r).empty();
        SetCellReadOnly(!(Filled || r == 0 || !Grid->Cells(1, r - 1).empty()), 1, r);
    }
}

void TAlternateExtensionForm::RenumberRows(int FromRow)
{
    for (int r = std::max(0, FromRow); r < Grid->RowCount(); ++r)
        Grid->SetCells(0, r, IntToStr(r + 1));
}

void TAlternateExtensionForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1 || ARow < 0 || ARow >= EntryCount)
        return;
    TFormServices* S = FormServices();
    if (!Value.empty() && Value != EditStartText) {
        if (TCellDecision Digits = CheckExtensionDigits(Value); !Digits.Accepted) {
            SettleCellDecision(*this, Digits, Value);
            return;
        }
    }
    if (!Value.empty() && Value != EditStartText && S) {
        std::string Caption;
        if (!S->FindExtensionGroup(Value, Caption) || !S->CheckExtensionGroupForm(Value, Caption)) {
            SettleCellDecision(*this, {false, Value, Format(Utilits::SExtensionAlreadyExistIn, {Value, Caption})},
                Value);
            return;
        }
    }
    if (!Value.empty() && EditStartText.empty()) {
        if (ARow + 1 < EntryCount && ARow + 1 < Grid->RowCount())
            SetCellReadOnly(false, 1, ARow + 1);
        SetCellNode(1, ARow, nullptr);
    } else if (Value.empty() && !EditStartText.empty()) {
        // The entries below move up with their nodes: the list on the device has no gaps either.
        ShiftRowsUp(ARow, true);
        RenumberRows(ARow);
        UpdateReadOnly(ARow);
        Value = Grid->Cells(1, ARow);
    } else if (Value != EditStartText) {
        // The device has no edit in place that the save could address safely: the old entry goes, a new one comes.
        SetCellNode(1, ARow, nullptr);
    }
}

void TAlternateExtensionForm::KeyUp(int& Key, Qt::KeyboardModifiers Shift)
{
    GridKeyUp(Key, Shift);
    if (Key != Qt::Key_Delete || Grid->EditorShowing())
        return;
    const int Col = Grid->Col(), Row = Grid->Row();
    if (Col != 1 || Row < 0 || Row >= Grid->RowCount() || (Grid->GetCellValueOptions(Col, Row) & voReadOnly))
        return;
    EditStartText = Grid->Cells(Col, Row);
    if (EditStartText.empty())
        return;
    std::string Value;
    SetEditText(Col, Row, Value);
    Grid->SetCells(Col, Row, Value);
    SetModified(true);
    Grid->update();
}

bool TAlternateExtensionForm::ApplyChanges(bool Notify)
{
    const int Rows = std::min<int>(EntryCount, Grid->RowCount());
    for (int r = 0; r < Rows; ++r)
        if (!Grid->Cells(1, r).empty() && !GetCellNode(1, r) &&
            std::find(NewKeys.begin(), NewKeys.end(), r + 1) == NewKeys.end())
            NewKeys.push_back(r + 1);
    if (TXmlNode* Record = RecordNode)
        for (const auto& Child : Record->Nodes)
            if (IsEntryTag(Child.get()) && Child->GetAttr("Change") != "Delete" && !IsNodeInColumn(1, Child.get()) &&
                !FindNodeByID(DeletedNodes, Child.get()))
                DeletedNodes.push_back(Child.get());
    if (!DeletedNodes.empty())
        for (int r = 0; r < Rows; ++r)
            if (TXmlNode* Node = GetCellNode(1, r); Node && !Grid->Cells(1, r).empty())
                SetEntryName(Node, r + 1);
    return TBaseGridForm::ApplyChanges(Notify);
}

namespace {
TFormClassRegistration Registration("TAlternateExtensionForm", MakeFormFactory<TAlternateExtensionForm>());
}
