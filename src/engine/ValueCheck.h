// What a value read from a device screen may be, taken from its description node's "Cell Info" (the rules a
// section window edits it by): a whole number within its range, an item of its list, the characters of its input
// mask within its length, and never a control character nor a byte above ASCII. The screen parser checks every
// value it takes with this, so that a line fault that breaks a value's own rules is never kept in silence. A value
// never holds "[" or "]": the screen puts a value between them.
//
// A garble that stays inside a value's rules (one digit for another, one letter for another) cannot be told
// from the device's own value; nothing here claims to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TXmlNode;

struct TValueRule {
    bool Integer = false;           // vtInteger or vtRangeInteger
    bool Ranged = false;            // Min and Max hold (both numbers, not device-fact macros)
    int64_t Min = 0, Max = 0;
    bool CanEmpty = true;           // a whole number is never empty, unless its "CanEmpty" says so; any other
                                    // value may be, unless its "CanEmpty" says "False"
    std::string Mask;               // allowed characters; '' = any printable one
    int Limit = 0;                  // longest masked text; 0 = no limit known
    std::vector<std::string> Items; // a list's stored texts; empty = no list
    bool Letters = false, Digits = false;   // vtAlphabeticString / vtAlphaNumericString
    // What the screen shows for the value ("ScreenValues", read by the checks only): words and forms separated by
    // "|", where a form is "%time%" (8:00,AM or 17:30), "%duration%" (00:30, or 0:30 with one hour digit), "%date%"
    // (6-DEC-26), "%version%" (4.09) or "%N..M%" (a whole number in that range); empty = no such rule.
    std::vector<std::string> Screen;
};

// The rule of a description node (its "Cell Info"; none gives the rule of any text: no control characters).
TValueRule ValueRuleOf(const TXmlNode* Description);

// The rule with the device's mailbox numbers put in: a whole number ranged by the mailbox-number macros
// ("%MBX_MIN%" to "%MBX_MAX%") lies within the numbers of MailboxNoLength digits (2 to 5: 10..99 to 10000..99999),
// so that a digit the line lost from a mailbox's number is told; any other length leaves the range unchecked.
TValueRule ValueRuleOf(const TXmlNode* Description, int MailboxNoLength);

// '' when Value keeps Rule; otherwise why not, as a phrase that follows the value's text ("is no whole number").
std::string CheckValue(const TValueRule& Rule, const std::string& Value);

// The form the device shows a value in, whatever form it was typed in: a store is confirmed, and a value read back
// is compared, in that form, and the document takes it once the device holds the value.
enum TDeviceForm : uint8_t {
    dfAsTyped,    // as typed
    dfNumber,     // a whole number as a number: "05" is shown 5
    dfDayMonth,   // a day/month date without leading zeros: "01/04" is shown 1/4
};
// A whole number's rule gives dfNumber; a text of digits and "/" alone (the day/month dates) dfDayMonth.
TDeviceForm DeviceFormOf(const TValueRule& Rule);
TDeviceForm DeviceFormOf(const TXmlNode* Description);
// Value as the device shows it; a value without the form's shape ("None" for a number) stays as it is.
std::string InDeviceForm(TDeviceForm Form, const std::string& Value);
// Whether A and B are the same value in the form the device shows (no blanks trimmed, letter case counted: where
// the device changes case is the caller's to say).
bool SameInDeviceForm(TDeviceForm Form, const std::string& A, const std::string& B);

// The phrases CheckValue gives for an empty value that its rule says is never empty, and for a control character
// (which no document may hold, whoever sent it).
const char* EmptyValueFault();
const char* ControlCharFault();

// The value as it may stand in a message: control characters and bytes above 126 as \xNN.
std::string ShownValue(const std::string& Value);
