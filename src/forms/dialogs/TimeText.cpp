#include "forms/dialogs/TimeText.h"

#include "platform/StrUtil.h"

#include <algorithm>

namespace {

// One or two decimal digits, blanks around them allowed; -1 otherwise.
int32_t TimePart(const std::string& Text)
{
    const std::string T = Trim(Text);
    if (T.empty() || T.size() > 2)
        return -1;
    int32_t V = 0;
    for (char C : T) {
        if (C < '0' || C > '9')
            return -1;
        V = V * 10 + (C - '0');
    }
    return V;
}

bool IsBlank(const std::string& S) { return Trim(S).empty(); }

// The next minute within the same hour; nothing follows a time that is not set.
int32_t NextMinute(int32_t Packed) { return Packed < 0 ? -2 : Packed + 1; }

bool FrameEmpty(const std::string& Start, const std::string& End) { return Start.empty() && End.empty(); }

}  // namespace

int32_t ParseTimeStr(const std::string& S, std::string& Rest)
{
    Rest.clear();
    const size_t Colon = S.find(':');
    if (Colon == std::string::npos)
        return -1;
    const size_t Comma = S.find(',', Colon + 1);
    const int32_t Hour = TimePart(S.substr(0, Colon));
    const int32_t Minute =
        TimePart(S.substr(Colon + 1, Comma == std::string::npos ? std::string::npos : Comma - Colon - 1));
    if (Comma != std::string::npos)
        Rest = S.substr(Comma + 1);
    if (Hour < 0 || Minute < 0)
        return -1;
    return PackTime(Hour, Minute);
}

int32_t ParseTimeStr(const std::string& S)
{
    std::string Rest;
    return ParseTimeStr(S, Rest);
}

int32_t ParseTime12Str(const std::string& S)
{
    std::string Rest;
    int32_t T = ParseTimeStr(S, Rest);
    if (T < 0 || Rest.empty())
        return T;
    if (TimeHour(T) == 12)
        T = PackTime(0, TimeMinute(T));
    if (SameText(Trim(Rest), "PM"))
        T |= TimePMBit;
    return T;
}

std::string IntToStrPad(int32_t Value, int32_t Width)
{
    std::string S = IntToStr(Value);
    if (int32_t(S.size()) < Width)
        S.insert(0, size_t(Width) - S.size(), '0');
    return S;
}

void TimeToParts(int32_t Packed, std::string& HourText, std::string& MinuteText)
{
    if (Packed < 0) {
        HourText.clear();
        MinuteText.clear();
        return;
    }
    HourText = IntToStrPad(TimeHour(Packed), 2);
    MinuteText = IntToStrPad(TimeMinute(Packed), 2);
}

int32_t StepHour(int32_t Packed, int32_t Delta, bool Hour12)
{
    if (Packed < 0)
        return Packed;
    int32_t H = TimeHour(Packed) + Delta;
    if (Hour12) {
        if (H < 1)
            H = 12;
        else if (H > 12)
            H = 1;
    } else if (H < 0) {
        H = 0;
    }
    return (Packed & ~0xFF00) | (std::min(H, 0xFF) << 8);
}

int32_t StepMinute(int32_t Packed, int32_t Delta, bool Hour12, bool Carry)
{
    if (Packed < 0)
        return Packed;
    int32_t H = TimeHour(Packed);
    int32_t M = TimeMinute(Packed) + Delta;
    if (M < 0) {
        M = 59;
        if (Carry && --H < (Hour12 ? 1 : 0)) {
            if (!Hour12)
                return Packed & TimePMBit;   // below 00:00 there is nothing
            H = 12;
        }
    } else if (M > 59) {
        M = 0;
        if (Carry && ++H > 12 && Hour12)
            H = 1;
    }
    return (Packed & TimePMBit) | PackTime(std::min(H, 0xFF), M);
}

int32_t NormalizeTime(int32_t Packed, bool Hour12)
{
    if (Packed < 0)
        return Packed;
    int32_t H = TimeHour(Packed);
    int32_t M = std::min(TimeMinute(Packed), 59);
    if (Hour12 && H == 0)
        H = 12;
    return (Packed & TimePMBit) | PackTime(H, M);
}

