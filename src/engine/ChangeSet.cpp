// The change set of an Apply and the rule a write after a cut follows; see ChangeSet.h.
#include "engine/ChangeSet.h"

#include "engine/SectionReconcile.h"
#include "engine/ValueCheck.h"
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

bool FirmwareKeepsCase(int FlashVersion) { return FlashVersion >= 409; }

bool SameOnDevice(std::string_view Held, std::string_view Stored, bool KeepsCase)
{
    return KeepsCase ? Held == Stored : SameText(Held, Stored);
}

bool TChange::Same(const TMaybeValue& A, const TMaybeValue& B) const
{
    if (!Leaf)
        return A == B;
    const std::string Left = A.value_or(std::string()), Right = B.value_or(std::string());
    return SameInDeviceForm(Form, Left, Right) || SameOnDevice(Left, Right, KeepsCase);
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
    for (std::string At = Path; !At.empty(); At = ParentPath(At))
        if (const auto It = Removed.find(At); It != Removed.end()) {
            const TXmlNode* Copy = It->second.get();
            return At == Path ? Copy : NodeAtPath(const_cast<TXmlNode*>(Copy), Copy->GetName() + Path.substr(At.size()));
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

namespace {

// The changes below Path, in path order (they follow it in Changes, which is in path order).
std::vector<const TChange*> ChangesBelow(const TChangeSet& Changes, const std::string& Path)
{
    std::vector<const TChange*> Found;
    const std::string From = Path + Separator;
    auto It = std::lower_bound(Changes.Changes.begin(), Changes.Changes.end(), From,
        [](const TChange& C, const std::string& P) { return C.Path < P; });
    for (; It != Changes.Changes.end() && Below(It->Path, Path); ++It)
        Found.push_back(&*It);
    return Found;
}

// Sends that a third value blocks are withheld: a value the device keeps apart from its rivals cannot take back a
// value one of them keeps holding. A withheld send may block another in turn, so this runs until none is left.
void WithholdBlocked(const TChangeSet& Changes, const TValueMap& Device, TPutBackPlan& Plan)
{
    auto Ends = [&](const std::string& Path) {
        for (const TTarget& T : Plan.Sends)
            if (T.Path == Path)
                return T.Value;
        return ValueAt(Device, Path);
    };
    for (bool Again = true; Again;) {
        Again = false;
        for (auto It = Plan.Sends.begin(); It != Plan.Sends.end() && !Again; ++It) {
            const TChange* C = Changes.Find(It->Path);
            if (!C || !It->Value || It->Value->empty())
                continue;
            for (const std::string& Rival : C->Rivals)
                if (const TMaybeValue Held = Ends(Rival); Held && *Held == *It->Value) {
                    if (std::none_of(Plan.Thirds.begin(), Plan.Thirds.end(), [&](const TThird& T) { return T.Path == Rival; }))
                        Plan.Thirds.push_back({Rival, *Held});
                    Plan.Blocked.push_back({It->Path, ValueAt(Device, It->Path).value_or(std::string())});
                    Plan.Sends.erase(It);
                    Plan.LeftStays = Again = true;
                    break;
                }
        }
    }
}

} // namespace

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
    // A store of the change that empties the value's record by emptying its own, taken.
    auto RecordEmptied = [&](const TChange& C) {
        const TChange* Store = C.EmptiedBy.empty() ? nullptr : Changes.Find(C.EmptiedBy);
        return Store && Store->Same(ValueAt(Device, Store->Path), Store->Wanted);
    };
    // What the dropped change left: its wanted value (or an earlier one), or a value its resetting store reset (the
    // device empties a parameter with its choice). An empty value is left only where a store of the change empties
    // it: one emptied by other means is a third value.
    auto Left = [&](const TChange& C) {
        const TMaybeValue Held = ValueAt(Device, C.Path);
        return C.Same(Held, C.Wanted) ||
            std::any_of(C.Earlier.begin(), C.Earlier.end(), [&](const TMaybeValue& E) { return C.Same(Held, E); }) ||
            ((Held || C.Leaf) && StoreTaken(C)) || (Held.value_or(std::string()).empty() && RecordEmptied(C));
    };
    // A record the change made, as the device holds it: what lies below it is what the change stored, or what the
    // device gives a value it was not yet told (its default, or none).
    auto MadeLeft = [&](const TChange& V) {
        const TMaybeValue Held = ValueAt(Device, V.Path);
        return !Held || Left(V) || V.Same(Held, V.Before) || (V.Default && V.Same(Held, V.Default));
    };
    auto AsMade = [&](const TChange& R) {
        const std::vector<const TChange*> Values = ChangesBelow(Changes, R.Path);
        return std::all_of(Values.begin(), Values.end(), [&](const TChange* V) { return MadeLeft(*V); });
    };
    auto MadeByChange = [&](const TChange& C) {
        return !C.Leaf && !C.Before && C.Wanted && ValueAt(Device, C.Path);
    };
    auto Whole = [&](const TChange& C) {
        return !C.Leaf && ((Left(C) && C.Before.has_value() != ValueAt(Device, C.Path).has_value()) ||
            MadeByChange(C));
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
        if (MadeByChange(*C) && !AsMade(*C)) {
            // Changed on the device since: it stays, and what differs from what the change stored is named.
            Plan.LeftStays = true;
            for (const TChange* V : ChangesBelow(Changes, C->Path))
                if (!MadeLeft(*V))
                    Plan.Thirds.push_back({V->Path, ValueAt(Device, V->Path).value_or(std::string())});
            continue;
        }
        if (Left(*C) || InMade(*C)) {
            if (!C->Same(Held, C->Before) || StoreTaken(*C))
                Plan.Sends.push_back({C->Path, C->Before});
        } else if (!C->Same(Held, C->Before)) {
            Plan.Thirds.push_back({C->Path, Held.value_or(std::string())});
        }
    }
    WithholdBlocked(Changes, Device, Plan);
    return Plan;
}

void KeepPutBackCut(TChangeSet& Changes, const std::vector<TTarget>& Sends, const TValueMap& Device)
{
    for (const TTarget& T : Sends) {
        const TChange* R = Changes.Find(T.Path);
        if (!R || R->Leaf || !T.Value || ValueAt(Device, T.Path))
            continue;
        for (TChange& V : Changes.Changes)
            if (Below(V.Path, T.Path) && V.Default &&
                std::none_of(V.Earlier.begin(), V.Earlier.end(), [&](const TMaybeValue& E) { return E == V.Default; }))
                V.Earlier.push_back(V.Default);
    }
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

namespace {

// The record children of Node that count as present, in order (a record marked "Delete" does not).
std::vector<const TXmlNode*> PresentRecords(const TXmlNode* Node)
{
    std::vector<const TXmlNode*> Records;
    for (const auto& Child : Node->Nodes)
        if (IsRecordTag(Child.get()) && Child->GetAttr("Change") != "Delete")
            Records.push_back(Child.get());
    return Records;
}

bool Uncopied(const TXmlNode* Node) { return Node->Attrs.Peek(UncopiedAttr) != nullptr; }

using TCollect = std::function<void(const TXmlNode* Node, const std::string& Prefix, TValueMap& Out)>;

// The values in which B (a copy from before) and N differ, by path, with the records above them; below a record
// one side lacks, all of the other's (the copy's gathered by Collect). The rest, most of a section, is walked once and
// never named; a part the copy left out is the window's to leave unchanged. True when anything at or below Path
// differs.
bool Differences(const TXmlNode* B, const TXmlNode* N, const std::string& Path, TValueMap& Was, TValueMap& Now,
    const TCollect& Collect)
{
    if (Uncopied(B))
        return false;
    bool Any = B->GetValue() != N->GetValue();
    const std::vector<const TXmlNode*> Olds = PresentRecords(B), News = PresentRecords(N);
    std::map<std::string, const TXmlNode*> OldByName;   // made only when the order differs
    std::set<const TXmlNode*> Paired;
    for (size_t i = 0; i < News.size(); ++i) {
        const std::string& Name = News[i]->GetName();
        const TXmlNode* Old = nullptr;
        if (i < Olds.size() && Olds[i]->GetName() == Name) {
            Old = Olds[i];
        } else {
            if (OldByName.empty())
                for (const TXmlNode* O : Olds)
                    OldByName.emplace(O->GetName(), O);
            const auto It = OldByName.find(Name);
            Old = It == OldByName.end() ? nullptr : It->second;
        }
        if (Old && Paired.insert(Old).second) {
            Any = Differences(Old, News[i], JoinPath(Path, Name), Was, Now, Collect) || Any;
        } else {
            CollectValues(News[i], Path, Now);
            Any = true;
        }
    }
    for (const TXmlNode* O : Olds)
        if (!Paired.count(O)) {
            Collect(O, Path, Was);
            Any = true;
        }
    if (Any) {
        Was[Path] = B->GetValue();
        Now[Path] = N->GetValue();
    }
    return Any;
}

} // namespace

std::unique_ptr<TXmlNode> CopyLeavingOut(const TXmlNode* Scope, const std::function<bool(const TXmlNode*)>& LeftOut)
{
    if (!Scope)
        return nullptr;
    std::unique_ptr<TXmlNode> Copy = Scope->Clone(false);
    for (const auto& Child : Scope->Nodes) {
        if (LeftOut(Child.get())) {
            TXmlNode* Part = Copy->Nodes.Items(Copy->AddChild(Child->Clone(false)));
            Part->SetAttr(UncopiedAttr, "Yes");
        } else {
            Copy->AddChild(CopyLeavingOut(Child.get(), LeftOut));
        }
    }
    return Copy;
}

TChangeSet ChangesOfApply(const std::string& Section, const TXmlNode* Before, const TXmlNode* Scope,
    TReconcileKind Kind, bool KeepsCase)
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
    const std::string Root = JoinPath(Prefix, Scope->GetName());
    // The node at Path in the window's records (a copy of them, or they), null above them.
    auto In = [&](const TXmlNode* Tree, const std::string& Path) -> TXmlNode* {
        if (Path != Root && !Below(Path, Root))
            return nullptr;
        return NodeAtPath(const_cast<TXmlNode*>(Tree), Path.substr(Prefix.empty() ? 0 : Prefix.size() + 1));
    };
    auto InScope = [&](const std::string& Path) { return In(Scope, Path); };
    // What the copy held at Path: below a part it left out, what Scope holds there. Deleted: a record on the way was
    // marked taken away before the Apply.
    auto BeforeAt = [&](const std::string& Path, bool* Deleted = nullptr) -> const TXmlNode* {
        if (!Before || (Path != Root && !Below(Path, Root)))
            return nullptr;
        const std::vector<std::string> Names = Split(Path.substr(Prefix.empty() ? 0 : Prefix.size() + 1));
        const TXmlNode* Node = Names.front() == Before->GetName() ? Before : nullptr;
        std::string At = Root;
        bool InCopy = true;
        for (size_t i = 0; Node; ++i) {
            if (Deleted && Node->GetAttr("Change") == "Delete")
                *Deleted = true;
            if (i + 1 == Names.size())
                break;
            if (InCopy && Uncopied(Node)) {
                InCopy = false;
                if (!(Node = InScope(At)))
                    break;
            }
            At = JoinPath(At, Names[i + 1]);
            Node = ChildNamed(Node, Names[i + 1]);
        }
        return Node;
    };
    // The copy's values, as CollectValues gathers them, with what Scope holds in the parts it left out.
    TCollect CollectBefore;
    CollectBefore = [&](const TXmlNode* Node, const std::string& Above, TValueMap& Out) {
        if (!Node || Node->GetAttr("Change") == "Delete")
            return;
        const std::string Path = JoinPath(Above, Node->GetName());
        if (const TXmlNode* Held = Uncopied(Node) ? InScope(Path) : nullptr) {
            CollectValues(Held, Above, Out);
            return;
        }
        Out[Path] = Node->GetValue();
        for (const auto& Child : Node->Nodes)
            if (IsRecordTag(Child.get()))
                CollectBefore(Child.get(), Path, Out);
    };
    // Groups are changed whole: every value of a group with a change is the change's, so all are named.
    const bool Replaced = Kind == rkReplaceChanged;
    TValueMap Was, Now;
    if (Replaced || !Before || Before->GetName() != Scope->GetName() || Before->GetAttr("Change") == "Delete" ||
        Scope->GetAttr("Change") == "Delete") {
        CollectBefore(Before, Prefix, Was);
        CollectValues(Scope, Prefix, Now);
    } else {
        Differences(Before, Scope, Root, Was, Now, CollectBefore);
    }
    auto NodeOf = [&](const std::string& Path) -> const TXmlNode* {
        const TXmlNode* Node = InScope(Path);
        return Node ? Node : BeforeAt(Path);
    };
    // A copy of a record as it was before, made whole where the window's copy left parts out.
    std::function<void(TXmlNode*, const std::string&)> Fill = [&](TXmlNode* Node, const std::string& Path) {
        if (Uncopied(Node)) {
            Node->Attrs.DeleteByName(UncopiedAttr);
            if (const TXmlNode* Held = InScope(Path))
                for (const auto& Child : Held->Nodes)
                    Node->AddChild(Child->Clone(true));
            return;
        }
        for (const auto& Child : Node->Nodes)
            if (IsRecordTag(Child.get()))
                Fill(Child.get(), JoinPath(Path, Child->GetName()));
    };
    auto Keep = [&](const std::string& Path) {
        const TXmlNode* Was = BeforeAt(Path);
        if (!Was || Set.RemovedAt(Path))
            return;
        std::shared_ptr<TXmlNode> Copy(Was->Clone(true));
        Fill(Copy.get(), Path);
        Set.Removed.emplace(Path, std::move(Copy));
        if (Was->Parent) {
            std::vector<std::string>& Names = Set.Places[Path];
            for (const auto& Child : Was->Parent->Nodes)
                if (IsRecordTag(Child.get()))
                    Names.push_back(Child->GetName());
        }
    };
    // A change of the value at Path, with what its node tells of it.
    // A value the maps do not name is unchanged: its node tells it.
    auto Value = [&](const TValueMap& Map, const TXmlNode* Tree, const std::string& Path) {
        if (const auto It = Map.find(Path); It != Map.end())
            return TMaybeValue(It->second);
        if (Tree == Before) {
            bool Deleted = false;
            const TXmlNode* Node = BeforeAt(Path, &Deleted);
            return Node && !Deleted ? TMaybeValue(Node->GetValue()) : TMaybeValue();
        }
        const TXmlNode* Node = In(Tree, Path);
        for (const TXmlNode* Up = Node; Up && Up != Tree->Parent; Up = Up->Parent)
            if (Up->GetAttr("Change") == "Delete")
                return TMaybeValue();
        return Node ? TMaybeValue(Node->GetValue()) : TMaybeValue();
    };
    auto ChangeAt = [&](const std::string& Path, const TXmlNode* Node) {
        TChange C{Path, Value(Was, Before, Path), Value(Now, Scope, Path), {}, {}, !IsMadeAndDeletedRecord(Node)};
        if (const TXmlNode* Description = Node ? Node->GetTemplate() : nullptr) {
            C.Form = DeviceFormOf(Description);
            // A code of a few characters (a dial string, a device number) the device shows in capitals whatever
            // the firmware: only free text keeps its case.
            C.KeepsCase = KeepsCase && ValueRuleOf(Description).Mask.empty();
            if (C.Leaf && Description->Attrs.Find("Value"))
                C.Default = Description->GetAttr("Value");
            if (Description->Attrs.Find(DistinctAttr) && Node->Parent)
                for (const auto& Other : Node->Parent->Nodes)
                    if (const TXmlNode* D = Other->GetTemplate();
                        Other.get() != Node && IsRecordTag(Other.get()) && D && D->Attrs.Find(DistinctAttr))
                        C.Rivals.push_back(JoinPath(ParentPath(Path), Other->GetName()));
        }
        return C;
    };
    // A section whose records the device deletes and makes anew to change them: a record with a change may be
    // found gone, or made again only in part, and a put-back makes it again whole.
    std::set<std::string> ReplacedRecords, Emptied, InSet;
    std::vector<std::string> Emptiers;
    auto Consider = [&](const std::string& Path) {
        const TMaybeValue B = ValueAt(Was, Path), W = ValueAt(Now, Path);
        // Equal as they are: no change, whatever the node (the values of most records are unchanged).
        if (B == W)
            return;
        const TXmlNode* Node = NodeOf(Path);
        TChange C = ChangeAt(Path, Node);
        if (C.Same(B, W))
            return;
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
        if (const TXmlNode* D = Node ? Node->GetTemplate() : nullptr; D && D->Attrs.Find(EmptiesRecordAttr) && C.Leaf &&
            C.Wanted && C.Wanted->empty() && C.Before && !C.Before->empty())
            Emptiers.push_back(Path);
        InSet.insert(Path);
        Set.Changes.push_back(std::move(C));
    };
    // Both maps are in path order: one pass over them finds every path either holds.
    for (auto W = Was.begin(), N = Now.begin(); W != Was.end() || N != Now.end();) {
        if (N == Now.end() || (W != Was.end() && W->first < N->first))
            Consider((W++)->first);
        else if (W == Was.end() || N->first < W->first)
            Consider((N++)->first);
        else {
            Consider(W->first);
            ++W, ++N;
        }
    }
    // A compact list names its entries by place, which a deletion shifts: its copy before is kept whole.
    if (Kind == rkPlaces && !Set.Changes.empty())
        Keep(Root);
    for (const std::string& Record : ReplacedRecords) {
        Keep(Record);
        auto Whole = [&](const std::string& Path) {
            if (!InSet.insert(Path).second)
                return;
            TChange C = ChangeAt(Path, NodeOf(Path));
            C.Leaf = C.Leaf && Path != Record;
            C.Earlier.push_back(std::nullopt);
            Set.Changes.push_back(std::move(C));
        };
        Whole(Record);
        // Made again, the record may come back only in part: each of its values, changed or not, is the change's.
        for (const TValueMap* Map : {&Was, &Now})
            for (auto It = Map->upper_bound(Record); It != Map->end() && Below(It->first, Record); ++It)
                Whole(It->first);
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
            TChange R = ChangeAt(Path, N);
            R.ResetBy = C.Path;
            Reset.push_back(std::move(R));
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
    for (const std::string& Store : Emptiers)
        for (TChange& C : Set.Changes)
            if (C.Path != Store && Below(C.Path, ParentPath(Store)))
                C.EmptiedBy = Store;
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
        if (!C.EmptiedBy.empty())
            Same->EmptiedBy = C.EmptiedBy;
    }
    // A value back at its value before is no change any more.
    Held.Changes.erase(std::remove_if(Held.Changes.begin(), Held.Changes.end(),
                           [](const TChange& C) { return C.Same(C.Before, C.Wanted) && C.ResetBy.empty() && C.Earlier.empty(); }),
        Held.Changes.end());
    // A copy an earlier Apply kept is what the device held before either.
    Held.Removed.insert(Later.Removed.begin(), Later.Removed.end());
    Held.Places.insert(Later.Places.begin(), Later.Places.end());
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
    const std::function<const TXmlNode*(const std::string& Path)>& Source, const std::function<void(TXmlNode*)>& Made,
    const TChangeSet* Changes)
{
    if (Path.find(Separator) == std::string::npos)
        return nullptr;
    TXmlNode* Parent = NodeAtPath(Tree, ParentPath(Path));
    if (!Parent)
        Parent = MakeAt(Tree, ParentPath(Path), Source, Made, Changes);
    const TXmlNode* Copy = Source ? Source(Path) : nullptr;
    if (!Parent || !Copy)
        return nullptr;
    if (TXmlNode* Made = NodeAtPath(Tree, Path))   // the copy of a record above brought it
        return Made;
    // In the copy's order among what Parent holds: the device is told a record's values in their node order, and
    // a record made again only in part may lack the values before it (a group member stored before the name and
    // the members above it is refused). The names beside it before, in order: from the record it lay in, or those
    // the change set kept with a record copied on its own.
    std::vector<std::string> Names;
    if (const TXmlNode* Was = Copy->Parent ? Copy->Parent : Source(ParentPath(Path))) {
        for (const auto& Child : Was->Nodes)
            if (IsRecordTag(Child.get()))
                Names.push_back(Child->GetName());
    } else if (Changes) {
        if (const auto It = Changes->Places.find(Path); It != Changes->Places.end())
            Names = It->second;
    }
    auto IndexOf = [&](const std::string& Name) {
        for (int j = 0; j < Parent->Nodes.Count(); ++j)
            if (IsRecordTag(Parent->Nodes.Items(j)) && Parent->Nodes.Items(j)->GetName() == Name)
                return j;
        return -1;
    };
    const auto Own = std::find(Names.begin(), Names.end(), Copy->GetName());
    int At = Parent->Nodes.Count();
    if (Own != Names.end()) {
        // After the nearest record before it that Parent holds, else before the nearest one after it.
        bool Placed = false;
        for (auto It = std::make_reverse_iterator(Own); It != Names.rend() && !Placed; ++It)
            if (const int j = IndexOf(*It); j >= 0) {
                At = j + 1;
                Placed = true;
            }
        for (auto It = Own + 1; It != Names.end() && !Placed; ++It)
            if (const int j = IndexOf(*It); j >= 0) {
                At = j;
                Placed = true;
            }
    }
    Parent->Nodes.Insert(At, Copy->Clone(true));
    TXmlNode* Node = Parent->Nodes.Items(At);
    if (Made)
        Made(Node);
    return Node;
}

} // namespace

void ApplyTargets(TXmlNode* Tree, const std::vector<TTarget>& Targets,
    const std::function<const TXmlNode*(const std::string& Path)>& Source, const std::function<void(TXmlNode*)>& Made,
    const TChangeSet* Changes)
{
    for (const TTarget* T : InOrder(Targets, [](const TTarget&) { return false; })) {
        TXmlNode* Node = NodeAtPath(Tree, T->Path);
        if (!T->Value) {
            if (Node && Node->Parent)
                Node->Parent->RemoveChild(Node);
            continue;
        }
        if (!Node)
            Node = MakeAt(Tree, T->Path, Source, Made, Changes);
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
        ApplyTargets(Tree, Targets, Source, {}, &Changes);
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
