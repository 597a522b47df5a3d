// After a write to the device failed part-way, nobody knows which of the section's changes the device stored: the
// marks left in the data document were worked out against what the device held before, and sent again they may
// address records that are gone, renumbered or already made. ReconcileSection works the marks out afresh: given
// the section as the device now shows it (read back) and the data section that holds what the user wants, it marks
// the data section so that its save takes the device from the one to the other, and nothing more.
//
// Promises: the wanted values are never changed, and the nodes that hold them stay the same objects (an open window
// stays bound to them); records the device has and nobody wants are added, marked "Delete", before the others;
// records the wanted state has no more and the device lacks are dropped. The device's tree is consumed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TXmlNode;

// How a section's records are addressed by its save script.
enum TReconcileKind {
    rkKeyed,           // by the key in their name: a changed field is modified in place
    rkReplaceChanged,  // by key, but a record whose stored fields differ is deleted and made anew (groups, whose
                       // members are kept in order and unique, so an edit in place may be refused)
    rkPlaces,          // by place in a compact list that the device renumbers after a deletion and appends to
};

TReconcileKind ReconcileKindOf(const std::string& Section);

// The section's data node, marked as said above; Device is the same section read back (its "Change" marks ignored).
void ReconcileSection(TXmlNode* Wanted, std::unique_ptr<TXmlNode> Device, TReconcileKind Kind);

// Sets the "ParseValue" of each entry of a compact list to the place it has when its save step runs, in document
// order: a deletion leaves its place to the next entry.
void NumberListPlaces(TXmlNode* Section);

// The attribute that marks a data section whose content on the device is unknown since a write to it failed.
inline constexpr const char* UnsettledAttr = "Unsettled";

// The description attribute of a value whose store makes the device give other values new ones (an authorisation
// set to "Yes" gives its dependent values their defaults, an integration mode presets the ports): the names of
// those values' description nodes, separated by ";". They are looked for after the store, below its parent.
inline constexpr const char* ResetsAttr = "Resets";

// The description attribute of values of one record that the device keeps different from each other (it refuses a
// value another of them holds), with the range of values they take ("1..9"). Their stores are planned against
// what the device holds: a value another still holds on the way is stored through a free one first (the data
// attribute ThroughAttr), and its own value is sent after the others by the section's script.
inline constexpr const char* DistinctAttr = "Distinct";
// The description attribute of a value whose store, emptying it, makes the device empty the other values of its
// record (a custom menu without a name is out of use, and the device shows its values empty).
inline constexpr const char* EmptiesRecordAttr = "EmptiesRecord";
inline constexpr const char* ThroughAttr = "Through";

// The description attribute ("Yes") of a value that, emptied, switches its record off (a notification device's
// number): the device then forgets the record's other values, refuses them, and shows none of them.
inline constexpr const char* SwitchesOffAttr = "SwitchesOff";

// Asks that Section be read back from the device before its next write, as after a failed one, when one of its
// distinct values is to be sent: the order of their stores depends on what the device holds.
void ReadBeforeWriteWhenDistinctChanged(TXmlNode* Section);

// Whether a step tagged Tag in the save scripts of the description node Description passes Test.
bool SaveScriptHas(const TXmlNode* Description, const std::string& Tag,
    const std::function<bool(const TXmlNode*)>& Test);

// Whether Node's save script has a way of its own to send an empty value (a store that empties the field).
bool ScriptSendsEmpty(const TXmlNode* Node);

// Whether Node is a record its save script makes or deletes on the device (the others are always there).
bool IsMadeAndDeletedRecord(const TXmlNode* Node);

// Whether the device resets other values when Node's value is stored.
bool StoreResetsOthers(const TXmlNode* Node);

// The values the device resets when Store's value is stored: those named by its "Resets", after it below its parent.
std::vector<TXmlNode*> ResetTargets(const TXmlNode* Store);

// Store is to be sent: every value its store resets that would not be sent is marked "Modify", so that its wanted
// value follows the store. A value that is empty is marked only when its script can empty it on the device; an
// empty store (an authorisation or a number taken away) leaves nothing to follow it. The nodes marked are added to
// Marked when it is given.
void MarkResetValues(TXmlNode* Store, std::vector<TXmlNode*>* Marked = nullptr);

// Whether Store, emptied, switches its record off (its description node's SwitchesOffAttr).
bool SwitchesRecordOff(const TXmlNode* Store);
// Brings the record that Store switches off to what the device holds once Store is stored: every other value takes
// its description's value, unmarked, and the blocks below lose their records (a schedule's days). So no road sends
// anything of the record but Store; the section window of the record does the same on its Apply.
void SettleSwitchedOffRecord(TXmlNode* Store);

