#include "help/HelpNameHash.h"

#include <array>

namespace {
// The weight of each character code. Letters weigh the same in either case; "0" weighs 10, "." 12, "_" 13.
constexpr std::array<int32_t, 256> MakeWeights()
{
    std::array<int32_t, 256> F{};
    constexpr int32_t Punct[16] = {-16, 11, -14, 243, 244, 245, -10, -9, -8, -7, 250, 251, -4, -3, 12, -1};
    constexpr int32_t Brackets[6] = {11, 12, 13, 14, 13, 16};
    for (int c = 0; c < 256; ++c) {
        if (c == 0)
            F[c] = 0;
        else if (c < 32)
            F[c] = c + 208;
        else if (c < 48)
            F[c] = Punct[c - 32];
        else if (c == 48)
            F[c] = 10;
        else if (c <= 90)
            F[c] = c - 48;
        else if (c <= 96)
            F[c] = Brackets[c - 91];
        else if (c <= 127)
            F[c] = c - 80;
        else if (c >= 145 && c <= 151)
            F[c] = c - 48;
        else
            F[c] = c - 304;
    }
    return F;
}
constexpr std::array<int32_t, 256> Weights = MakeWeights();
}

int32_t HelpNameHash(std::string_view Name)
{
    uint32_t h = 0;   // unsigned, so that the wrap-around is defined; read back as signed
    for (unsigned char c : Name)
        h = h * 43u + uint32_t(Weights[c]);
    return int32_t(h);
}
