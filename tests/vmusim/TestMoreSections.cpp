// The console of the sections of docs/device.md chapter 12 as a terminal user meets it: each section opens, takes
// a value (chosen by number or caption) and shows it again when reopened, and refuses bad input with "Incorrect
// Entry"; firmware versions change what the screens offer; the custom service report is long enough to page.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string kTop = "Top Menu Selection => ";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string StateFile() { return std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state"; }

class MoreSections : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TSimProcess::Binary().empty())
            GTEST_SKIP() << "vmusim is not built";
    }
};

// A refused change is an accepted item with a refused value: a refused item would leave its value line to be
// read as the next item.
struct TCase {
    std::string Name, Keys, Prompt;  // how to reach the section, and its prompt
    std::string Open, Level;         // keys that open a record or block, and the prompt there ("": the section's)
    std::string Item, Good, Shown;   // a change and the value the screen then shows
    std::string BadItem, Bad;        // a refused change
};

const std::vector<TCase> kCases = {
    {"Mailbox Group", "1\r1\r3\r", "Mailbox Group - A=Add, D=Delete, M=Modify, Q=Quit => ", "M\r500\r",
        "Mailbox Group Item No. or Q => ", "1", "Team", "Team", "2", "999"},
    {"Extension Group", "1\r1\r4\r", "Extension Group - A=Add, D=Delete, M=Modify, Q=Quit => ", "M\r300\r",
        "Extension Group Item No. or Q => ", "Extension No. 3", "203", "203", "2", "1"},
    {"Operator's Parameters", "1\r3\r1\r1\r", "Operator's Parameters - Item No. or Q => ", "Day Mode\rOperator 2\r",
        "Operator's Parameters - Operator 2 - Item No. or Q => ", "1", "222", "222", "2", "999"},
    {"Department Dialing", "1\r3\r1\r2\r", "Department Dialing - Item No. or Q => ", "", "", "department 6", "260",
        "260", "1", "ABC"},
    {"Custom Service", "1\r3\r1\r3\r", "Custom Service - Custom No. or Q => ", "5\r", "Custom Item No. or Q => ", "1",
        "NEW MENU", "NEW MENU", "4", "99"},
    {"Caller ID Call Routing", "1\r3\r1\r4\r", "Caller ID Call Routing - Routing Entry No. or Q => ", "3\r",
        "Routing Entry Item No. or Q => ", "Caller ID", "P", "p", "Routing", "Elsewhere"},
    {"Prompt Setting", "1\r3\r2\r", "Prompt Setting - Item No. or Q => ", "", "", "1", "4", "4", "2", "4"},
    {"System Caller Name Announcement", "1\r3\r3\r", "Caller Name Announcement - Caller Name Entry No. or Q => ",
        "2\r", "Caller Name Entry Item No. or Q => ", "1", "5551111", "5551111", "2", "100"},
    {"Message Waiting Notification", "1\r3\r4\r", "Message Waiting Notification - Item No. or Q => ", "", "", "1",
        "1, 3", "1,3", "1", "9"},
    {"External Message Delivery", "1\r3\r5\r", "External Message Delivery - Item No. or Q => ", "", "", "3", "20",
        "20", "1", "25:00"},
    {"Fax Management", "1\r3\r6\r", "Fax Management - Item No. or Q => ", "", "", "2", "252", "252", "3", "252"},
    {"Rotary Telephone Service", "1\r3\r7\r", "Rotary Telephone Service - Item No. or Q => ", "", "", "1", "yes",
        "Yes", "2", "Nowhere"},
    {"Intercom Paging Parameters", "1\r3\r8\r", "Intercom Paging Parameters - Item No. or Q => ", "", "",
        "Paging Code for Group 8", "688", "688", "1", "ABC"},
    {"Time Service", "1\r4\r1\r", "Time Service - Item No. or Q => ", "Day Service\rDay Sat.\r",
        "Time Service - Day Sat. - Item No. or Q => ", "1", "day", "Day", "2", "noon"},
    {"Holiday Listing", "1\r4\r2\r", "Holiday Listing - A=Add, D=Delete, M=Modify, Q=Quit => ", "M\r3\r",
        "HOLIDAY Item No. or Q => ", "1", "XMAS", "XMAS", "2", "31/2"},
    {"Daylight Saving Time", "1\r4\r3\r", "Daylight Saving Time - Item No. or Q => ", "", "", "1", "1/4", "1/4", "2",
        "32/1"},
    {"Extension Numbering Plan", "1\r4\r5\r", "Extension Numbering Plan - Item No. or Q => ", "", "",
        "Numbering Plan 4", "5xx", "5XX", "3", "0XX"},
    {"Disconnect Parameter", "1\r4\r8\r", "Disconnect Parameter - Item No. or Q => ", "", "", "2", "30", "30", "2",
        "61"},
    {"Inter-Digit Timeout", "1\r4\r9\r", "Inter-Digit Timeout - Item No. or Q => ", "", "", "1", "7", "7", "1", "0"},
    {"Port Setting", "1\r5\r2\r", "Port Setting - Port No. or Q => ", "3\r", "Port Item No. or Q => ", "3", "5", "5",
        "2", "Digital"},
    {"Input/Output", "1\r5\r3\r", "Input/Output - Table No. or Q => ", "2\r", "Table Item No. or Q => ", "1", "77",
        "77", "1", "ABC"},
    {"PBX Dialing Parameters", "1\r5\r4\r1\r", "PBX Dialing - Item No. or Q => ", "", "", "Dial String D7", "t7x",
        "T7X", "Integration Mode", "APT"},
    {"Inband Signaling", "1\r5\r4\r2\r", "Inband Signaling - Item No. or Q => ", "", "", "Busy", "b2", "B2", "Busy",
        "Z"},
};

