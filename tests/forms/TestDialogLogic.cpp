// What the time, date and mailbox-number dialogs decide, without windows: reading times (and refusing texts that
// are none), the spin buttons' steps and bounds, leaving an edit, folding frames into "All Day"/"No Use", the frame
// and period checks, dates with their year digits, and the checks of a new mailbox number.
#include "common/Utilits.h"
#include "forms/dialogs/DateText.h"
#include "forms/dialogs/MailboxNoCheck.h"
#include "forms/dialogs/TimeText.h"
#include "platform/StrUtil.h"

#include <gtest/gtest.h>

namespace {
int32_t T(int H, int M) { return PackTime(H, M); }
std::string Shown(int32_t Packed)
{
    std::string H, M;
    TimeToParts(Packed, H, M);
    return H + ":" + M;
}
}  // namespace

TEST(TimeText, ReadsTimesAndRefusesWhatIsNoTime)
{
    struct {
        const char* Text;
        int32_t Packed;
        int32_t Packed12;
        const char* Rest;
    } const Cases[] = {
        {"9:05", T(9, 5), T(9, 5), ""},
        {"09:05,AM", T(9, 5), T(9, 5), "AM"},
        {"12:30,PM", T(12, 30), T(0, 30) | TimePMBit, "PM"},
        {"12:30,am", T(12, 30), T(0, 30), "am"},
        {"11:59,pm", T(11, 59), T(11, 59) | TimePMBit, "pm"},
        {"12:30", T(12, 30), T(12, 30), ""},   // no AM/PM part: the plain hour
        {" 7 : 5 ", T(7, 5), T(7, 5), ""},
        {"0:00,", T(0, 0), T(0, 0), ""},
        // Not times: never an exception, always "not set".
        {"", -1, -1, ""},
        {"0900", -1, -1, ""},
        {"12:", -1, -1, ""},
        {":30", -1, -1, ""},
        {"--:--", -1, -1, ""},
        {"ab:00,PM", -1, -1, "PM"},
        {"123:00", -1, -1, ""},
        {"1:2:3", -1, -1, ""},
    };
    for (const auto& C : Cases) {
        std::string Rest;
        EXPECT_EQ(ParseTimeStr(C.Text, Rest), C.Packed) << C.Text;
        EXPECT_EQ(Rest, C.Rest) << C.Text;
        EXPECT_EQ(ParseTime12Str(C.Text), C.Packed12) << C.Text;
    }
    EXPECT_EQ(Shown(T(7, 5)), "07:05");
    EXPECT_EQ(Shown(-1), ":");
    EXPECT_EQ(IntToStrPad(7, 3), "007");
    EXPECT_EQ(IntToStrPad(1234, 2), "1234");
}

TEST(TimeText, StepsWrapAndCarryAsEachClockDoes)
{
    EXPECT_EQ(StepHour(T(12, 0), 1, true), T(1, 0));
    EXPECT_EQ(StepHour(T(1, 0), -1, true), T(12, 0));
    EXPECT_EQ(StepHour(T(0, 10), -1, false), T(0, 10));
    EXPECT_EQ(StepHour(T(23, 10), 1, false), T(24, 10));   // out of bounds: the caller keeps the old value
    EXPECT_EQ(StepHour(-1, 1, false), -1);
    EXPECT_EQ(StepMinute(T(10, 59), 1, true, false), T(10, 0));
    EXPECT_EQ(StepMinute(T(10, 59), 1, false, true), T(11, 0));
    EXPECT_EQ(StepMinute(T(12, 59), 1, true, true), T(1, 0));
    EXPECT_EQ(StepMinute(T(1, 0), -1, true, true), T(12, 59));
    EXPECT_EQ(StepMinute(T(10, 0), -1, false, false), T(10, 59));
    EXPECT_EQ(StepMinute(T(0, 0), -1, false, true), T(0, 0));
    EXPECT_EQ(StepMinute(-1, 1, false, true), -1);
    EXPECT_EQ(NormalizeTime(T(0, 75), true), T(12, 59));
    EXPECT_EQ(NormalizeTime(T(0, 5), false), T(0, 5));
}

