// The checks of a screen value against its description node's "Cell Info"; see ValueCheck.h.
#include "engine/ValueCheck.h"

#include "platform/ControlChar.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cstdio>

namespace {

bool WholeNumber(const std::string& Text, int64_t& Value)
{
    size_t i = Text.size() > 0 && (Text[0] == '-' || Text[0] == '+') ? 1 : 0;
    if (i >= Text.size() || Text.size() - i > 18)
        return false;
    int64_t v = 0;
    for (size_t k = i; k < Text.size(); ++k) {
        if (Text[k] < '0' || Text[k] > '9')
            return false;
        v = v * 10 + (Text[k] - '0');
    }
    Value = Text[0] == '-' ? -v : v;
    return true;
}

bool Digits(const std::string& Text, size_t Min, size_t Max)
{
    return Text.size() >= Min && Text.size() <= Max &&
        Text.find_first_not_of("0123456789") == std::string::npos;
}

// "8:00,AM" (hours 1 to 12) or "17:30" (0 to 23), as the device prints a clock time.
bool ClockTime(const std::string& Text)
{
    const size_t Colon = Text.find(':'), Comma = Text.find(',');
    if (Colon == std::string::npos)
        return false;
    const std::string Hours = Text.substr(0, Colon);
    const std::string Minutes = Text.substr(Colon + 1, Comma == std::string::npos ? std::string::npos : Comma - Colon - 1);
    if (!Digits(Hours, 1, 2) || !Digits(Minutes, 2, 2) || std::stoi(Minutes) > 59)
        return false;
    const int H = std::stoi(Hours);
    if (Comma == std::string::npos)
        return H <= 23;
    const std::string Half = Text.substr(Comma + 1);
    return (Half == "AM" || Half == "PM") && H >= 1 && H <= 12;
}

// "6-DEC-26", the device's date.
bool DeviceDate(const std::string& Text)
{
    static const char* const Months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV",
        "DEC"};
    const size_t A = Text.find('-'), B = A == std::string::npos ? A : Text.find('-', A + 1);
    if (B == std::string::npos || !Digits(Text.substr(0, A), 1, 2) || !Digits(Text.substr(B + 1), 2, 2))
        return false;
    const int Day = std::stoi(Text.substr(0, A));
    return Day >= 1 && Day <= 31 && std::find(std::begin(Months), std::end(Months), Text.substr(A + 1, B - A - 1)) !=
        std::end(Months);
}

bool KeepsScreenForm(const std::string& Form, const std::string& Value)
{
    if (Form == "time")
        return ClockTime(Value);
    if (Form == "duration") {
        // The device shows what it was given: "00:30" as its own defaults are, "0:30" or "5:00" as typed.
        const size_t Colon = Value.find(':');
        return Colon != std::string::npos && Digits(Value.substr(0, Colon), 1, 2) &&
            Digits(Value.substr(Colon + 1), 2, 2) && std::stoi(Value.substr(Colon + 1)) <= 59;
    }
    if (Form == "date")
        return DeviceDate(Value);
    if (Form == "version")
        return Value.size() >= 4 && Value[Value.size() - 3] == '.' &&
            Digits(Value.substr(0, Value.size() - 3), 1, 2) && Digits(Value.substr(Value.size() - 2), 2, 2);
    const size_t Dots = Form.find("..");
    int64_t Min = 0, Max = 0, N = 0;
    return Dots != std::string::npos && WholeNumber(Form.substr(0, Dots), Min) &&
        WholeNumber(Form.substr(Dots + 2), Max) && Digits(Value, 1, 18) && WholeNumber(Value, N) && N >= Min &&
        N <= Max;
}

} // namespace