TEST_F(MoreSections, EachSectionTakesAValueShowsItAgainAndRefusesBadInput)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    for (const TCase& t : kCases) {
        SCOPED_TRACE(t.Name);
        std::string screen = sim.Keys(t.Keys, t.Prompt);
        ASSERT_TRUE(Contains(screen, " - " + t.Name + "\r\n")) << screen;
        EXPECT_TRUE(Contains(sim.Keys("999\r", t.Prompt), "Incorrect Entry"));
        std::string level = t.Level.empty() ? t.Prompt : t.Level;
        if (!t.Open.empty())
            sim.Keys(t.Open, level);
        std::string changed = sim.Keys(t.Item + "\r" + t.Good + "\r", level);
        EXPECT_TRUE(Contains(changed, "[" + t.Shown + "]\r\n")) << changed;
        EXPECT_FALSE(Contains(changed, "Incorrect Entry")) << changed;
        std::string refused = sim.Keys(t.BadItem + "\r" + t.Bad + "\r", level);
        EXPECT_TRUE(Contains(refused, "Incorrect Entry\r\n" + level)) << refused;
        sim.Keys("T\r", kTop);
        EXPECT_TRUE(Contains(sim.Keys(t.Keys, t.Prompt), "[" + t.Shown + "]")) << "not shown when reopened";
        sim.Keys("T\r", kTop);
    }
}

// The value shown after Caption (followed by blanks, so that "No. 1" is not "No. 10") in Record's block.
std::string ValueIn(const std::string& Text, const std::string& Record, const std::string& Caption)
{
    size_t At = Text.find(Record);
    At = At == std::string::npos ? At : Text.find(Caption + " ", At);
    if (At == std::string::npos)
        return "?";
    const size_t Open = Text.find('[', At), Close = Text.find(']', At);
    return Text.substr(Open + 1, Close - Open - 1);
}

