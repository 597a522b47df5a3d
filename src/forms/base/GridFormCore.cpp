// State, cell helpers and the modified state of the settings-form logic.
#include "forms/base/GridFormCore.h"

#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "engine/StepParameters.h"
#include "forms/base/FormServices.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <climits>
#include <cstdio>

TGridFormCore::TGridFormCore() = default;
TGridFormCore::~TGridFormCore() = default;

namespace {
std::string CellHoldsText(const std::string& Held)
{
    return Format("The cell now holds %s.", {Held.empty() ? std::string("nothing") : "\"" + Held + "\""});
}
}

std::string RangeInputMessage(int32_t MinInteger, int32_t MaxInteger, bool CanEmpty, const std::string& Held)
{
    const bool Ranged = !(MinInteger == 0 && MaxInteger == 0) && MinInteger <= MaxInteger;
    std::string Allowed = Ranged ? Format("a whole number from %d to %d", {int64_t(MinInteger), int64_t(MaxInteger)})
                                 : std::string("a whole number");
    if (CanEmpty)
        Allowed += " or nothing";
    return Format("The value must be %s. %s", {Allowed, CellHoldsText(Held)});
}

std::string RefusalMessage(const std::string& Why, const std::string& Held, bool KeptInEditor)
{
    std::string Text = Why + (Why.empty() ? "" : "\r\n") + CellHoldsText(Held);
    if (KeptInEditor)
        Text += " What was typed stays in its editor to be corrected; Esc gives it up.";
    return Text;
}

void TGridFormCore::ReopenEditor(const std::string& Text)
{
    if (FGrid && CommitCol >= 0 && CommitRow >= 0) {
        ++EditorsReopened;
        FGrid->ReopenEditor(CommitCol, CommitRow, Text);
    }
}

void TGridFormCore::RangeInputRefused(int Col, int Row)
{
    const TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Col < 0 || Col >= G.ColumnCount() || Row < 0 || Row >= G.RowCount())
        return;
    ++RangeMessages;
    ShowError(RangeInputMessage(G.GetCellMinInteger(Col, Row), G.GetCellMaxInteger(Col, Row),
        G.GetCellCanEmpty(Col, Row), G.Cells(Col, Row)));
}

bool TGridFormCore::RefuseUnsendableEmpty(int Col, int Row, std::string& Value)
{
    const TXmlNode* Node = Value.empty() && !EditStartText.empty() && !CheckGuard ? GetCellNode(Col, Row) : nullptr;
    if (!FormValueNeverEmptied(Node))
        return false;
    // What the node would take: a window may store another value for an empty cell.
    std::string Stored;
    TextToValue(Value, Col, Stored, Row);
    if (!Stored.empty())
        return false;
    CheckGuard = true;
    ShowError(RefusalMessage(Format("\"%s\" cannot be emptied: the VMU has no way to be given it empty.",
                                 {Node->GetName()}),
        EditStartText, false));
    CheckGuard = false;
    ++RangeMessages;
    Value = EditStartText;
    return true;
}

void TGridFormCore::AttachGrid(TFormGrid* Grid)
{
    FGrid = Grid;
    Grid->Model().OnErrorRangeInput = [this](int Col, int Row) { RangeInputRefused(Col, Row); };
    Grid->Model().OnCompareRows = [this](const TXGridColumnList& Sorted, int Index1, int Index2, int& Result) {
        Result = CompareRows(Sorted, Index1, Index2);
    };
}

TDataManager* TGridFormCore::Manager() const
{
    TFormServices* S = FormServices();
    return S ? S->DataManager() : nullptr;
}

