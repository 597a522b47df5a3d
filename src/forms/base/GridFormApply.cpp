// Records and write-back: rows added and deleted before Apply, data nodes made from templates, dependent nodes,
// and the Apply protocol (new records, edited cells, deleted records, marks, then the section is stored).
// Nothing reaches the data document before Apply except through the descendants' own calls.
#include "engine/SectionReconcile.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/base/GridFormCore.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"

#include <algorithm>

namespace {
bool IsParamTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }
}

// ---- records -----------------------------------------------------------------------------------------------------

int TGridFormCore::AddRecordRow(const std::string& KeyText)
{
    TXStringGridModel& G = GridModel();
    // Checked first, so that a key that is no number leaves the grid as it was.
    const int32_t Key = StrToInt(KeyText);
    for (int c = 0; c < G.Columns().Count(); ++c)
        G.Columns()[c]->SetRowProperty(RowPropertyOn);
    G.AddRow();
    const int NewRow = G.RowCount() - 1;
    ++RowCountMade;
    RowAlignments.push_back(taLeftJustify);
    if (KeyColumn >= 0 && KeyColumn < G.ColumnCount())
        SetCellNode(KeyColumn, NewRow, nullptr);
    if (NewKeys.empty() && DeletedNodes.empty())
        FCleanBeforeAdds = !Modified;
    NewKeys.push_back(Key);
    // Without a stored record the description's record template shows the new row's cells.
    TXmlNode* Template = FindColumnSubNode(KeyColumn);
    if (!Template)
        Template = RecordTemplate();
    if (Template) {
        EnsureRow(NewRow);
        LoadNodes(ViewDoc, Template, true, true);
    }
    if (KeyColumn >= 0 && KeyColumn < G.ColumnCount())
        G.SetCells(KeyColumn, NewRow, KeyText);
    if (SortColumn >= 0)
        SortRows();
    for (int r = 0; r < G.RowCount(); ++r)
        if (G.Cells(KeyColumn, r) == KeyText) {
            FormGrid().SetCurrentRow(r);
            SetModified(true);
            return r;
        }
    SetModified(true);
    return NewRow;
}

void TGridFormCore::DeleteRecordRow(int Row)
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Row < 0 || Row >= G.RowCount())
        return;
    const std::string KeyText = KeyColumn >= 0 && KeyColumn < G.ColumnCount() ? G.Cells(KeyColumn, Row) : "";
    auto New = std::find_if(NewKeys.begin(), NewKeys.end(),
        [&](int32_t K) { return IntToStr(K) == KeyText; });
    const bool WasNew = New != NewKeys.end();
    if (WasNew) {
        NewKeys.erase(New);
    } else if (TXmlNode* Node = GetCellNode(KeyColumn, Row)) {
        DeletedNodes.push_back(Node);
    }
    G.DeleteDataRow(Row);
    if (RowCountMade > 0)
        --RowCountMade;
    if (size_t(Row) < RowAlignments.size())
        RowAlignments.erase(RowAlignments.begin() + Row);
    if (PlaceRow >= G.RowCount())
        PlaceRow = G.RowCount() - 1;
    // Removing rows is no cell edit, so the grid does not report it: the deletion is an unapplied edit here.
    // Only the removal of the last row added to an unchanged window leaves nothing to apply.
    const bool NothingLeft = WasNew && NewKeys.empty() && DeletedNodes.empty() && FCleanBeforeAdds &&
        !CellsDifferFromNodes();
    SetModified(!NothingLeft);
}

bool TGridFormCore::FindValueCell(const std::function<bool(int Col, int Row, const std::string& Shown)>& Test)
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows())
        return false;
    for (int Row = 0; Row < G.RowCount(); ++Row)
        for (int Col = 0; Col < G.ColumnCount(); ++Col) {
            TXmlNode* Node = GetCellNode(Col, Row);
            if (!Node || !Node->Attrs.Find("Value"))
                continue;
            std::string Shown;
            ValueToText(Node->GetValue(), Col, Shown, Row);
            if (Test(Col, Row, Shown))
                return true;
        }
    return false;
}

