// The decisions of the RS-232C and simple parameter windows, as plain functions that tests call without a window:
// which entered text is stored (capitals, normalised port lists), which fax entries are refused and why, the
// paging-group counter, the Input/Output output-code lock, and the serial settings handed to the main window.
// Nothing here shows a box or touches a grid: a refusal comes back as its message, and the window shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TFormServices;
class TGridFormCore;

// What a window does with a text the user just entered: keep Text (possibly changed), or refuse it with Message
// (the cell then returns to the text it had when the editor opened). A refusal with KeepTyped hands the refused
// Text back to the cell's editor, for the user to correct what was typed rather than type it all again.
struct TCellDecision {
    bool Accepted = true;
    std::string Text;
    std::string Message;
    bool KeepTyped = false;
};

// What a window's cell check does with its decision: an accepted text replaces Value; a refused one shows its
// message in an error box, followed by what the cell now holds (CheckGuard held meanwhile, so that the box's focus
// changes start no new check), and Value goes back to the text the editor opened with; with KeepTyped the editor
// opens again on the cell with the refused text. A button that committed the edit then stops, as after a range
// message, so that the user sees the cell before anything is written.
void SettleCellDecision(TGridFormCore& Form, const TCellDecision& Decision, std::string& Value);

// An extension number as the VMU takes it: 2 to 5 digits, leading zeros kept ("07"); an empty text is kept.
TCellDecision CheckExtensionDigits(const std::string& Text);

// Codes and dial strings are stored in capitals.
std::string CapitalText(const std::string& Text);

// A VPS port list ("3,1-2,2") entered in a cell: stored in its canonical form ("1-3") over ports 1 to
// VPSPorts. A text equal to EditStart (left as it was) or empty is kept as typed. A token that is no number or a
// port outside 1..VPSPorts is refused with the conversion message; nothing is stored then, and what was typed goes
// back into the editor (KeepTyped).
TCellDecision NormalizePortListText(const std::string& Text, const std::string& EditStart, int32_t VPSPorts);

// A fax extension (rows 1 and 2): refused when it equals the other fax extension row ("Duplicate extension
// number in this form.") or is a group number of "Extension Group", stored or in its open window ("Extension
// number %s already exist in "%s"."). Empty or unchanged texts pass unchecked.
TCellDecision CheckFaxExtension(const std::string& Text, const std::string& EditStart, const std::string& OtherText,
    TFormServices& Services);
// The fax mailbox (row 4): refused when no such mailbox exists ("Mailbox number %s does not exist.").
TCellDecision CheckFaxMailbox(const std::string& Text, const std::string& EditStart, TFormServices& Services);

// Intercom paging: one description row stands for the paging groups 1 to PagingGroups. Called after a group's
// row was placed: true (place the row again) while Counter is below the last group, advancing it; at the last
// group Counter goes back to 1 and the answer is false.
constexpr int32_t PagingGroups = 8;
bool NextPagingGroup(int32_t& Counter);

// Input/Output: the output code (column 2) of a table is editable only while its input code (column 1) holds
// text; an emptied input code empties the output code too.
struct TOutputCodeState {
    bool Editable = false;
    bool Clear = false;
};
TOutputCodeState OutputCodeAfterInput(const std::string& InputText);

// The device's new line settings, in the order of the RS-232C section's rows: baud rate, data bits, parity,
// stop bits. Rows missing from ValueTexts give empty texts (which change nothing on the port).
struct TRS232CSettings {
    std::string BaudRate;
    std::string DataBits;
    std::string Parity;
    std::string StopBits;
};
TRS232CSettings RS232CSettingsFromRows(const std::vector<std::string>& ValueTexts);
// Whether closing the RS-232C window hands the settings to the main window: only after an apply that the
// device (or, in batch mode, the data document) accepted. A refused value must leave the port as it is.
bool ShouldPostPortSettings(bool AppliedSuccessfully, bool BatchMode);
