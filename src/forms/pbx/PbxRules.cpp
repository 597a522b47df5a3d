#include "forms/pbx/PbxRules.h"

#include "xml/XmlDoc.h"

#include <algorithm>
#include <initializer_list>

namespace Pbx {

const std::array<const char*, 10> Signals = {"Ringback", "Busy", "Reorder", "DND", "Answer", "Forward to VM Ringing",
    "Forward to VM Busy", "Forward to Other Extension", "Confirmation", "Disconnect"};
const std::array<const char*, 4> Modes = {"none", "Inband", "APT", "DPT"};

namespace {
bool In(const std::string& V, std::initializer_list<const char*> Set)
{
    return std::any_of(Set.begin(), Set.end(), [&](const char* S) { return V == S; });
}
bool IsT3(const std::string& T) { return In(T, {"T308/T616", "T308", "T616"}); }
bool IsTone(const std::string& T) { return In(T, {"T1232", "T96", "T336"}); }
bool IsTD(const std::string& T)
{
    return In(T, {"TD308", "TD612", "TD816", "TD1232", "TD816/TD1232", "TD816/TD1232/TD612", "TDA series"});
}
const char* const LongNew = "TD816/TD1232";
const char* const LongOld = "TD816/TD1232/TD612";

TPreset Make(bool Editable, int32_t Base, std::array<std::string, 10> Dials)
{
    return {true, Editable, Base, std::move(Dials)};
}
// D0-D2 share one string, D3-D5 another; D6 to D9 have their own.
std::array<std::string, 10> Dials(const char* D0, const char* D3, const char* D6, const char* D7, const char* D8,
    const char* D9)
{
    return {D0, D0, D0, D3, D3, D3, D6, D7, D8, D9};
}
} // namespace

std::vector<std::string> TypeNames(const std::vector<std::string>& Newest, int32_t Firmware)
{
    if (Firmware < 409) {
        static const std::array<const char*, 7> Before308 = {"T308", "T616", "T1232", "T96", "T336", "TD816",
            "TD1232"};
        static const std::array<const char*, 7> From308 = {"T308/T616", "T1232", "T96", "T336", LongOld, "TD308",
            "TA series"};
        const auto& Names = Firmware < 308 ? Before308 : From308;
        std::vector<std::string> R;
        for (size_t i = 0; i < Newest.size() && i < Names.size(); ++i)
            R.emplace_back(Names[i]);
        return R;
    }
    std::vector<std::string> R;
    for (const std::string& Name : Newest) {
        if (Name == "TDA series" && Firmware < 418)
            continue;
        if (Name == "TD612" && Firmware < 414)
            continue;
        R.push_back(Name == "TD1232" ? (Firmware >= 414 ? LongNew : LongOld) : Name);
    }
    return R;
}

std::string TypeText(const std::string& Stored, int32_t Firmware)
{
    if (Stored != "TD1232" || Firmware < 308)
        return Stored;
    return Firmware >= 414 ? LongNew : LongOld;
}

std::string TypeValue(const std::string& Shown)
{
    return Shown == LongNew || Shown == LongOld ? std::string("TD1232") : Shown;
}

std::string DefaultMode(const std::string& Type)
{
    if (Type == "Other" || IsT3(Type))
        return "none";
    if (IsTone(Type))
        return "Inband";
    if (IsTD(Type))
        return "DPT";
    if (Type == "TA series")
        return "APT";
    return {};
}

bool IsModeAllowed(const std::string& Mode, const std::string& Type)
{
    if (Type == "Other" || IsTone(Type))
        return Mode != "APT" && Mode != "DPT";
    if (IsT3(Type))
        return Mode != "Inband" && Mode != "APT" && Mode != "DPT";
    if (IsTD(Type))
        return Mode != "APT";
    if (Type == "TA series")
        return Mode != "DPT";
    return true;
}

std::string TPreset::PortExtension(int32_t Port) const
{
    return PortBase > 0 ? std::to_string(PortBase + Port - 1) : std::string();
}

TPreset PresetFor(const std::string& Type, const std::string& Mode)
{
    if (Type == "Other")
        return Make(false, 0, Dials("FX", "FWW", "", "", "", ""));
    if (IsT3(Type))
        return Make(false, 0, Dials("FTX", "FWW", "", "", "", ""));
    if (Type == "T1232")
        return Make(false, 0, Dials("FTX", "FWW", "T701X#", "T702X#", "1", "F"));
    if (Type == "T96")
        return Make(false, 0, Dials("FTX", "FWW", "T#91X", "T#90X", "", ""));
    if (Type == "T336")
        return Make(false, 0, Dials("FTX", "FWW", "T*9X", "T#9X", "", ""));
    if (IsTD(Type)) {
        if (Mode != "DPT")
            return Make(false, 0, Dials("FTX", "FWW", "T701X", "T700X", "1", "F"));
        int32_t Base = 165;
        if (Type == "TD612")
            Base = 265;
        else if (Type == "TD308" || Type == LongOld)
            Base = 295;
        else if (Type == "TDA series")
            Base = 0;
        return Make(true, Base, Dials("FX", "F", "", "", Type == "TD612" ? "2" : "1", "F"));
    }
    if (Type == "TA series") {
        if (Mode == "APT")
            return Make(true, 107, Dials("FX", "F", "", "", "1", "F"));
        return Make(false, 0, Dials("FTX", "FWW", "T701X#", "T702X#", "1", "F"));
    }
    return {};
}

std::optional<std::string> InbandCodeFor(const std::string& Type, const std::string& Signal)
{
    static const std::array<const char*, 10> Digits = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "#9"};
    static const std::array<const char*, 10> Letters = {"A1", "B1", "B2", "B3", "A2", "C1", "C2", "C3", "D1", "DD"};
    const auto It = std::find_if(Signals.begin(), Signals.end(), [&](const char* S) { return Signal == S; });
    if (It == Signals.end())
        return std::nullopt;
    const size_t i = size_t(It - Signals.begin());
    if (Type == "Other" || IsT3(Type))
        return std::string();
    if (Type == "T96" || Type == "T336")
        return std::string(Letters[i]);
    if (Type == "T1232" || IsTD(Type) || Type == "TA series")
        return std::string(Digits[i]);
    return std::nullopt;
}

int SetInbandCodes(TXmlNode* Section, const std::string& Type)
{
    if (!Section)
        return 0;
    auto Mark = [](TXmlNode* Node) {
        if (Node->GetAttr("Change") == "NoChange")
            Node->SetAttr("Change", "Modify");
    };
    int Changed = 0;
    for (const auto& Child : Section->Nodes) {
        if (Child->GetTag() != "ATTR")
            continue;
        const std::optional<std::string> Code = InbandCodeFor(Type, Child->GetName());
        if (!Code || Child->GetValue() == *Code)
            continue;
        Child->SetAttr("Value", *Code);
        Mark(Child.get());
        ++Changed;
    }
    if (Changed)
        Mark(Section);
    return Changed;
}

} // namespace Pbx
