// The decisions of the department dialing and caller ID routing windows, as plain functions that tests call
// without a window: which numbers these windows refuse and why, how caller IDs and routings are shown and stored,
// the limits of a routing's parameter cell, and which row an Apply stops at. Nothing here shows a box: a refusal
// comes back as its message (see SimpleFormRules.h for TCellDecision) and the window shows it.
#pragma once

#include "forms/simple/SimpleFormRules.h"

#include <cstdint>
#include <string>
#include <vector>

struct TDeviceFacts;

// Department Dialing: the nine departments, one description row placed once per department.
constexpr int32_t DepartmentCount = 9;

// A department's extension: refused when it is an extension group number, stored or in the open Extension Group
// window ("Extension number %s already exist in "%s"."). Empty or unchanged texts pass unchecked.
TCellDecision CheckDepartmentExtension(const std::string& Text, const std::string& EditStart,
    TFormServices& Services);

// ---- Caller ID Call Routing ----
namespace CallerRouting {
constexpr int NumberCol = 0;
constexpr int CallerIDCol = 1;
constexpr int RoutingCol = 3;
constexpr int ParameterCol = 4;
extern const char* const None;     // "None": the routing shown for an empty stored one
extern const char* const Mailbox;  // "Mbx"
extern const char* const Extension;// "Extn."
extern const char* const Custom;   // "Custom"
}

// The caller ID as shown: "o"/"O" is "Out of Area", "p"/"P" is "Private"; anything else as stored.
std::string CallerIDText(const std::string& Value);
// The caller ID as stored: "Out of Area" is "o", "Private" is "p"; anything else as shown.
std::string CallerIDValue(const std::string& Text);
// The routing as shown ("" is "None") and as stored ("None" is "").
std::string RoutingText(const std::string& Value);
std::string RoutingValue(const std::string& Text);

// A typed caller ID: a longer text holding "o" or "p" in either case is refused with the single-character message;
// a single "o" or "p" becomes its shown text. Unchanged texts pass as they are.
TCellDecision CheckCallerIDEntry(const std::string& Text, const std::string& EditStart);

// The editing limits of a routing's parameter cell; Editable is false for "None" (and anything unknown).
struct TParameterRules {
    bool Editable = false;
    int32_t MinInteger = 0;
    int32_t MaxInteger = 0;
    int32_t EditLimit = 0;
};
TParameterRules RoutingParameterRules(const std::string& Routing, const TDeviceFacts& Facts);

// The routing parameter: with "Mbx" the mailbox must exist (a mailbox or a mailbox group number); with "Extn." the
// extension may not be an extension group number, stored or in the open Extension Group window.
TCellDecision CheckRoutingParameter(const std::string& Routing, const std::string& Text,
    const std::string& EditStart, TFormServices& Services);

// The first row whose routing needs a parameter that is empty; -1 when every row is complete. Routings and
// Parameters are the shown texts of the routing and parameter columns, row by row.
int FirstRowMissingParameter(const std::vector<std::string>& Routings, const std::vector<std::string>& Parameters);

// ---- Operator's Parameters ----
// The table has one row per time mode and, for each of the three operators, one column per field of the
// operator's data: column 0 the mode, then each field's three operator columns side by side in the order of the
// operator's data (extension, mailbox, busy coverage, no-answer coverage). Columns are bound by the expanded
// node names ("Operator's Extension 2" ...), so a cell always shows its own operator's node; these numbers only
// name the columns the window's checks act on.
namespace Operators {
constexpr int Count = 3;
constexpr int ExtensionField = 0;
constexpr int MailboxField = 1;
constexpr int FieldCount = 4;
// The column of Field for operator Operator (1 to 3).
constexpr int Column(int Field, int Operator) { return 1 + Field * Count + (Operator - 1); }
// The operator (1 to 3) and field of a column; false for column 0 and columns past the last field.
bool ColumnField(int Col, int& Field, int& Operator);
// The node names placed once per operator.
bool IsOperatorNode(const std::string& Name);
}
// The time modes shown: "Day" and "Night" before firmware 3.08 (version number 308), all four from then on.
int32_t OperatorModeCount(int32_t FlashVersion);
// The mode's name ("Day" ... "Break"); empty outside 0 to 3.
std::string OperatorModeName(int Mode);

// An operator's extension: refused when another section or an open window of another section uses it.
TCellDecision CheckOperatorExtension(const std::string& Text, const std::string& EditStart, TFormServices& Services);
// An operator's mailbox: the System Manager's mailbox is refused first, then a mailbox that does not exist.
TCellDecision CheckOperatorMailbox(const std::string& Text, const std::string& EditStart, TFormServices& Services);