TEST(TimeText, SpinButtonsKeepTheBounds)
{
    const int32_t Min24 = T(0, 0), Max24 = T(23, 59), Max12 = T(12, 59);
    struct {
        int32_t Current;
        TTimeSpin Button;
        bool Hour12, Carry;
        int32_t MinTime, MaxTime;
        int32_t Expected;
    } const Cases[] = {
        {T(12, 0), tsHourUp, true, false, Min24, Max12, T(1, 0)},
        {T(1, 0), tsHourDown, true, false, Min24, Max12, T(12, 0)},
        {T(1, 59), tsMinuteUp, true, false, Min24, Max12, T(1, 0)},   // no carry in the descendants
        {T(23, 30), tsHourUp, false, false, Min24, Max24, T(23, 30)},
        {T(8, 30), tsHourDown, false, false, T(8, 15), Max24, T(8, 30)},
        {T(8, 15), tsMinuteDown, false, true, T(8, 15), Max24, T(8, 15)},
        {T(23, 59), tsMinuteUp, false, true, Min24, Max24, T(23, 59)},
        {T(0, 0), tsMinuteDown, false, true, Min24, Max24, T(0, 0)},
        {-1, tsHourUp, true, false, Min24, Max12, T(1, 0)},     // an empty field starts at 12:00
        {-1, tsMinuteUp, false, false, Min24, Max24, T(0, 1)},  // or at 00:00
    };
    for (const auto& C : Cases)
        EXPECT_EQ(Shown(SpinTime(C.Current, C.Button, C.Hour12, C.Carry, C.MinTime, C.MaxTime)), Shown(C.Expected))
            << Shown(C.Current) << " button " << int(C.Button);
}

TEST(TimeText, LeavingAnEditPadsNormalisesAndClampsButKeepsAnUnusedTimeEmpty)
{
    // Told: a part had to be changed, which the dialog tells; padding and the 12-hour clock's hour 0 are no change.
    struct {
        const char *Hour, *Minute;
        bool Hour12;
        int32_t Min, Max;
        const char* Expected;
        bool Told;
        bool Final = false;
    } const Cases[] = {
        {"", "", false, T(0, 0), T(23, 59), ":", false},        // an unused time stays unused
        {" ", "", true, T(0, 0), T(12, 59), ":", false},
        {"7", "5", false, T(0, 0), T(23, 59), "07:05", false},
        // Half typed (hour, Tab, minute): neither read as 00 nor clamped until both parts are there or OK.
        {"0", "", false, T(0, 5), T(99, 59), "00:", false},
        {"", "3", false, T(0, 5), T(99, 59), ":03", false},
        {"7", "", false, T(0, 0), T(23, 59), "07:00", false, true},
        {"0", "", false, T(0, 5), T(99, 59), "00:05", true, true},
        {"0", "30", true, T(0, 0), T(12, 59), "12:30", false},
        // A time out of range becomes the nearest time allowed: past the last one, the last one.
        {"12", "59", true, T(0, 0), T(12, 59), "12:59", false},
        {"13", "10", true, T(0, 0), T(12, 59), "12:59", true},
        {"12", "60", true, T(0, 0), T(12, 59), "12:59", true},
        {"23", "59", false, T(0, 0), T(23, 59), "23:59", false},
        {"24", "00", false, T(0, 0), T(23, 59), "23:59", true},
        {"25", "00", false, T(0, 0), T(23, 59), "23:59", true},
        {"10", "75", false, T(0, 0), T(23, 59), "10:59", true},
        // Bounds of a caller's own (a delay from 00:05 to 99:59).
        {"00", "05", false, T(0, 5), T(99, 59), "00:05", false},
        {"00", "04", false, T(0, 5), T(99, 59), "00:05", true},
        {"99", "59", false, T(0, 5), T(99, 59), "99:59", false},
        {"99", "60", false, T(0, 5), T(99, 59), "99:59", true},
    };
    for (const auto& C : Cases) {
        std::string H = C.Hour, M = C.Minute;
        EXPECT_EQ(LeaveTimeEdits(H, M, C.Hour12, C.Min, C.Max, C.Final), C.Told) << C.Hour << ":" << C.Minute;
        EXPECT_EQ(H + ":" + M, C.Expected) << C.Hour << ":" << C.Minute;
    }
    EXPECT_EQ(TimeInputMessage("New time", true, T(0, 0), T(12, 59), "12:10 PM"),
        "The time must have an hour from 1 to 12 and a minute from 0 to 59. \"New time\" now holds \"12:10 PM\".");
    EXPECT_EQ(TimeInputMessage("", false, T(0, 5), T(99, 59), "00:05"),
        "The time must be from 00:05 to 99:59, with a minute from 0 to 59. The field now holds \"00:05\".");
    EXPECT_EQ(TimeFieldText("7", "5", ""), "7:5");
    EXPECT_EQ(TimeFieldText("07", "05", ""), "7:05");
    EXPECT_EQ(TimeFieldText("09", "00", "PM"), "9:00,PM");
    EXPECT_EQ(TimeFieldText("09", " ", "PM"), "");
    EXPECT_EQ(TimeFieldText("", "00", ""), "");
}

