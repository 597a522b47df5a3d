// The decisions of the custom service windows, as plain functions that tests call without a window: the row and
// column layout shared by the overview and the detail window, the keypad keys, how the action codes and
// assignments are shown (in full in the detail window, abbreviated in the overview), the limits and checks of a
// parameter cell, the names under which each key's nodes are placed, and which row an Apply stops at.
// Nothing here shows a box: a refusal comes back as its message and the window shows it.
#pragma once

#include "forms/attendant/AttendantRules.h"

#include <cstdint>
#include <string>
#include <vector>

class TXmlNode;

namespace CustomService {
constexpr int32_t MenuCount = 100;
constexpr int32_t KeyCount = 12;
// Rows of the detail window, which are the columns of the overview.
constexpr int NumberRow = 0;
constexpr int NameRow = 1;
constexpr int DescriptionRow = 2;
constexpr int ActionRow = 6;
constexpr int FirstKeyRow = 8;
constexpr int RowCount = FirstKeyRow + 2 * KeyCount;   // 32
// The detail window's description row is this many pixels high.
constexpr int DescriptionRowHeight = 54;
// The keypad rows' captions come three levels deep in the description; the two levels of the keypad blocks,
// which show no row of their own, are taken off again.
constexpr size_t KeyCaptionCut = 8;

// "0" to "9", "*", "#" for k = 0 to 11; empty outside.
std::string KeyText(int k);
// The row of key k's assignment; its parameter is the row after it.
constexpr int KeyRow(int k) { return FirstKeyRow + 2 * k; }
// The action row and every key's assignment row (even rows from 6); their parameter rows (odd rows from 7).
constexpr bool IsAssignmentRow(int Row) { return Row >= ActionRow && Row < RowCount && Row % 2 == 0; }
constexpr bool IsParameterRow(int Row) { return Row > ActionRow && Row < RowCount && Row % 2 == 1; }
// The key text of an assignment row (empty for the action row and other rows).
std::string KeyOfRow(int Row);

// The three assignments that need a number.
extern const char* const ToMailbox;     // "Transfer to Mailbox"
extern const char* const ToExtension;   // "Transfer to Extension"
extern const char* const ToCustom;      // "Custom Service"
const std::vector<std::string>& ParameterActions();
}

// The action row's stored letter "a" to "f" as shown in the detail window ("Transfer to Mailbox" ...) and back.
// A letter or text outside the table is shown and stored as it stands.
std::string ActionText(const std::string& Value);
std::string ActionValue(const std::string& Text);
// The overview's abbreviations: of the action letter ("a" is "Mbx") and of a key's assignment ("Transfer to
// Mailbox" is "Mbx"). Anything outside the tables is shown as it stands.
std::string ActionAbbreviation(const std::string& Value);
std::string AssignmentAbbreviation(const std::string& Assignment);

bool IsParameterAction(const std::string& Assignment);
// The limits of a parameter cell after Assignment (shown text); not Editable for an action without a number.
TParameterRules AssignmentParameterRules(const std::string& Assignment, const TDeviceFacts& Facts);
// A typed parameter: after "Transfer to Mailbox" the mailbox (or mailbox group) must exist; after "Transfer to
// Extension" it may be no extension group number, stored or in the open Extension Group window. Empty or unchanged
// texts pass unchecked.
TCellDecision CheckAssignmentParameter(const std::string& Assignment, const std::string& Text,
    const std::string& EditStart, TFormServices& Services);
// The first parameter row whose assignment needs a number and is empty; -1 when every one is set. ValueTexts are
// the shown texts of the detail window's value column, row by row.
int FirstMissingParameterRow(const std::vector<std::string>& ValueTexts);

// The name under which Node (named Name) is placed: a "Custom No." name takes MenuNumber; "Assignment" and
// "Assignment Parameter" take the key of their keypad node (its "ParseValue", or the key in its name), which also
// becomes KeyText, so that every key's pair of nodes has its own row or column. Description nodes, whose keypad is
// still "%T%", keep the KeyText the caller set.
std::string CustomServiceNodeName(const TXmlNode* Node, const std::string& Name, int32_t MenuNumber,
    std::string& KeyText);
// A caption with "%s" formatted with the key text.
std::string KeyCaption(const std::string& Caption, const std::string& KeyText);
