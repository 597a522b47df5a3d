// The change set of an Apply and the rule a write after a cut follows; see ChangeSet.h.
#include "engine/ChangeSet.h"

#include "engine/SectionReconcile.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

constexpr char Separator = '\t';

bool IsRecordTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }

bool Below(const std::string& Path, const std::string& Record)
{
    return Path.size() > Record.size() && Path.compare(0, Record.size(), Record) == 0 &&
        Path[Record.size()] == Separator;
}

std::vector<std::string> Split(const std::string& Path)
{
    std::vector<std::string> Parts;
    size_t From = 0;
    for (size_t To; (To = Path.find(Separator, From)) != std::string::npos; From = To + 1)
        Parts.push_back(Path.substr(From, To - From));
    Parts.push_back(Path.substr(From));
    return Parts;
}

// The record child of Node named Name; one marked for deletion only when no other has the name (a record made
// anew to change it stands beside its deleted self).
TXmlNode* ChildNamed(const TXmlNode* Node, const std::string& Name)
{
    TXmlNode* Deleted = nullptr;
    for (const auto& Child : Node->Nodes)
        if (IsRecordTag(Child.get()) && Child->GetName() == Name) {
            if (Child->GetAttr("Change") != "Delete")
                return Child.get();
            Deleted = Deleted ? Deleted : Child.get();
        }
    return Deleted;
}

} // namespace

TXmlNode* NodeAtPath(TXmlNode* Tree, const std::string& Path)
{
    const std::vector<std::string> Parts = Split(Path);
    if (!Tree || Parts.front() != Tree->GetName())
        return nullptr;
    TXmlNode* Node = Tree;
    for (size_t i = 1; i < Parts.size() && Node; ++i)
        Node = ChildNamed(Node, Parts[i]);
    return Node;
}

namespace {

std::string ParentPath(const std::string& Path)
{
    const size_t At = Path.rfind(Separator);
    return At == std::string::npos ? std::string() : Path.substr(0, At);
}

// Sorted by path, a record before its values; skips what lies below a record that an earlier target makes or
// takes away as a whole.
template <class TItem, class TWhole>
std::vector<const TItem*> InOrder(const std::vector<TItem>& Items, TWhole Whole)
{
    std::vector<const TItem*> Sorted;
    for (const TItem& I : Items)
        Sorted.push_back(&I);
    std::sort(Sorted.begin(), Sorted.end(), [](const TItem* A, const TItem* B) { return A->Path < B->Path; });
    std::vector<const TItem*> Kept;
    std::string Record;
    for (const TItem* I : Sorted) {
        if (!Record.empty() && Below(I->Path, Record))
            continue;
        Record.clear();
        Kept.push_back(I);
        if (Whole(*I))
            Record = I->Path;
    }
    return Kept;
}

} // namespace

TMaybeValue ValueAt(const TValueMap& Values, const std::string& Path)
{
    const auto It = Values.find(Path);
    return It == Values.end() ? TMaybeValue() : TMaybeValue(It->second);
}

bool TChange::Same(const TMaybeValue& A, const TMaybeValue& B) const
{
    if (!Leaf)
        return A == B;
    const std::string Left = A.value_or(std::string()), Right = B.value_or(std::string());
    return SameInDeviceForm(Form, Left, Right) || SameText(Left, Right);
}

const TChange* TChangeSet::Find(const std::string& Path) const
{
    for (const TChange& C : Changes)
        if (C.Path == Path)
            return &C;
    return nullptr;
}

bool TChangeSet::Covers(const std::string& Path) const
{
    for (const TChange& C : Changes)
        if (C.Path == Path || Below(Path, C.Path))
            return true;
    return false;
}

const TXmlNode* TChangeSet::RemovedAt(const std::string& Path) const
{
    for (const auto& [At, Copy] : Removed) {
        if (At == Path)
            return Copy.get();
        if (Below(Path, At))
            return NodeAtPath(const_cast<TXmlNode*>(Copy.get()), Copy->GetName() + Path.substr(At.size()));
    }
    return nullptr;
}

