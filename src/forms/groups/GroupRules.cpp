#include "forms/groups/GroupRules.h"

#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {
bool IsParamTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }

// Column 0 holds the row number and no node: its key keeps the description's cells out of it.
constexpr const char* NumberKey = "No.";

TCellDecision Keep(const std::string& Text) { return {true, Text, {}}; }
TCellDecision Refuse(const std::string& Text, std::string Message) { return {false, Text, std::move(Message)}; }

// The data manager that makes nodes from the description (null without services).
TDataManager* NodeMaker()
{
    TFormServices* S = FormServices();
    return S ? S->DataManager() : nullptr;
}
} // namespace

void TGroupTable::SetKind(TGroupKind AKind)
{
    Kind = AKind;
    GroupNoName = AKind == gkMailbox ? "Mailbox Group No." : "Extension Group No.";
    MemberName = AKind == gkMailbox ? "Mailbox No." : "Extension No.";
}

// ---- hooks -------------------------------------------------------------------------------------------------------

void TGroupTable::NodeName(std::string& S) const
{
    if (S.find(GroupNoName) != std::string::npos)
        S = GroupNoName;
    else if (S == MemberName + " %T%")
        S = SubstituteFormValue(S, IntToStr(MemberIndex));
}

std::string TGroupTable::ColumnCaption(const std::string& S) const
{
    return S.find("%.2d") != std::string::npos ? Format(S, {int64_t(MemberIndex)}) : S;
}

TXmlNode* TGroupTable::ColumnTemplate(int Col) const
{
    TXmlNode* View = Core.ViewNode;
    if (!View || !Core.ViewDoc)
        return nullptr;
    TXmlNode* Group = Core.ViewDoc->FindNode(View, GroupNoName + " %T%");
    if (!Group || Col == GroupCol)
        return Group;
    if (Col == NameCol)
        return Core.ViewDoc->FindNode(Group, "Group Name");
    if (Col >= FirstMemberCol && Col <= LastCol)
        return Core.ViewDoc->FindNode(Group, MemberName + " %T%");
    return nullptr;
}

bool TGroupTable::IsUnplaceable(TXmlNode* Node) const
{
    if (!FDataPass || !Node || !IsParamTag(Node) || !Core.IsCellInfoNode(Node))
        return false;
    std::string Name = Node->GetName();
    NodeName(Name);
    return Core.FindColumnByKey(Core.PlaceRow, Name) < 0;
}

std::vector<TXmlNode*> TGroupTable::LoadRows()
{
    std::vector<TXmlNode*> Unshown;
    TXmlNode* Template = ColumnTemplate(GroupCol);
    TXmlNode* Record = Core.RecordNode;
    if (!Template || !Record)
        return Unshown;
    TXStringGridModel& G = Grid();
    for (int r = 0; r < GroupCount; ++r) {
        Core.EnsureRow(Core.PlaceRow + 1);
        const int Row = Core.PlaceRow;
        Core.EnsureColumn(NumberCol);
        G.SetCellKey(NumberCol, Row, NumberKey);
        for (MemberIndex = 1; MemberIndex <= MemberCount; ++MemberIndex) {
            Core.LoadNodes(Core.ViewDoc, Template, true, true);
            Core.PlaceRow = Row;
        }
    }
    MemberIndex = 1;
    Core.PlaceRow = -1;
    struct TDataPass {
        bool& Flag;
        explicit TDataPass(bool& F) : Flag(F) { Flag = true; }
        ~TDataPass() { Flag = false; }
    } Pass(FDataPass);
    int Shown = 0;
    for (const auto& Child : Record->Nodes) {
        TXmlNode* Group = Child.get();
        if (!IsParamTag(Group) || Group->GetAttr("Change") == "Delete")
            continue;
        // Twenty rows are all there is: a further group must not make a row the device cannot hold.
        if (Shown == GroupCount) {
            Unshown.push_back(Group);
            continue;
        }
        Core.EnsureRow(Core.PlaceRow + 1);
        const int Row = Core.PlaceRow;
        Core.LoadNodes(Core.DataDoc, Group, true, false);
        Core.PlaceRow = Row;
        ++Shown;
    }
    ArrangeRows();
    return Unshown;
}

