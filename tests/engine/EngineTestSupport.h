// Shared pieces of the engine tests: a temporary program folder, step builders and the reading of test data.
#pragma once

#include "engine/StepParameters.h"
#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace enginetest {

// A fresh folder that the program folder and settings folder point at for the life of the object.
class TTempFolder {
public:
    TTempFolder()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orlantis-engine-XXXXXX").string();
        Path = mkdtemp(tmpl.data()) ? tmpl : std::string();
        Scope = std::make_unique<TProgramFolderScope>(Path);
    }
    ~TTempFolder()
    {
        Scope.reset();
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    bool Has(const std::string& Name) const { return std::filesystem::exists(Path + "/" + Name); }
    std::string Read(const std::string& Name) const
    {
        std::ifstream f(Path + "/" + Name, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    std::string Path;
    std::unique_ptr<TProgramFolderScope> Scope;
};

inline std::unique_ptr<TStepParameter> Step(const std::string& Send, const std::string& Stop,
    const std::string& Error = "Incorrect Entry")
{
    auto s = std::make_unique<TStepParameter>();
    s->Send = Send;
    s->StopAnswer = Stop;
    s->ErrorAnswer = Error;
    return s;
}

inline std::string ReadTestFile(const std::string& Name)
{
    std::ifstream f(std::string(ORLANTIS_SOURCE_DIR) + "/tests/engine/data/" + Name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Compares Actual with a committed golden file; ORLANTIS_UPDATE_GOLDEN=1 rewrites the file instead.
inline ::testing::AssertionResult MatchesGolden(const std::string& Name, const std::string& Actual)
{
    std::string path = std::string(ORLANTIS_SOURCE_DIR) + "/tests/engine/data/golden/" + Name;
    if (const char* u = std::getenv("ORLANTIS_UPDATE_GOLDEN"); u && std::string(u) == "1") {
        std::ofstream(path, std::ios::binary) << Actual;
        return ::testing::AssertionSuccess();
    }
    std::string expected = ReadTestFile("golden/" + Name);
    if (expected == Actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "golden file " << Name << " differs; actual:\n" << Actual;
}

}
