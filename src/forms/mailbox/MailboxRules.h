// The decisions of the mailbox windows (listing, notification devices, schedule) as plain functions that tests call
// without a window: how many mailboxes may still be added, which entered numbers are refused and why, the names of
// devices and days, the schedule's stored and shown texts on older firmware, and the order in which a deleted
// mailbox is carried into the other sections. Nothing here shows a box or touches a grid.
#pragma once

#include "forms/simple/SimpleFormRules.h"

#include <cstdint>
#include <string>
#include <vector>

class TDataManager;

class TXmlDoc;
class TXmlNode;

class TFormServices;

// ---- listing ----

// The listing shows the user mailboxes, the Message Manager's and (as its last row) the System Manager's. Another
// mailbox may be added while the user mailboxes shown stay below the device's count. The one rule that the add
// button, the Insert key and the add handler itself all ask.
bool MayAddMailbox(int32_t ListingRows, int32_t AmountUserMailboxes);

// What the listing's own rows hold, for the checks across rows: Texts[row] is the text of one column.
// Answers whether a row other than ExceptRow holds exactly Value (-1: no row is excepted).
bool ColumnHolds(const std::vector<std::string>& Texts, const std::string& Value, int32_t ExceptRow);

// Column 1 (extension): refused when another row has it, or when another section or an open window uses it
// (Place names where). Empty or unchanged texts pass unchecked.
TCellDecision CheckListingExtension(const std::string& Text, const std::string& EditStart,
    const std::vector<std::string>& Extensions, int32_t Row, const std::string& FormCaption,
    TFormServices& Services);
// Column 5 (extension group): refused when it is an extension group's number (stored or in its open window).
TCellDecision CheckListingExtensionGroup(const std::string& Text, const std::string& EditStart,
    TFormServices& Services);
// Column 6 (interview mailbox): a number of digits that is no mailbox (of any row, stored, or the row's own), no
// mailbox group and no other row's interview number.
TCellDecision CheckInterviewNumber(const std::string& Text, const std::string& EditStart,
    const std::vector<std::string>& Mailboxes, const std::vector<std::string>& InterviewNumbers, int32_t Row,
    TFormServices& Services);

// The sections a deleted mailbox is carried into, and the sections a dropped interview number is cleared from.
const std::vector<std::string>& MailboxReferringSections();
const std::vector<std::string>& InterviewReferringSections();

// What the listing's Apply does with its deletions, in two steps around the store of "Mailbox Listing".
// BeforeStore: false (and nothing changes) when a window of a referring section is open (the box has been shown).
// AfterStore: only once the listing was stored, each deleted mailbox is carried into the referring sections and
// each dropped interview number cleared; a failed store must call nothing, so that no other section follows a
// deletion the device never made.
bool MayCarryMailboxDeletions(TFormServices& Services, bool HasMailboxes, bool HasInterviewNumbers);
void CarryMailboxDeletions(TFormServices& Services, const std::vector<std::string>& Mailboxes,
    const std::vector<int32_t>& InterviewNumbers);

// ---- notification devices and schedule ----

// "1ST", "2ND", "3RD" for devices 0 to 2; "" otherwise.
std::string DeviceName(int32_t Device);
// Where a mailbox's notification devices are kept in the data document: the section, the mailbox's record and its
// "Notification Setting"; each null from the first that is missing.
struct TNotificationNodes {
    TXmlNode* Section = nullptr;
    TXmlNode* Record = nullptr;
    TXmlNode* Notification = nullptr;
};
TNotificationNodes FindNotificationNodes(TXmlDoc* Data, const std::string& MailboxSubSection);
// "Mon" ... "Sun" for days 0 to 6; "" otherwise.
std::string DayName(int32_t Day);
// Below a day node, time frame Frame ("1" or "2") made from the description's frame template; null when it cannot be.
TXmlNode* AddScheduleFrame(TDataManager* Manager, TXmlNode* Day, TXmlNode* FrameTemplate, const std::string& Frame);
// Below a schedule node, the day node named "Day " + Name made from the description's day template, with the
// template's other parts and time frame 1 (and 2 when SecondFrame); null when the day cannot be made.
TXmlNode* AddScheduleDay(TDataManager* Manager, TXmlNode* Schedule, TXmlNode* DayTemplate, const std::string& Name,
    bool SecondFrame);
// Both windows' name of the description's day template.
inline constexpr const char* DayTemplateName = "Day %T%";

// A device number as stored: in capitals (an "X" marks a beeper).
std::string DeviceNumberText(const std::string& Text);
bool IsBeeperNumber(const std::string& Text);

// Below firmware 4.09 the device stores "ALL USE" and "NO USE" for the frames that the window shows as "All Day"
// and "No Use"; from 4.09 on the texts are the same.
std::string ScheduleValueToText(const std::string& Value, int32_t FlashVersion);
std::string ScheduleTextToValue(const std::string& Text, int32_t FlashVersion);
// A day whose first frame is "No Use" or "All Day", or whose second frame starts "No Use", has no second frame.
bool ScheduleHasSecondFrame(const std::string& Frame1Start, const std::string& Frame2Start);
// The second frame's start: "No Use" is shown empty, and an empty one is stored as "No Use", which makes the device
// drop the frame it had (an empty answer keeps the old time there).
std::string ScheduleFrame2StartText(const std::string& Value, int32_t FlashVersion);
std::string ScheduleFrame2StartValue(const std::string& Text, int32_t FlashVersion);
// The frames dialog's answer as a schedule row keeps it: a frame that starts "All Day" or "No Use" has no end (the
// device refuses one; the dialog answers "No Use" in the place of the first frame's end), and after such a first
// frame there is no second one.
void SettleDialogFrames(std::string& Start1, std::string& End1, std::string& Start2, std::string& End2);