namespace {

// ---- compact lists ---------------------------------------------------------------------------------------------

std::string LastName(const std::string& Path) { return Path.substr(Path.rfind(Separator) + 1); }

// "Extension No. 12" -> "Extension No. ": the name of an entry without its place.
std::string PlacePrefix(const std::string& Name)
{
    size_t End = Name.size();
    while (End > 0 && Name[End - 1] >= '0' && Name[End - 1] <= '9')
        --End;
    return Name.substr(0, End);
}

long PlaceOf(const std::string& Name) { return std::strtol(Name.c_str() + PlacePrefix(Name).size(), nullptr, 10); }

struct TEntry {
    std::string Path, Value;
};

// The filled entries of the list Section in Values, in the order of their places.
std::vector<TEntry> ListEntries(const TValueMap& Values, const std::string& Section)
{
    std::vector<TEntry> Entries;
    for (const auto& [Path, Value] : Values)
        if (Below(Path, Section) && Path.find(Separator, Section.size() + 1) == std::string::npos && !Value.empty())
            Entries.push_back({Path, Value});
    std::stable_sort(Entries.begin(), Entries.end(),
        [](const TEntry& A, const TEntry& B) { return PlaceOf(LastName(A.Path)) < PlaceOf(LastName(B.Path)); });
    return Entries;
}

using TCounts = std::map<std::string, int>;

int CountOf(const TCounts& Counts, const std::string& Value)
{
    const auto It = Counts.find(Value);
    return It == Counts.end() ? 0 : It->second;
}

TCounts Count(const std::vector<TEntry>& Entries)
{
    TCounts Counts;
    for (const TEntry& E : Entries)
        ++Counts[E.Value];
    return Counts;
}

// A list's change told by values: the list before and the one wanted, in order, and the values earlier Applies of
// the window were to store.
struct TListChange {
    std::vector<TEntry> Before, Wanted;
    TCounts Earlier;

