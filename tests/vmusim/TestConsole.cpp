// The simulator's console as docs/device.md promises it: log-in, the system information screen, changing values,
// records, bad input, reports, the named-command screens and the state file.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string kTop = "Top Menu Selection => ";
const std::string kDialing = "Dialing Parameters - Item No. or Q => ";
const std::string kListing = "Mailbox Listing - A=Add, D=Delete, M=Modify, Q=Quit => ";
const std::string kMailboxItem = "Mailbox Item No. or Q => ";

std::string StateFile()
{
    return std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state";
}

class Console : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TSimProcess::Binary().empty())
            GTEST_SKIP() << "vmusim is not built";
    }
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(Console, LogsInAndShowsTheSystemInformation)
{
    TSimProcess sim({"--state", StateFile(), "--firmware", "4.14", "--rom", "2.10"});
    ASSERT_TRUE(sim.Started());
    std::string login = sim.Login();
    EXPECT_TRUE(Contains(login, "\r\nSystem Administration Top Menu\r\n")) << login;
    EXPECT_TRUE(Contains(login, "Password => "));
    EXPECT_EQ(login.find("ADMIN"), std::string::npos) << "the password must not be echoed";

    std::string info = sim.Keys("3\r", "System Info - Q to Quit => ");
    for (const char* line : {"Flash Version                             [4.14]",
                             "ROM Version                               [2.10]",
                             "Mailbox No. Length                        [3]",
                             "System Manager's Mailbox No.              [999]",
                             "Message Manager's Mailbox No.             [998]",
                             "Number of VPS Ports                       [4]",
                             "Number of Mailboxes                       [66]"})
        EXPECT_TRUE(Contains(info, line)) << line << "\n" << info;
    EXPECT_TRUE(Contains(sim.Keys("Q\r", kTop), "System Administration Top Menu"));
}

TEST_F(Console, WrongPasswordsAreAskedAgainAndRefusedOnRequest)
{
    TSimProcess sim({"--password", "4321"});
    ASSERT_TRUE(sim.Started());
    sim.Keys("\r", "Password => ");
    EXPECT_TRUE(Contains(sim.Keys("ADMIN\r", "Password => "), "Incorrect Password"));
    // A password sent with CR LF, as the program sends it, is one line.
    EXPECT_TRUE(Contains(sim.Keys("4321\r\n", kTop), "System Administration Top Menu"));

    TSimProcess refusing({"--refuse-password"});
    ASSERT_TRUE(refusing.Started());
    refusing.Keys("\r", "Password => ");
    std::string answer = refusing.Keys("ADMIN\r", "Password => ");
    EXPECT_TRUE(Contains(answer, "Incorrect Password")) << answer;
}

TEST_F(Console, ChangesAValueRefusesABadOneAndKeepsTheOldOnAnEmptyLine)
{
    TSimProcess sim({});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    std::string screen = sim.Keys("1\r4\r6\r", kDialing);
    EXPECT_TRUE(Contains(screen, "\r\nProgram - System Parameter Setting - Dialing Parameters\r\n")) << screen;
    EXPECT_TRUE(Contains(screen, "   3. Pause Time                             [2]\r\n"));

    std::string changed = sim.Keys("3\r4\r", kDialing);
    EXPECT_TRUE(Contains(changed, "New Value => 4\r\n   3. Pause Time                             [4]")) << changed;
    std::string refused = sim.Keys("3\r77\r", kDialing);
    EXPECT_TRUE(Contains(refused, "Incorrect Entry\r\n" + kDialing)) << refused;
    sim.Keys("3\r\r", kDialing);  // keeps 4
    sim.Keys("5\rfpw9\r", kDialing);  // stored in capitals
    std::string again = sim.Keys("\r", kDialing);
    EXPECT_TRUE(Contains(again, "   3. Pause Time                             [4]")) << again;
    EXPECT_TRUE(Contains(again, "[FPW9]")) << again;

    EXPECT_TRUE(Contains(sim.Keys("9\r", kDialing), "Incorrect Entry"));
    EXPECT_TRUE(Contains(sim.Keys("T\r", kTop), "System Administration Top Menu"));
    EXPECT_TRUE(Contains(sim.Keys("7\r", kTop), "Incorrect Entry"));
    // An item the menu does not have is refused.
    sim.Keys("1\r", "Program Selection => ");
    sim.Keys("1\r", "Mailbox Setting Selection => ");
    EXPECT_TRUE(Contains(sim.Keys("6\r", "Mailbox Setting Selection => "), "Incorrect Entry"));
}

