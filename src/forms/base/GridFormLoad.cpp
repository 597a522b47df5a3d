// Loading a section into the grid in two passes: the description pass places every cell of the section's
// templates with its default text and its "Cell Info" rules (read-only, unbound), then the data pass places each
// data node on the cell of the same expanded name, shows its value, unlocks the cell and binds it to the node.
// A data node that no cell describes is written to the load report and the trace instead of vanishing.
#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/GridFormCore.h"
#include "platform/StrUtil.h"

namespace {
bool IsParamTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }

std::string Expand(const std::string& Pattern, const std::string& Group)
{
    return SubstituteFormValue(Pattern, Group);
}

// Whether a cell's key, expanded with Group, is Key. A key without "%" (most are) expands to itself: it is
// compared as it stands, without making the expanded copy for every cell a node is placed past.
bool SameKey(const std::string& CellKey, const std::string& Group, const std::string& Key)
{
    if (Group.empty() || CellKey.find('%') == std::string::npos)
        return CellKey == Key;
    return Expand(CellKey, Group) == Key;
}

// The column of a cell the grid has; a cell it has not raises the grid's own error, as asking for the cell does.
const TXGridColumn* CheckedColumn(TXStringGridModel& G, int Col, int Row)
{
    G.CellProperty(Col, Row);
    return G.ColumnList()[Col];
}
} // namespace

// Marks a load, nested or not; the last one to end drops what was read of the description.
struct TGridFormCore::TLoadScope {
    TGridFormCore& Core;
    explicit TLoadScope(TGridFormCore& C) : Core(C) { ++Core.FLoading; }
    ~TLoadScope()
    {
        if (--Core.FLoading == 0)
            Core.FCellViews.clear();
    }
    TLoadScope(const TLoadScope&) = delete;
    TLoadScope& operator=(const TLoadScope&) = delete;
};

void TGridFormCore::ShowSection(bool APropertyMode, const std::string& Section, const std::string& SubSection)
{
    TLoadScope Loading(*this);
    PropertyMode = APropertyMode;
    std::string Caption = FormCaption();
    TGridFormCore* Owner = OwnerGridForm();
    // A reload keeps the caption it has: the owner's row caption is added once.
    if (Owner && OwnerIndex() >= 0 && !FOwnerCaptionAdded) {
        std::string Suffix;
        Owner->GetRowCaption(OwnerIndex(), Suffix);
        Caption += Suffix;
        FOwnerCaptionAdded = true;
    }
    std::string Formatted;
    FormatFormCaption(Caption, Formatted);
    SetFormCaption(Formatted);

    TXStringGridModel& G = GridModel();
    if (PropertyMode) {
        if (G.Columns().Count() < 2)
            EnsureColumn(1);
        G.Columns()[0]->SetName("Description");
        G.Columns()[1]->SetName("Value");
        // The names are no cells to type in: Tab goes from value to value.
        FormGrid().SetTabStop(0, false);
    }
    if (!G.NoDataRows())
        for (int c = 0; c < G.ColumnCount(); ++c)
            for (int r = 0; r < G.RowCount(); ++r)
                G.SetCellValueOptions(c, r, TCellValueOptions(G.GetCellValueOptions(c, r) | voReadOnly));
    if (PropertyMode)
        ShowProperties(Section, SubSection);
    else
        ShowTable(Section, SubSection);
    if (SortColumn >= 0)
        SortRows();
    if (IsEditable())
        TrackModified = true;
}

