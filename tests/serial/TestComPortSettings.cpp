// The settings-file section of the port, the display texts, and the picker logic without widgets.
#include "platform/Exception.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "serial/ComPortSettings.h"
#include "serial/SerSelect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
struct TSettingsFolder {
    fs::path Path;
    std::unique_ptr<TProgramFolderScope> Scope;
    TSettingsFolder()
    {
        char templ[] = "/tmp/orlantis-settings-XXXXXX";
        Path = mkdtemp(templ);
        Scope = std::make_unique<TProgramFolderScope>(Path.string());
    }
    ~TSettingsFolder()
    {
        Scope.reset();
        fs::remove_all(Path);
    }
    std::string ini() const { return (Path / "Orlantis.ini").string(); }
    void write(const std::string& text) const { std::ofstream(ini(), std::ios::binary) << text; }
    std::string read() const
    {
        std::ifstream in(ini(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

void expectDefaults(const TSerPort& p, const std::string& name)
{
    EXPECT_EQ(p.Port(), name);
    EXPECT_EQ(p.BaudRate(), br9600);
    EXPECT_EQ(p.DataBits(), dbEight);
    EXPECT_EQ(p.Parity().Bits(), prNone);
    EXPECT_EQ(p.StopBits(), sbOneStopBit);
}
}

TEST(ComPortSettings, FileLivesInTheSettingsFolder)
{
    TSettingsFolder folder;
    EXPECT_EQ(ComPortSettingsFileName(), folder.ini());
}

TEST(ComPortSettings, MissingFileOrSectionLeavesThePortAndSaysSo)
{
    TSettingsFolder folder;
    TSerPort port;
    port.SetBaudRate(br19200);
    EXPECT_FALSE(LoadComPortSettings(&port));
    folder.write("[Other]\nPort=COM4\n");
    EXPECT_FALSE(LoadComPortSettings(&port));
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_TRUE(LoadComPortSettings(nullptr));
}

TEST(ComPortSettings, PartialSectionBadValuesAndCase)
{
    TSettingsFolder folder;
    TSerPort port;
    port.SetBaudRate(br38400);
    port.SetStopBits(sbTwoStopBits);
    folder.write("[com port setup]\nport=COM2\n");
    EXPECT_TRUE(LoadComPortSettings(&port));
    expectDefaults(port, "COM2");

    folder.write("[COM Port Setup]\nPort=3\nBaudRate=99\nDataBits=-1\nParityBits=x\nStopBits=3\n");
    EXPECT_TRUE(LoadComPortSettings(&port));
    expectDefaults(port, "COM3");

    folder.write("[COM Port Setup]\nPORT=/tmp/vmu\nBAUDRATE=8\nDATABITS=2\nPARITYBITS=4\nSTOPBITS=1\n");
    EXPECT_TRUE(LoadComPortSettings(&port));
    EXPECT_EQ(port.Port(), "/tmp/vmu");
    EXPECT_EQ(port.BaudRate(), br14400);
    EXPECT_EQ(port.DataBits(), dbSeven);
    EXPECT_EQ(port.Parity().Bits(), prSpace);
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);
    EXPECT_EQ(port.UpdateCount(), 0);
}

TEST(ComPortSettings, SaveWritesTheFiveKeysAndKeepsTheRest)
{
    TSettingsFolder folder;
    folder.write("; mine\n[Window]\nLeft=5\n\n[COM Port Setup]\nport=COM9\nExtra=kept\n");
    TSerPort port;
    port.SetPort("COM2");
    port.SetBaudRate(br19200);
    port.Parity().SetBits(prOdd);
    SaveComPortSettings(&port);
    EXPECT_EQ(folder.read(),
        "; mine\n[Window]\nLeft=5\n\n[COM Port Setup]\nport=COM2\nExtra=kept\nBaudRate=9\nDataBits=3\n"
        "ParityBits=1\nStopBits=0\n");

    TSerPort back;
    EXPECT_TRUE(LoadComPortSettings(&back));
    EXPECT_EQ(back.Port(), "COM2");
    EXPECT_EQ(back.BaudRate(), br19200);
    EXPECT_EQ(back.Parity().Bits(), prOdd);

    fs::remove(folder.ini());
    SaveComPortSettings(&port);
    EXPECT_EQ(folder.read(), "[COM Port Setup]\nPort=COM2\nBaudRate=9\nDataBits=3\nParityBits=1\nStopBits=0\n");
}

TEST(ComPortSettings, UnreadableFileRaisesAndChangesNothing)
{
    TSettingsFolder folder;
    fs::create_directory(folder.ini());
    TSerPort port;
    EXPECT_THROW(LoadComPortSettings(&port), EFileError);
    EXPECT_THROW(SaveComPortSettings(&port), EFileError);
    EXPECT_EQ(port.UpdateCount(), 0);
    EXPECT_TRUE(fs::is_directory(folder.ini()));
}

TEST(ComPortSettings, DisplayTextsMatchExactly)
{
    TSerPort port;
    port.Parity().SetBits(prOdd);
    ApplyComPortTexts(&port, "19200", "7", "none", "2");
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.DataBits(), dbSeven);
    EXPECT_EQ(port.Parity().Bits(), prOdd);   // "none" is not "None"
    EXPECT_EQ(port.StopBits(), sbTwoStopBits);
    ApplyComPortTexts(&port, "14400", "5", "Even", "1.5");   // 14400 is not offered
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.DataBits(), dbSeven);
    EXPECT_EQ(port.Parity().Bits(), prEven);
    EXPECT_EQ(port.StopBits(), sbTwoStopBits);
    ApplyComPortTexts(nullptr, "9600", "8", "None", "1");
}

