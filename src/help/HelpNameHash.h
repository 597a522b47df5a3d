// The hash under which help context names are stored in a context map: case-blind for letters, fixed for every
// other character, wrapping in signed 32-bit arithmetic. 0 means "no name" and is never stored.
#pragma once

#include <cstdint>
#include <string_view>

int32_t HelpNameHash(std::string_view Name);
