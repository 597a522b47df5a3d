// The terminal database's own output for a capability, so that escape-code tests compare with what real programs
// send rather than with our own expectations.
#pragma once

#include <cstdio>
#include <string>

// The output of `tput ARGS`, or "" with Missing set when the tool or the terminal type is absent.
inline std::string Tput(const std::string& Args, bool& Missing)
{
    FILE* f = popen(("tput " + Args + " 2>/dev/null").c_str(), "r");
    std::string Out;
    if (!f) {
        Missing = true;
        return Out;
    }
    char Buf[256];
    size_t n;
    while ((n = fread(Buf, 1, sizeof Buf, f)) > 0)
        Out.append(Buf, n);
    if (pclose(f) != 0)
        Missing = true;
    return Out;
}
