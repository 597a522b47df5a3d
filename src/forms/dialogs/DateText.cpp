#include "forms/dialogs/DateText.h"

#include "platform/StrUtil.h"

namespace {

// A non-negative decimal number of at most Digits digits (blanks around it allowed); -1 otherwise.
int32_t DatePart(const std::string& Text, size_t Digits)
{
    const std::string T = Trim(Text);
    if (T.empty() || T.size() > Digits)
        return -1;
    int32_t V = 0;
    for (char C : T) {
        if (C < '0' || C > '9')
            return -1;
        V = V * 10 + (C - '0');
    }
    return V;
}

}  // namespace

int32_t CenturyYear(int32_t Year) { return Year < 50 ? 2000 + Year : 1900 + Year; }

bool IsValidDate(int32_t Year, int32_t Month, int32_t Day)
{
    static const int32_t Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1)
        return false;
    const bool Leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    return Day <= Days[Month - 1] + (Month == 2 && Leap ? 1 : 0);
}

TDateValue ParseDateText(const std::string& S, int32_t TodayDay, int32_t TodayMonth, int32_t TodayYear)
{
    TDateValue Today{TodayDay, TodayMonth, TodayYear, false, 4};
    const size_t Slash = S.find('/');
    if (Slash == std::string::npos)
        return Today;
    TDateValue D = Today;
    D.Day = DatePart(S.substr(0, Slash), 2);
    const size_t Slash2 = S.find('/', Slash + 1);
    if (Slash2 == std::string::npos) {
        D.Month = DatePart(S.substr(Slash + 1), 2);
    } else {
        D.Month = DatePart(S.substr(Slash + 1, Slash2 - Slash - 1), 2);
        const std::string YearText = Trim(S.substr(Slash2 + 1));
        D.HasYear = true;
        D.Year = DatePart(YearText, 4);
        // Years of up to three digits are counted from 1900 (a three-digit one is how some clocks give
        // 2000 and later); four digits stand as they are.
        if (!YearText.empty() && YearText.size() <= 3) {
            D.YearDigits = YearText.size() == 3 ? 3 : 2;
            if (D.Year >= 0)
                D.Year = CenturyYear(D.Year);
        }
    }
    if (!IsValidDate(D.Year, D.Month, D.Day)) {
        // Today, in the form the text asked for.
        Today.HasYear = D.HasYear;
        Today.YearDigits = D.YearDigits;
        return Today;
    }
    return D;
}

std::string DateText(const TDateValue& Date)
{
    std::string S = IntToStr(Date.Day) + "/" + IntToStr(Date.Month);
    if (!Date.HasYear)
        return S;
    const int32_t TwoDigits = Date.Year % 100;
    if (Date.YearDigits == 2 && CenturyYear(TwoDigits) == Date.Year)
        return S + "/" + (TwoDigits < 10 ? "0" : "") + IntToStr(TwoDigits);
    // Three digits read back through the same rule: the shortest number that does.
    const int32_t Short = Date.Year >= 2000 && Date.Year < 2050 ? Date.Year - 2000 : Date.Year - 1900;
    if (Date.YearDigits == 3 && Short >= 0 && Short <= 999 && CenturyYear(Short) == Date.Year)
        return S + "/" + (Short < 100 ? "0" : "") + (Short < 10 ? "0" : "") + IntToStr(Short);
    return S + "/" + IntToStr(Date.Year);
}
