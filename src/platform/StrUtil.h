// Small text helpers shared by every layer: the strict integer parser, the safe formatter for texts that come
// from the description document, and ASCII case folding. Text is single-byte (std::string) throughout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Decimal text (optional sign, optional surrounding blanks not allowed) to a signed 32-bit integer. Anything else,
// including overflow, raises EConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(std::string_view text);
// As StrToInt, but gives Default instead of raising.
int32_t StrToIntDef(std::string_view text, int32_t Default);
// True and sets Value when the text is a valid StrToInt text.
bool TryStrToInt(std::string_view text, int32_t& Value);
std::string IntToStr(int64_t value);

// One argument of Format: a text or an integer.
using TFormatArg = std::variant<std::string, int64_t>;
// Formats with "%s", "%d" and "%.2d" (zero-padded to two digits) taking the arguments in order; "%%" gives "%".
// Anything else, and a placeholder without an argument left, stands in the result as it was, so a format read
// from the description document can never read past its arguments.
std::string Format(std::string_view format, const std::vector<TFormatArg>& args);

std::string UpperCase(std::string_view s);   // ASCII letters only
std::string LowerCase(std::string_view s);   // ASCII letters only
// Removes leading and trailing characters with codes below 33.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// Compare without case (ASCII letters only); 0 when equal.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
