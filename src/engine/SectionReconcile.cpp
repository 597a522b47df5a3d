// Marks worked out afresh against the section the device holds; see SectionReconcile.h.
#include "engine/SectionReconcile.h"

#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <vector>

namespace {

bool IsRecordTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }

std::vector<TXmlNode*> RecordChildren(const TXmlNode* Node)
{
    std::vector<TXmlNode*> Children;
    if (Node)
        for (const auto& Child : Node->Nodes)
            if (IsRecordTag(Child.get()))
                Children.push_back(Child.get());
    return Children;
}

std::string MarkOf(const TXmlNode* Node) { return Node->GetAttr("Change"); }

// Only a node the description gives a change mark takes one: the others send nothing of their own.
void SetMark(TXmlNode* Node, const char* Mark)
{
    if (Node->Attrs.Find("Change"))
        Node->SetAttr("Change", Mark);
}

// Whether the save script of Node's description node reacts to the change mark Mark at all: only then can a record
// be made ("Insert") or removed ("Delete") on the device.
bool ScriptHandles(const TXmlNode* Node, const std::string& Mark)
{
    const TXmlNode* Description = Node->GetTemplate();
    if (!Description)
        return false;
    TXmlWalk Walk;
    for (const auto& Script : Description->Nodes) {
        if (Script->GetTag() != "SAVEPARAM")
            continue;
        for (TXmlNode* N = Walk.First(Script.get(), Script.get()); N; N = Walk.Next(N))
            if (N->GetTag() == "CONDITION" && N->GetAttr("LeftOp") == "%ATTR:Change%" &&
                N->GetAttr("Compare") == "=" && N->GetAttr("RightOp") == Mark)
                return true;
    }
    return false;
}

// A record the device makes anew: every field with a value is sent. True when anything below is marked.
bool MarkFieldsForNewRecord(TXmlNode* Record)
{
    bool Any = false;
    for (TXmlNode* Child : RecordChildren(Record)) {
        bool Sent;
        if (Child->HasChildren() && !RecordChildren(Child).empty())
            Sent = MarkFieldsForNewRecord(Child);
        else
            Sent = !Child->GetValue().empty();
        SetMark(Child, Sent ? "Modify" : "NoChange");
        Any = Any || Sent;
    }
    return Any;
}

void ClearMarks(TXmlNode* Node)
{
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Node, Node); N; N = Walk.Next(N))
        SetMark(N, "NoChange");
}

TXmlNode* ChildNamed(const TXmlNode* Node, const std::string& Name)
{
    for (TXmlNode* Child : RecordChildren(Node))
        if (Child->GetName() == Name)
            return Child;
    return nullptr;
}

// Whether a field the device stored under Device differs from what Wanted holds in its place.
bool StoredFieldsDiffer(const TXmlNode* Wanted, const TXmlNode* Device)
{
    for (TXmlNode* Stored : RecordChildren(Device)) {
        TXmlNode* Own = Wanted ? ChildNamed(Wanted, Stored->GetName()) : nullptr;
        if (!RecordChildren(Stored).empty()) {
            if (StoredFieldsDiffer(Own, Stored))
                return true;
        } else if (!Stored->GetValue().empty() && (!Own || Own->GetValue() != Stored->GetValue())) {
            return true;
        }
    }
    return false;
}

// Takes Node's record children out, in order.
std::vector<std::unique_ptr<TXmlNode>> TakeRecords(TXmlNode* Node)
{
    std::vector<std::unique_ptr<TXmlNode>> Taken;
    if (!Node)
        return Taken;
    for (int i = 0; i < Node->Nodes.Count();)
        if (IsRecordTag(Node->Nodes.Items(i)))
            Taken.push_back(Node->Nodes.Extract(i));
        else
            ++i;
    return Taken;
}

// Puts Nodes in before Parent's first record child, keeping their order.
void PutFirst(TXmlNode* Parent, std::vector<std::unique_ptr<TXmlNode>> Nodes)
{
    if (Nodes.empty())
        return;
    std::vector<std::unique_ptr<TXmlNode>> Records = TakeRecords(Parent);
    for (auto& Node : Nodes)
        Parent->AddChild(std::move(Node));
    for (auto& Record : Records)
        Parent->AddChild(std::move(Record));
}

class TReconciler {
public:
    explicit TReconciler(TReconcileKind Kind) : Kind(Kind) {}

    // Marks Wanted against Device (null: the device lacks it); true when anything in or below Wanted is to be sent.
    bool Node(TXmlNode* Wanted, TXmlNode* Device, int Depth)
    {
        bool Changed;
        if (RecordChildren(Wanted).empty() && (!Device || RecordChildren(Device).empty()))
            Changed = Device ? Wanted->GetValue() != Device->GetValue() : !Wanted->GetValue().empty();
        else if (Kind == rkPlaces && Depth == 0)
            Changed = Places(Wanted, Device);
        else
            Changed = Keyed(Wanted, Device, Depth);
        SetMark(Wanted, Changed ? "Modify" : "NoChange");
        return Changed;
    }

private:
    TReconcileKind Kind;

