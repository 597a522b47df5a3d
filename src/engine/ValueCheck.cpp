// The checks of a screen value against its description node's "Cell Info"; see ValueCheck.h.
#include "engine/ValueCheck.h"

#include "platform/ControlChar.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <cctype>
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

} // namespace

TValueRule ValueRuleOf(const TXmlNode* Description)
{
    TValueRule R;
    if (!Description)
        return R;
    bool List = false, HaveMin = false, HaveMax = false;
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
            else if (Key == "CanEmpty")
                R.CanEmpty = SameText(Value, "True") || SameText(Value, "Yes");
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
    if (List)
        R.Items = std::move(Items);
    return R;
}

std::string CheckValue(const TValueRule& Rule, const std::string& Value)
{
    if (HoldsControlChar(Value))
        return "holds a control character";
    if (Value.empty())
        return {};
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