    explicit TListChange(const TChangeSet& Changes)
    {
        TValueMap Was;
        CollectValues(Changes.RemovedAt(Changes.Section), "", Was);
        TValueMap Now = Was;
        for (const TChange& C : Changes.Changes) {
            if (C.Wanted)
                Now[C.Path] = *C.Wanted;
            else
                Now.erase(C.Path);
            for (const TMaybeValue& E : C.Earlier)
                if (E && !E->empty())
                    ++Earlier[*E];
        }
        Before = ListEntries(Was, Changes.Section);
        Wanted = ListEntries(Now, Changes.Section);
    }
    // Whether the change added or took away Value.
    bool Touches(const std::string& Value) const
    {
        return CountOf(Count(Before), Value) != CountOf(Count(Wanted), Value) || CountOf(Earlier, Value) > 0;
    }
};

// The targets that bring each value the change touched to its Goal on the device's list: the surplus taken away
// from the last, what is missing appended in Order's order, after the device's last place.
std::vector<TTarget> ListTargets(const TListChange& List, const std::vector<TEntry>& Device, const TCounts& Goal,
    const std::vector<TEntry>& Order, const std::string& Section)
{
    TCounts Held = Count(Device);
    std::vector<TTarget> Taken, Appended;
    for (auto It = Device.rbegin(); It != Device.rend(); ++It)
        if (List.Touches(It->Value) && Held[It->Value] > CountOf(Goal, It->Value)) {
            --Held[It->Value];
            Taken.insert(Taken.begin(), {It->Path, std::nullopt});
        }
    const std::string Prefix = Order.empty() ? std::string() : PlacePrefix(LastName(Order.front().Path));
    long Place = Device.empty() ? 0 : PlaceOf(LastName(Device.back().Path));
    for (const TEntry& E : Order)
        if (List.Touches(E.Value) && Held[E.Value] < CountOf(Goal, E.Value)) {
            ++Held[E.Value];
            Appended.push_back({JoinPath(Section, Prefix + std::to_string(++Place)), E.Value});
        }
    Taken.insert(Taken.end(), Appended.begin(), Appended.end());
    return Taken;
}

std::vector<TTarget> ListRetryTargets(const TChangeSet& Changes, const TValueMap& Device)
{
    const TListChange List(Changes);
    return ListTargets(List, ListEntries(Device, Changes.Section), Count(List.Wanted), List.Wanted, Changes.Section);
}

TPutBackPlan ListPutBack(const TChangeSet& Changes, const TValueMap& Device)
{
    const TListChange List(Changes);
    const std::vector<TEntry> Held = ListEntries(Device, Changes.Section);
    const TCounts Before = Count(List.Before), Wanted = Count(List.Wanted), HeldCounts = Count(Held);
    TPutBackPlan Plan;
    // An entry beyond what the list held before and what the window stored was stored by someone else: the last
    // ones of a value are taken for it.
    TCounts Known;
    for (const auto& [Value, N] : HeldCounts)
        Known[Value] = std::max({CountOf(Before, Value), CountOf(Wanted, Value), CountOf(List.Earlier, Value)});
    for (auto It = Held.rbegin(); It != Held.rend(); ++It)
        if (Known[It->Value]-- <= 0)
            Plan.Thirds.insert(Plan.Thirds.begin(), {It->Path, It->Value});
    if (!Plan.Thirds.empty()) {
        Plan.ListLeft = true;
        return Plan;
    }
    // A value of the change the device holds fewer of than both the list before and the window had lost them by
    // other means: it stays so.
    TCounts Goal = Before;
    for (const auto& [Value, N] : Before)
        if (CountOf(HeldCounts, Value) < std::min(N, CountOf(Wanted, Value)))
            Goal[Value] = CountOf(HeldCounts, Value);
    Plan.Sends = ListTargets(List, Held, Goal, List.Before, Changes.Section);
    return Plan;
}

} // namespace

std::vector<TTarget> RetryTargets(const TChangeSet& Changes, const TValueMap& Device)
{
    if (Changes.Kind == rkPlaces)
        return ListRetryTargets(Changes, Device);
    std::vector<TTarget> Targets;
    // A record the device lacks or holds against the wish is made or taken away as a whole.
    auto Whole = [&](const TChange& C) {
        return !C.Leaf && ValueAt(Device, C.Path).has_value() != C.Wanted.has_value();
    };
    for (const TChange* C : InOrder(Changes.Changes, Whole))
        if (!C->Same(ValueAt(Device, C->Path), C->Wanted))
            Targets.push_back({C->Path, C->Wanted});
    return Targets;
}

