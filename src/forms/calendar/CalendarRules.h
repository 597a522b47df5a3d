// The decisions of the calendar windows (Time Service, Holiday Listing, Daylight Saving Time, System Date/Time) as
// plain functions that tests call without a window: the device's clock date (D-MON-Y) and the date dialog's D/M/Y
// both ways, kept in the device's year width; the checks that stop an Apply; the time-service columns and their
// period pairs; the holiday columns, their shown texts and the entry reset. Nothing here shows a box: a refusal
// comes back as its message or as the cell to select, and the window shows it.
#pragma once

#include "forms/service/ServiceRules.h"

#include <cstdint>
#include <string>
#include <vector>

class TGridFormCore;
class TXmlNode;
struct TDeviceFacts;

// ---- the device clock's date ----

// Today's date as the conversions need it for the parts a text leaves empty.
struct TToday {
    int32_t Day = 1;
    int32_t Month = 1;
    int32_t Year = 2000;
};
TToday SystemToday();

// "JAN" ... "DEC" (any case) give "01" ... "12"; any other text gives "1".
std::string MonthToNumber(const std::string& Month);
// "1"/"01" ... "12" give "JAN" ... "DEC"; any other text gives "1".
std::string MonthToName(const std::string& Month);
// How many digits the device writes its year with: those of the year part of DeviceDate, 2 when it has none.
int32_t DeviceYearWidth(const std::string& DeviceDate);
// "5-DEC-26" -> "5/12/26". A part that is empty (or the whole text) is today's day, month or year; a year taken
// from today is written with YearWidth digits.
std::string DeviceDateToDialog(const std::string& S, const TToday& Today, int32_t YearWidth);
// "5/12/26" or "5/12/2026" -> "5-DEC-26" for a device with two-digit years. An empty part is today's; the year is
// written with YearWidth digits as the date dialog writes it (a year of up to three digits is read through its
// century rule first).
std::string DialogDateToDevice(const std::string& S, const TToday& Today, int32_t YearWidth);

// ---- daylight saving ----

// Why an Apply of the two dates stops: the row to select and its fault; Row -1 when both may be stored.
struct TDaylightCheck {
    int32_t Row = -1;
    bool Missing = false;   // the row has no date while the other has one
    bool Equal = false;     // the end equals the start (the end row is emptied)
};
TDaylightCheck CheckDaylightSaving(const std::string& Start, const std::string& End);

// ---- time service ----
namespace TimeService {
constexpr int32_t Days = 7;
constexpr int32_t LastCol = 10;
extern const char* const ModeNode;     // "Time Service Mode": the service mode, shown in a combo box
extern const char* const ModeField;    // "Service Mode"
}
// "Mon" ... "Sun" for rows 0 to 6; empty otherwise.
std::string TimeServiceDayName(int32_t Row);
// The subtree of the time service parameters a column belongs to: 1-2 "Day Service", 3-4 "Lunch Service", 5-10
// "Break Service"; empty for other columns.
std::string TimeServiceSubtree(int32_t Col);
// The start column of the period a column belongs to (1, 3, 5, 7 or 9); column 0 gives the first period.
int32_t TimeServicePeriodStart(int32_t Col);
// Columns 1 and 2 show the stored "Day" and "Night" as "Day Mode" and "Night Mode", and store them back so.
std::string TimeServiceValueToText(int32_t Col, const std::string& Value);
std::string TimeServiceTextToValue(int32_t Col, const std::string& Text);
// The service mode's choices from its "Cell Info" lines ("stored=shown"): the stored values and the texts shown.
struct TModeChoices {
    std::string Caption;
    std::vector<std::string> Values;
    std::vector<std::string> Texts;
};
// Read from the "Cell Info" of the mode's description node (null: no choices).
TModeChoices ModeChoicesOf(TXmlNode* ModeTemplate);

// ---- holiday listing ----
namespace Holidays {
constexpr int32_t Count = 20;
constexpr int NumberCol = 0;
constexpr int NameCol = 1;
constexpr int StartCol = 2;
constexpr int EndCol = 3;
constexpr int ServiceCol = 5;
constexpr int ParameterCol = 6;
constexpr int GreetingCol = 7;
constexpr int PortsCol = 8;
constexpr int TrunksCol = 9;
extern const char* const RecordName;   // "HOLIDAY No. %V%": the record template's name
}
// Below firmware 4.09 the end date and the greeting cannot be set (an unknown firmware, 0, counts as new).
bool HolidayOldFirmware(const TDeviceFacts& Facts);
// The record template's value is the holiday number of Row (row + 1); other nodes give their "Value".
std::string HolidayNodeValue(const TXmlNode* Node, int32_t Row);
// The record template's name with the holiday number of Row (row + 1); other names unchanged.
std::string HolidayNodeName(const std::string& Name, int32_t Row);
// Column 5 shows "V.M." as "Voice Mail", column 7 "System Greeting" as "System"; and back.
std::string HolidayValueToText(int32_t Col, const std::string& Value);
std::string HolidayTextToValue(int32_t Col, const std::string& Text);
// The service parameter takes an interview mailbox or a custom service number; any other service locks it.
TServiceNumberRules HolidayParameterRules(const std::string& Service, const TDeviceFacts& Facts);
// The greeting typed: empty or "n" is "None", "s" is "System", a number is held to 1..32; a longer text with s or
// n, or one that is no number, is refused.
TCellDecision HolidayGreetingText(const std::string& Text);

// The first cell that must be filled before an Apply: a start date where a name is given, then a service
// parameter where the service needs one. Col -1 when nothing is missing.
struct TCellRef {
    int Col = -1;
    int Row = -1;
};
TCellRef FirstMissingHolidayCell(const TGridFormCore& Form);

// Grid operations of the holiday window, on the section logic alone (the window adds its widgets):
// the entry of Row back to the description's defaults, unbound, with its number and its locks.
void ResetHolidayRow(TGridFormCore& Form, int32_t Row, const TDeviceFacts& Facts);
// The service parameter cell of Row follows the row's service (limits, or locked).
void SetHolidayParameterRules(TGridFormCore& Form, int32_t Row, const TDeviceFacts& Facts);
// Every entry reset, then each stored record not marked "Delete" on the row of its number; answers the records
// whose number is not 1 to 20 (not shown).
std::vector<TXmlNode*> LoadHolidayRows(TGridFormCore& Form, const TDeviceFacts& Facts);
// The end date can be set only after a start date (and from firmware 4.09); EmptyEnd also empties an end date left
// without its start.
void SetHolidayEndDateLock(TGridFormCore& Form, int32_t Row, const TDeviceFacts& Facts, bool EmptyEnd);
// Whether Row shows the description's defaults.
bool HolidayRowAtDefaults(TGridFormCore& Form, int32_t Row);
// Before the base Apply: an entry without a stored record that was filled becomes a new record (a stale data
// node of its number is dropped first); a stored entry that shows the defaults again is deleted. A record marked
// "Delete" is no record of its entry: filled again, the entry becomes a new record after it, so that a save sends
// the deletion and then the addition of that number.
void SettleHolidayRecords(TGridFormCore& Form);
