// Marks worked out afresh against the section the device holds; see SectionReconcile.h.
#include "engine/SectionReconcile.h"

#include "engine/ValueCheck.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

bool SaveScriptHas(const TXmlNode* Description, const std::string& Tag,
    const std::function<bool(const TXmlNode*)>& Test)
{
    if (!Description)
        return false;
    TXmlWalk Walk;
    for (const auto& Script : Description->Nodes) {
        if (Script->GetTag() != "SAVEPARAM")
            continue;
        for (TXmlNode* N = Walk.First(Script.get(), Script.get()); N; N = Walk.Next(N))
            if (N->GetTag() == Tag && Test(N))
                return true;
    }
    return false;
}

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

// Whether a condition in the save scripts of Node's description node passes Test.
template <class TTest>
bool ScriptHasCondition(const TXmlNode* Node, TTest Test)
{
    return SaveScriptHas(Node->GetTemplate(), "CONDITION", Test);
}

// Whether the save script of Node's description node reacts to the change mark Mark at all: only then can a record
// be made ("Insert") or removed ("Delete") on the device.
bool ScriptHandles(const TXmlNode* Node, const std::string& Mark)
{
    return ScriptHasCondition(Node, [&](const TXmlNode* C) {
        return C->GetAttr("LeftOp") == "%ATTR:Change%" && C->GetAttr("Compare") == "=" &&
            C->GetAttr("RightOp") == Mark;
    });
}