void TGridFormCore::InitCore()
{
    if (TFormServices* S = FormServices()) {
        DataDoc = S->DataDoc();
        ViewDoc = S->ViewDoc();
    }
    RecordNode = SectionNode = ViewNode = TNodeRef();
    RowPropertyOn = true;
    PropertyMode = false;
    ColCountMade = GridModel().Columns().Count();
    RowCountMade = GridModel().RowCount();
    Modified = TrackModified = SaveOnClose = AppliedOnce = false;
    AskOnClose = true;
    PrintOrientation = 0;
    KeyColumn = 0;
    DeletedNodes.clear();
    NewKeys.clear();
    FMadeNodes.clear();
    FCleanBeforeAdds = false;
    RowAlignments.assign(size_t(RowCountMade), taLeftJustify);
    Editing = CheckGuard = false;
    SortColumn = -1;
    CopyOwnerSelection = false;
    for (int i = 0; i < GridModel().Columns().Count(); ++i) {
        TXGridColumn* C = GridModel().Columns()[i];
        C->SetFont(GridModel().Font());
        C->SetHeaderFont(GridModel().HeaderFont());
    }
}

// ---- hooks with a base behaviour ---------------------------------------------------------------------------------

bool TGridFormCore::IsCellInfoNode(TXmlNode* Node)
{
    if (!Node)
        return false;
    if (FLoading)
        return CellViewOf(ResolveTemplate(Node)).CellInfo;
    for (const auto& View : ResolveTemplate(Node)->Nodes)
        if (XmlSameName(View->GetTag(), "VIEWPARAM") && View->GetName() == "Cell Info")
            return true;
    return false;
}

void TGridFormCore::GetNodeValue(TXmlNode* Node, std::string& S) { S = Node ? Node->GetValue() : std::string(); }
bool TGridFormCore::SkipNode(TXmlNode*) { return false; }
void TGridFormCore::GetNodeGroup(TXmlNode*, std::string& S) { S.clear(); }
void TGridFormCore::GetNodeName(TXmlNode* Node, std::string& S) { S = Node ? Node->GetName() : std::string(); }
bool TGridFormCore::NodeHandled(TXmlNode*, bool) { return false; }
bool TGridFormCore::RepeatTemplateNode(TXmlNode*) { return false; }
void TGridFormCore::GetRowCaption(int, std::string& S) { S.clear(); }
void TGridFormCore::ValueToText(const std::string& Value, int, std::string& S, int) { S = Value; }
void TGridFormCore::TextToValue(const std::string& Text, int, std::string& S, int) { S = Text; }
void TGridFormCore::GetRowSubSection(int, std::string& S) { S.clear(); }

void TGridFormCore::RowChanged(const std::vector<int>&, int Row)
{
    if (PropertyMode)
        return;
    TXmlNode* Node = GetCellNode(KeyColumn, Row);
    if (Node && Node->GetAttr("Change") == "NoChange")
        Node->SetAttr("Change", "Modify");
}

void TGridFormCore::MarkNodesModified()
{
    auto Mark = [](TXmlNode* Node) {
        if (Node && Node->GetAttr("Change") == "NoChange")
            Node->SetAttr("Change", "Modify");
    };
    TXmlNode* Record = RecordNode;
    TXmlNode* Section = SectionNode;
    Mark(Record);
    if (Section != Record)
        Mark(Section);
}

// ---- cell helpers ------------------------------------------------------------------------------------------------

TXmlNode* TGridFormCore::GetCellNode(int Col, int Row) const
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Col < 0 || Col >= G.ColumnCount() || Row < 0 || Row >= G.RowCount())
        return nullptr;
    return TNodeRef::FromHandle(int32_t(G.GetCellData(Col, Row)));
}

void TGridFormCore::SetCellNode(int Col, int Row, TXmlNode* Node)
{
    GridModel().SetCellData(Col, Row, Node ? Node->GetHandle() : 0);
}

void TGridFormCore::GetCellText(int Col, int Row, std::string& S) const
{
    if (Col == -1)
        Col = FormGrid().CurrentCol();
    if (Row == -1)
        Row = FormGrid().CurrentRow();
    S = GridModel().Cells(Col, Row);
}

bool TGridFormCore::SetEditedCell(int Col, int Row, const std::string& Text)
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Col < 0 || Col >= G.ColumnCount() || Row < 0 || Row >= G.RowCount() ||
        G.Cells(Col, Row) == Text)
        return false;
    G.SetCells(Col, Row, Text);
    SetModified(true);
    FormGrid().InvalidateCell(Col, Row);
    return true;
}