void TGroupTable::GroupNodeCreated(TXmlNode* Node)
{
    const int Row = Core.PlaceRow;
    // Named as a load from the device names it, after the group number its screen shows.
    Node->SetAttr("Name", GroupNoName + " " + GroupNumber(Row));
    TXmlNode* MemberTemplate = ColumnTemplate(FirstMemberCol);
    for (const auto& Child : Node->Nodes)
        if (Child->GetName() == MemberName + " %T%") {
            Node->RemoveChild(Child.get());
            break;
        }
    for (int c = FirstMemberCol; c <= std::min(LastCol, Grid().ColumnCount() - 1); ++c) {
        if (Grid().Cells(c, Row).empty())
            continue;
        TXmlNode* Member = AddFormNodeFromTemplate(NodeMaker(), Node, MemberTemplate, true);
        if (!Member)
            continue;
        Member->SetAttr("Name", MemberName + " " + IntToStr(c - NameCol));
        Member->SetAttr("Change", "Modify");
        Core.SetCellNode(c, Row, Member);
    }
}

void TGroupTable::GroupNodeDeleted(TXmlNode* Node) const
{
    if (!Node)
        return;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Node, Node); N; N = Walk.Next(N))
        if (N->GetName().find(MemberName) != std::string::npos && N->Attrs.Find("Change"))
            N->SetAttr("Change", "Modify");
}

bool TGroupTable::BeforeApply()
{
    TXStringGridModel& G = Grid();
    if (G.NoDataRows())
        return true;
    // A group needs a member: one without goes, and the groups below close up.
    for (int r = 0; r < G.RowCount();) {
        if (GroupNumber(r).empty() || !G.Cells(FirstMemberCol, r).empty()) {
            ++r;
            continue;
        }
        if (TXmlNode* Node = Core.GetCellNode(GroupCol, r))
            Core.DeletedNodes.push_back(Node);
        Core.ShiftRowsUp(r, true);
        UpdateReadOnly(r);
    }
    Renumber();
    const int Last = std::min(LastCol, G.ColumnCount() - 1);
    TXmlNode* Template = ColumnTemplate(GroupCol);
    std::string Failed;
    auto MakeGroup = [&](int r) {
        Core.EnsureRow(r);
        TXmlNode* Made = Core.CreateRecordNode(Core.RecordNode, Template, true);
        if (!Made)
            Failed += (Failed.empty() ? "" : ", ") + GroupNumber(r);
        else if (Made->Attrs.Find("Change"))
            Made->SetAttr("Change", "Insert");
    };
    // New groups are made first and the rebuilt ones after them, so that the device is told in that order.
    // What the device holds as members, and in which group: an extension belongs to one group only.
    std::map<std::string, int> StoredMember;
    for (int r = 0; r < G.RowCount(); ++r)
        for (int c = FirstMemberCol; c <= Last; ++c)
            if (TXmlNode* Node = Core.GetCellNode(c, r); Node && !Node->GetValue().empty())
                StoredMember[Node->GetValue()] = r;
    std::vector<bool> Stored(size_t(G.RowCount()), false);
    for (int r = 0; r < G.RowCount(); ++r) {
        Stored[size_t(r)] = Core.GetCellNode(GroupCol, r) != nullptr;
        if (!GroupNumber(r).empty() && !Stored[size_t(r)])
            MakeGroup(r);
    }
    for (int r = 0; r < G.RowCount(); ++r) {
        TXmlNode* Group = Core.GetCellNode(GroupCol, r);
        if (GroupNumber(r).empty() || !Stored[size_t(r)] || !Group)
            continue;
        // A new number or moved members: the device is told by deleting the group and adding it anew.
        bool Changed = false;
        for (int c = GroupCol; c <= Last && !Changed; ++c)
            if (TXmlNode* Node = Core.GetCellNode(c, r); Node && c != NameCol)
                Changed = Node->GetValue() != G.Cells(c, r);
        // An extension taken over from another group (which is rebuilt without it) can only be added once that
        // group is gone from the device: this group is rebuilt too, and made after every deletion.
        for (int c = FirstMemberCol; c <= Last && !Changed && Kind == gkExtension; ++c)
            if (!G.Cells(c, r).empty() && !Core.GetCellNode(c, r))
                if (auto It = StoredMember.find(G.Cells(c, r)); It != StoredMember.end() && It->second != r)
                    Changed = true;
        if (Changed) {
            Core.DeletedNodes.push_back(Group);
            for (int c = 0; c < G.ColumnCount(); ++c)
                Core.SetCellNode(c, r, nullptr);
            MakeGroup(r);
            continue;
        }
        // A kept group: what was added to it gets its nodes below the group (members from the first on, so
        // that a stored group without members takes its first one too).
        for (int c = NameCol; c <= Last; ++c) {
            if (G.Cells(c, r).empty() || Core.GetCellNode(c, r))
                continue;
            TXmlNode* Node = AddFormNodeFromTemplate(NodeMaker(), Group, ColumnTemplate(c), true);
            if (!Node)
                continue;
            if (c >= FirstMemberCol)
                Node->SetAttr("Name", MemberName + " " + IntToStr(c - NameCol));
            Core.SetCellNode(c, r, Node);
        }
    }
    if (Failed.empty())
        return true;
    ShowError(Format("The new record %s could not be stored: the section has no record template.", {Failed}));
    return false;
}

