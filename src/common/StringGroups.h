// Named groups of replaceable message texts. Every unit that owns user-visible texts ("Utilits Unit", "SerPort Unit",
// "XStrGrid Unit", "XYmodem Unit") registers one setter under its group name; LoadStringConstants (Utilits) then
// writes the description document's texts through it without knowing the unit's code.
//
// How a unit joins (either way works; call it before the description is loaded, i.e. before the main window applies
// the four groups):
//   static TStringGroupRegistration reg("XStrGrid Unit", SetXStrGridText);     // at static initialisation, or
//   RegisterStringGroup("XStrGrid Unit", SetXStrGridText);                    // explicitly at start-up
// The setter gets the text key and the new text and answers whether the key belongs to the group (an unknown key
// must change nothing). Group names compare exactly, with case. Registration and lookups are thread-safe; the texts
// themselves are written only at start-up, before any long job runs, so readers need no lock.
#pragma once

#include <functional>
#include <string>

using TStringGroupSetter = std::function<bool(const std::string& Key, const std::string& Text)>;

// Installs Setter for GroupName (an empty setter removes the group) and returns the one it replaces.
TStringGroupSetter RegisterStringGroup(const std::string& GroupName, TStringGroupSetter Setter);
bool IsStringGroupRegistered(const std::string& GroupName);
// Sets one text of a group; false when the group is not registered or does not know the key.
bool SetGroupString(const std::string& GroupName, const std::string& Key, const std::string& Text);

// Registers at construction, for a unit that joins at static initialisation.
struct TStringGroupRegistration {
    TStringGroupRegistration(const std::string& GroupName, TStringGroupSetter Setter)
    {
        RegisterStringGroup(GroupName, std::move(Setter));
    }
};
