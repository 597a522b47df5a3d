// The settings-file reader must take any bytes: parse, look up, write back, parse again without change.
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    TIniFile ini;
    ini.SetText(text);
    for (const std::string& s : ini.ReadSections())
        for (const std::string& k : ini.ReadSection(s))
            (void)ini.ReadInteger(s, k, 0);
    ini.WriteString("COM Port Setup", "Port", text.substr(0, 16));
    std::string once = ini.Text();
    TIniFile again;
    again.SetText(once);
    if (again.Text() != once)
        std::abort();
    return 0;
}
