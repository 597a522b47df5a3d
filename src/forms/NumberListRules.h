// The decisions of the numbering-plan and prompt windows, as plain functions that tests call without a window:
// which plan texts the device takes, which entries repeat another, and how the plans close up when one is emptied.
// Nothing here shows a box; a refusal comes back as its message (TCellDecision) and the window shows it.
#pragma once

#include "forms/SimpleFormRules.h"

#include <string>
#include <vector>

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