bool TGridFormCore::LocateSection(const std::string& Section, const std::string& SubSection)
{
    // A reload without names (after the section was read again) finds it by the names it was first shown with.
    const bool Named = !Section.empty();
    const std::string& Name = Named ? Section : FSectionName;
    const std::string& SubName = Named ? SubSection : FSubSectionName;
    if (!RecordNode.Get()) {
        SectionNode = ViewNode = TNodeRef();
        TXmlNode* S = DataDoc && !Name.empty() ? DataDoc->FindNode(nullptr, Name) : nullptr;
        if (S) {
            SectionNode = S;
            TXmlNode* R = SubName.empty() ? S : DataDoc->FindNode(S, SubName);
            if (R) {
                RecordNode = R;
                ViewNode = R->GetTemplate();
            }
        }
    }
    if (!RecordNode.Get() || !ViewNode.Get() || !SectionNode.Get())
        throw Exception(Format("The section \"%s\" is not in the data document.",
            {Name.empty() ? std::string(SectionNode ? SectionNode->GetName() : "") : Name}));
    if (Named) {
        FSectionName = Section;
        FSubSectionName = SubSection;
    } else if (FSectionName.empty()) {
        FSectionName = SectionNode->GetName();
    }
    return true;
}

void TGridFormCore::ShowProperties(const std::string& Section, const std::string& SubSection)
{
    PlaceCol = 1;
    PlaceRow = -1;
    LocateSection(Section, SubSection);
    ApplyViewParams(ViewNode, "Grid Info", false);
    LoadPropertyRows();
}

void TGridFormCore::ShowTable(const std::string& Section, const std::string& SubSection)
{
    PlaceCol = -1;
    PlaceRow = -1;
    LocateSection(Section, SubSection);
    ApplyViewParams(ViewNode, "Grid Info", false);
    LoadRecordRows();
}

void TGridFormCore::LoadPropertyRows()
{
    LoadNodes(ViewDoc, ViewNode, true, true);
    LoadNodes(DataDoc, RecordNode, true, false);
}

void TGridFormCore::LoadRecordRows()
{
    TXmlNode* Record = RecordNode;
    for (const auto& Child : Record->Nodes) {
        if (!IsParamTag(Child.get()) || Child->GetAttr("Change") == "Delete")
            continue;
        EnsureRow(PlaceRow + 1);
        const int Row = PlaceRow;
        LoadNodes(ViewDoc, Child->GetTemplate(), true, true);
        PlaceRow = Row;
        LoadNodes(DataDoc, Child.get(), true, false);
        PlaceRow = Row;
    }
}

void TGridFormCore::LoadNodes(TXmlDoc* Document, TXmlNode* Start, bool ShowValues, bool ApplyCellInfo)
{
    // Never a walk from the document's root: an unlocated start loads nothing.
    if (!Document || !Start)
        return;
    const bool IsView = Document == ViewDoc;
    // The rows of the keys are this walk's own: whatever ran before it may have changed the column.
    struct TWalking {
        TGridFormCore& Core;
        explicit TWalking(TGridFormCore& C) : Core(C) { ++Core.FWalking, Core.FKeyRows.Valid = false; }
        ~TWalking() { --Core.FWalking, Core.FKeyRows.Valid = false; }
    } Walking(*this);
    TXmlWalk Walk;
    TXmlNode* Node = Walk.First(Start, Document->Root());
    while (Node) {
        if (SkipNode(Node)) {
            Node = Walk.NextSibling(Node);
            continue;
        }
        if (IsParamTag(Node) && IsCellInfoNode(Node)) {
            PlaceLevel = Walk.Depth;
            // The node's name, group and key are asked once for the check and the placing (nothing runs between).
            std::string Name, Group;
            GetNodeName(Node, Name);
            GetNodeGroup(Node, Group);
            const std::string Key = Expand(Name, Group);
            if (!IsView && DataKeepsToCells) {
                const int Cell = KeyedCell(Group, Key);
                if (Cell < 0) {
                    ReportUnshownNode(Node, "no cell of the window carries its name");
                    Node = Walk.Next(Node);
                    continue;
                }
                // In a table the node goes to the first cell of its row that carries its key, the one just found.
                if (PropertyMode)
                    PlaceKeyed(Name, Group, Key);
                else
                    EnsureColumn(Cell);
            } else {
                PlaceKeyed(Name, Group, Key);
            }
            if (ApplyCellInfo)
                ApplyViewParams(Node, "Cell Info", IsView);
            if (ShowValues)
                ShowNodeValue(Node, !IsView, !IsView);
        } else if (!IsView) {
            ReportDataPass(Node);
        }
        if (NodeHandled(Node, IsView))
            continue;
        Node = Walk.Next(Node);
    }
}

