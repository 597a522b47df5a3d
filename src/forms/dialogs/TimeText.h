// Times as the time dialogs read and write them, without any window. A time travels as text, "9:05" in 24-hour form
// or "09:05,PM" in 12-hour form, and is worked on packed into one integer: minute in bits 0-7, hour in bits 8-15,
// and in the 12-hour reading bit 16 for PM. A text that is no time packs to -1 ("not set").
//
// Texts come from the device and from grid cells, so anything may arrive: a part that is not one or two digits
// ("12:", "--:--", "ab:00") makes the whole text "not set"; nothing here throws.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t TimePMBit = 0x10000;

inline int32_t PackTime(int32_t Hour, int32_t Minute) { return (Hour << 8) | Minute; }
inline int32_t TimeHour(int32_t Packed) { return (Packed >> 8) & 0xFF; }
inline int32_t TimeMinute(int32_t Packed) { return Packed & 0xFF; }

// Hour = the text before the first ":", minute = the text from there to the first "," (or the end), each one or
// two digits (blanks around them allowed); Rest = the text after that ",". No PM bit. -1 when not a time.
int32_t ParseTimeStr(const std::string& S, std::string& Rest);
int32_t ParseTimeStr(const std::string& S);
// As ParseTimeStr; when a text follows the ",", hour 12 counts as 0 and "PM" (any case) adds the PM bit.
int32_t ParseTime12Str(const std::string& S);

// Decimal text with leading zeros up to Width.
std::string IntToStrPad(int32_t Value, int32_t Width);
// Two-digit hour and minute texts; both empty for a negative value.
void TimeToParts(int32_t Packed, std::string& HourText, std::string& MinuteText);

// One step of the hour: 24-hour: below 0 becomes 0; 12-hour: below 1 becomes 12, above 12 becomes 1. A negative
// value stays as it is.
int32_t StepHour(int32_t Packed, int32_t Delta, bool Hour12);
// One step of the minute: below 0 becomes 59, above 59 becomes 0, and with Carry the hour follows (12-hour: it
// wraps between 1 and 12; 24-hour: going below 00:00 gives 00:00, the lowest time).
int32_t StepMinute(int32_t Packed, int32_t Delta, bool Hour12, bool Carry);
// Minute above 59 becomes 59; 12-hour: hour 0 becomes 12.
int32_t NormalizeTime(int32_t Packed, bool Hour12);

// The spin buttons of a time field.
enum TTimeSpin { tsHourDown, tsHourUp, tsMinuteDown, tsMinuteUp };
// The value a spin button gives: Current is the field's packed value (-1 when the field is empty, which starts from
// 12:00 in 12-hour mode and 00:00 otherwise); the bounds hold as the dialogs hold them (an hour step out of bounds
// keeps the value, a minute step stops at the bound).
int32_t SpinTime(int32_t Current, TTimeSpin Button, bool Hour12, bool Carry, int32_t MinTime, int32_t MaxTime);

// What leaving an hour or minute edit shows: both texts empty stay empty (an unused time); otherwise each is padded
// to two digits, read and normalised (12-hour: hour 0 is 12). A part out of its range is brought to its nearest
// allowed value and the other part is kept (12-hour 13:10 becomes 12:10, a minute of 75 becomes 59); the time is
// then put into MinTime..MaxTime. Texts that are no time become empty. True when a part had to be changed, which
// the user is to be told (TimeInputMessage); padding and hour 0 of a 12-hour clock are no change.
// While one part is still empty the time is being typed (hour, Tab, minute): unless Final (the dialog is being
// left with OK, where an empty part reads as 00), only the typed part is padded; nothing is clamped or told.
bool LeaveTimeEdits(std::string& HourText, std::string& MinuteText, bool Hour12, int32_t MinTime, int32_t MaxTime,
    bool Final = false);
// The message for a time LeaveTimeEdits changed, in the grid cells' manner: the allowed times, then what the field
// (named Field, none when empty) now holds.
std::string TimeInputMessage(const std::string& Field, bool Hour12, int32_t MinTime, int32_t MaxTime,
    const std::string& Held);

// The text of a time field: empty unless both edits hold text other than blanks; then the hour as a number, ":",
// the minute as typed, and "," + AmPm when AmPm is not empty. Empty too when the hour is no number.
std::string TimeFieldText(const std::string& HourText, const std::string& MinuteText, const std::string& AmPm);
// A time as the cells and the device show it: two-digit hour and minute ("9:5,PM" -> "09:05,PM"). A text that is
// no time (empty, "All Day", "No Use") comes back as it is.
std::string CellTimeText(const std::string& Text);

// --- Time frames: two intervals of a day, or the whole day, or none ---------------------------------------------
inline constexpr const char* AllDayText = "All Day";
inline constexpr const char* NoUseText = "No Use";

enum TFrameMode { fmEdit, fmAllDay, fmNoUse };
struct TTimeFrames {
    std::string Start1, End1, Start2, End2;
    bool operator==(const TTimeFrames&) const = default;
};
// The whole day as the frames dialog writes it: "12:00,AM".."11:59,PM" or "00:00".."23:59".
void AllDayBounds(bool Hour12, std::string& Start, std::string& End);
// The mode four texts from the device stand for: "All Day" or "No Use" in Start1 (any case), or nothing at all.
TFrameMode FramesMode(const TTimeFrames& Frames);
// What the dialog hands back for a mode and the four texts read: whole days and empty frames folded into
// ("All Day", "No Use", "", "") and ("No Use", "No Use", "", "").
TTimeFrames FoldFrames(TFrameMode Mode, const TTimeFrames& Read, const std::string& AllDayStart,
    const std::string& AllDayEnd);
// The OK check of the frames: Code 0 fine; 1 start not set, 2 end not set, 3 end not after start (Frame 1 or 2);
// 4 the frames intersect (Frame 0). A second frame without start is accepted.
struct TFrameCheck {
    int32_t Code = 0;
    int32_t Frame = 0;
};
int32_t CheckFrame(const std::string& Start, const std::string& End);
TFrameCheck CheckFrames(const TTimeFrames& Frames);

// --- Time period: an interval, or the device's day or night mode -------------------------------------------------
inline constexpr const char* DayModeText = "Day Mode";
inline constexpr const char* NightModeText = "Night Mode";
enum TPeriodMode { pmSelectTime, pmDayMode, pmNightMode };
TPeriodMode PeriodMode(const std::string& Start);
// The default interval shown when times are chosen: 09:00-17:00 (12-hour: "09:00,AM".."05:00,PM").
void DefaultPeriod(bool Hour12, std::string& Start, std::string& End);
// The OK check: 0 fine; both unset: 0 when ClearAllowed, else 1; 2 start unset; 3 end unset; 4 end not after start.
int32_t CheckPeriod(const std::string& Start, const std::string& End, bool ClearAllowed);