    bool Keyed(TXmlNode* Wanted, TXmlNode* Device, int Depth)
    {
        std::vector<TXmlNode*> Live, Deleted;
        for (TXmlNode* Child : RecordChildren(Wanted))
            (MarkOf(Child) == "Delete" ? Deleted : Live).push_back(Child);
        std::vector<std::unique_ptr<TXmlNode>> Stored = TakeRecords(Device);
        std::vector<TXmlNode*> Pair(Live.size(), nullptr);
        std::vector<bool> DeletionKept(Deleted.size(), false);
        std::vector<std::unique_ptr<TXmlNode>> NewDeletions;
        std::vector<size_t> PairedStored(Live.size(), 0);

        for (size_t s = 0; s < Stored.size(); ++s) {
            const std::string Name = Stored[s]->GetName();
            size_t w = 0;
            while (w < Live.size() && (Pair[w] || Live[w]->GetName() != Name))
                ++w;
            if (w < Live.size()) {
                Pair[w] = Stored[s].get();
                PairedStored[w] = s;
                continue;
            }
            // The device has a record nobody wants: a deletion already marked for it stays, else one is made.
            bool Kept = false;
            for (size_t d = 0; d < Deleted.size() && !Kept; ++d)
                if (!DeletionKept[d] && Deleted[d]->GetName() == Name)
                    Kept = DeletionKept[d] = true;
            if (!Kept && ScriptHandles(Stored[s].get(), "Delete")) {
                ClearMarks(Stored[s].get());
                SetMark(Stored[s].get(), "Delete");
                NewDeletions.push_back(std::move(Stored[s]));
            }
        }
        bool Changed = !NewDeletions.empty();
        // A deletion of a record the device no longer has would be refused.
        for (size_t d = 0; d < Deleted.size(); ++d)
            if (DeletionKept[d])
                Changed = true;
            else
                Wanted->RemoveChild(Deleted[d]);

        for (size_t w = 0; w < Live.size(); ++w) {
            TXmlNode* Record = Live[w];
            TXmlNode* Held = Pair[w];
            if (Held && Kind == rkReplaceChanged && Depth == 0 && StoredFieldsDiffer(Record, Held) &&
                ScriptHandles(Record, "Delete") && ScriptHandles(Record, "Insert")) {
                std::unique_ptr<TXmlNode>& Old = Stored[PairedStored[w]];
                ClearMarks(Old.get());
                SetMark(Old.get(), "Delete");
                NewDeletions.push_back(std::move(Old));
                MarkFieldsForNewRecord(Record);
                SetMark(Record, "Insert");
                Changed = true;
            } else if (Held) {
                Changed = Node(Record, Held, Depth + 1) || Changed;
            } else if (ScriptHandles(Record, "Insert")) {
                // A record marked new keeps the fields its window marked; one the device lost sends them all.
                if (MarkOf(Record) != "Insert")
                    MarkFieldsForNewRecord(Record);
                SetMark(Record, "Insert");
                Changed = true;
            } else {
                Changed = Node(Record, nullptr, Depth + 1) || Changed;
            }
        }
        // Deletions first: a number or member they free may be what a later record takes.
        PutFirst(Wanted, std::move(NewDeletions));
        if (Device)
            Changed = Changed || (Wanted->Attrs.Find("Value") && Wanted->GetValue() != Device->GetValue());
        return Changed;
    }

    // A compact list: the entries the device keeps in the wanted order stay, the others are deleted, and what is
    // still missing is appended, as the device appends new entries.
    bool Places(TXmlNode* Wanted, TXmlNode* Device)
    {
        std::vector<TXmlNode*> Kept, Added;
        for (TXmlNode* Child : RecordChildren(Wanted)) {
            const std::string Mark = MarkOf(Child);
            if (Mark == "Delete")
                Wanted->RemoveChild(Child);
            else
                (Mark == "Insert" ? Added : Kept).push_back(Child);
        }
        Kept.insert(Kept.end(), Added.begin(), Added.end());
        std::vector<std::unique_ptr<TXmlNode>> Stored = TakeRecords(Device);
        std::vector<std::unique_ptr<TXmlNode>> Ordered;
        std::vector<std::unique_ptr<TXmlNode>> Live = TakeRecords(Wanted);
        auto TakeLive = [&](TXmlNode* Node) {
            auto It = std::find_if(Live.begin(), Live.end(), [&](const auto& L) { return L.get() == Node; });
            return std::move(*It);
        };
        bool Changed = false;
        size_t Next = 0;
        for (auto& Entry : Stored) {
            if (Next < Kept.size() && Kept[Next]->GetValue() == Entry->GetValue()) {
                SetMark(Kept[Next], "NoChange");
                Ordered.push_back(TakeLive(Kept[Next++]));
                continue;
            }
            ClearMarks(Entry.get());
            SetMark(Entry.get(), "Delete");
            Ordered.push_back(std::move(Entry));
            Changed = true;
        }
        for (; Next < Kept.size(); ++Next) {
            SetMark(Kept[Next], "Insert");
            Ordered.push_back(TakeLive(Kept[Next]));
            Changed = true;
        }
        for (auto& Entry : Ordered)
            Wanted->AddChild(std::move(Entry));
        NumberListPlaces(Wanted);
        return Changed;
    }
};

}  // namespace

TReconcileKind ReconcileKindOf(const std::string& Section)
{
    if (Section == "Alternate Extension")
        return rkPlaces;
    if (Section == "Mailbox Group" || Section == "Extension Group")
        return rkReplaceChanged;
    return rkKeyed;
}

void ReconcileSection(TXmlNode* Wanted, std::unique_ptr<TXmlNode> Device, TReconcileKind Kind)
{
    if (!Wanted)
        return;
    TReconciler(Kind).Node(Wanted, Device.get(), 0);
}

void NumberListPlaces(TXmlNode* Section)
{
    if (!Section)
        return;
    int32_t Place = 0;
    for (TXmlNode* Entry : RecordChildren(Section)) {
        ++Place;
        if (Entry->Attrs.Find("ParseValue"))
            Entry->SetAttr("ParseValue", IntToStr(Place));
        if (Entry->GetAttr("Change") == "Delete")
            --Place;
    }
}