TEST(TimeFrames, ModesAndFoldingIntoAllDayOrNoUse)
{
    EXPECT_EQ(FramesMode({"all day", "", "", ""}), fmAllDay);
    EXPECT_EQ(FramesMode({"No Use", "No Use", "", ""}), fmNoUse);
    EXPECT_EQ(FramesMode({"", "", "", ""}), fmNoUse);
    EXPECT_EQ(FramesMode({"9:00", "17:00", "", ""}), fmEdit);

    std::string S24, E24, S12, E12;
    AllDayBounds(false, S24, E24);
    AllDayBounds(true, S12, E12);
    EXPECT_EQ(S12 + "-" + E12, "12:00,AM-11:59,PM");
    const TTimeFrames AllDay{"All Day", "No Use", "", ""}, NoUse{"No Use", "No Use", "", ""};
    struct {
        TTimeFrames Read;
        bool Hour12;
        TTimeFrames Expected;
    } const Cases[] = {
        {{"", "", "", ""}, false, NoUse},
        {{"0:00", "23:59", "", ""}, false, AllDay},
        {{"00:00", "11:00", "11:01", "23:59"}, false, AllDay},
        {{"11:01", "23:59", "0:00", "11:00"}, false, AllDay},
        {{"00:00", "11:59", "12:00", "23:59"}, false, {"00:00", "11:59", "12:00", "23:59"}},
        {{"9:00", "17:00", "", ""}, false, {"9:00", "17:00", "", ""}},
        {{"12:00,AM", "11:59,PM", "", ""}, true, AllDay},
        {{"12:00,AM", "5:00,PM", "5:01,PM", "11:59,PM"}, true, AllDay},
        {{"12:00,AM", "11:59,AM", "12:00,PM", "11:59,PM"}, true,
            {"12:00,AM", "11:59,AM", "12:00,PM", "11:59,PM"}},
        // Texts that are no times never fold.
        {{"--:--", "23:59", "", ""}, false, {"--:--", "23:59", "", ""}},
    };
    for (const auto& C : Cases) {
        const TTimeFrames Got = FoldFrames(fmEdit, C.Read, C.Hour12 ? S12 : S24, C.Hour12 ? E12 : E24);
        EXPECT_EQ(Got, C.Expected) << C.Read.Start1 << "-" << C.Read.End1 << " " << C.Read.Start2 << "-"
                                   << C.Read.End2;
    }
    EXPECT_EQ(FoldFrames(fmAllDay, {"1:00", "2:00", "", ""}, S24, E24), AllDay);
    EXPECT_EQ(FoldFrames(fmNoUse, {"1:00", "2:00", "", ""}, S24, E24), NoUse);
}

TEST(TimeFrames, ChecksGiveTheCodeAndTheFrame)
{
    struct {
        TTimeFrames Frames;
        int32_t Code, Frame;
    } const Cases[] = {
        {{"9:00", "11:00", "", ""}, 0, 0},
        {{"", "11:00", "", ""}, 1, 1},
        {{"12:", "11:00", "", ""}, 1, 1},      // refused, no exception
        {{"9:00", "", "", ""}, 2, 1},
        {{"9:00", "9:00", "", ""}, 3, 1},
        {{"9:00", "11:00", "13:00", ""}, 2, 2},
        {{"9:00", "11:00", "13:00", "12:00"}, 3, 2},
        {{"9:00", "11:00", "", "12:00"}, 0, 0},   // a second frame with an end but no start passes
        {{"9:00", "11:00", "10:00", "12:00"}, 4, 0},
        {{"9:00", "11:00", "11:00", "12:00"}, 4, 0},
        {{"9:00", "11:00", "11:01", "12:00"}, 0, 0},
        {{"11:00,PM", "11:30,PM", "12:30,PM", "1:00,PM"}, 0, 0},
        {{"9:00,AM", "11:00,PM", "12:30,PM", "1:00,PM"}, 4, 0},
    };
    for (const auto& C : Cases) {
        const TFrameCheck R = CheckFrames(C.Frames);
        EXPECT_EQ(R.Code, C.Code) << C.Frames.Start1 << "-" << C.Frames.End1 << " " << C.Frames.Start2 << "-"
                                  << C.Frames.End2;
        EXPECT_EQ(R.Frame, C.Frame) << C.Frames.Start1;
    }
}