bool TGridFormCore::CellsDifferFromNodes()
{
    TXStringGridModel& G = GridModel();
    return FindValueCell([&](int Col, int Row, const std::string& Shown) { return Shown != G.Cells(Col, Row); });
}

TXmlNode* TGridFormCore::CreateRecordNode(TXmlNode* Parent, TXmlNode* Template, bool Deep)
{
    if (!Parent || !Template)
        return nullptr;
    TXmlNode* Node = AddFormNodeFromTemplate(Manager(), Parent, Template, Deep);
    if (!Node)
        return nullptr;
    FMadeNodes.push_back(Node);
    RecordNodeCreated(Node);
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Node, nullptr); N;) {
        if (SkipNode(N)) {
            TXmlNode* Next = N == Node ? nullptr : Walk.NextSibling(N);
            if (N == Node)
                Node = nullptr;
            N->Parent->RemoveChild(N);
            N = Next;
            continue;
        }
        if (IsParamTag(N) && IsCellInfoNode(N)) {
            PlaceNode(N);
            SetCellNode(PlaceCol, PlaceRow, N);
            if (N->Attrs.Find("Value"))
                N->SetAttr("Value", "");
        }
        N = Walk.Next(N);
    }
    return Node;
}

void TGridFormCore::UpdateDependentNodes(int Col, int Row, bool Force, const std::vector<std::string>& Values)
{
    TXmlNode* Node = GetCellNode(Col, Row);
    if (!Node || !Node->Attrs.Find("Value"))
        return;
    const std::string CellText = GridModel().Cells(Col, Row);
    if (!Force) {
        std::string Value, Text;
        GetNodeValue(Node, Value);
        ValueToText(Value, Col, Text, Row);
        if (Text == CellText)
            return;
    }
    EnsureRow(Row);
    EnsureColumn(Col);
    TXmlNode* Template = Node->GetTemplate();
    if (!Template)
        return;
    if (std::find(Values.begin(), Values.end(), CellText) != Values.end()) {
        for (const auto& Child : Template->Nodes) {
            do
                CreateRecordNode(Node, Child.get(), true);
            while (RepeatTemplateNode(Child.get()));
        }
    } else {
        RemoveDependentNodes(Node, Template, true);
    }
}

void TGridFormCore::RemoveDependentNodes(TXmlNode* Node, TXmlNode* Template, bool ShowDefaults)
{
    if (!Node)
        return;
    ClearFormParamNodes(Node);
    if (Template) {
        TXmlWalk Walk;
        Walk.First(Template, nullptr);
        for (TXmlNode* N = Walk.Next(Template); N;) {
            if (SkipNode(N)) {
                N = Walk.NextSibling(N);
                continue;
            }
            if (IsParamTag(N) && IsCellInfoNode(N)) {
                PlaceNode(N);
                SetCellNode(PlaceCol, PlaceRow, nullptr);
                if (ShowDefaults)
                    GridModel().SetCells(PlaceCol, PlaceRow, N->GetValue());
            }
            if (RepeatTemplateNode(N))
                continue;
            N = Walk.Next(N);
        }
    }
    FormGrid().Repaint();
}

// ---- Apply -------------------------------------------------------------------------------------------------------

bool TGridFormCore::StoreNewRecords()
{
    if (NewKeys.empty())
        return true;
    TXStringGridModel& G = GridModel();
    TXmlNode* Template = FindColumnSubNode(KeyColumn);
    if (!Template)
        Template = RecordTemplate();
    std::vector<int32_t> Failed;
    for (int32_t Key : NewKeys) {
        const std::string KeyText = IntToStr(Key);
        int Row = -1;
        for (int r = 0; r < G.RowCount() && Row < 0; ++r)
            if (G.Cells(KeyColumn, r) == KeyText)
                Row = r;
        if (Row < 0)
            continue;
        EnsureRow(Row);
        // New records go where the stored ones are shown from.
        if (!CreateRecordNode(RecordNode, Template, true)) {
            Failed.push_back(Key);
            continue;
        }
        TXmlNode* KeyNode = GetCellNode(PropertyMode ? 1 : KeyColumn, Row);
        if (KeyNode && KeyNode->Attrs.Find("Change"))
            KeyNode->SetAttr("Change", "Insert");
    }
    // The rows that could not be stored stay new, so that the next Apply tries them again.
    NewKeys = Failed;
    if (Failed.empty())
        return true;
    std::string Keys;
    for (int32_t K : Failed)
        Keys += (Keys.empty() ? "" : ", ") + IntToStr(K);
    ShowError(Format("The new record %s could not be stored: the section has no record template.", {Keys}));
    return false;
}

