// The decisions of the class-of-service and port/trunk service windows as plain functions that tests call without
// a window: stored and shown texts, the entered greeting, number and time values (a text that is no number is
// refused with a message, never converted with an error escaping the editor), the rows that depend on an
// authorisation, and the number rules of a service. Nothing here shows a box or touches a grid.
#pragma once

#include "forms/simple/SimpleFormRules.h"

#include <cstdint>
#include <string>
#include <vector>

class TFormServices;
struct TDeviceFacts;

// ---- class of service ----

// "Mailbox Capacity Maximum Message Time": 1 to 4 seconds become 5; 0 and 5 up stay; a text that is no number is
// refused.
TCellDecision COSMessageTimeText(const std::string& Text);
// How many rows below an authorisation depend on it (3, 1, or 0 for any other key).
int32_t COSDependentRows(const std::string& Key);
// "Yes" unlocks the dependent rows, "No" locks them; any other text leaves them (answer: false, nothing to do).
bool COSDependentLock(const std::string& Text, bool& ReadOnly);
// The forwarding mailbox: an existing mailbox or the System Manager's (unchanged or empty texts pass).
TCellDecision CheckForwardMailbox(const std::string& Text, const std::string& EditStart, const TDeviceFacts& Facts,
    TFormServices& Services);

// ---- port and trunk service ----

// 1 "Day", 2 "Night", 3 "Lunch", 4 "Break"; "" otherwise.
std::string ModeName(int32_t Mode);
// Stored -> shown and back, by the cell's Key: "Company Greeting No." "System Greeting" <-> "System";
// "Incoming Call Service" "V.M." <-> "Voice Mail". Other keys and texts are unchanged.
std::string ServiceValueToText(const std::string& Key, const std::string& Value);
std::string ServiceTextToValue(const std::string& Key, const std::string& Text);

// "Company Greeting No.": empty -> "None"; "s"/"S" -> "System"; "n"/"N" -> "None"; a longer text with s or n is
// refused (single character); a number is held to 1..32; any other text ("1a") is refused.
TCellDecision CompanyGreetingText(const std::string& Text);
// "Greeting No." (with a selective prompt): "s"/"S"/"System" -> "System"; a number held to 1..32; anything else
// is refused.
TCellDecision GreetingText(const std::string& Text);

// A service's number cell: whether it takes a number at all, and its range and length.
struct TServiceNumberRules {
    bool Editable = false;
    bool SetRange = false;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Limit = 0;
};
TServiceNumberRules ServiceNumberRules(const std::string& Service, const TDeviceFacts& Facts);
// The number typed for a service: "Interview" wants an interview mailbox number of some mailbox, "Custom" a number
// in 1..100; a text that is no number is refused. Unchanged or empty texts pass.
TCellDecision CheckServiceNumber(const std::string& Service, const std::string& Text, const std::string& EditStart,
    TFormServices& Services);
// "Delayed Answer Time" of a trunk: "0" becomes "1".
std::string TrunkDelayText(const std::string& Text);
// The services whose number must be set before Apply.
bool ServiceNeedsNumber(const std::string& Service);
