// A help folder that a fuzz target fills with its input: a scratch folder "x.help" under the run's working folder,
// whose files are written anew for every input (missing parts as empty files), so that nothing of one input is
// read with the next. The input is cut into files at NUL bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

inline std::vector<std::string_view> SplitAtNul(const uint8_t* Data, size_t Size, size_t Parts)
{
    std::string_view All(reinterpret_cast<const char*>(Data), Size);
    std::vector<std::string_view> Out;
    while (Out.size() + 1 < Parts) {
        size_t Nul = All.find('\0');
        if (Nul == std::string_view::npos)
            break;
        Out.push_back(All.substr(0, Nul));
        All.remove_prefix(Nul + 1);
    }
    Out.push_back(All);
    Out.resize(Parts);
    return Out;
}

// Writes each (relative name, text) into the folder; returns the help file name "<cwd>/x.chm" the folder belongs to.
inline std::string FillHelpFolder(const std::vector<std::pair<std::string, std::string_view>>& Files)
{
    namespace fs = std::filesystem;
    static const fs::path Base = fs::current_path();
    fs::create_directories(Base / "x.help" / "sub");
    for (const auto& [Name, Text] : Files)
        std::ofstream(Base / "x.help" / Name, std::ios::binary | std::ios::trunc).write(Text.data(), Text.size());
    return (Base / "x.chm").string();
}