void TGridFormCore::ReportDataPass(TXmlNode* Node)
{
    if (IsParamTag(Node) && Node->Attrs.Find("Value"))
        ReportUnshownNode(Node, "its description has no \"Cell Info\"");
}

void TGridFormCore::PlaceNode(TXmlNode* Node)
{
    std::string Name, Group;
    GetNodeName(Node, Name);
    GetNodeGroup(Node, Group);
    PlaceKeyed(Name, Group, Expand(Name, Group));
}

void TGridFormCore::PlaceKeyed(const std::string& Name, const std::string& Group, const std::string& Key)
{
    if (PropertyMode)
        PlaceInProperty(Name, Group, Key);
    else
        PlaceInTable(Name, Group, Key);
}

bool TGridFormCore::HasCellFor(TXmlNode* Node)
{
    std::string Name, Group;
    GetNodeName(Node, Name);
    GetNodeGroup(Node, Group);
    return HasCellKeyed(Group, Expand(Name, Group));
}

bool TGridFormCore::HasCellKeyed(const std::string& Group, const std::string& Key) { return KeyedCell(Group, Key) >= 0; }

int TGridFormCore::KeyedCell(const std::string& Group, const std::string& Key)
{
    TXStringGridModel& G = GridModel();
    const int Col = PropertyMode ? (PlaceCol < 0 ? 1 : PlaceCol) : -1;
    if (G.NoDataRows() || (PropertyMode ? Col >= G.ColumnCount() : PlaceRow < 0 || PlaceRow >= G.RowCount()))
        return -1;
    const int Count = PropertyMode ? G.RowCount() : G.ColumnCount();
    for (int i = 0; i < Count; ++i) {
        const std::string& CellKey = PropertyMode ? G.ColumnList()[Col]->CellProperty(i).Key
                                                  : G.ColumnList()[i]->CellProperty(PlaceRow).Key;
        if (!CellKey.empty() && SameKey(CellKey, Group, Key))
            return i;
    }
    return -1;
}

bool TGridFormCore::PlaceInProperty(const std::string& Name, const std::string& Group, const std::string& Key)
{
    TXStringGridModel& G = GridModel();
    if (PlaceCol < 0)
        PlaceCol = 1;
    EnsureColumn(PlaceCol);
    const int Rows = G.RowCount();
    // Every node is looked for in every row: the column is found once, not through the grid for each cell.
    const TXGridColumn* Column = Rows > 0 ? CheckedColumn(G, PlaceCol, 0) : nullptr;
    if (FWalking && Group.empty() && Column && Column->RowProperty() && !Name.empty())
        return PlaceByKeyRows(Column, Name);
    FKeyRows.Valid = false;
    int Empty = -1;
    for (int r = 0; r < Rows; ++r) {
        const std::string& CellKey = Column->CellProperty(r).Key;
        if (CellKey.empty()) {
            if (Empty < 0)
                Empty = r;
            continue;
        }
        if (SameKey(CellKey, Group, Key)) {
            EnsureRow(r);
            return true;
        }
    }
    EnsureRow(Empty >= 0 ? Empty : Rows);
    G.SetCellKey(PlaceCol, PlaceRow, Name);
    return false;
}