TEST_F(MoreSections, GroupMembersComeInOrderStandOnceAndCloseUp)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    const std::string groups = "Mailbox Group - A=Add, D=Delete, M=Modify, Q=Quit => ";
    const std::string item = "Mailbox Group Item No. or Q => ";
    sim.Keys("1\r1\r3\r", groups);
    sim.Keys("M\r501\r", item);
    // Group 501 holds 110 and 111: a member after a gap, or twice in the group, is refused; another group's is not.
    EXPECT_TRUE(Contains(sim.Keys("Mailbox No. 4\r112\r", item), "Incorrect Entry"));
    EXPECT_TRUE(Contains(sim.Keys("Mailbox No. 3\r110\r", item), "Incorrect Entry"));
    EXPECT_FALSE(Contains(sim.Keys("Mailbox No. 3\r101\r", item), "Incorrect Entry"));
    sim.Keys("Mailbox No. 1\r-\r", item);
    std::string listing = sim.Keys("Q\r", groups);
    EXPECT_EQ(ValueIn(listing, "[501]", "Mailbox No. 1"), "111") << listing;
    EXPECT_EQ(ValueIn(listing, "[501]", "Mailbox No. 2"), "101") << listing;
    EXPECT_EQ(ValueIn(listing, "[501]", "Mailbox No. 3"), "") << listing;
    sim.Keys("T\r", kTop);

    // An extension belongs to one group only.
    const std::string ext = "Extension Group - A=Add, D=Delete, M=Modify, Q=Quit => ";
    const std::string extItem = "Extension Group Item No. or Q => ";
    sim.Keys("1\r1\r4\r", ext);
    sim.Keys("M\r300\r", extItem);
    EXPECT_TRUE(Contains(sim.Keys("Extension No. 3\r230\r", extItem), "Incorrect Entry"));
    EXPECT_FALSE(Contains(sim.Keys("Extension No. 3\r233\r", extItem), "Incorrect Entry"));
}

TEST_F(MoreSections, RecordsAreAddedAndDeletedAtTheConsole)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    const std::string groups = "Mailbox Group - A=Add, D=Delete, M=Modify, Q=Quit => ";
    sim.Keys("1\r1\r3\r", groups);
    // A mailbox number, an existing group and a number of the wrong length are no new group numbers.
    for (const char* bad : {"101", "500", "5000"})
        EXPECT_TRUE(Contains(sim.Keys(std::string("A\r") + bad + "\r", groups), "Incorrect Entry")) << bad;
    std::string added = sim.Keys("A\r520\r", "Mailbox Group Item No. or Q => ");
    EXPECT_TRUE(Contains(added, "Mailbox Group No. [520]")) << added;
    sim.Keys("Mailbox No. 1\r120\r", "Mailbox Group Item No. or Q => ");
    std::string listing = sim.Keys("Q\r", groups);
    EXPECT_TRUE(Contains(listing, "Mailbox Group No. [520]")) << listing;
    sim.Keys("D\r520\rN\r", groups);
    EXPECT_TRUE(Contains(sim.Keys("\r", groups), "Mailbox Group No. [520]"));
    EXPECT_TRUE(Contains(sim.Keys("D\r520\rY\r", groups), "Mailbox Group Deleted"));
    EXPECT_FALSE(Contains(sim.Keys("\r", groups), "[520]"));
    EXPECT_TRUE(Contains(sim.Keys("D\r520\rY\r", groups), "Incorrect Entry"));
    sim.Keys("T\r", kTop);

    // Alternate extensions close up when one goes.
    const std::string alt = "Alternate Extension - A=Add, D=Delete, M=Modify, Q=Quit => ";
    sim.Keys("1\r1\r5\r", alt);
    EXPECT_TRUE(Contains(sim.Keys("A\r9\r", alt), "Incorrect Entry"));
    sim.Keys("A\r224\r", alt);
    EXPECT_TRUE(Contains(sim.Keys("D\r1\rY\r", alt), "Entry Deleted"));
    std::string list = sim.Keys("\r", alt);
    EXPECT_TRUE(Contains(list, "Extension No. 1                           [222]")) << list;
    EXPECT_TRUE(Contains(list, "Extension No. 3                           [224]")) << list;
    EXPECT_FALSE(Contains(list, "Extension No. 4")) << list;
    EXPECT_TRUE(Contains(sim.Keys("M\r4\r230\r", alt), "Incorrect Entry"));
}