int32_t SpinTime(int32_t Current, TTimeSpin Button, bool Hour12, bool Carry, int32_t MinTime, int32_t MaxTime)
{
    if (Current < 0)
        Current = ParseTimeStr(Hour12 ? "12:00,AM" : "00:00");
    int32_t New = Current;
    switch (Button) {
    case tsHourDown:
        New = StepHour(Current, -1, Hour12);
        return New < MinTime ? Current : New;
    case tsHourUp:
        New = StepHour(Current, +1, Hour12);
        return New > MaxTime ? Current : New;
    case tsMinuteDown:
        return std::max(StepMinute(Current, -1, Hour12, Carry), MinTime);
    case tsMinuteUp:
        return std::min(StepMinute(Current, +1, Hour12, Carry), MaxTime);
    }
    return Current;
}

bool LeaveTimeEdits(std::string& HourText, std::string& MinuteText, bool Hour12, int32_t MinTime, int32_t MaxTime,
    bool Final)
{
    if (IsBlank(HourText) && IsBlank(MinuteText)) {
        HourText.clear();
        MinuteText.clear();
        return false;
    }
    auto Pad = [](const std::string& Text) {
        std::string T = Trim(Text);
        return T.size() < 2 ? std::string(2 - T.size(), '0') + T : T;
    };
    if (!Final && (IsBlank(HourText) || IsBlank(MinuteText))) {
        for (std::string* Part : {&HourText, &MinuteText})
            *Part = IsBlank(*Part) ? std::string() : Pad(*Part);
        return false;
    }
    int32_t Hour = TimePart(Pad(HourText));
    int32_t Minute = TimePart(Pad(MinuteText));
    if (Hour < 0 || Minute < 0) {
        HourText.clear();
        MinuteText.clear();
        return false;
    }
    const int32_t Max = std::max(MinTime, MaxTime);
    // The time read is normalised (a minute above 59 is 59, the 12-hour clock's hour 0 is 12) and then clamped
    // as a whole, so a time past the last one allowed becomes that last time: 13:10 on a 12-hour clock is 12:59.
    const int32_t Read = NormalizeTime(PackTime(Hour, Minute), Hour12);
    const int32_t T = std::clamp(Read, MinTime, Max);
    const bool Changed = Minute > 59 || T != Read;
    TimeToParts(T, HourText, MinuteText);
    return Changed;
}

std::string TimeInputMessage(const std::string& Field, bool Hour12, int32_t MinTime, int32_t MaxTime,
    const std::string& Held)
{
    std::string Allowed;
    if (Hour12) {
        Allowed = "The time must have an hour from 1 to 12 and a minute from 0 to 59.";
    } else {
        std::string MinHour, MinMinute, MaxHour, MaxMinute;
        TimeToParts(MinTime, MinHour, MinMinute);
        TimeToParts(std::max(MinTime, MaxTime), MaxHour, MaxMinute);
        Allowed = "The time must be from " + MinHour + ":" + MinMinute + " to " + MaxHour + ":" + MaxMinute +
                  ", with a minute from 0 to 59.";
    }
    const std::string Who = Field.empty() ? std::string("The field") : "\"" + Field + "\"";
    return Allowed + " " + Who + " now holds " + (Held.empty() ? std::string("nothing") : "\"" + Held + "\"") + ".";
}

std::string TimeFieldText(const std::string& HourText, const std::string& MinuteText, const std::string& AmPm)
{
    if (IsBlank(HourText) || IsBlank(MinuteText))
        return {};
    const int32_t Hour = TimePart(HourText);
    if (Hour < 0)
        return {};
    std::string S = IntToStr(Hour) + ":" + MinuteText;
    if (!AmPm.empty())
        S += "," + AmPm;
    return S;
}

std::string CellTimeText(const std::string& Text)
{
    std::string Rest;
    const int32_t Packed = ParseTimeStr(Text, Rest);
    if (Packed < 0)
        return Text;
    std::string Hour, Minute;
    TimeToParts(Packed, Hour, Minute);
    return Hour + ":" + Minute + (Text.find(',') != std::string::npos ? "," + Rest : std::string());
}

