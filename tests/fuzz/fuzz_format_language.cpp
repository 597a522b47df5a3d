// Arbitrary formats, split rules and template lists against arbitrary values: each must end with
// fields, pieces or items, or with the conversion error its language defines, never with a crash or a hang.
// The input is "format NUL value"; without a NUL the whole input serves as both.
#include "engine/DataManager.h"
#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    std::string input(reinterpret_cast<const char*>(Data), Size);
    size_t nul = input.find('\0');
    std::string format = nul == std::string::npos ? input : input.substr(0, nul);
    std::string value = nul == std::string::npos ? input : input.substr(nul + 1);
    try {
        std::vector<std::string> fields = ApplyFormat(format, value);
        for (const std::string& f : fields)
            if (f.size() > value.size())
                __builtin_trap();
    } catch (const EConvertError&) {
    }
    try {
        std::vector<std::string> lines = SplitScreenLines(value);
        ConvertToStrings(format, lines, -1, int(lines.size()) + 2);
    } catch (const EConvertError&) {
    }
    // A template list with a bad bound ("%1..%") ends with the conversion error, like every bad number.
    try {
        std::string item;
        for (int64_t i = 0; i < 64 && TemplateItem(format, i, item); ++i) {
        }
        TemplateItem(format, 1LL << 40, item);
    } catch (const EConvertError&) {
    }
    for (const std::string& line : SplitScreenLines(value))
        (void)BracketContent(line);
    return 0;
}