TPutBackPlan PlanPutBack(const TChangeSet& Changes, const TValueMap& Device)
{
    if (Changes.Kind == rkPlaces)
        return ListPutBack(Changes, Device);
    TPutBackPlan Plan;
    // A resetting store the device took: the put-back sends it again, and what it resets must follow.
    auto StoreTaken = [&](const TChange& C) {
        const TChange* Store = C.ResetBy.empty() ? nullptr : Changes.Find(C.ResetBy);
        return Store && !Store->Same(Store->Wanted, Store->Before) &&
            Store->Same(ValueAt(Device, Store->Path), Store->Wanted);
    };
    // What the dropped change left: its wanted value (or an earlier one), or a value its resetting store reset.
    // A value the change was to alter that the device shows empty is one of its stores emptied on the way (the
    // device empties a menu's values with its name, a parameter with its choice).
    auto Left = [&](const TChange& C) {
        const TMaybeValue Held = ValueAt(Device, C.Path);
        return C.Same(Held, C.Wanted) || (C.Leaf && Held.value_or(std::string()).empty() && !C.Same(C.Before, C.Wanted)) ||
            std::any_of(C.Earlier.begin(), C.Earlier.end(), [&](const TMaybeValue& E) { return C.Same(Held, E); }) ||
            (Held && StoreTaken(C));
    };
    auto Whole = [&](const TChange& C) {
        return !C.Leaf && Left(C) && C.Before.has_value() != ValueAt(Device, C.Path).has_value();
    };
    auto Any = [&](const std::function<bool(const TChange&)>& Test) {
        return std::any_of(Changes.Changes.begin(), Changes.Changes.end(), Test);
    };
    // A record the document lacked that the device takes away through its values (a menu through its name), not
    // through a store of its own; what the device holds below it, making it left.
    auto Made = [&](const TChange& C) {
        return C.Leaf && !C.Before && C.Wanted && ValueAt(Device, C.Path) &&
            !Any([&](const TChange& V) { return V.ResetBy == C.Path; }) &&
            Any([&](const TChange& V) { return Below(V.Path, C.Path); });
    };
    auto InMade = [&](const TChange& C) {
        return !C.Before && ValueAt(Device, C.Path) &&
            Any([&](const TChange& R) { return Below(C.Path, R.Path) && Made(R); });
    };
    for (const TChange* C : InOrder(Changes.Changes, Whole)) {
        const TMaybeValue Held = ValueAt(Device, C->Path);
        if (Made(*C))
            continue;
        if (Left(*C) || InMade(*C)) {
            if (!C->Same(Held, C->Before) || StoreTaken(*C))
                Plan.Sends.push_back({C->Path, C->Before});
        } else if (!C->Same(Held, C->Before)) {
            Plan.Thirds.push_back({C->Path, Held.value_or(std::string())});
        }
    }
    return Plan;
}

std::string JoinPath(const std::string& Parent, const std::string& Name)
{
    return Parent.empty() ? Name : Parent + Separator + Name;
}

std::string PathText(const std::string& Path)
{
    std::vector<std::string> Parts = Split(Path);
    std::string Text;
    for (size_t i = Parts.size() > 1 ? 1 : 0; i < Parts.size(); ++i)
        Text += (Text.empty() ? "" : " / ") + Parts[i];
    return Text;
}

void CollectValues(const TXmlNode* Node, const std::string& Prefix, TValueMap& Out)
{
    if (!Node || Node->GetAttr("Change") == "Delete")
        return;
    const std::string Path = JoinPath(Prefix, Node->GetName());
    Out[Path] = Node->GetValue();
    for (const auto& Child : Node->Nodes)
        if (IsRecordTag(Child.get()))
            CollectValues(Child.get(), Path, Out);
}