void TGridFormCore::SetCellReadOnly(bool ReadOnly, int Col, int Row)
{
    if (Col == -1)
        Col = PlaceCol;
    if (Row == -1)
        Row = PlaceRow;
    TCellValueOptions O = GridModel().GetCellValueOptions(Col, Row);
    GridModel().SetCellValueOptions(Col, Row, ReadOnly ? TCellValueOptions(O | voReadOnly)
                                                  : TCellValueOptions(O & ~voReadOnly));
    FormGrid().InvalidateCell(Col, Row);
}

void TGridFormCore::SetRowReadOnly(bool ReadOnly, int Row, int LastCol, int FirstCol)
{
    if (Row < 0 || Row >= GridModel().RowCount())
        return;
    FirstCol = std::max(FirstCol, 0);
    LastCol = std::min(LastCol, GridModel().ColumnCount() - 1);
    for (int c = FirstCol; c <= LastCol; ++c)
        SetCellReadOnly(ReadOnly, c, Row);
}

void TGridFormCore::SetColumnReadOnly(bool ReadOnly, int Col, int LastRow, int FirstRow)
{
    if (Col < 0 || Col >= GridModel().ColumnCount())
        return;
    FirstRow = std::max(FirstRow, 0);
    LastRow = std::min(LastRow, GridModel().RowCount() - 1);
    for (int r = FirstRow; r <= LastRow; ++r)
        SetCellReadOnly(ReadOnly, Col, r);
}

void TGridFormCore::EnsureRow(int Row)
{
    PlaceRow = Row;
    TXStringGridModel& G = GridModel();
    while (PlaceRow >= RowCountMade) {
        // Rules per row before the row exists, so that the new row gets its own record.
        for (int c = 0; c < G.Columns().Count(); ++c)
            G.Columns()[c]->SetRowProperty(RowPropertyOn);
        G.AddRow();
        int NewRow = G.RowCount() - 1;
        for (int c = 0; c < G.ColumnCount(); ++c)
            G.SetCellValueOptions(c, NewRow, TCellValueOptions(G.GetCellValueOptions(c, NewRow) | voReadOnly));
        RowAlignments.push_back(taLeftJustify);
        ++RowCountMade;
    }
}

void TGridFormCore::EnsureColumn(int Col)
{
    PlaceCol = Col;
    TXStringGridModel& G = GridModel();
    while (PlaceCol >= ColCountMade) {
        TXGridColumn* C = G.Columns().Add();
        C->SetRowProperty(RowPropertyOn);
        C->SetFont(G.Font());
        C->SetHeaderFont(G.HeaderFont());
        for (int r = 0; r < C->CellCount(); ++r)
            C->SetValueOptions(r, TCellValueOptions(C->GetValueOptions(r) | voReadOnly));
        ++ColCountMade;
    }
}

int TGridFormCore::FindRowByKey(int Col, const std::string& Key) const
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Col < 0 || Col >= G.ColumnCount())
        return -1;
    for (int r = 0; r < G.RowCount(); ++r)
        if (G.GetCellKey(Col, r) == Key)
            return r;
    return -1;
}

int TGridFormCore::FindColumnByKey(int Row, const std::string& Key) const
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Row < 0 || Row >= G.RowCount())
        return -1;
    for (int c = 0; c < G.ColumnCount(); ++c)
        if (G.GetCellKey(c, Row) == Key)
            return c;
    return -1;
}

bool TGridFormCore::FindNodeByID(const std::vector<TNodeRef>& List, TXmlNode* Node)
{
    if (!Node)
        return false;
    const int32_t ID = Node->GetID();
    for (const TNodeRef& R : List)
        if (TXmlNode* N = R.Get(); N && N->GetID() == ID)
            return true;
    return false;
}

bool TGridFormCore::IsNodeInColumn(int Col, TXmlNode* Node) const
{
    if (!Node || GridModel().NoDataRows() || Col < 0 || Col >= GridModel().ColumnCount())
        return false;
    const int32_t ID = Node->GetID();
    for (int r = 0; r < GridModel().RowCount(); ++r)
        if (TXmlNode* N = GetCellNode(Col, r); N && N->GetID() == ID)
            return true;
    return false;
}

