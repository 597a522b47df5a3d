// "PBX Dialing Parameters": the PBX types each firmware knows, the integration modes a type allows, and the
// presets a new type or mode brings (port extensions, dial strings D0-D9, and the tone codes of "Inband
// Signaling"), so that the device holds after a change what the program's form shows
// (docs/device.md, "PBX Dialing Parameters").
#include "TreeSection.h"

#include <algorithm>

namespace {

const char* const kSection = "PBX Dialing Parameters";

// The types of the firmware's list, in list order; what is stored is the short name (a long name of the list
// stands for "TD1232").
std::vector<std::string> TypeList(int fw)
{
    if (fw < 308)
        return {"T308", "T616", "T1232", "T96", "T336", "TD816", "TD1232"};
    if (fw < 409)
        return {"T308/T616", "T1232", "T96", "T336", "TD816/TD1232/TD612", "TD308", "TA series"};
    // The types of the older firmware keep their numbers; the newer ones follow.
    std::vector<std::string> list = {"T308/T616", "T1232", "T96", "T336"};
    list.push_back(fw < 414 ? "TD816/TD1232/TD612" : "TD816/TD1232");
    list.push_back("TD308");
    list.push_back("TA series");
    list.push_back("Other");
    if (fw >= 414)
        list.push_back("TD612");
    if (fw >= 418)
        list.push_back("TDA series");
    return list;
}

std::string Stored(const std::string& shown)
{
    return shown == "TD816/TD1232/TD612" || shown == "TD816/TD1232" ? std::string("TD1232") : shown;
}

bool In(const std::string& v, std::initializer_list<const char*> set)
{
    return std::any_of(set.begin(), set.end(), [&](const char* s) { return v == s; });
}

bool IsTD(const std::string& t)
{
    return In(t, {"TD308", "TD612", "TD816", "TD1232", "TD816/TD1232", "TD816/TD1232/TD612", "TDA series"});
}

bool IsT3(const std::string& t) { return In(t, {"T308/T616", "T308", "T616"}); }

std::string DefaultMode(const std::string& t)
{
    if (t == "Other" || IsT3(t))
        return "none";
    if (In(t, {"T1232", "T96", "T336"}))
        return "Inband";
    if (IsTD(t))
        return "DPT";
    if (t == "TA series")
        return "APT";
    return "";
}

bool ModeAllowed(const std::string& t, const std::string& mode)
{
    if (t == "Other" || In(t, {"T1232", "T96", "T336"}))
        return mode != "APT" && mode != "DPT";
    if (IsT3(t))
        return mode == "none";
    if (IsTD(t))
        return mode != "APT";
    if (t == "TA series")
        return mode != "DPT";
    return true;
}

void SetDials(TRecord& r, std::vector<std::string> d0to2_3to5_6to9)
{
    const auto& v = d0to2_3to5_6to9;  // D0-D2, D3-D5, D6, D7, D8, D9
    for (int i = 0; i <= 9; ++i) {
        std::string value = i <= 2 ? v[0] : i <= 5 ? v[1] : v[static_cast<size_t>(i - 4)];
        r.Set("Dial String D" + std::to_string(i), value);
    }
}

void Preset(TConsole& c, TRecord& r)
{
    std::string t = r.Get("PBX Type"), mode = r.Get("Integration Mode");
    int base = 0;
    if (IsTD(t) && mode == "DPT")
        // TD1232 is stored under its short name; from 3.08 to 4.13 it is the type shown as TD816/TD1232/TD612.
        base = t == "TD612" ? 265
            : (t == "TD308" || (t == "TD1232" && c.Firmware() >= 308 && c.Firmware() < 414)) ? 295
            : t == "TDA series" ? 0 : 165;
    else if (t == "TA series" && mode == "APT")
        base = 107;
    for (int i = 1; i <= 16; ++i)
        if (r.Has("Extension Number of VPS Port" + std::to_string(i)) || i <= PortCount(c))
            r.Set("Extension Number of VPS Port" + std::to_string(i), base ? std::to_string(base + i - 1) : "");
    if (t == "Other")
        SetDials(r, {"FX", "FWW", "", "", "", ""});
    else if (IsT3(t))
        SetDials(r, {"FTX", "FWW", "", "", "", ""});
    else if (t == "T1232")
        SetDials(r, {"FTX", "FWW", "T701X#", "T702X#", "1", "F"});
    else if (t == "T96")
        SetDials(r, {"FTX", "FWW", "T#91X", "T#90X", "", ""});
    else if (t == "T336")
        SetDials(r, {"FTX", "FWW", "T*9X", "T#9X", "", ""});
    else if (IsTD(t))
        SetDials(r, mode == "DPT" ? std::vector<std::string>{"FX", "F", "", "", t == "TD612" ? "2" : "1", "F"}
                                  : std::vector<std::string>{"FTX", "FWW", "T701X", "T700X", "1", "F"});
    else if (t == "TA series")
        SetDials(r, mode == "APT" ? std::vector<std::string>{"FX", "F", "", "", "1", "F"}
                                  : std::vector<std::string>{"FTX", "FWW", "T701X#", "T702X#", "1", "F"});
}

void SetInbandCodes(TConsole& c, const std::string& t)
{
    static const char* const signals[] = {"Ringback", "Busy", "Reorder", "DND", "Answer", "Forward to VM Ringing",
        "Forward to VM Busy", "Forward to Other Extension", "Confirmation", "Disconnect"};
    static const char* const digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "#9"};
    static const char* const letters[] = {"A1", "B1", "B2", "B3", "A2", "C1", "C2", "C3", "D1", "DD"};
    TRecord& inband = c.State.Section("Inband Signaling").Fields;
    bool none = t == "Other" || IsT3(t);
    bool lettered = t == "T96" || t == "T336";
    for (int i = 0; i < 10; ++i)
        inband.Set(signals[i], none ? "" : lettered ? letters[i] : digits[i]);
}

const TTreeHooksRegistrar hooks{kSection,
    {[](TConsole&, TRecord& r, const std::string& path, const std::string& value) {
         return path != "Integration Mode" || ModeAllowed(r.Get("PBX Type"), value);
     },
        [](TConsole& c, TRecord& r, const std::string& path, const std::string& value) {
            if (path == "PBX Type") {
                std::string mode = DefaultMode(value);
                if (!mode.empty())
                    r.Set("Integration Mode", mode);
                Preset(c, r);
                SetInbandCodes(c, value);
            } else if (path == "Integration Mode") {
                Preset(c, r);
            }
        },
        {},
        [](TConsole& c, const std::string& path) {
            std::vector<std::string> lines;
            if (path != "PBX Type")
                return lines;
            std::vector<std::string> list = TypeList(c.Firmware());
            for (size_t i = 0; i < list.size(); ++i)
                lines.push_back("      " + std::to_string(i + 1) + ". " + list[i]);
            return lines;
        }}};

}  // namespace

std::optional<std::string> PbxTypeRule(TConsole& c, const std::string& typed)
{
    std::vector<std::string> list = TypeList(c.Firmware());
    bool number = !typed.empty() && std::all_of(typed.begin(), typed.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    if (number) {
        size_t n = static_cast<size_t>(std::atoi(typed.c_str()));
        if (n >= 1 && n <= list.size())
            return Stored(list[n - 1]);
        return std::nullopt;
    }
    for (const std::string& t : list)
        if (UpperCase(t) == UpperCase(typed) || UpperCase(Stored(t)) == UpperCase(typed))
            return Stored(t);
    return std::nullopt;
}