TEST(SerSelect, ListsValuesAndFindsThePortsCurrentOne)
{
    TSerPort port;
    TSerSelect s;
    s.ComPort = &port;
    s.SetComProperty(cpBaudRate);
    ASSERT_EQ(s.Items.size(), 16u);
    EXPECT_EQ(s.Items.front(), "Custom");
    EXPECT_EQ(s.UpdateSettings(), 7);
    s.SetComProperty(cpStopBits);
    EXPECT_EQ(s.Items, (std::vector<std::string>{"1", "1.5", "2"}));
    s.SetComProperty(cpFlowControl);
    EXPECT_EQ(s.UpdateSettings(), 2);   // "None"
    s.SetComProperty(cpNone);
    EXPECT_TRUE(s.Items.empty());
    EXPECT_EQ(s.UpdateSettings(), -1);

    // Choosing changes nothing on the port until applied, unless AutoApply is on.
    s.SetComProperty(cpParity);
    s.ChangeComboText("Even");
    EXPECT_EQ(port.Parity().Bits(), prNone);
    s.ApplySettings();
    EXPECT_EQ(port.Parity().Bits(), prEven);
    s.AutoApply = true;
    s.ChangeComboText("Mark");
    EXPECT_EQ(port.Parity().Bits(), prMark);
}

TEST(SerSelect, APortNameMissingFromTheListIsShownAndKept)
{
    TSerPort port;
    port.SetPort("/tmp/orlantis-sim-port");
    TSerSelect s;
    s.ComPort = &port;
    s.SetComProperty(cpPort);
    size_t listed = s.Items.size();
    int index = s.UpdateSettings();
    ASSERT_GE(index, 0);
    EXPECT_EQ(s.Items.size(), listed + 1);
    EXPECT_EQ(s.Items[size_t(index)], "/tmp/orlantis-sim-port");
    EXPECT_EQ(s.UpdateSettings(), index);   // found now, not added twice
    s.ApplySettings();
    EXPECT_EQ(port.Port(), "/tmp/orlantis-sim-port");

    // Nothing chosen at all: applying leaves the name alone instead of falling back to COM1.
    TSerSelect fresh;
    fresh.ComPort = &port;
    fresh.SetComProperty(cpPort);
    fresh.ApplySettings();
    EXPECT_EQ(port.Port(), "/tmp/orlantis-sim-port");
    fresh.ChangeComboText("com5");
    fresh.ApplySettings();
    EXPECT_EQ(port.Port(), "COM5");
}