TChangeSet ChangesOfApply(
    const std::string& Section, const TXmlNode* Before, const TXmlNode* Scope, TReconcileKind Kind)
{
    TChangeSet Set;
    Set.Section = Section;
    Set.Kind = Kind;
    if (!Scope)
        return Set;
    // The path of Scope's parent: Scope may be a record deep in its section.
    std::string Prefix;
    for (const TXmlNode* N = Scope->Parent; N; N = N->Parent) {
        Prefix = Prefix.empty() ? N->GetName() : JoinPath(N->GetName(), Prefix);
        if (N->GetName() == Section)
            break;
    }
    if (Scope->GetName() == Section)
        Prefix.clear();
    TValueMap Was, Now;
    CollectValues(Before, Prefix, Was);
    CollectValues(Scope, Prefix, Now);
    std::set<std::string> Paths;
    for (const auto& [Path, Value] : Was)
        Paths.insert(Path);
    for (const auto& [Path, Value] : Now)
        Paths.insert(Path);
    const std::string Root = JoinPath(Prefix, Scope->GetName());
    // The node at Path in the window's records (a copy of them, or they), null above them.
    auto In = [&](const TXmlNode* Tree, const std::string& Path) -> TXmlNode* {
        if (Path != Root && !Below(Path, Root))
            return nullptr;
        return NodeAtPath(const_cast<TXmlNode*>(Tree), Path.substr(Prefix.empty() ? 0 : Prefix.size() + 1));
    };
    auto InBefore = [&](const std::string& Path) { return In(Before, Path); };
    auto InScope = [&](const std::string& Path) { return In(Scope, Path); };
    auto Keep = [&](const std::string& Path) {
        if (const TXmlNode* Was = InBefore(Path); Was && !Set.RemovedAt(Path))
            Set.Removed.emplace_back(Path, std::shared_ptr<const TXmlNode>(Was->Clone(true)));
    };
    // A section whose records the device deletes and makes anew to change them: a record with a change may be
    // found gone, or made again only in part, and a put-back makes it again whole.
    const bool Replaced = Kind == rkReplaceChanged;
    std::set<std::string> ReplacedRecords, Emptied;
    for (const std::string& Path : Paths) {
        const TMaybeValue B = ValueAt(Was, Path), W = ValueAt(Now, Path);
        const TXmlNode* Node = InScope(Path) ? InScope(Path) : InBefore(Path);
        TChange C{Path, B, W, {}, {}, !IsMadeAndDeletedRecord(Node)};
        if (C.Same(B, W))
            continue;
        // Its form is looked up only for a value whose text changed.
        C.Form = DeviceFormOf(Node ? Node->GetTemplate() : nullptr);
        if (C.Same(B, W))
            continue;
        // A value the document lacked that the device can be given empty (a notification device's first number, a
        // new menu's name) was an empty one: a put-back empties it, and what its store reset goes with it.
        if (!B && C.Leaf && ScriptSendsEmpty(Node)) {
            C.Before = std::string();
            Emptied.insert(Path);
        }
        // A record taken away is kept as it was, to be made again by a put-back.
        if (!W && (Path == Root || ValueAt(Now, ParentPath(Path))))
            Keep(Path);
        const std::vector<std::string> Names = Split(Path);
        // The record a value lies in is kept as it was: the device may show it no more (a menu whose name is
        // emptied), and a put-back makes it again.
        if (Names.size() > 2)
            Keep(Names[0] + Separator + Names[1]);
        if (Replaced && Names.size() > 2) {
            const std::string Record = Names[0] + Separator + Names[1];
            if (ValueAt(Was, Record) && ValueAt(Now, Record)) {
                C.Earlier.push_back(std::nullopt);
                ReplacedRecords.insert(Record);
            }
        }
        Set.Changes.push_back(std::move(C));
    }
    // A compact list names its entries by place, which a deletion shifts: its copy before is kept whole.
    if (Kind == rkPlaces && !Set.Changes.empty())
        Keep(Root);
    for (const std::string& Record : ReplacedRecords) {
        Keep(Record);
        if (!Set.Find(Record))
            Set.Changes.push_back({Record, ValueAt(Was, Record), ValueAt(Now, Record), {std::nullopt}, {}, false});
        // Made again, the record may come back only in part: each of its values, changed or not, is the change's.
        for (const std::string& Path : Paths)
            if (Below(Path, Record) && !Set.Find(Path)) {
                const TXmlNode* Node = InScope(Path) ? InScope(Path) : InBefore(Path);
                Set.Changes.push_back({Path, ValueAt(Was, Path), ValueAt(Now, Path), {std::nullopt}, {},
                    !IsMadeAndDeletedRecord(Node), DeviceFormOf(Node ? Node->GetTemplate() : nullptr)});
            }
    }
    // The values a changed store makes the device reset belong to the change, whatever the window did to them.
    std::vector<TChange> Reset;
    for (const TChange& C : Set.Changes) {
        if (!C.Before || !C.Wanted)
            continue;
        TXmlNode* Store = InScope(C.Path);
        if (!Store || !StoreResetsOthers(Store))
            continue;
        for (TXmlNode* N : ResetTargets(Store)) {
            std::string Path = Root;
            std::vector<std::string> Names;
            for (const TXmlNode* P = N; P && P != Scope; P = P->Parent)
                Names.push_back(P->GetName());
            for (auto It = Names.rbegin(); It != Names.rend(); ++It)
                Path = JoinPath(Path, *It);
            Reset.push_back({Path, ValueAt(Was, Path), ValueAt(Now, Path), {}, C.Path, !IsMadeAndDeletedRecord(N),
                DeviceFormOf(N->GetTemplate())});
        }
    }
    for (TChange& R : Reset) {
        auto Same = std::find_if(Set.Changes.begin(), Set.Changes.end(), [&](const TChange& C) { return C.Path == R.Path; });
        if (Same != Set.Changes.end()) {
            Same->ResetBy = R.ResetBy;
            // The store that resets it empties it on the way back: sent empty after it, it would be refused.
            if (Emptied.count(Same->Path))
                Same->Before.reset();
        } else
            Set.Changes.push_back(std::move(R));
    }
    std::sort(Set.Changes.begin(), Set.Changes.end(), [](const TChange& A, const TChange& B) { return A.Path < B.Path; });
    return Set;
}

