// What one Apply was to change on the device, and what a write after a cut may send of it. The device has no
// transactions: after a cut nobody knows which stores it took, and what it holds besides may have changed by other
// means (another program, the device's own console, another office's device behind the same port). So a retry
// and a put-back write like an optimistic transaction: they read the section back, and touch only the values of
// the change set, each by comparing what the device holds with the value before and the value wanted.
//
// A value is named by its path: the names from its section down, joined by a tab. A record is a value too; its
// presence is what counts (its own value, a key or "", is compared like any other). Absent: std::nullopt.
#pragma once

#include "engine/SectionReconcile.h"
#include "engine/ValueCheck.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TXmlNode;

using TMaybeValue = std::optional<std::string>;
using TValueMap = std::map<std::string, std::string>;   // path -> value of every record and value present

// Whether a firmware keeps the case of the texts it is given (an older one shows them in capitals).
bool FirmwareKeepsCase(int FlashVersion);
// Whether the device holding Held holds what was stored as Stored: as typed where it keeps case, else whatever
// the case.
bool SameOnDevice(std::string_view Held, std::string_view Stored, bool KeepsCase);

struct TChange {
    std::string Path;
    TMaybeValue Before, Wanted;
    // What earlier Applies of the same window, cut short too, were to store: the device may hold any of them.
    std::vector<TMaybeValue> Earlier;
    // The path of a store in the same change set whose sending makes the device reset this value (empty: none).
    std::string ResetBy = {};
    // No record the device makes and deletes: one the device does not show counts as empty, and one it shows in
    // capitals (as an older firmware shows names) as the value typed.
    bool Leaf = true;
    // The form the device shows the value in: a number or a date read back is compared in it.
    TDeviceForm Form = dfAsTyped;
    // What the device gives the value when it makes its record, before the value's own store (the description's
    // value): in a record a change or its put-back was making, that is what the cut left.
    TMaybeValue Default = {};
    bool KeepsCase = false;
    // The other values of its record that the device keeps different from it ("Distinct"), by path.
    std::vector<std::string> Rivals = {};
    // The path of a value of the change whose store, emptying it, makes the device empty the rest of its record
    // ("EmptiesRecord": a menu without a name): an empty value there is what the change left.
    std::string EmptiedBy = {};

    bool Same(const TMaybeValue& A, const TMaybeValue& B) const;
};

struct TChangeSet {
    std::string Section;
    std::vector<TChange> Changes;   // in path order: a record comes before its values
    // Copies of the records the Apply took away, as they were before, by path: a put-back makes them again.
    std::map<std::string, std::shared_ptr<const TXmlNode>> Removed;
    // The names of the records beside each record copied in Removed, in their order before: one made again takes
    // the place it had.
    std::map<std::string, std::vector<std::string>> Places = {};
    // How the section's records are addressed. A compact list (rkPlaces) names its entries by their places, which
    // a deletion shifts: its change is told by the entries' values (see RetryTargets), its list before kept whole.
    TReconcileKind Kind = rkKeyed;

    bool Empty() const { return Changes.empty(); }
    const TChange* Find(const std::string& Path) const;
    // Whether Path is a value of the change set or lies below a record of it.
    bool Covers(const std::string& Path) const;
    // The copy of what Path held before, where the change set kept one (a record taken away, or below it).
    const TXmlNode* RemovedAt(const std::string& Path) const;
};

// One value a write after a cut is to leave on the device.
struct TTarget {
    std::string Path;
    TMaybeValue Value;
};

// A value of the change set that the device holds neither before nor as wanted: nobody knows who stored it, so it
// is left alone and named.
struct TThird {
    std::string Path;
    std::string Held;
};

struct TPutBackPlan {
    std::vector<TTarget> Sends;   // the values before, where the device holds what the dropped change left
    std::vector<TThird> Thirds;
    // Values the change left that keep it: their value before is held by a third value the device keeps apart
    // from them (a prompt number another prompt took meanwhile), so sending it would be refused.
    std::vector<TThird> Blocked;
    // Something the change left stays on the device: a record it made that was changed since, or Blocked.
    bool LeftStays = false;
    // A compact list holding entries nobody here stored (the Thirds): it is left as it is, nothing is sent.
    bool ListLeft = false;
    // The device ends as it was before the Apply: no third value.
    bool Whole() const { return Thirds.empty(); }
};

TMaybeValue ValueAt(const TValueMap& Values, const std::string& Path);

// A retry: the wanted values the device lacks. Nothing outside the change set is sent.
// A compact list's entries are told by their values: the change took away the values before it no longer wanted
// and added the values wanted that were not there. A retry takes away from the device's list what the change took
// away and appends what it added, each as far as the device's count of the value differs from the wanted one;
// the other entries stay where they are. Its targets name an entry taken away by its place on the device, and an
// entry appended by a place after the device's last (the list is named by places again once they are in).
std::vector<TTarget> RetryTargets(const TChangeSet& Changes, const TValueMap& Device);

