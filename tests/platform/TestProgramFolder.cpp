#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <map>
#include <optional>

namespace fs = std::filesystem;

TEST(ProgramFolder, ScopePointsBothFoldersAtOnePlaceAndNests)
{
    std::string before = ProgramFolder();
    EXPECT_EQ(before.back(), '/');
    {
        TProgramFolderScope outer("/tmp/a");
        EXPECT_EQ(ProgramFolder(), "/tmp/a/");
        EXPECT_EQ(SettingsFolder(), "/tmp/a/");
        EXPECT_EQ(SettingsFilePath("Orlantis.ini"), "/tmp/a/Orlantis.ini");
        {
            TProgramFolderScope inner("/tmp/b/");
            EXPECT_EQ(SettingsFolder(), "/tmp/b/");
        }
        EXPECT_EQ(SettingsFolder(), "/tmp/a/");
    }
    EXPECT_EQ(ProgramFolder(), before);
    // Tests run as built, from a writable build folder: settings go beside the program.
    EXPECT_EQ(SettingsFolder(), before);
}

TEST(SerialDevices, ListsOnlySerialDevicesInNumberOrder)
{
    char templ[] = "/tmp/orlantis-dev-XXXXXX";
    fs::path dev = mkdtemp(templ);
    for (const char* n : {"ttyS10", "ttyS2", "ttyACM0", "ttyUSB1", "tty0", "ttyS", "ttySx", "ttyUSB0", "null"})
        std::ofstream(dev / n) << "";
    std::vector<std::string> paths;
    const TTtyProbe nothingToAsk{"", nullptr};   // this machine's hardware must not decide
    EXPECT_EQ(EnumSerialDevices(paths, dev.string(), nothingToAsk), 0);
    std::string d = dev.string() + "/";
    EXPECT_EQ(paths, (std::vector<std::string>{d + "ttyS2", d + "ttyS10", d + "ttyUSB0", d + "ttyUSB1",
                         d + "ttyACM0"}));
    fs::remove_all(dev);
    EXPECT_NE(EnumSerialDevices(paths, dev.string(), nothingToAsk), 0);
    EXPECT_TRUE(paths.empty());
}

// The kernel makes ttyS placeholders whatever the hardware: only those with a UART behind them are ports.
TEST(SerialDevices, ATtySNodeIsListedOnlyWithAUartBehindIt)
{
    char templ[] = "/tmp/orlantis-sys-XXXXXX";
    const fs::path root = mkdtemp(templ);
    const fs::path dev = root / "dev", sys = root / "sys", drivers = root / "drivers" / "port";
    fs::create_directories(dev);
    fs::create_directories(drivers);
    struct TCase {
        const char* Name;
        bool Entry, Driver;
        const char* TypeFile;     // nullptr: none
        std::optional<int> Asked;  // what the serial driver answers for the device file
        bool Listed;
    };
    const TCase cases[] = {
        {"ttyS0", true, true, "4\n", std::nullopt, true},   // a 16550A
        {"ttyS1", true, true, "0\n", 4, false},             // the type file wins over the request
        {"ttyS2", true, false, nullptr, 4, false},          // nothing drives it
        {"ttyS3", true, true, nullptr, 4, true},            // no type file: the request decides
        {"ttyS4", true, true, nullptr, 0, false},
        {"ttyS5", true, true, nullptr, std::nullopt, true},  // a driver and no answer: might work
        {"ttyS6", true, true, "junk", 0, false},
        {"ttyS7", false, false, nullptr, 0, false},         // no entry at all: the request alone
        {"ttyS8", false, false, nullptr, 1, true},
        {"ttyS9", false, false, nullptr, std::nullopt, true},
        {"ttyUSB0", false, false, nullptr, 0, true},        // USB and ACM nodes are never asked
        {"ttyACM0", true, false, "0", 0, true},
    };
    std::map<std::string, std::optional<int>> answers;
    for (const TCase& c : cases) {
        std::ofstream(dev / c.Name) << "";
        answers[(dev / c.Name).string()] = c.Asked;
        if (c.Entry) {
            fs::create_directories(sys / c.Name / "device");
            if (c.Driver)
                fs::create_directory_symlink(drivers, sys / c.Name / "device" / "driver");
            if (c.TypeFile)
                std::ofstream(sys / c.Name / "type") << c.TypeFile;
        }
    }
    std::vector<std::string> paths;
    TTtyProbe probe{sys.string(), [&](const std::string& p) { return answers.at(p); }};
    EXPECT_EQ(EnumSerialDevices(paths, dev.string(), probe), 0);
    for (const TCase& c : cases)
        EXPECT_EQ(std::count(paths.begin(), paths.end(), (dev / c.Name).string()), c.Listed ? 1 : 0) << c.Name;
    // The real request: a missing device and a plain file cannot be asked.
    EXPECT_EQ(SerialPortType((root / "missing").string()), std::nullopt);
    EXPECT_EQ(SerialPortType((dev / "ttyS0").string()), std::nullopt);
    fs::remove_all(root);
}
