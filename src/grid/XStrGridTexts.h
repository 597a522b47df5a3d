// The string grid's messages (group "XStrGrid Unit"): a process-wide table with the English defaults. The table
// registers SetXStrGridText under its group name, so the text store replaces the texts at start-up from the
// description document; the grid reads them when it raises, so a replaced text shows from then on. Main thread only.
#pragma once

#include <string>
#include <utility>
#include <vector>

inline constexpr const char* SWrongColumnIndex = "SWrongColumnIndex";
inline constexpr const char* SWrongRowIndex = "SWrongRowIndex";
inline constexpr const char* SNoColumns = "SNoColumns";
inline constexpr const char* SNameAlreadyExists = "SNameAlreadyExists";
inline constexpr const char* SCantMakeActive = "SCantMakeActive";
inline constexpr const char* SCantOpenRegKey = "SCantOpenRegKey";

// The current text of a key; an unknown key gives the key itself.
const std::string& XStrGridText(const std::string& Key);
// Replaces a text; false (and nothing stored) for a key the group does not have.
bool SetXStrGridText(const std::string& Key, const std::string& Text);
// Every key with its English default, in table order.
const std::vector<std::pair<std::string, std::string>>& XStrGridDefaultTexts();
// Puts every text back to its default (for tests and a reloaded description).
void ResetXStrGridTexts();