void MergeChanges(TChangeSet& Held, const TChangeSet& Later)
{
    if (Held.Section.empty()) {
        Held.Section = Later.Section;
        Held.Kind = Later.Kind;
    }
    for (const TChange& C : Later.Changes) {
        auto Same = std::find_if(Held.Changes.begin(), Held.Changes.end(), [&](const TChange& H) { return H.Path == C.Path; });
        if (Same == Held.Changes.end()) {
            Held.Changes.push_back(C);
            continue;
        }
        if (Same->Wanted != C.Wanted)
            Same->Earlier.push_back(Same->Wanted);
        Same->Wanted = C.Wanted;
        if (!C.ResetBy.empty())
            Same->ResetBy = C.ResetBy;
    }
    // A value back at its value before is no change any more.
    Held.Changes.erase(std::remove_if(Held.Changes.begin(), Held.Changes.end(),
                           [](const TChange& C) { return C.Same(C.Before, C.Wanted) && C.ResetBy.empty() && C.Earlier.empty(); }),
        Held.Changes.end());
    Held.Removed.insert(Held.Removed.end(), Later.Removed.begin(), Later.Removed.end());
    std::sort(Held.Changes.begin(), Held.Changes.end(), [](const TChange& A, const TChange& B) { return A.Path < B.Path; });
}

void CountChanges(const TChangeSet& Changes, const std::function<bool(const std::string& Path)>& Confirmed,
    int& Took, int& Total)
{
    Took = Total = 0;
    for (const TChange& C : Changes.Changes) {
        bool InWholeRecord = false, UnderChange = false;
        for (std::string Up = ParentPath(C.Path); !Up.empty() && !InWholeRecord; Up = ParentPath(Up))
            if (const TChange* R = Changes.Find(Up)) {
                InWholeRecord = !R->Before || !R->Wanted;
                UnderChange = true;
            }
        // A value emptied or reset along with the value above it (a key's parameter, a forwarding's fields) goes
        // with that value; one given a value of its own was typed.
        const bool Follows = (UnderChange || !C.ResetBy.empty()) && (!C.Wanted || C.Wanted->empty());
        if (InWholeRecord || Follows || C.Same(C.Before, C.Wanted))
            continue;
        ++Total;
        Took += Confirmed(C.Path);
    }
}

