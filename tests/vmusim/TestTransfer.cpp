// Voice prompt download and upload by XMODEM against lrzsz, as the terminal window of the program does them.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

std::string Dir(const std::string& file)
{
    return file.substr(0, file.rfind('/'));
}

bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

class Transfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TSimProcess::Binary().empty())
            GTEST_SKIP() << "vmusim is not built";
        if (!HaveTool("socat") || !HaveTool("rx") || !HaveTool("sx"))
            GTEST_SKIP() << "socat and lrzsz are needed";
    }
    // Runs an lrzsz program on the simulator's line through socat (lrzsz is not handed a pty directly).
    int Run(TSimProcess& sim, const std::string& command)
    {
        sim.CloseLine();
        std::string line = "socat -T 60 " + sim.PtyPath() + ",raw,echo=0 SYSTEM:'" + command + "' 2>/dev/null";
        int rc = std::system(line.c_str());
        sim.ReopenLine();
        return rc;
    }
    const std::string kMenu = "Voice Prompt Transfer Selection => ";
};

TEST_F(Transfer, DownloadsThePromptsWithTheAnnouncedSize)
{
    TSimProcess sim({});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    sim.Keys("6\r", kMenu);
    std::string announce = sim.Keys("1\r", "Start XMODEM receive now.\r\n");
    EXPECT_NE(announce.find("Total Size of Download File = 0x00004000 bytes\r\n"), std::string::npos) << announce;
    std::string file = TempPath("download.vps");
    std::remove(file.c_str());
    EXPECT_EQ(Run(sim, "cd " + Dir(file) + " && rx -q -c download.vps"), 0);
    EXPECT_EQ(ReadFile(file).size(), 0x4000u);
    sim.Send("\r\n");
    std::string after = sim.ReadUntil(kMenu);
    EXPECT_NE(after.find("Download Complete"), std::string::npos) << after;
    // The CR LF above came during the device's pause after the transfer: it is lost, and the menu still answers.
    std::string again = sim.Keys("1\r", "Start XMODEM receive now.\r\n");
    EXPECT_NE(again.find("Total Size of Download File"), std::string::npos) << again;
}

TEST_F(Transfer, UploadReplacesThePrompts)
{
    TSimProcess sim({});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    sim.Keys("6\r", kMenu);
    sim.Keys("2\r", "Start XMODEM send now.\r\n");
    std::string file = TempPath("upload.vps");
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 1000; ++i)
            out << char(i * 7);
    }
    EXPECT_EQ(Run(sim, "cd " + Dir(file) + " && sx -q upload.vps"), 0);
    std::string after = sim.ReadUntil(kMenu);
    EXPECT_NE(after.find("Upload Complete"), std::string::npos) << after;
    // The new prompts are what a download gives now (padded by XMODEM to whole blocks, less the padding).
    std::string announce = sim.Keys("1\r", "Start XMODEM receive now.\r\n");
    EXPECT_NE(announce.find("0x000003E8 bytes"), std::string::npos) << announce;
}

}  // namespace