std::vector<std::string> ResetNames(const TXmlNode* Node)
{
    std::vector<std::string> Names;
    const TXmlNode* Description = Node ? Node->GetTemplate() : nullptr;
    if (!Description)
        return Names;
    const std::string List = Description->GetAttr(ResetsAttr);
    size_t From = 0;
    while (From <= List.size()) {
        size_t To = List.find(';', From);
        if (To == std::string::npos)
            To = List.size();
        if (std::string Name = Trim(List.substr(From, To - From)); !Name.empty())
            Names.push_back(Name);
        From = To + 1;
    }
    return Names;
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

// The values of Section's distinct children, by name.
std::map<std::string, std::string> DistinctValues(const TXmlNode* Section)
{
    std::map<std::string, std::string> Values;
    for (TXmlNode* Child : RecordChildren(Section))
        if (const TXmlNode* D = Child->GetTemplate(); D && D->Attrs.Find(DistinctAttr))
            Values[Child->GetName()] = Child->GetValue();
    return Values;
}

// Plans the stores of Section's distinct children from what the device holds (Held, by name), in the order the
// script sends them: a value that another still holds when its turn comes goes through a free value of the range,
// and its own value is sent after all of them, when nobody holds it any more (each one either took its own value,
// which nobody else wants, or a free one, which nobody wants).
void PlanDistinctStores(TXmlNode* Section, std::map<std::string, std::string> Held)
{
    std::vector<TXmlNode*> Distinct;
    for (TXmlNode* Child : RecordChildren(Section))
        if (const TXmlNode* D = Child->GetTemplate(); D && D->Attrs.Find(DistinctAttr)) {
            Distinct.push_back(Child);
            Child->DeleteAttr(ThroughAttr);
        }
    auto HeldByOther = [&](const std::string& Value, const std::string& Own) {
        for (const auto& [Name, V] : Held)
            if (Name != Own && V == Value)
                return true;
        return false;
    };
    for (TXmlNode* Child : Distinct) {
        if (MarkOf(Child) != "Modify")
            continue;
        const std::string Name = Child->GetName(), Value = Child->GetValue();
        // An empty value is no value another can hold.
        if (Value.empty() || !HeldByOther(Value, Name)) {
            Held[Name] = Value;
            continue;
        }
        // The range "Low..High" of the description; a free value is one nobody holds or wants.
        const std::string Range = Child->GetTemplate()->GetAttr(DistinctAttr);
        const size_t Dots = Range.find("..");
        if (Dots == std::string::npos)
            continue;
        const int32_t Low = StrToIntDef(Range.substr(0, Dots), 0), High = StrToIntDef(Range.substr(Dots + 2), -1);
        for (int32_t Free = Low; Free <= High; ++Free) {
            const std::string Text = IntToStr(Free);
            bool Taken = HeldByOther(Text, "");
            for (TXmlNode* Other : Distinct)
                Taken = Taken || Other->GetValue() == Text;
            if (!Taken) {
                Child->SetAttr(ThroughAttr, Text);
                Held[Name] = Text;
                break;
            }
        }
    }
}

class TReconciler {
public:
    explicit TReconciler(TReconcileKind Kind) : Kind(Kind) {}

    // Marks Wanted against Device (null: the device lacks it); true when anything in or below Wanted is to be sent.
    bool Node(TXmlNode* Wanted, TXmlNode* Device, int Depth)
    {
        bool Changed;
        if (RecordChildren(Wanted).empty() && (!Device || RecordChildren(Device).empty())) {
            // No store makes the device hold an empty value where the script cannot send one (an empty line keeps
            // the old value): the document takes what the device filled in rather than a store that cannot be done.
            if (Device && Wanted->GetValue().empty() && !Device->GetValue().empty() && !ScriptSendsEmpty(Wanted))
                Wanted->SetAttr("Value", Device->GetValue());
            // A number or a date the device holds in its own form ("5" for "05") is the value wanted, and the
            // document takes that form.
            if (Device && Wanted->GetValue() != Device->GetValue() &&
                SameInDeviceForm(DeviceFormOf(Wanted->GetTemplate()), Wanted->GetValue(), Device->GetValue()))
                Wanted->SetAttr("Value", Device->GetValue());
            Changed = Device ? Wanted->GetValue() != Device->GetValue() : !Wanted->GetValue().empty();
            if (Changed && Wanted->GetValue().empty() && EmptiedByItsStore(Wanted))
                Changed = false;
        } else if (Kind == rkPlaces && Depth == 0) {
            Changed = Places(Wanted, Device);
        } else {
            const TXmlNode* Above = DeviceAbove;
            DeviceAbove = Device;
            Changed = Keyed(Wanted, Device, Depth);
            DeviceAbove = Above;
        }
        // A store that resets other values is sent only when the device lacks its own value: sent again, it would
        // undo what the device already holds of the values below and beside it, which are reached without it.
        if (StoreResetsOthers(Wanted)) {
            const bool Own = Device ? Wanted->GetValue() != Device->GetValue() : !Wanted->GetValue().empty();
            SetMark(Wanted, Own ? "Modify" : "NoChange");
            return Changed || Own;
        }
        SetMark(Wanted, Changed ? "Modify" : "NoChange");
        return Changed;
    }

private:
    TReconcileKind Kind;

    // What the device holds of the value whose records are being marked (null: none, or not known).
    const TXmlNode* DeviceAbove = nullptr;

    // A store emptied (an entry cleared) empties the fields entered through it: the device then has no field left
    // to take an empty value, and refuses one.
    bool EmptiedByItsStore(const TXmlNode* Wanted) const
    {
        const TXmlNode* Store = Wanted->Parent;
        if (!Store || !Store->GetValue().empty() || !DeviceAbove || DeviceAbove->GetValue().empty() ||
            !StoreResetsOthers(Store))
            return false;
        const std::vector<TXmlNode*> Reset = ResetTargets(Store);
        return std::find(Reset.begin(), Reset.end(), Wanted) != Reset.end();
    }

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

bool StoreResetsOthers(const TXmlNode* Node) { return !ResetNames(Node).empty(); }

bool IsMadeAndDeletedRecord(const TXmlNode* Node)
{
    return Node && (ScriptHandles(Node, "Insert") || ScriptHandles(Node, "Delete"));
}

std::vector<TXmlNode*> ResetTargets(const TXmlNode* Store)
{
    std::vector<TXmlNode*> Found;
    const std::vector<std::string> Names = ResetNames(Store);
    TXmlNode* Scope = Store ? Store->Parent : nullptr;
    if (Names.empty() || !Scope)
        return Found;
    bool After = false;
    TXmlWalk Walk;
    for (TXmlNode* N = Walk.First(Scope, Scope); N; N = Walk.Next(N)) {
        if (N == Store) {
            After = true;
            continue;
        }
        const TXmlNode* Description = N->GetTemplate();
        if (After && Description &&
            std::find(Names.begin(), Names.end(), Description->GetName()) != Names.end())
            Found.push_back(N);
    }
    return Found;
}

void MarkResetValues(TXmlNode* Store, std::vector<TXmlNode*>* Marked)
{
    if (!Store || Store->GetValue().empty())
        return;
    for (TXmlNode* N : ResetTargets(Store)) {
        if (MarkOf(N) != "NoChange" || (N->GetValue().empty() && !ScriptSendsEmpty(N)))
            continue;
        N->SetAttr("Change", "Modify");
        if (Marked)
            Marked->push_back(N);
    }
}

bool SwitchesRecordOff(const TXmlNode* Store)
{
    const TXmlNode* Description = Store ? Store->GetTemplate() : nullptr;
    return Description && Store->Parent && Store->Attrs.Find("Value") && Store->GetValue().empty() &&
        Description->GetAttr(SwitchesOffAttr) == "Yes";
}

void SettleSwitchedOffRecord(TXmlNode* Store)
{
    for (TXmlNode* Other : RecordChildren(Store->Parent)) {
        if (Other == Store)
            continue;
        if (const TXmlNode* Description = Other->GetTemplate(); Description && Other->Attrs.Find("Value"))
            Other->SetAttr("Value", Description->GetAttr("Value"));
        for (int i = Other->Nodes.Count() - 1; i >= 0; --i)
            if (IsRecordTag(Other->Nodes.Items(i)))
                Other->Nodes.Delete(i);
        SetMark(Other, "NoChange");
    }
}

bool ScriptSendsEmpty(const TXmlNode* Node)
{
    return ScriptHasCondition(
        Node, [](const TXmlNode* C) { return C->GetAttr("Compare") == "=" && C->GetAttr("RightOp") == "[]"; });
}

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
    std::map<std::string, std::string> Held = DistinctValues(Device.get());
    TReconciler(Kind).Node(Wanted, Device.get(), 0);
    PlanDistinctStores(Wanted, std::move(Held));
}

void ReadBeforeWriteWhenDistinctChanged(TXmlNode* Section)
{
    for (TXmlNode* Child : RecordChildren(Section))
        if (const TXmlNode* D = Child->GetTemplate(); D && D->Attrs.Find(DistinctAttr) && MarkOf(Child) == "Modify") {
            Section->SetAttr(UnsettledAttr, "Yes");
            return;
        }
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