TXmlNode* TGridFormCore::FindNamedChild(TXmlNode* Parent, const std::string& Name, const std::string& SubName)
{
    if (!Parent)
        return nullptr;
    for (const auto& Child : Parent->Nodes) {
        if (Child->GetName() != Name)
            continue;
        if (SubName.empty())
            return Child.get();
        for (const auto& Grand : Child->Nodes)
            if (Grand->GetName() == SubName)
                return Grand.get();
    }
    return nullptr;
}

void TGridFormCore::SetChildValue(TXmlNode* Parent, const std::string& Name, const std::string& Value)
{
    if (!Parent || !DataDoc)
        return;
    if (TXmlNode* N = DataDoc->FindNode(Parent, Name); N && N->Attrs.Find("Value"))
        N->SetAttr("Value", Value);
}

void TGridFormCore::ExpandAttribute(TXmlNode* Node, const std::string& AttrName, const std::string& Arg)
{
    if (!Node)
        return;
    TXmlAttribute* A = Node->Attrs.Find(AttrName);
    if (!A)
        return;
    A->SetValue(SubstituteFormValue(A->GetValue(), Arg));
}

void TGridFormCore::ExpandNodeName(TXmlNode* Node)
{
    if (Node)
        ExpandAttribute(Node, "Name", Node->GetValue());
}

void TGridFormCore::SetCellChange(int Col, int Row, bool AModified)
{
    if (TXmlNode* N = GetCellNode(Col, Row); N && N->Attrs.Find("Change"))
        N->SetAttr("Change", AModified ? "Modify" : "NoChange");
}

void TGridFormCore::ClearCellNodes()
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows())
        return;
    for (int c = 0; c < G.ColumnCount(); ++c)
        for (int r = 0; r < G.RowCount(); ++r)
            G.SetCellData(c, r, 0);
}

void TGridFormCore::ClearComboItems()
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows())
        return;
    for (int c = 0; c < G.ColumnCount(); ++c)
        for (int r = 0; r < G.RowCount(); ++r)
            if (G.GetCellValueOptions(c, r) & voComboBox)
                if (auto* Items = G.GetCellItems(c, r))
                    Items->clear();
}

void TGridFormCore::RenameListItem(int Col, int Row, const std::string& NewText, const std::string& OldText)
{
    if (!(GridModel().GetCellValueOptions(Col, Row) & voComboBox))
        return;
    if (auto* Items = GridModel().GetCellItems(Col, Row))
        for (std::string& Line : *Items)
            if (SameText(Line, OldText)) {
                Line = NewText;
                return;
            }
}

void TGridFormCore::RemoveListItem(int Col, int Row, const std::string& Text)
{
    if (!(GridModel().GetCellValueOptions(Col, Row) & voComboBox))
        return;
    if (auto* Items = GridModel().GetCellItems(Col, Row))
        for (auto It = Items->begin(); It != Items->end(); ++It)
            if (SameText(*It, Text)) {
                Items->erase(It);
                return;
            }
}

void TGridFormCore::ShiftRowsUp(int FromRow, bool MoveNodes)
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || FromRow < 0)
        return;
    const int Last = G.RowCount() - 1;
    for (int c = 0; c < G.ColumnCount(); ++c) {
        for (int r = FromRow; r < Last; ++r) {
            G.SetCells(c, r, G.Cells(c, r + 1));
            if (MoveNodes)
                G.SetCellData(c, r, G.GetCellData(c, r + 1));
        }
        if (FromRow <= Last) {
            G.SetCells(c, Last, "");
            if (MoveNodes)
                G.SetCellData(c, Last, 0);
        }
    }
    FormGrid().Repaint();
}