TEST_F(Console, AddsModifiesAndDeletesMailboxes)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    std::string listing = sim.Keys("1\r1\r1\r", kListing);
    EXPECT_TRUE(Contains(listing, "Mailbox No. [101]\r\n   1. Extension No.                          [201]"));
    EXPECT_TRUE(Contains(listing, "Mailbox No. [998]"));
    EXPECT_FALSE(Contains(listing, "Mailbox No. [999]")) << "the System Manager's mailbox is not listed";
    EXPECT_TRUE(Contains(listing, "      1ST Device\r\n         Device Number                       [5551200]"));
    EXPECT_TRUE(Contains(listing, "            Day Mon\r\n               Time frame 1\r\n"
                                  "                  Start Time                 [08:00]"));

    std::string added = sim.Keys("A\r170\r", kMailboxItem);
    EXPECT_TRUE(Contains(added, "Mailbox Added")) << added;
    sim.Keys("2\rNewman\r", kMailboxItem);
    sim.Keys("7\r1ST\r", "Device Item No. or Q => ");
    EXPECT_TRUE(Contains(sim.Keys("2\r", "Device Item No. or Q => "), "Incorrect Entry"))
        << "a device without a number is off";
    sim.Keys("1\r5557x\r", "Device Item No. or Q => ");
    sim.Keys("3\rscheduled\r", "Device Item No. or Q => ");
    sim.Keys("7\r", "Schedule Day (MON-SUN) or Q => ");
    sim.Keys("Day Tue\r9:00,AM\r\rall day\r\r", "Schedule Day (MON-SUN) or Q => ");
    EXPECT_TRUE(Contains(sim.Keys("WED\r25:00\r\r\r\r", "Schedule Day (MON-SUN) or Q => "), "Incorrect Entry"));
    sim.Keys("Q\rQ\rQ\r", kMailboxItem);
    sim.Keys("Q\r", kListing);

    EXPECT_TRUE(Contains(sim.Keys("A\r170\r", kListing), "Incorrect Entry")) << "170 exists now";
    EXPECT_TRUE(Contains(sim.Keys("A\r12\r", kListing), "Incorrect Entry")) << "too short";
    EXPECT_TRUE(Contains(sim.Keys("D\r998\r", kListing), "Incorrect Entry"))
        << "the Message Manager's mailbox stays";
    sim.Keys("D\r101\rN\r", kListing);
    EXPECT_TRUE(Contains(sim.Keys("D\r102\rY\r", kListing), "Mailbox Deleted"));

    std::string after = sim.Keys("\r", kListing);
    EXPECT_TRUE(Contains(after, "Mailbox No. [101]"));
    EXPECT_FALSE(Contains(after, "Mailbox No. [102]"));
    size_t at = after.find("Mailbox No. [170]");
    ASSERT_NE(at, std::string::npos);
    std::string record = after.substr(at, after.find("End of Mailbox", at) - at);
    EXPECT_TRUE(Contains(record, "2. Last Name                              [Newman]")) << record;
    EXPECT_TRUE(Contains(record, "Device Number                       [5557X]")) << record;
    EXPECT_TRUE(Contains(record, "Day Tue\r\n               Time frame 1\r\n"
                                 "                  Start Time                 [9:00,AM]\r\n"
                                 "                  End Time                   [17:00]\r\n"
                                 "               Time frame 2\r\n"
                                 "                  Start Time                 [All Day]\r\n"
                                 "                  End Time                   []"))
        << record;
}

TEST_F(Console, DependentParametersFollowTheirAuthorisation)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    const std::string item = "COS Item No. or Q => ";
    sim.Keys("1\r1\r2\r", "Class of Service - COS No. or Q => ");
    sim.Keys("4\r", item);
    EXPECT_TRUE(Contains(sim.Keys("11\r", item), "Incorrect Entry")) << "auto forwarding is off in class 4";
    std::string on = sim.Keys("10\ryes\r", item);
    EXPECT_TRUE(Contains(on, "[Yes]")) << on;
    std::string shown = sim.Keys("\r", item);
    EXPECT_TRUE(Contains(shown, "11. Mailbox Number                       [999]")) << shown;
    EXPECT_TRUE(Contains(sim.Keys("11\r555\r", item), "Incorrect Entry")) << "no such mailbox";
    EXPECT_TRUE(Contains(sim.Keys("1\r3\r", item), "Incorrect Entry")) << "1 to 4 seconds is no message time";
    sim.Keys("10\rNo\r", item);
    EXPECT_TRUE(Contains(sim.Keys("\r", item), "11. Mailbox Number                       []"));

    const std::string mode = "Port Mode Item No. or Q => ";
    sim.Keys("T\r1\r2\r1\r", "Port Service - Port No. or Q => ");
    sim.Keys("2\r", "Port Mode (DAY, NIGHT, LUNCH, BREAK) or Q => ");
    sim.Keys("Day Mode\r", mode);
    EXPECT_TRUE(Contains(sim.Keys("2\r", mode), "Incorrect Entry")) << "no number for an auto attendant";
    sim.Keys("1\rinterview\r", mode);
    sim.Keys("2\r310\r", mode);
    sim.Keys("3\rSelective\r", mode);
    std::string block = sim.Keys("\r", mode);
    EXPECT_TRUE(Contains(block, "2. Number                              [310]")) << block;
    EXPECT_TRUE(Contains(block, "4. Greeting No.                        [System]")) << block;
}