TValueRule ValueRuleOf(const TXmlNode* Description)
{
    TValueRule R;
    if (!Description)
        return R;
    bool List = false, HaveMin = false, HaveMax = false, SaidEmpty = false;
    std::vector<std::string> Items;
    for (const auto& View : Description->Nodes) {
        if (!XmlSameName(View->GetTag(), "VIEWPARAM") || View->GetName() != "Cell Info")
            continue;
        for (const auto& A : View->Nodes) {
            if (!XmlSameName(A->GetTag(), "GATTR"))
                continue;
            const std::string Key = A->GetName(), Value = A->GetValue();
            int64_t N = 0;
            if (Key == "ValueType") {
                R.Integer = Value == "vtInteger" || Value == "vtRangeInteger";
                R.Letters = Value == "vtAlphabeticString";
                R.Digits = Value == "vtAlphaNumericString";
            } else if (Key == "InputMask")
                R.Mask = Value;
            else if (Key == "MinInteger" && WholeNumber(Value, N)) {
                R.Min = N;
                HaveMin = true;
            } else if (Key == "MaxInteger" && WholeNumber(Value, N)) {
                R.Max = N;
                HaveMax = true;
            } else if (Key == "EditLimit" && WholeNumber(Value, N) && N > 0)
                R.Limit = int(std::min<int64_t>(N, 100000));
            else if (Key == "CanEmpty") {
                R.CanEmpty = SameText(Value, "True") || SameText(Value, "Yes");
                SaidEmpty = true;
            } else if (Key == "ScreenValues") {
                for (size_t From = 0; From <= Value.size();) {
                    const size_t To = std::min(Value.find('|', From), Value.size());
                    R.Screen.push_back(Value.substr(From, To - From));
                    From = To + 1;
                }
            }
            else if (Key == "ValueOptions" && (A->GetAttr("Type") == "voComboBox" || A->GetAttr("Type") == "voList"))
                List = List || SameText(Value, "True") || SameText(Value, "Yes");
            else if (Key == "StrComboBox") {
                // "stored=shown": the document stores what the screen shows, or the item's "Screen" text where
                // the device shows it in a short form of its own ("V.M.", a letter).
                size_t Eq = Value.find('=');
                Items.push_back(Eq == std::string::npos ? Value : Value.substr(0, Eq));
                if (const std::string Screen = A->GetAttr("Screen"); !Screen.empty())
                    Items.push_back(Screen);
            }
        }
    }
    R.Ranged = R.Integer && HaveMin && HaveMax;
    if (R.Integer && !SaidEmpty)
        R.CanEmpty = false;
    if (List)
        R.Items = std::move(Items);
    return R;
}

TValueRule ValueRuleOf(const TXmlNode* Description, int MailboxNoLength)
{
    TValueRule R = ValueRuleOf(Description);
    if (!R.Integer || R.Ranged || MailboxNoLength < 2 || MailboxNoLength > 5)
        return R;
    bool Min = false, Max = false;
    for (const auto& View : Description->Nodes)
        if (XmlSameName(View->GetTag(), "VIEWPARAM") && View->GetName() == "Cell Info")
            for (const auto& A : View->Nodes) {
                Min = Min || (A->GetName() == "MinInteger" && A->GetValue() == "%MBX_MIN%");
                Max = Max || (A->GetName() == "MaxInteger" && A->GetValue() == "%MBX_MAX%");
            }
    if (!Min || !Max)
        return R;
    R.Min = 1;
    for (int k = 1; k < MailboxNoLength; ++k)
        R.Min *= 10;
    R.Max = R.Min * 10 - 1;
    R.Ranged = true;
    return R;
}