// --- Frames ----------------------------------------------------------------------------------------------------

void AllDayBounds(bool Hour12, std::string& Start, std::string& End)
{
    Start = Hour12 ? "12:00,AM" : "00:00";
    End = Hour12 ? "11:59,PM" : "23:59";
}

TFrameMode FramesMode(const TTimeFrames& Frames)
{
    if (SameText(Frames.Start1, AllDayText))
        return fmAllDay;
    if (SameText(Frames.Start1, NoUseText))
        return fmNoUse;
    if (Frames.Start1.empty() && Frames.End1.empty() && Frames.Start2.empty() && Frames.End2.empty())
        return fmNoUse;
    return fmEdit;
}

TTimeFrames FoldFrames(TFrameMode Mode, const TTimeFrames& Read, const std::string& AllDayStart,
    const std::string& AllDayEnd)
{
    const TTimeFrames AllDay{AllDayText, NoUseText, "", ""};
    const TTimeFrames NoUse{NoUseText, NoUseText, "", ""};
    if (Mode == fmAllDay)
        return AllDay;
    if (Mode == fmNoUse)
        return NoUse;
    const int32_t DayStart = ParseTime12Str(AllDayStart);
    const int32_t DayEnd = ParseTime12Str(AllDayEnd);
    const int32_t S1 = ParseTime12Str(Read.Start1), E1 = ParseTime12Str(Read.End1);
    const int32_t S2 = ParseTime12Str(Read.Start2), E2 = ParseTime12Str(Read.End2);
    if (FrameEmpty(Read.Start2, Read.End2)) {
        if (FrameEmpty(Read.Start1, Read.End1))
            return NoUse;
        if (S1 == DayStart && E1 == DayEnd)
            return AllDay;
        return Read;
    }
    if ((S1 == DayStart && E2 == DayEnd && S2 == NextMinute(E1)) ||
        (S2 == DayStart && E1 == DayEnd && S1 == NextMinute(E2)))
        return AllDay;
    return Read;
}

int32_t CheckFrame(const std::string& Start, const std::string& End)
{
    const int32_t S = ParseTime12Str(Start);
    const int32_t E = ParseTime12Str(End);
    if (S < 0)
        return 1;
    if (E < 0)
        return 2;
    return E <= S ? 3 : 0;
}

TFrameCheck CheckFrames(const TTimeFrames& Frames)
{
    if (int32_t Code = CheckFrame(Frames.Start1, Frames.End1))
        return {Code, 1};
    const int32_t Code2 = CheckFrame(Frames.Start2, Frames.End2);
    if (Code2 == 2 || Code2 == 3)
        return {Code2, 2};
    // A second frame without start is accepted as it is; there is no interval to compare.
    if (Code2 == 1)
        return {};
    const int32_t S1 = ParseTime12Str(Frames.Start1), E1 = ParseTime12Str(Frames.End1);
    const int32_t S2 = ParseTime12Str(Frames.Start2), E2 = ParseTime12Str(Frames.End2);
    if (S1 <= E2 && E1 >= S2)
        return {4, 0};
    return {};
}

// --- Period ----------------------------------------------------------------------------------------------------

TPeriodMode PeriodMode(const std::string& Start)
{
    if (Start == DayModeText)
        return pmDayMode;
    if (Start == NightModeText)
        return pmNightMode;
    return pmSelectTime;
}

void DefaultPeriod(bool Hour12, std::string& Start, std::string& End)
{
    Start = Hour12 ? "09:00,AM" : "09:00";
    End = Hour12 ? "05:00,PM" : "17:00";
}

int32_t CheckPeriod(const std::string& Start, const std::string& End, bool ClearAllowed)
{
    const int32_t S = ParseTime12Str(Start);
    const int32_t E = ParseTime12Str(End);
    if (S < 0 && E < 0)
        return ClearAllowed ? 0 : 1;
    if (S < 0)
        return 2;
    if (E < 0)
        return 3;
    return E <= S ? 4 : 0;
}