TEST_F(Console, AReportIsTheEchoedCommandTheReportAndCrLfDollar)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    sim.Keys("2\r", "$ ");
    std::string report = sim.Keys("mbxassign\r", "\r\n$ ");
    EXPECT_EQ(report.rfind("mbxassign\r\nMAILBOX ASSIGNMENTS", 0), 0u) << report;
    EXPECT_TRUE(Contains(report, "\r\n101   201       ADAMS, JOHN"));
    EXPECT_EQ(report.find("$ "), report.size() - 2) << "a report holds no prompt text";
    EXPECT_TRUE(Contains(sim.Keys("CUSTOM 7\r", "\r\n$ "), "CUSTOM SERVICE 7"));
    EXPECT_TRUE(Contains(sim.Keys("CUSTOM 700\r", "$ "), "Incorrect Entry"));
    EXPECT_TRUE(Contains(sim.Keys("nonsense\r", "$ "), "Incorrect Entry"));
    EXPECT_TRUE(Contains(sim.Keys("Q\r", kTop), "System Administration Top Menu"));
}

TEST_F(Console, ModeAndPasswordScreens)
{
    std::string saved = TempPath("mode.state");
    TSimProcess sim({"--save-state", saved});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    sim.Keys("4\r", "Mode Selection => ");
    std::string off = sim.Keys("2\r", "Mode Selection => ");
    EXPECT_TRUE(Contains(off, "VPS Port 4 released\r\nSystem is OFF LINE")) << off;
    EXPECT_TRUE(Contains(ReadFile(saved), "Operating Mode = OFF LINE"));
    sim.Keys("1\r", "Mode Selection => ");
    sim.Keys("T\r", kTop);
    EXPECT_TRUE(Contains(sim.Keys("5\rsecret\rsecreT\r", kTop), "Incorrect Entry"));
    std::string changed = sim.Keys("5\rsecret\rsecret\r", kTop);
    EXPECT_TRUE(Contains(changed, "Password Changed")) << changed;
    EXPECT_EQ(changed.find("secret"), std::string::npos) << "passwords are not echoed";
    sim.Keys("Q\r", "Logged Off\r\n");
    sim.Keys("\r", "Password => ");
    EXPECT_TRUE(Contains(sim.Keys("ADMIN\r", "Password => "), "Incorrect Password"));
    sim.Keys("secret\r", kTop);
}

TEST_F(Console, StateRoundTripAndBadStateFiles)
{
    std::string saved = TempPath("round.state");
    {
        TSimProcess sim({"--state", StateFile(), "--save-state", saved});
        ASSERT_TRUE(sim.Started());
        sim.Login();
        sim.Keys("1\r4\r7\r", "Call Hold - Item No. or Q => ");
        sim.Keys("3\r120\r", "Call Hold - Item No. or Q => ");
        EXPECT_EQ(sim.Stop(), 0);
    }
    std::string text = ReadFile(saved);
    EXPECT_NE(text.find("Maximum Hold Time = 120"), std::string::npos);
    EXPECT_NE(text.find("<164>"), std::string::npos);

    TSimProcess again({"--state", saved});
    ASSERT_TRUE(again.Started());
    again.Login();
    EXPECT_TRUE(Contains(again.Keys("1\r4\r7\r", "Call Hold - Item No. or Q => "),
                         "3. Maximum Hold Time                      [120]"));

    std::string bad = TempPath("bad.state");
    {
        std::ofstream out(bad);
        out << "[System]\nFlash Version = 4.09\nthis line is nothing\n";
    }
    std::string output;
    EXPECT_EQ(RunSimToEnd({"--state", bad}, output), 2);
    EXPECT_NE(output.find("bad.state:3:"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(RunSimToEnd({"--noise", "2"}, output), 2);
    output.clear();
    EXPECT_EQ(RunSimToEnd({"--firmware", "409"}, output), 2);
}

}  // namespace
