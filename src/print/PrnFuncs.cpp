#include "print/PrnFuncs.h"

#include <sys/utsname.h>

#include "platform/Dialogs.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <langinfo.h>
#include <utility>

Extended InchesPerUnit(TPrnMeasurement Unit)
{
    switch (Unit) {
    case pnUnits: return 1.0L / 100 / 25.4L;
    case pnPixels: return 1.0L / 96;
    case pnMillimeters: return 1.0L / 25.4L;
    case pnCentimeters: return 10.0L / 25.4L;
    case pnInches: return 1.0L;
    case pnTwips: return 1.0L / 1440;
    }
    return 1.0L;
}

Extended ConvertValue(Extended Value, TPrnMeasurement From, TPrnMeasurement To)
{
    if (From == To)
        return Value;
    // Divide rather than multiply by the inverse, so that whole values come back whole (1 in -> 1440 twips).
    return Value * InchesPerUnit(From) / InchesPerUnit(To);
}

TPrnExtRect ConvertRect(const TPrnExtRect& R, TPrnMeasurement From, TPrnMeasurement To)
{
    return {ConvertValue(R.Left, From, To), ConvertValue(R.Top, From, To), ConvertValue(R.Right, From, To),
        ConvertValue(R.Bottom, From, To)};
}

TPrnExtPoint ConvertPoint(const TPrnExtPoint& P, TPrnMeasurement From, TPrnMeasurement To)
{
    return {ConvertValue(P.X, From, To), ConvertValue(P.Y, From, To)};
}

bool PaperSizeDimensions(TPrnPaperSize Paper, TPrnExtSize& Size)
{
    struct TEntry {
        TPrnPaperSize Paper;
        Extended W, H;
        TPrnMeasurement Unit;
    };
    static const TEntry table[] = {
        {pnA3, 297, 420, pnMillimeters}, {pnA4, 210, 297, pnMillimeters}, {pnA5, 148.5L, 210, pnMillimeters},
        {pnA6, 105, 148, pnMillimeters}, {pnB5, 6.92L, 9.84L, pnInches}, {pnC5, 6.38L, 9.02L, pnInches},
        {pnLegal, 8.5L, 14, pnInches}, {pnLetter, 8.5L, 11, pnInches}, {pnB4, 250, 354, pnMillimeters},
        {pnEnvelope_09, 3.78L, 8.78L, pnInches}, {pnEnvelope_10, 4.18L, 9.12L, pnInches},
        {pnEnvelope_11, 4.12L, 10.38L, pnInches}, {pnEnvelope_12, 12.44L, 11, pnInches},
        {pnEnvelope_14, 14.5L, 11.12L, pnInches}, {pnTabloid, 11, 17, pnInches}, {pnLedger, 17, 11, pnInches},
        {pnExecutive, 7.14L, 10.12L, pnInches},
    };
    for (const TEntry& e : table)
        if (e.Paper == Paper) {
            Size = {ConvertValue(e.W, e.Unit, pnInches), ConvertValue(e.H, e.Unit, pnInches)};
            return true;
        }
    return false;
}

TPrnExtSize OrientedSize(TPrnExtSize Size, TPrnOrientation Orientation)
{
    bool wide = Size.Width > Size.Height;
    if ((Orientation == pnLandscape) != wide && Size.Width != Size.Height)
        std::swap(Size.Width, Size.Height);
    return Size;
}

std::string FontStyleToStr(TPrnFontStyles Style)
{
    std::string s;
    if (Style & fsBold)
        s += 'b';
    if (Style & fsItalic)
        s += 'i';
    if (Style & fsUnderline)
        s += 'u';
    return s;
}

TPrnFontStyles StrToFontStyle(std::string_view Text)
{
    TPrnFontStyles s = 0;
    for (char c : Text) {
        if (c == 'b' || c == 'B')
            s |= fsBold;
        else if (c == 'i' || c == 'I')
            s |= fsItalic;
        else if (c == 'u' || c == 'U')
            s |= fsUnderline;
    }
    return s;
}

std::string ReplaceAllText(std::string Text, std::string_view Old, std::string_view New)
{
    if (Old.empty())
        return Text;
    for (size_t pos = Text.find(Old); pos != std::string::npos; pos = Text.find(Old, pos + New.size()))
        Text.replace(pos, Old.size(), New);
    return Text;
}

char LocaleDateSeparator()
{
    const char* format = nl_langinfo(D_FMT);
    for (const char* p = format; p && *p; ++p) {
        if (*p == '%') {
            if (p[1])
                ++p;
            continue;
        }
        if (*p != ' ')
            return *p;
    }
    return '/';
}

std::string ExpandHeaderFooterTokens(std::string Text, int Page, int PageCount, const std::tm& Now)
{
    char buf[32];
    char sep = LocaleDateSeparator();
    std::snprintf(buf, sizeof buf, "%02d%c%02d%c%04d", Now.tm_mday, sep, Now.tm_mon + 1, sep, Now.tm_year + 1900);
    Text = ReplaceAllText(std::move(Text), "{DATE}", buf);
    // Hours and minutes are always joined by ":"; a date separator between them reads as a date.
    std::snprintf(buf, sizeof buf, "%02d:%02d", Now.tm_hour, Now.tm_min);
    Text = ReplaceAllText(std::move(Text), "{TIME}", buf);
    Text = ReplaceAllText(std::move(Text), "{PAGE}", std::to_string(Page));
    return ReplaceAllText(std::move(Text), "{NUMPAGES}", std::to_string(PageCount));
}

void SwapExtended(Extended& A, Extended& B) { std::swap(A, B); }

TPrnExtRect OffsetExtendedRect(TPrnExtRect R, Extended DX, Extended DY)
{
    R.Left += DX;
    R.Right += DX;
    R.Top += DY;
    R.Bottom += DY;
    return R;
}

int ScaleToPixels(Extended Inches, Extended PixelsPerInch) { return int(std::llround(Inches * PixelsPerInch)); }

TPrnRect ScaleRect(const TPrnExtRect& R, Extended FactorX, Extended FactorY)
{
    return {ScaleToPixels(R.Left, FactorX), ScaleToPixels(R.Top, FactorY), ScaleToPixels(R.Right, FactorX),
        ScaleToPixels(R.Bottom, FactorY)};
}

int ScaleFontSize(int Size, Extended Scale) { return MaxInt(1, int(std::llround(Size * Scale))); }

void ShowPrnError(const std::string& ClassName, const std::string& Message)
{
    TDialogs::instance().MessageBox(ClassName + " Error!\r\r" + Message, ErrorCaption(), mtError, mbOK);
}

std::string PrnVersionString(const std::string& ClassName)
{
    const lconv* lc = std::localeconv();
    std::string point = lc && lc->decimal_point && *lc->decimal_point ? lc->decimal_point : ".";
    return ClassName + " v2" + point + "96.6";
}

std::array<TPrnExtPoint, 4> RectCorners(const TPrnExtRect& R)
{
    return {TPrnExtPoint{R.Left, R.Top}, TPrnExtPoint{R.Right, R.Top}, TPrnExtPoint{R.Right, R.Bottom},
        TPrnExtPoint{R.Left, R.Bottom}};
}

std::string GetSystemVersionName()
{
    utsname u{};
    if (uname(&u) != 0)
        return "";
    return std::string(u.sysname) + " " + u.release;
}