namespace {

// A copy of what Path held, made in Tree, with the records above it that Tree lacks (null: no copy known).
TXmlNode* MakeAt(TXmlNode* Tree, const std::string& Path,
    const std::function<const TXmlNode*(const std::string& Path)>& Source, const std::function<void(TXmlNode*)>& Made)
{
    if (Path.find(Separator) == std::string::npos)
        return nullptr;
    TXmlNode* Parent = NodeAtPath(Tree, ParentPath(Path));
    if (!Parent)
        Parent = MakeAt(Tree, ParentPath(Path), Source, Made);
    const TXmlNode* Copy = Source ? Source(Path) : nullptr;
    if (!Parent || !Copy)
        return nullptr;
    if (TXmlNode* Made = NodeAtPath(Tree, Path))   // the copy of a record above brought it
        return Made;
    // In the copy's order among what Parent holds: the device is told a record's values in their node order, and
    // a record made again only in part may lack the values before it (a group member stored before the name and
    // the members above it is refused).
    auto Same = [](const TXmlNode* A, const TXmlNode* B) {
        return A->GetTag() == B->GetTag() && A->GetName() == B->GetName();
    };
    // The record the copy lay in (a value kept on its own has none: its record's copy tells its place).
    const TXmlNode* Was = Copy->Parent ? Copy->Parent : Source(ParentPath(Path));
    int From = -1;
    for (int i = 0; Was && i < Was->Nodes.Count() && From < 0; ++i)
        if (Same(Was->Nodes.Items(i), Copy))
            From = i;
    int At = From < 0 ? std::min(Copy->Index(), Parent->Nodes.Count()) : Parent->Nodes.Count();
    for (int i = From + 1; From >= 0 && i < Was->Nodes.Count() && At == Parent->Nodes.Count(); ++i)
        for (int j = 0; j < Parent->Nodes.Count(); ++j)
            if (Same(Parent->Nodes.Items(j), Was->Nodes.Items(i))) {
                At = j;
                break;
            }
    Parent->Nodes.Insert(At, Copy->Clone(true));
    TXmlNode* Node = Parent->Nodes.Items(At);
    if (Made)
        Made(Node);
    return Node;
}

} // namespace

void ApplyTargets(TXmlNode* Tree, const std::vector<TTarget>& Targets,
    const std::function<const TXmlNode*(const std::string& Path)>& Source, const std::function<void(TXmlNode*)>& Made)
{
    for (const TTarget* T : InOrder(Targets, [](const TTarget&) { return false; })) {
        TXmlNode* Node = NodeAtPath(Tree, T->Path);
        if (!T->Value) {
            if (Node && Node->Parent)
                Node->Parent->RemoveChild(Node);
            continue;
        }
        if (!Node)
            Node = MakeAt(Tree, T->Path, Source, Made);
        if (!Node)
            continue;
        if (Node->Attrs.Find("Value") || !T->Value->empty())
            Node->SetAttr("Value", *T->Value);
        // A record that is to be there is no deletion.
        if (Node->GetAttr("Change") == "Delete")
            Node->SetAttr("Change", "NoChange");
    }
}

void ApplyTargets(TXmlNode* Tree, const TChangeSet& Changes, const std::vector<TTarget>& Targets,
    const std::function<const TXmlNode*(const std::string& Path)>& Source)
{
    if (Changes.Kind != rkPlaces) {
        ApplyTargets(Tree, Targets, Source);
        return;
    }
    for (const TTarget& T : Targets)
        if (TXmlNode* Node = T.Value ? nullptr : NodeAtPath(Tree, T.Path))
            Tree->RemoveChild(Node);
    auto FirstEntry = [](const TXmlNode* List) -> const TXmlNode* {
        if (List)
            for (const auto& Child : List->Nodes)
                if (IsRecordTag(Child.get()))
                    return Child.get();
        return nullptr;
    };
    const TXmlNode* Model = FirstEntry(Source ? Source(Changes.Section) : nullptr);
    if (!Model)
        Model = FirstEntry(Tree);
    for (const TTarget& T : Targets)
        if (T.Value && Model) {
            std::unique_ptr<TXmlNode> Entry = Model->Clone(true);
            Entry->SetAttr("Value", *T.Value);
            if (Entry->Attrs.Find("Change"))
                Entry->SetAttr("Change", "NoChange");
            Tree->AddChild(std::move(Entry));
        }
    // Named by their places again, as the device shows them.
    long Place = 0;
    for (const auto& Child : Tree->Nodes)
        if (IsRecordTag(Child.get()))
            Child->SetName(PlacePrefix(Child->GetName()) + std::to_string(++Place));
}
