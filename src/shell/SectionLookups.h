// What the cross-section services do to the data document, without any window: looking a value up in a section,
// taking a member out of a mailbox group with the renumbering that follows, and carrying a deleted mailbox into the
// sections that refer to it. The main window's services find the section nodes and call these.
//
// Names compare as the data document compares them (without case), values exactly. A null section or an empty
// mailbox number changes nothing: an empty value refers to no mailbox, and would otherwise match every unused slot.
// Nothing here writes "Change" marks: the device makes the same changes by itself when the mailbox is deleted, and
// the data document only follows it.
#pragma once

#include <string>
#include <vector>

class TXmlNode;

// Prefixes of the item names of "Mailbox Listing", "Mailbox Group" and "Extension Group". A group's node holds its
// group number as its value; the lookups of group numbers look for these names, which begin with no "Group No.".
inline constexpr const char* MailboxItemPrefix = "Mailbox No. ";
inline constexpr const char* MailboxGroupPrefix = "Mailbox Group No. ";
inline constexpr const char* ExtensionGroupPrefix = "Extension Group No. ";

// False when a node of Section (itself or below, in document order) has a "Name" beginning with FieldPrefix and a
// "Value" equal to Value; true otherwise, also for a null Section and for an empty Value.
bool IsFieldValueFreeIn(TXmlNode* Section, const std::string& FieldPrefix, const std::string& Value);

// True when the "Mailbox Listing" section holds an item named "Mailbox No. " + Number.
bool HasMailboxItem(TXmlNode* Listing, const std::string& Number);

// Removes a group member and renumbers the members left in its list ("Mailbox No. 1", "Mailbox No. 2", ...), as
// the device moves them up. When no member with a number is left, the whole group goes; the other groups keep
// their names, which hold their group numbers as a load from the device names them ("Mailbox Group No. 500").
// The group is the member's nearest ancestor named "Mailbox Group No. ..." (the member list itself or its parent);
// a member outside any group is only removed.
void RenumberMailboxItems(TXmlNode* Member);

// Carries the deletion of Mailbox into the data section Section ("Mailbox Group", "Class of Service", "Caller ID Call
// Routing", "Custom Service", "Fax Management", "Operator's Parameters"; any other section: nothing).
void ReplaceMailboxReferences(TXmlNode* Section, const std::string& Mailbox);

// Clears the interview services that name Mailbox in "Port Service", "Trunk Service" or "Holiday Listing" (any other
// section: nothing): the parameter naming the mailbox is removed and the service falls back to its default.
void ClearInterviewReferences(TXmlNode* Section, const std::string& Mailbox);

// The text of the "close these forms" message: each caption in double quotes, joined by ", ".
std::string OpenFormsList(const std::vector<std::string>& Captions);
