// Dates as the date dialog reads and writes them, without any window: "day/month" or "day/month/year", numbers
// without leading zeros. A year of one to three digits is read through the century rule (below 50: 2000 + year,
// else 1900 + year, so "99" is 1999 and "150" is 2050) and written back with as many digits as it came with; a
// four-digit year is taken as it stands and written back whole, so the device gets its dates in the form it gave
// them. A text that makes no valid date stands for today; nothing here throws.
#pragma once

#include <cstdint>
#include <string>

struct TDateValue {
    int32_t Day = 1;
    int32_t Month = 1;
    int32_t Year = 2000;
    bool HasYear = false;      // the text named a year
    int32_t YearDigits = 4;    // 2 when the year came as one or two digits, 3 for three
    bool operator==(const TDateValue&) const = default;
};

// The century rule for a year of one to three digits: below 50 is 2000 + year, the rest 1900 + year.
int32_t CenturyYear(int32_t Year);

bool IsValidDate(int32_t Year, int32_t Month, int32_t Day);

// Reads S against today's date (TodayDay/Month/Year): without "/" the date is today's without year; "d/m" is that
// day of this year; "d/m/y" names a year. Parts that are no numbers, or numbers that make no date, give today.
TDateValue ParseDateText(const std::string& S, int32_t TodayDay, int32_t TodayMonth, int32_t TodayYear);

// "d/m", or "d/m/y" when HasYear. A year given with two digits comes back with two, unless the century window
// would read those two digits as another year; then all four are written.
std::string DateText(const TDateValue& Date);