void TGroupTable::ArrangeRows()
{
    // Sorted once here rather than by the form logic's sort column, which would sort again after every load and
    // shuffle the empty rows' numbers.
    Core.SortColumn = GroupCol;
    Core.SortRows();
    Core.SortColumn = -1;
    Core.FormGrid().SetCurrentRow(0);
    Renumber();
    UpdateReadOnly(0);
}

// ---- editing -----------------------------------------------------------------------------------------------------

void TGroupTable::Renumber()
{
    TXStringGridModel& G = Grid();
    for (int r = 0; r < G.RowCount(); ++r)
        G.SetCells(NumberCol, r, IntToStr(r + 1));
}

std::string TGroupTable::GroupNumber(int Row) const
{
    TXStringGridModel& G = Grid();
    if (G.NoDataRows() || Row < 0 || Row >= G.RowCount() || GroupCol >= G.ColumnCount())
        return {};
    return G.Cells(GroupCol, Row);
}

void TGroupTable::UpdateReadOnly(int FromRow)
{
    TXStringGridModel& G = Grid();
    if (G.NoDataRows())
        return;
    const int Last = std::min(LastCol, G.ColumnCount() - 1);
    int LastGroupRow = FromRow - 1;
    for (int r = std::max(FromRow, 0); r < G.RowCount(); ++r) {
        int LastFilled = 0;
        for (int c = GroupCol; c <= Last; ++c) {
            bool Editable;
            if (!G.Cells(c, r).empty()) {
                Editable = true;
                LastFilled = c;
                if (c == GroupCol)
                    LastGroupRow = r;
            } else {
                Editable = (c > GroupCol && c == LastFilled + 1) ||
                    (c == FirstMemberCol && c == LastFilled + 2) || (c == GroupCol && r == LastGroupRow + 1);
            }
            Core.SetCellReadOnly(!Editable, c, r);
        }
    }
}

void TGroupTable::UpdateMemberCells(int Col, int Row)
{
    TXStringGridModel& G = Grid();
    const int Last = std::min(LastCol, G.ColumnCount() - 1);
    for (int c = Col + 1; c <= Last; ++c)
        if (G.Cells(c, Row).empty())
            Core.SetCellReadOnly(G.Cells(c - 1, Row).empty(), c, Row);
}

bool TGroupTable::DeleteGroup(int Row)
{
    if (GroupNumber(Row).empty())
        return false;
    if (TXmlNode* Node = Core.GetCellNode(GroupCol, Row))
        Core.DeletedNodes.push_back(Node);
    Core.ShiftRowsUp(Row, true);
    Renumber();
    UpdateReadOnly(Row);
    // Moving rows is no cell edit, so the grid does not report it.
    Core.SetModified(true);
    Core.FormGrid().SetCurrentRow(0);
    return true;
}

TCellDecision TGroupTable::CheckEntry(int Col, int Row, const std::string& Text, TFormServices& Services) const
{
    if (Text.empty() || Text == Core.EditStartText || (Col != GroupCol && Col < FirstMemberCol))
        return Keep(Text);
    if (Kind == gkExtension) {
        if (TCellDecision Digits = CheckExtensionDigits(Text); !Digits.Accepted)
            return Digits;
        return CheckExtensionGroupEntry(Text, Col, Row, *this, Services);
    }
    if (Col == GroupCol)
        return CheckMailboxGroupNumber(Text, *this, Services);
    return CheckMailboxGroupMember(Text, Col, Row, *this, Services);
}