// A put-back, the same rule backwards: where the device holds the wanted value, or the state a store of the change
// left (a value the store of ResetBy reset, a record taken away), the value before; where it holds the value before,
// nothing; anywhere else a third value, left alone. Values below a record that is taken away or made again follow
// the record. A record the change made is taken away only while what it holds below is what the change stored
// (or what the device gave it on the way); otherwise it stays, and its other values are named.
// A value the device keeps apart from others is not given back a value before that a third value holds.
// A compact list the same backwards, by values: only when every entry the device holds is one the list held
// before or a change of the window stored (any other is a third value, and the list is left alone), the entries
// the change added are taken away and those it took away appended again, where the device's count of the value
// lies between the count before and the one wanted.
TPutBackPlan PlanPutBack(const TChangeSet& Changes, const TValueMap& Device);

// A put-back of Changes, planned as Sends against Device, was cut short: a record it was making again may be on the
// device in part, its values not yet sent at what the device gives them. Those count as left by the change from
// now on, so that the next put-back completes the record.
void KeepPutBackCut(TChangeSet& Changes, const std::vector<TTarget>& Sends, const TValueMap& Device);

// ---- the same on data trees --------------------------------------------------------------------------------------

std::string JoinPath(const std::string& Parent, const std::string& Name);
// "Class 4 / Message Retention Days": a path as the user reads it, without its section.
std::string PathText(const std::string& Path);

// Every record and value of Section (its record children, recursively), by path; a record marked "Delete" and what
// lies below it count as absent. Prefix is the path of Section's parent (empty for a section).
void CollectValues(const TXmlNode* Node, const std::string& Prefix, TValueMap& Out);
// The node of Tree at Path, whose first name is Tree's own (null: none).
TXmlNode* NodeAtPath(TXmlNode* Tree, const std::string& Path);

// A node of a copy made before an Apply that stands for a part of the records the window neither shows nor changes
// (another window edits it): its children were not copied, and what lies below it is what Scope holds there.
inline constexpr const char* UncopiedAttr = "Uncopied";
// The copy of Scope an Apply's change set is worked out against, leaving out below each node LeftOut names (its
// own value is copied, and it is marked UncopiedAttr). A window copies only what it may change.
std::unique_ptr<TXmlNode> CopyLeavingOut(const TXmlNode* Scope, const std::function<bool(const TXmlNode*)>& LeftOut);

// The change set of an Apply in the window's records: Before is a copy of Scope as it was before (made whole, or by
// CopyLeavingOut), Scope the same records now, with the Apply's marks (a deletion marked, not yet carried out). Values a changed store makes the
// device reset are added, unchanged or not, with ResetBy set. Section names the section Scope lies in.
// A record that the device deletes and makes anew to change it (rkReplaceChanged) is changed whole: every value of
// it is in the change set, the unchanged ones too, since the device may hold the record made again only in part.
// KeepsCase: the firmware keeps the case of texts, so a change of case alone is a change.
TChangeSet ChangesOfApply(const std::string& Section, const TXmlNode* Before, const TXmlNode* Scope,
    TReconcileKind Kind, bool KeepsCase = false);
inline TChangeSet ChangesOfApply(const std::string& Section, const TXmlNode* Before, const TXmlNode* Scope)
{
    return ChangesOfApply(Section, Before, Scope, ReconcileKindOf(Section));
}

// Held grows by Later, an Apply of the same window after Held's was cut: a value in both keeps Held's value before.
void MergeChanges(TChangeSet& Held, const TChangeSet& Later);

// The values the user changed, as a box counts them (Total): a record made or taken away counts once, with none of
// its values, and a value the device resets by itself counts not at all. Took: those of them Confirmed says the
// device holds.
void CountChanges(const TChangeSet& Changes, const std::function<bool(const std::string& Path)>& Confirmed,
    int& Took, int& Total);

// Brings Tree (a section) to Targets: values set, records removed, and records added as copies found by Source
// (null: not made). Nodes made are fresh clones, handed to Made (a document gives them IDs of their own). A record
// made again takes its place among what Tree holds from the Places of Changes, when given.
void ApplyTargets(TXmlNode* Tree, const std::vector<TTarget>& Targets,
    const std::function<const TXmlNode*(const std::string& Path)>& Source,
    const std::function<void(TXmlNode*)>& Made = {}, const TChangeSet* Changes = nullptr);
// The same for a retry or a put-back of Changes on Tree, the section as the device holds it: Targets are those of
// RetryTargets or PlanPutBack, and a compact list's entries appended are copies of an entry of Source(Section).
void ApplyTargets(TXmlNode* Tree, const TChangeSet& Changes, const std::vector<TTarget>& Targets,
    const std::function<const TXmlNode*(const std::string& Path)>& Source);