namespace {
std::string checkRule(const TValueRule& Rule, const std::string& Value)
{
    if (HoldsControlChar(Value))
        return ControlCharFault();
    if (Value.empty())
        return Rule.CanEmpty ? std::string() : std::string(EmptyValueFault());
    if (Value.find_first_of("[]") != std::string::npos)
        return "holds a bracket, which no value on the screen holds";
    if (!Rule.Screen.empty()) {
        for (const std::string& Alternative : Rule.Screen)
            if (Alternative.size() > 2 && Alternative.front() == '%' && Alternative.back() == '%'
                    ? KeepsScreenForm(Alternative.substr(1, Alternative.size() - 2), Value)
                    : Alternative == Value)
                return {};
        return "is not what its screen shows for it";
    }
    if (!Rule.Items.empty()) {
        for (const std::string& Item : Rule.Items)
            if (Item == Value)
                return {};
        return "is no item of its list";
    }
    if (Rule.Integer) {
        int64_t N = 0;
        if (!WholeNumber(Value, N))
            return "is no whole number";
        if (Rule.Ranged && (N < Rule.Min || N > Rule.Max))
            return "lies outside " + IntToStr(Rule.Min) + " to " + IntToStr(Rule.Max);
        return {};
    }
    // An edit limit bounds what is typed; a text the device spells out for it ("System Greeting" for "s") may be
    // longer. Only the characters of a mask are the screen's own as typed.
    if (!Rule.Mask.empty() && Rule.Limit > 0 && Value.size() > size_t(Rule.Limit))
        return "is longer than " + IntToStr(Rule.Limit) + " characters";
    for (char c : Value) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!Rule.Mask.empty() ? Rule.Mask.find(c) == std::string::npos
                               : (Rule.Letters && !std::isalpha(u) && c != ' ') ||
                    (Rule.Digits && !std::isalnum(u) && c != ' '))
            return "holds a character its screen never shows";
    }
    return {};
}

} // namespace

std::string CheckValue(const TValueRule& Rule, const std::string& Value)
{
    std::string Why = checkRule(Rule, Value);
    // The device's screens are plain ASCII: a byte above it is a line fault (or a file's), whatever the rule.
    if (Why.empty() && std::any_of(Value.begin(), Value.end(), [](char c) { return (unsigned char)c > 126; }))
        Why = "holds a character the VMU's screen never shows";
    return Why;
}

TDeviceForm DeviceFormOf(const TValueRule& Rule)
{
    if (Rule.Integer)
        return dfNumber;
    const bool DigitsAndSlash = !Rule.Mask.empty() && Rule.Mask.find('/') != std::string::npos &&
        Rule.Mask.find_first_not_of("0123456789/") == std::string::npos;
    return DigitsAndSlash ? dfDayMonth : dfAsTyped;
}

TDeviceForm DeviceFormOf(const TXmlNode* Description)
{
    return Description ? DeviceFormOf(ValueRuleOf(Description)) : dfAsTyped;
}

std::string InDeviceForm(TDeviceForm Form, const std::string& Value)
{
    int64_t N = 0;
    if (Form == dfNumber && WholeNumber(Value, N))
        return IntToStr(N);
    const size_t Slash = Value.find('/');
    if (Form != dfDayMonth || Slash == std::string::npos || !Digits(Value.substr(0, Slash), 1, 2) ||
        !Digits(Value.substr(Slash + 1), 1, 2))
        return Value;
    auto Part = [](const std::string& D) { return D.size() == 2 && D[0] == '0' ? D.substr(1) : D; };
    return Part(Value.substr(0, Slash)) + "/" + Part(Value.substr(Slash + 1));
}

bool SameInDeviceForm(TDeviceForm Form, const std::string& A, const std::string& B)
{
    return A == B || (Form != dfAsTyped && InDeviceForm(Form, A) == InDeviceForm(Form, B));
}

const char* ControlCharFault() { return "holds a control character"; }
const char* EmptyValueFault() { return "is empty, which it never is on the VMU"; }

std::string ShownValue(const std::string& Value)
{
    std::string Out;
    for (char c : Value) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u > 126) {
            char Hex[8];
            std::snprintf(Hex, sizeof Hex, "\\x%02x", unsigned(u));
            Out += Hex;
        } else
            Out += c;
    }
    return Out;
}
