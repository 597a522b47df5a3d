// The decisions of the numbering-plan and prompt windows, as plain functions that tests call without a window:
// which plan texts the device takes, which entries repeat another, and how the plans close up when one is emptied.
// Nothing here shows a box; a refusal comes back as its message (TCellDecision) and the window shows it.
#pragma once

#include "forms/simple/SimpleFormRules.h"

#include <cstdint>
#include <string>
#include <vector>

class TXmlNode;

// A numbering plan: two or more characters, leading digits followed by "X" wildcards, the first "X" at place 1, 2
// or 3 and no digit after it. A text without any "X" is no plan (it would name no extension at all).
bool IsNumberingPlanForm(const std::string& Plan);

// A plan typed into row Row: upper-cased; empty or unchanged texts pass; refused when it begins with "0", breaks the
// plan form, or equals the plan of another row (Plans holds every row's text, Plans[Row] is ignored).
TCellDecision CheckNumberingPlan(
    const std::string& Text, const std::string& EditStart, const std::vector<std::string>& Plans, int Row);

// The plans after the plan in Row was emptied: the plans below move up one row, the last row is left empty.
std::vector<std::string> CloseUpPlans(std::vector<std::string> Plans, int Row);
// The first row that may be edited last: the first empty plan (rows after it are locked), -1 when all are filled.
int FirstEmptyPlan(const std::vector<std::string>& Plans);

// A prompt number typed into one of the first three rows: refused when another of them holds it.
TCellDecision CheckPromptNumber(
    const std::string& Text, const std::string& EditStart, const std::vector<std::string>& Prompts, int Row);

// Alternate extensions are addressed on the device by their place in a list without gaps. Sets the "ParseValue"
// of every entry of the section to the place it has when its save step runs: steps run in document order, a
// deleted entry ("Delete") gives its place to the next one, and new entries ("Insert") are appended. Worked out
// from the marks and the order alone, so that it can run again on every Apply and after a retry.
void NumberAlternateEntries(TXmlNode* Section);
// The largest entry number in the names of the section's entries ("Extension No. n"), at least 100: a deleted
// entry is renamed beyond it, out of the way of the live entries.
int32_t MaxAlternateEntryNumber(const TXmlNode* Section);