// PlaceInProperty for a node without a group (its key is its name) through the map of the keys' rows: the same
// row as the scan of every row finds, the first that carries the key, else the first without a key, else a new one.
bool TGridFormCore::PlaceByKeyRows(const TXGridColumn* Column, const std::string& Name)
{
    TXStringGridModel& G = GridModel();
    const int Rows = G.RowCount();
    TKeyRows& K = FKeyRows;
    if (!K.Valid || K.Column != Column || K.Rows != Rows) {
        K.First.clear();
        K.Empty.clear();
        for (int r = 0; r < Rows; ++r) {
            const std::string& CellKey = Column->CellProperty(r).Key;
            if (CellKey.empty())
                K.Empty.insert(r);
            else
                K.First.try_emplace(CellKey, r);
        }
        K.Valid = true;
        K.Column = Column;
        K.Rows = Rows;
    }
    bool Found = false;
    int Row = Rows;
    if (auto It = K.First.find(Name); It != K.First.end()) {
        Row = It->second;
        Found = true;
    } else if (!K.Empty.empty()) {
        Row = *K.Empty.begin();
    }
    EnsureRow(Row);
    if (!Found) {
        G.SetCellKey(PlaceCol, PlaceRow, Name);
        K.Empty.erase(PlaceRow);
        K.First.try_emplace(Name, PlaceRow);
    }
    // A new row at the end is the one just keyed; rows made any other way are read again next time.
    const int Now = G.RowCount();
    if (Now == Rows + 1 && PlaceRow == Rows && !Found)
        K.Rows = Now;
    else if (Now != Rows)
        K.Valid = false;
    return Found;
}

bool TGridFormCore::PlaceInTable(const std::string& Name, const std::string& Group, const std::string& Key)
{
    TXStringGridModel& G = GridModel();
    if (PlaceRow < 0)
        EnsureRow(0);
    const int Cols = G.ColumnCount();
    if (Cols > 0)
        CheckedColumn(G, 0, PlaceRow);
    int Empty = -1;
    for (int c = 0; c < Cols; ++c) {
        const std::string& CellKey = G.ColumnList()[c]->CellProperty(PlaceRow).Key;
        if (CellKey.empty()) {
            if (Empty < 0)
                Empty = c;
            continue;
        }
        if (SameKey(CellKey, Group, Key)) {
            EnsureColumn(c);
            return true;
        }
    }
    EnsureColumn(Empty >= 0 ? Empty : Cols);
    G.SetCellKey(PlaceCol, PlaceRow, Name);
    return false;
}

void TGridFormCore::ShowNodeValue(TXmlNode* Node, bool MakeEditable, bool Bind)
{
    TXStringGridModel& G = GridModel();
    if (Node->Attrs.Find("Value")) {
        std::string Value, Text;
        GetNodeValue(Node, Value);
        ValueToText(Value, PlaceCol, Text, PlaceRow);
        G.SetCells(PlaceCol, PlaceRow, Text);
        if (MakeEditable)
            G.SetCellValueOptions(PlaceCol, PlaceRow,
                TCellValueOptions(G.GetCellValueOptions(PlaceCol, PlaceRow) & ~voReadOnly));
    }
    if (Bind)
        SetCellNode(PlaceCol, PlaceRow, Node);
}

TXmlNode* TGridFormCore::FindColumnSubNode(int Col)
{
    TXStringGridModel& G = GridModel();
    if (G.NoDataRows() || Col < 0 || Col >= G.ColumnCount())
        return nullptr;
    for (int r = 0; r < G.RowCount(); ++r)
        if (TXmlNode* N = GetCellNode(Col, r))
            if (TXmlNode* T = N->GetTemplate())
                return T;
    return nullptr;
}

TXmlNode* TGridFormCore::RecordTemplate()
{
    TXmlNode* View = ViewNode;
    if (!View)
        return nullptr;
    for (const auto& Child : View->Nodes)
        if (IsParamTag(Child.get()) && !SkipNode(Child.get()) && IsCellInfoNode(Child.get()))
            return Child.get();
    return nullptr;
}

bool TGridFormCore::ShowsTemplateValues(TXmlNode* Node)
{
    if (!Node || !ViewDoc)
        return true;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Node, ViewDoc->Root()); N;) {
        if (SkipNode(N)) {
            N = Walk.NextSibling(N);
            continue;
        }
        if (IsParamTag(N) && IsCellInfoNode(N) && N->Attrs.Find("Value")) {
            PlaceNode(N);
            std::string Value, Text;
            GetNodeValue(N, Value);
            ValueToText(Value, PlaceCol, Text, PlaceRow);
            if (GridModel().Cells(PlaceCol, PlaceRow) != Text)
                return false;
        }
        N = Walk.Next(N);
    }
    return true;
}