TEST(TimePeriod, ModesDefaultsAndChecks)
{
    EXPECT_EQ(PeriodMode("Day Mode"), pmDayMode);
    EXPECT_EQ(PeriodMode("Night Mode"), pmNightMode);
    EXPECT_EQ(PeriodMode("day mode"), pmSelectTime);   // exact
    std::string S, E;
    DefaultPeriod(true, S, E);
    EXPECT_EQ(S + "-" + E, "09:00,AM-05:00,PM");
    DefaultPeriod(false, S, E);
    EXPECT_EQ(S + "-" + E, "09:00-17:00");
    struct {
        const char *Start, *End;
        bool ClearAllowed;
        int32_t Code;
    } const Cases[] = {
        {"", "", true, 0}, {"", "", false, 1}, {"", "10:00", true, 2}, {"9:00", "", true, 3},
        {"--:--", "10:00", true, 2}, {"10:00", "9:00", false, 4}, {"10:00", "10:00", false, 4},
        {"9:00", "10:00", false, 0}, {"11:00,AM", "12:30,PM", false, 0}, {"12:30,PM", "11:00,AM", false, 4},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(CheckPeriod(C.Start, C.End, C.ClearAllowed), C.Code) << C.Start << "-" << C.End;
}

TEST(DateText, ReadsDatesWithTheirYearDigitsAndFallsBackToToday)
{
    // Today is 7 December 2026 for these cases.
    struct {
        const char* Text;
        TDateValue Expected;
        const char* Back;
    } const Cases[] = {
        {"31/12/99", {31, 12, 1999, true, 2}, "31/12/99"},
        {"1/2/05", {1, 2, 2005, true, 2}, "1/2/05"},
        {"1/2/5", {1, 2, 2005, true, 2}, "1/2/05"},
        {"31/12/1999", {31, 12, 1999, true, 4}, "31/12/1999"},
        {"1/2/0049", {1, 2, 49, true, 4}, "1/2/49"},   // four digits: no century window
        {"1/2/2049", {1, 2, 2049, true, 4}, "1/2/2049"},
        {"1/2", {1, 2, 2026, false, 4}, "1/2"},
        {"29/2/2024", {29, 2, 2024, true, 4}, "29/2/2024"},
        {"30/2/2005", {7, 12, 2026, true, 4}, "7/12/2026"},
        {"30/2/05", {7, 12, 2026, true, 2}, "7/12/26"},
        {"", {7, 12, 2026, false, 4}, "7/12"},
        {"ab/cd/ef", {7, 12, 2026, true, 2}, "7/12/26"},   // no exception
        {"1/13", {7, 12, 2026, false, 4}, "7/12"},
        {"1/2/", {7, 12, 2026, true, 4}, "7/12/2026"},
    };
    for (const auto& C : Cases) {
        const TDateValue D = ParseDateText(C.Text, 7, 12, 2026);
        EXPECT_EQ(D, C.Expected) << C.Text;
        EXPECT_EQ(DateText(D), C.Back) << C.Text;
    }
    // A date chosen outside the window is written with four digits, so it reads back as the same year.
    EXPECT_EQ(DateText({3, 4, 2061, true, 2}), "3/4/2061");
    EXPECT_EQ(DateText({3, 4, 1949, true, 2}), "3/4/1949");
}

TEST(MailboxNoCheck, ChecksInOrderWithTheirMessages)
{
    TMailboxNoRules R;
    R.MinValue = 100;
    R.MaxValue = 999;
    R.NumberLength = 3;
    R.SystemManagerMailbox = "999";
    R.GroupCaption = "Mailbox Group";
    R.IsGroupNumber = [](const std::string& N) { return N == "500"; };
    R.InListing = [](const std::string& N) { return N == "101" || N == "500"; };
    struct {
        const char* Text;
        std::string Message;
        const char* Reset;
    } const Cases[] = {
        {"", Format(Utilits::SErrorMailboxNumber, {3}), "100"},   // empty counts as 0
        {"99", Format(Utilits::SErrorMailboxNumber, {3}), "100"},
        {"1000", Format(Utilits::SErrorMailboxNumber, {3}), "999"},
        {"99999999999", Format(Utilits::SErrorMailboxNumber, {3}), "999"},
        {"1a", Format(Utilits::SErrorMailboxNumber, {3}), "999"},
        {"999", Utilits::SUnableCreateSystemMailbox, ""},
        {"500", Format(Utilits::SMailboxAlreadyExistIn, {"500", "Mailbox Group"}), ""},
        {"101", Format(Utilits::SMailboxAlreadyExist, {"101"}), ""},
        {"102", "", ""},
    };
    for (const auto& C : Cases) {
        const TMailboxNoVerdict V = CheckNewMailboxNo(C.Text, R);
        EXPECT_EQ(V.Ok, C.Message.empty()) << C.Text;
        EXPECT_EQ(V.Message, C.Message) << C.Text;
        EXPECT_EQ(V.ResetText, C.Reset) << C.Text;
    }
    // Without a listing and without group lookups only the range and the System Manager's mailbox count.
    R.InListing = nullptr;
    R.IsGroupNumber = nullptr;
    EXPECT_TRUE(CheckNewMailboxNo("101", R).Ok);
    EXPECT_TRUE(CheckNewMailboxNo("500", R).Ok);
}

TEST(DateText, ThreeDigitYearsGoThroughTheCenturyRuleAndComeBackAsGiven)
{
    struct {
        const char* Text;
        int32_t Year;
        const char* Back;
    } const Cases[] = {
        {"1/1/150", 2050, "1/1/150"}, {"1/1/099", 1999, "1/1/099"}, {"1/1/049", 2049, "1/1/049"},
        {"1/1/050", 1950, "1/1/050"}, {"1/1/999", 2899, "1/1/999"}, {"1/1/99", 1999, "1/1/99"},
        {"1/1/1950", 1950, "1/1/1950"},
    };
    for (const auto& C : Cases) {
        const TDateValue D = ParseDateText(C.Text, 7, 12, 2026);
        EXPECT_EQ(D.Year, C.Year) << C.Text;
        EXPECT_TRUE(D.HasYear) << C.Text;
        EXPECT_EQ(DateText(D), C.Back) << C.Text;
    }
    // A date chosen in the calendar that three digits cannot carry is written whole.
    EXPECT_EQ(DateText({3, 4, 1899, true, 3}), "3/4/1899");
    EXPECT_EQ(DateText({3, 4, 2900, true, 3}), "3/4/2900");
}

TEST(DateText, TheCenturyWindowTurnsAtFiftyAndTheLeapRuleKeepsEveryFourHundredthYear)
{
    // Two digits: 49 is still this century, 50 the last one.
    EXPECT_EQ(ParseDateText("1/2/49", 7, 12, 2026).Year, 2049);
    EXPECT_EQ(ParseDateText("1/2/50", 7, 12, 2026).Year, 1950);
    EXPECT_EQ(DateText(ParseDateText("1/2/50", 7, 12, 2026)), "1/2/50");
    // 2000 is a leap year (divisible by 400), 1900 and 2100 are not.
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_EQ(ParseDateText("29/2/2000", 7, 12, 2026), (TDateValue{29, 2, 2000, true, 4}));
    EXPECT_EQ(ParseDateText("29/2/00", 7, 12, 2026), (TDateValue{29, 2, 2000, true, 2}));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
    EXPECT_FALSE(IsValidDate(2100, 2, 29));
    EXPECT_TRUE(IsValidDate(2100, 2, 28));
}

TEST(TimeText, TimesGoBackToTheCellsWithTwoDigitHoursAndMinutes)
{
    EXPECT_EQ(CellTimeText("9:00"), "09:00");
    EXPECT_EQ(CellTimeText("8:5"), "08:05");
    EXPECT_EQ(CellTimeText("13:00"), "13:00");
    EXPECT_EQ(CellTimeText("9:00,PM"), "09:00,PM");
    EXPECT_EQ(CellTimeText("12:00,AM"), "12:00,AM");
    for (const char* Same : {"", "All Day", "No Use", "--:--"})
        EXPECT_EQ(CellTimeText(Same), Same);
}
