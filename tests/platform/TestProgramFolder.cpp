#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
    EXPECT_EQ(EnumSerialDevices(paths, dev.string()), 0);
    std::string d = dev.string() + "/";
    EXPECT_EQ(paths, (std::vector<std::string>{d + "ttyS2", d + "ttyS10", d + "ttyUSB0", d + "ttyUSB1",
                         d + "ttyACM0"}));
    fs::remove_all(dev);
    EXPECT_NE(EnumSerialDevices(paths, dev.string()), 0);
    EXPECT_TRUE(paths.empty());
}