void TGridFormCore::WriteBackCells()
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows())
        return;
    for (int Row = 0; Row < G.RowCount(); ++Row) {
        if (!PropertyMode && FindNodeByID(DeletedNodes, GetCellNode(KeyColumn, Row)))
            continue;
        std::vector<int> Changed;
        for (int Col = 0; Col < G.ColumnCount(); ++Col) {
            TXmlNode* Node = GetCellNode(Col, Row);
            if (!Node || !Node->Attrs.Find("Value"))
                continue;
            std::string Shown;
            ValueToText(Node->GetValue(), Col, Shown, Row);
            const std::string CellText = G.Cells(Col, Row);
            if (Shown == CellText)
                continue;
            std::string Value;
            TextToValue(CellText, Col, Value, Row);
            Node->SetAttr("Value", Value);
            Changed.push_back(Col);
            // A key edit is not a change of the record: the save script finds the record by its new key.
            if ((PropertyMode || Col != KeyColumn) && Node->GetAttr("Change") == "NoChange")
                Node->SetAttr("Change", "Modify");
        }
        if (!Changed.empty())
            RowChanged(Changed, Row);
    }
}

void TGridFormCore::SettleDeletedNodes()
{
    for (const TNodeRef& Ref : DeletedNodes) {
        TXmlNode* Node = Ref.Get();
        if (!Node)
            continue;
        TXmlAttribute* Change = Node->Attrs.Find("Change");
        if (!Change)
            continue;
        if (Change->GetValue() == "Insert") {
            // It never reached the device.
            if (Node->Parent)
                Node->Parent->RemoveChild(Node);
            continue;
        }
        NodeDeleted(Node);
        Node->SetAttr("Change", "Delete");
    }
    DeletedNodes.clear();
}

bool TGridFormCore::DeviceFillsMadeNodes() const
{
    for (const TNodeRef& Ref : FMadeNodes) {
        TXmlWalk Walk;
        for (TXmlNode* N = Walk.First(Ref.Get(), nullptr); N; N = Walk.Next(N))
            if (IsParamTag(N) && N->Attrs.Find("Value") && N->GetValue().empty())
                return true;
    }
    return false;
}

bool TGridFormCore::ApplyChanges(bool Notify)
{
    const bool Stored = StoreNewRecords();
    BeforeWriteBack();
    if (!Stored)
        return false;
    WriteBackCells();
    SettleDeletedNodes();
    MarkNodesModified();
    AfterWriteBack();
    TFormServices* S = FormServices();
    TXmlNode* Section = SectionNode;
    ReadBeforeWriteWhenDistinctChanged(Section);
    const bool DeviceFills = DeviceFillsMadeNodes();
    const TChangeSet* Changes = Section ? ChangesToWrite() : nullptr;
    if (!Section ||
        (S && !(Changes ? S->WriteChangesIfInteractive(Section->GetName(), *Changes)
                        : S->WriteSectionIfInteractive(Section->GetName()))))
        return false;
    FMadeNodes.clear();
    FCleanBeforeAdds = false;
    // Values left empty in new nodes are filled by the device: the section is read back, so that the document
    // and this window hold what the device holds rather than the empty texts that were sent.
    if (DeviceFills && S && !S->DeviceFacts().BatchMode) {
        if (S->ReadSectionIfInteractive(Section->GetName(), ""))
            ReshowSection();
        else
            SectionLost();
    }
    if (Notify)
        NotifyOwner();
    const bool Tracking = TrackModified;
    TrackModified = true;
    SetModified(false);
    TrackModified = Tracking;
    if (S)
        S->SetModified(true);
    return true;
}
