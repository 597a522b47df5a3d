// Control characters: the C0 controls and DEL. To the device's menu these are keystrokes, so none of them may be
// part of a value, whether typed into a cell or read from a data file.
#pragma once

#include <string_view>

inline bool IsControlChar(char c) { return static_cast<unsigned char>(c) < 32 || c == 127; }

inline bool HoldsControlChar(std::string_view s)
{
    for (char c : s)
        if (IsControlChar(c))
            return true;
    return false;
}