TEST_F(MoreSections, FirmwareVersionsChangeWhatTheScreensOffer)
{
    {
        TSimProcess sim({"--state", StateFile(), "--firmware", "3.07"});
        ASSERT_TRUE(sim.Started());
        sim.Login();
        std::string ops = sim.Keys("1\r3\r1\r1\r", "Operator's Parameters - Item No. or Q => ");
        EXPECT_TRUE(Contains(ops, "Night Mode"));
        EXPECT_FALSE(Contains(ops, "Lunch Mode")) << ops;
        EXPECT_TRUE(Contains(sim.Keys("Lunch Mode\r", "Operator's Parameters - Item No. or Q => "), "Incorrect Entry"));
        sim.Keys("T\r", kTop);
        std::string pbx = sim.Keys("1\r5\r4\r1\rPBX Type\r", "New Value => ");
        EXPECT_TRUE(Contains(pbx, "1. T308\r\n")) << pbx;
        EXPECT_TRUE(Contains(pbx, "7. TD1232\r\n")) << pbx;
        sim.Keys("\r", "PBX Dialing - Item No. or Q => ");
        sim.Keys("T\r", kTop);
        sim.Keys("1\r4\r2\rM\r3\r", "HOLIDAY Item No. or Q => ");
        EXPECT_TRUE(Contains(sim.Keys("End Date\r", "HOLIDAY Item No. or Q => "), "Incorrect Entry"));
        EXPECT_TRUE(Contains(sim.Keys("Greeting\r", "HOLIDAY Item No. or Q => "), "Incorrect Entry"));
        // Names below 4.09 are kept in capitals.
        EXPECT_TRUE(Contains(sim.Keys("Holiday Name\rBoxing Day\r", "HOLIDAY Item No. or Q => "), "[BOXING DAY]"));
    }
    for (const char* fw : {"4.09", "4.14", "4.18"}) {
        TSimProcess sim({"--state", StateFile(), "--firmware", fw});
        ASSERT_TRUE(sim.Started());
        sim.Login();
        std::string pbx = sim.Keys("1\r5\r4\r1\r1\r", "New Value => ");
        std::string v = fw;
        EXPECT_TRUE(Contains(pbx, v == "4.09" ? "5. TD816/TD1232/TD612\r\n" : "5. TD816/TD1232\r\n")) << fw << pbx;
        EXPECT_EQ(Contains(pbx, "9. TD612"), v != "4.09") << fw;
        EXPECT_EQ(Contains(pbx, "10. TDA series"), v == "4.18") << fw;
        // TD612 by its number where the list has it: the ports and dial strings follow the new PBX.
        std::string after = sim.Keys(v == "4.09" ? "9\r" : "9\r", "PBX Dialing - Item No. or Q => ");
        if (v == "4.09") {
            EXPECT_TRUE(Contains(after, "Incorrect Entry")) << after;
        } else {
            std::string screen = sim.Keys("\r", "PBX Dialing - Item No. or Q => ");
            EXPECT_TRUE(Contains(screen, "[TD612]")) << screen;
            EXPECT_TRUE(Contains(screen, "Extension Number of VPS Port2         [266]")) << screen;
            EXPECT_TRUE(Contains(screen, "Dial String D8                        [2]")) << screen;
        }
    }
}

TEST_F(MoreSections, TheCustomServiceReportIsLongEnoughToPage)
{
    TSimProcess sim({"--state", StateFile()});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    sim.Keys("2\r", "$ ");
    std::string report = sim.Keys("CUSTOM 1\r", "\r\n$ ");
    size_t lines = static_cast<size_t>(std::count(report.begin(), report.end(), '\n'));
    EXPECT_GT(lines, 60u) << report;
    EXPECT_TRUE(Contains(report, "\t"));
    size_t longest = 0, start = 0;
    for (size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2)
        longest = std::max(longest, end - start);
    EXPECT_GT(longest, 89u);
    // The tree follows the menus a key leads to.
    EXPECT_TRUE(Contains(report, "KEY 8\tCustom Service 2\r\n    CUSTOM SERVICE 2: AFTER HOURS")) << report;
    EXPECT_TRUE(Contains(sim.Keys("CUSTOM 7\r", "\r\n$ "), "CUSTOM SERVICE 7 NOT PROGRAMMED"));
}

}  // namespace