void TGroupTable::CellEdited(int Col, int Row, std::string& Value)
{
    if (Core.CheckGuard)
        return;
    TFormServices* S = FormServices();
    if (S) {
        TCellDecision Decision;
        // A check that raises must not leave the editor's commit half done: its message is shown instead.
        try {
            Decision = CheckEntry(Col, Row, Value, *S);
        } catch (const Exception& E) {
            Decision = Refuse(Value, E.Message);
        }
        SettleCellDecision(Core, Decision, Value);
    }
    TXStringGridModel& G = Grid();
    const std::string& Start = Core.EditStartText;
    if (!Value.empty() && Start.empty()) {
        if (Col < LastCol && Col + 1 < G.ColumnCount()) {
            Core.SetCellReadOnly(false, Col + 1, Row);
            if (Col == GroupCol) {
                Core.SetCellReadOnly(false, FirstMemberCol, Row);
                if (Row + 1 < G.RowCount())
                    Core.SetCellReadOnly(false, GroupCol, Row + 1);
            }
        }
    } else if (Value.empty() && !Start.empty()) {
        if (Col == GroupCol) {
            DeleteGroup(Row);
            Value = G.Cells(Col, Row);
        } else if (Col >= FirstMemberCol) {
            Core.ShiftCellsLeft(Col, Row, false);
            Value = G.Cells(Col, Row);
            UpdateMemberCells(Col, Row);
        }
    }
    if (Col == NameCol && S && S->DeviceFacts().FlashVersion < 409)
        Value = UpperCase(Value);
}

bool TGroupTable::DeleteKey(int Col, int Row)
{
    TXStringGridModel& G = Grid();
    if (G.NoDataRows() || Col < GroupCol || Col > LastCol || Col >= G.ColumnCount() || Row < 0 ||
        Row >= G.RowCount() || (G.GetCellValueOptions(Col, Row) & voReadOnly))
        return false;
    const std::string Old = G.Cells(Col, Row);
    if (Old.empty())
        return false;
    Core.EditStartText = Old;
    std::string Value;
    CellEdited(Col, Row, Value);
    G.SetCells(Col, Row, Value);
    Core.SetModified(true);
    Core.FormGrid().Repaint();
    return true;
}

// ---- queries -----------------------------------------------------------------------------------------------------

bool TGroupTable::GroupNumberExists(const std::string& Value) const
{
    TXStringGridModel& G = Grid();
    for (int r = 0; r < G.RowCount(); ++r)
        if (G.Cells(GroupCol, r) == Value)
            return true;
    return false;
}

bool TGroupTable::MemberInRow(const std::string& Value, int ExceptCol, int Row) const
{
    TXStringGridModel& G = Grid();
    if (Value.empty() || Row < 0 || Row >= G.RowCount())
        return false;
    for (int c = FirstMemberCol; c < G.ColumnCount(); ++c)
        if (c != ExceptCol && G.Cells(c, Row) == Value)
            return true;
    return false;
}

bool TGroupTable::MemberExists(const std::string& Value, int ExceptCol, int ExceptRow) const
{
    for (int r = 0; r < Grid().RowCount(); ++r)
        if (MemberInRow(Value, r == ExceptRow ? ExceptCol : -1, r))
            return true;
    return false;
}

// ---- checks ------------------------------------------------------------------------------------------------------

TCellDecision CheckMailboxGroupNumber(const std::string& Text, const TGroupTable& Table, TFormServices& Services)
{
    if (!Services.IsMailboxNoFree(Text) || !Services.MailboxInUseByListingForm(Text))
        return Refuse(Text, Format(Utilits::SMailboxAlreadyExist, {Text}));
    if (Table.GroupNumberExists(Text))
        return Refuse(Text, Utilits::SDuplicateGroupNumber);
    return Keep(Text);
}

TCellDecision CheckMailboxGroupMember(const std::string& Text, int Col, int Row, const TGroupTable& Table,
    TFormServices& Services)
{
    const TDeviceFacts Facts = Services.DeviceFacts();
    if (Text == Facts.SystemManagerMailbox || Text == Facts.MessageManagerMailbox)
        return Refuse(Text, Format(Utilits::SDontUseInGroupManagerMbx, {Text}));
    if (Services.IsMailboxNoFree(Text))
        return Refuse(Text, Format(Utilits::SMailboxNotExist, {Text}));
    if (Table.MemberInRow(Text, Col, Row))
        return Refuse(Text, Utilits::SDuplicateMailboxInGroup);
    return Keep(Text);
}

TCellDecision CheckExtensionGroupEntry(const std::string& Text, int Col, int Row, const TGroupTable& Table,
    TFormServices& Services)
{
    const std::string Own = "Extension Group";
    std::string Caption;
    // The open windows too: an owner's or operator's extension typed there is not in the document yet.
    if (!Services.IsExtensionReferenced(Text, Own, Caption) || !Services.ExtensionInUseByForms(Text, Own, Caption))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, Caption}));
    if (Table.GroupNumberExists(Text))
        return Refuse(Text, Utilits::SDuplicateGroupNumber);
    if (Table.MemberExists(Text, Col, Row))
        return Refuse(Text, Utilits::SDuplicateExtensionInGroup);
    return Keep(Text);
}
