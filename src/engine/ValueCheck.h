// What a value read from a device screen may be, taken from its description node's "Cell Info" (the rules a
// section window edits it by): a whole number within its range, an item of its list, the characters of its input
// mask within its length, and never a control character. The screen parser checks every value it takes with
// this, so that a line fault that breaks a value's own rules is never kept in silence.
//
// A garble that stays inside a value's rules (one digit for another, one letter for another) cannot be told
// from the device's own value; nothing here claims to.
#pragma once

#include <string>
#include <vector>

class TXmlNode;

struct TValueRule {
    bool Integer = false;           // vtInteger or vtRangeInteger
    bool Ranged = false;            // Min and Max hold (both numbers, not device-fact macros)
    int64_t Min = 0, Max = 0;
    bool CanEmpty = true;           // only a whole number says otherwise by itself
    std::string Mask;               // allowed characters; '' = any printable one
    int Limit = 0;                  // longest masked text; 0 = no limit known
    std::vector<std::string> Items; // a list's stored texts; empty = no list
    bool Letters = false, Digits = false;   // vtAlphabeticString / vtAlphaNumericString
};

// The rule of a description node (its "Cell Info"; none gives the rule of any text: no control characters).
TValueRule ValueRuleOf(const TXmlNode* Description);

// '' when Value keeps Rule; otherwise why not, as a phrase that follows the value's text ("is no whole number").
std::string CheckValue(const TValueRule& Rule, const std::string& Value);

// The value as it may stand in a message: control characters and bytes above 126 as \xNN.
std::string ShownValue(const std::string& Value);