void TGridFormCore::ShiftCellsLeft(int FromCol, int Row, bool MoveNodes)
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || FromCol < 0 || Row < 0 || Row >= G.RowCount())
        return;
    const int Last = G.ColumnCount() - 1;
    for (int c = FromCol; c < Last; ++c) {
        G.SetCells(c, Row, G.Cells(c + 1, Row));
        if (MoveNodes)
            G.SetCellData(c, Row, G.GetCellData(c + 1, Row));
    }
    if (FromCol <= Last) {
        G.SetCells(Last, Row, "");
        if (MoveNodes)
            G.SetCellData(Last, Row, 0);
    }
    FormGrid().Repaint();
}

// ---- modified state, sorting, reload -----------------------------------------------------------------------------

void TGridFormCore::SetModified(bool Value)
{
    if (!TrackModified || Value == Modified)
        return;
    Modified = Value;
    std::string Caption = FormCaption();
    if (!Caption.empty()) {
        if (Value && Caption.back() != '*')
            Caption += '*';
        else if (!Value && Caption.back() == '*')
            Caption.pop_back();
        SetFormCaption(Caption);
    }
    ModifiedChanged();
}

int TGridFormCore::CompareRows(const TXGridColumnList& Sorted, int Row1, int Row2) const
{
    if (Sorted.Count() == 0)
        return 0;
    TXGridColumn* C = Sorted[0];
    auto Key = [&](int Row) {
        const std::string T = C->GetCell(Row);
        // Empty key cells sort last; a text that is no number raises the conversion error.
        return T.empty() ? int64_t(INT32_MAX) : int64_t(StrToInt(T));
    };
    int64_t A = Key(Row1), B = Key(Row2);
    return A < B ? -1 : (A > B ? 1 : 0);
}

void TGridFormCore::SortRows()
{
    TXStringGridModel& G = GridModel();
    if (SortColumn < 0 || SortColumn >= G.ColumnCount())
        return;
    G.ColumnList()[SortColumn]->SetSortOrder(csAsc);
    G.SortRows();
}

void TGridFormCore::ReloadAfterChildApplied()
{
    if (Modified)
        return;
    // A detail window that read its section back from the device left this window's nodes behind: it locates
    // the section afresh then.
    ReshowSection();
}

std::vector<std::pair<int, int>> TGridFormCore::UneditedCells()
{
    // The comparison Apply makes: an unedited cell is one Apply would not write.
    std::vector<std::pair<int, int>> Cells;
    TXStringGridModel& G = GridModel();
    FindValueCell([&](int Col, int Row, const std::string& Shown) {
        if (Shown == G.Cells(Col, Row))
            Cells.emplace_back(Col, Row);
        return false;
    });
    return Cells;
}

void TGridFormCore::ShowNodeValues(const std::vector<std::pair<int, int>>& Cells)
{
    TXStringGridModel& G = GridModel();
    for (const auto& [Col, Row] : Cells)
        if (TXmlNode* Node = GetCellNode(Col, Row); Node && Node->Attrs.Find("Value")) {
            std::string Shown;
            ValueToText(Node->GetValue(), Col, Shown, Row);
            G.SetCells(Col, Row, Shown);
        }
    FormGrid().Repaint();
}

void TGridFormCore::ReshowSection()
{
    TrackModified = false;
    ClearComboItems();
    // Another window changed the document: the bindings of this grid may point at nodes that are gone, and the
    // reload binds every cell afresh.
    ClearCellNodes();
    if (!RecordNode.Get() || !SectionNode.Get())
        RecordNode = SectionNode = ViewNode = TNodeRef();
    ShowSection(PropertyMode, "", "");
    FormGrid().Repaint();
}

std::string TGridFormCore::SectionCaption() const
{
    std::string Caption = FormCaption();
    if (!Caption.empty() && Caption.back() == '*')
        Caption.pop_back();
    return Caption;
}

void TGridFormCore::ReportUnshownNode(TXmlNode* Node, const std::string& Why)
{
    std::string Line = Format("Section \"%s\": data node \"%s\" is not shown: %s",
        {SectionNode ? SectionNode->GetName() : std::string(), Node->GetName(), Why});
    LoadReport.push_back(Line);
    TEngineTrace Trace;
    Trace.Append(Line + "\r\n");
    std::fprintf(stderr, "%s\n", Line.c_str());
}
