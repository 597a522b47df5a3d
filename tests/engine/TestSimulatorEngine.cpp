// The engine, the real description document and the device simulator together: log in, read the system
// information, load a section, change a value and save it, and read it back, over the simulator's
// pseudo-terminal with its output in random chunks. Skipped when the simulator or the description was not built.
#include "EngineTestSupport.h"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"
#include "support/EngineOnSimulator.h"
#include "support/RecordingDialogs.h"
#include "support/SimulatorChild.h"
#include "serial/SerPort.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

using namespace enginetest;

namespace {
// The simulator as a child process of the test, from the build's own binaries.
class TSimulator : public TSimulatorChild {
public:
    explicit TSimulator(std::vector<std::string> Args)
        : TSimulatorChild(std::string(ORLANTIS_BIN_DIR) + "/vmusim", std::move(Args))
    {
    }
};

class SimulatorEngine : public ::testing::Test {
protected:
    // The port's reader thread may be inside a callback into the engine: close it before the engine goes, as the
    // main window does.
    ~SimulatorEngine() override { Port.Close(); }
    void SetUp() override
    {
        std::string dat = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
        if (!std::filesystem::exists(dat) || !std::filesystem::exists(std::string(ORLANTIS_BIN_DIR) + "/vmusim"))
            GTEST_SKIP() << "the simulator or the description document was not built";
        Description.ShowErrors = false;
        ASSERT_TRUE(Description.LoadFromFile(dat, true)) << Description.LastError;
        Params = Description.FindNode(nullptr, "VMU Parameters 409");
        ASSERT_NE(Params, nullptr);
    }

    // Runs one engine operation; true when it succeeded.
    bool Run(uint8_t Mode, TStepParameters* Steps, const std::string& Section = {})
    {
        bool failed = false;
        Engine->OnResult = [&](bool f) { failed = failed || f; };
        Engine->Mode = Mode;
        Engine->Steps = Steps;
        Engine->SectionName = Section;
        Engine->Execute();
        return !failed;
    }

    void Open(const std::string& Path)
    {
        OpenSimulatorPort(Port, Path);
        Link = std::make_unique<TSerPortVmu>(Port);
        Engine = MakeSimulatorEngine(*Link, Manager, Params);
        Engine->CharPaceMs = 2;
    }

    std::string Value(const std::string& Name)
    {
        TXmlNode* n = Data.FindNode(nullptr, Name);
        return n ? n->GetValue() : std::string("(missing)");
    }

    TTempFolder Folder;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    TXmlDoc Description;
    TXmlDoc Data{&Description};
    TDataManager Manager{&Data, &Description};
    TXmlNode* Params = nullptr;
    TSerPort Port;
    std::unique_ptr<TSerPortVmu> Link;
    std::unique_ptr<TManagerVMU> Engine;
};
}

TEST_F(SimulatorEngine, LogsInLoadsSavesAndReadsBack)
{
    TSimulator sim({"--chunks", "random", "--seed", "7"});
    ASSERT_FALSE(sim.Path.empty()) << "the simulator did not start";
    Open(sim.Path);

    ASSERT_TRUE(Run(doConnect, nullptr));

    auto info = Manager.GetLoadSteps(Description.FindNode(nullptr, "VMU Information"), "System Information");
    ASSERT_GT(info->Count(), 0);
    ASSERT_TRUE(Run(doLoadNoInit, info.get(), "System Information"));
    EXPECT_EQ(Value("Flash Version"), "4.09");
    EXPECT_EQ(Value("Mailbox No. Length"), "3");

    auto load = Manager.GetLoadSteps(Params, "Dialing Parameters");
    ASSERT_TRUE(Run(doLoad, load.get(), "Dialing Parameters"));
    std::string before = Value("Dialing Mode");
    EXPECT_TRUE(before == "Tone" || before == "Pulse") << before;
    std::string wanted = before == "Tone" ? "Pulse" : "Tone";

    TXmlNode* section = Data.FindNode(nullptr, "Dialing Parameters");
    ASSERT_NE(section, nullptr);
    section->SetAttr("Change", "Modify");
    TXmlNode* mode = Data.FindNode(section, "Dialing Mode");
    mode->SetAttr("Value", wanted);
    mode->SetAttr("Change", "Modify");
    auto save = Manager.GetSaveSteps(Params, "Dialing Parameters", false);
    ASSERT_NE(save, nullptr);
    ASSERT_GT(save->Count(), 0);
    ASSERT_TRUE(Run(doSave, save.get()));
    Manager.CommitSavedChanges("Dialing Parameters");
    EXPECT_EQ(Data.FindNode(nullptr, "Dialing Mode")->GetAttr("Change"), "NoChange");

    ASSERT_TRUE(Run(doLoad, load.get(), "Dialing Parameters"));
    EXPECT_EQ(Value("Dialing Mode"), wanted);
    EXPECT_TRUE(Dialogs.Boxes.empty());
}

TEST_F(SimulatorEngine, WrongPasswordAndMuteDeviceFailTheLogIn)
{
    {
        TSimulator sim({"--refuse-password"});
        ASSERT_FALSE(sim.Path.empty());
        Open(sim.Path);
        EXPECT_FALSE(Run(doGoUpToMenu, nullptr));
        Port.Close();
    }
    {
        TSimulator sim({"--mute"});
        ASSERT_FALSE(sim.Path.empty());
        Open(sim.Path);
        EXPECT_FALSE(Run(doGoUpToMenu, nullptr));
    }
}

TEST_F(SimulatorEngine, LoadsTheWholeParameterTree)
{
    // The office the load script's markers are counted for (64 mailboxes...): a device with fewer records leaves
    // the markers of the missing ones unfound, which is no fault of the script.
    TSimulator sim({"--chunks", "random", "--seed", "11", "--state",
        std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state"});
    ASSERT_FALSE(sim.Path.empty());
    Open(sim.Path);
    auto all = Manager.GetLoadSteps(Params, "");
    ASSERT_GT(all->Count(), 4);
    int32_t total = 0, moved = 0;
    Engine->OnStart = [&](int32_t t) { total = t; };
    Engine->OnProgress = [&](int32_t d) {
        moved += d;
        return false;
    };
    ASSERT_TRUE(Run(doLoad, all.get()));
    EXPECT_EQ(moved, total) << "every marker of the whole load was found";
    TXmlNode* tree = Data.FindNode(nullptr, "VMU Parameters 409");
    ASSERT_NE(tree, nullptr);
    for (const char* section : {"Mailbox Listing", "Class of Service", "Port Service", "Dialing Parameters"})
        EXPECT_NE(Data.FindNode(tree, section), nullptr) << section;
    EXPECT_GT(Data.NodeCount(), 200);
    if (const char* dump = std::getenv("ORLANTIS_DUMP_LOAD")) {
        Data.ShowErrors = false;
        Data.SaveToFile(dump, false);
    }
}

// Load all over a lightly noisy line (a byte in ten thousand garbled). A load told as good holds every value the
// device holds and none that breaks its own rules; one that is not good names the section and the value, after
// reading the garbled sections again. Garbles inside a value's rules (a digit for a digit) cannot be told, so the
// values are not compared as texts.
TEST_F(SimulatorEngine, LoadAllOverANoisyLineKeepsNothingGarbledInSilence)
{
    const std::string state = std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state";
    auto loadAll = [&](std::vector<std::string> Args, std::string& Failure) {
        Args.insert(Args.end(), {"--state", state});
        TSimulator sim(Args);
        EXPECT_FALSE(sim.Path.empty());
        Data.Clear();
        Open(sim.Path);
        // As a connection does: the system information first, whose mailbox number length the load checks by.
        auto info = Manager.GetLoadSteps(Description.FindNode(nullptr, "VMU Information"), "System Information");
        auto all = Manager.GetLoadSteps(Params, "");
        const bool ok = Run(doConnect, nullptr) && Run(doLoadNoInit, info.get(), "System Information") &&
            Run(doLoad, all.get());
        Failure = Engine->FailureText;
        Port.Close();
        Engine.reset();
        return ok;
    };
    std::string failure;
    ASSERT_TRUE(loadAll({}, failure)) << failure;
    const auto device = DocumentValues(Data);
    ASSERT_GT(device.size(), 1000u);
    for (const auto& [path, value] : device)
        EXPECT_EQ(CheckValue(ValueRuleOf(value.second), value.first), "") << "clean line: " << path;

    int good = 0;
    // Bytes replaced, and bytes lost or added: a lost byte in a numbered item's label drops that instance from the
    // reading, a digit lost from a record's number names a record the device lacks.
    const std::vector<std::vector<std::string>> lines = {{"--noise", "0.0001", "--seed", "100"},
        {"--noise", "0.0001", "--seed", "3"}, {"--noise", "0.0001", "--seed", "7"}, {"--noise", "0.0001", "--seed", "11"},
        {"--lose", "0.0001", "--seed", "2"}, {"--lose", "0.0001", "--seed", "4"},
        {"--insert", "0.0001", "--seed", "48"}, {"--lose", "0.0001", "--seed", "18"}};
    for (const std::vector<std::string>& line : lines) {
        const std::string seed = line[0] + " " + line[1] + " " + line[3];
        if (!loadAll(line, failure)) {
            // Told: the section and the value, or the step the line garbled.
            EXPECT_TRUE(failure.rfind("The section \"", 0) == 0 || failure.find("the keys") != std::string::npos)
                << "seed " << seed << ": " << failure;
            continue;
        }
        ++good;
        const auto noisy = DocumentValues(Data);
        for (const auto& [path, value] : device)
            EXPECT_TRUE(noisy.count(path)) << "seed " << seed << ": a load told as good lacks " << path;
        for (const auto& [path, value] : noisy)
            EXPECT_EQ(CheckValue(ValueRuleOf(value.second), value.first), "")
                << "seed " << seed << ": " << path << " = " << ShownValue(value.first);
    }
    RecordProperty("GoodLoads", good);
}

// A line fault replaces a byte: by any byte (a line break too) at any place of a record's lines, the load reads the
// record as the device shows it or tells a fault, which reads the section again; it never drops a value in
// silence. Values garbled within their rules (a digit for a digit) cannot be told, so only their places are compared.
TEST_F(SimulatorEngine, EveryGarbledByteOfAMailboxIsReadOrTold)
{
    auto line = [](int Indent, const std::string& Caption, const char* Value = nullptr) {
        std::string s(size_t(Indent), ' ');
        s += Caption;
        if (Value)
            s.append(s.size() < 45 ? 45 - s.size() : 1, ' ').append("[").append(Value).append("]");
        return s + "\r\n";
    };
    std::string record = "Mailbox No. [102]\r\n" + line(3, "1. Extension No.", "202") +
        line(3, "2. Last Name", "BAKER") + line(3, "3. First Name", "") + line(3, "4. Maximum Messages", "50") +
        line(3, "5. Extension Group No.", "") + line(3, "6. Interview Mailbox Number", "") +
        line(3, "7. Notification Setting") + line(6, "1ST Device") + line(9, "Device Number", "5551234") +
        line(9, "Device Type", "Phone") + line(9, "Notification Mode", "Scheduled") +
        line(9, "Number of Retries", "3") + line(9, "Retry Interval", "10") + line(9, "Message Type", "All") +
        line(9, "Schedule Time");
    for (const char* day : {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}) {
        record += line(12, std::string("Day ") + day);
        for (const char* frame : {"1", "2"})
            record += line(15, std::string("Time frame ") + frame) + line(18, "Start Time", "08:00") +
                line(18, "End Time", "17:00");
    }
    record += line(6, "End of Device") + line(3, "8. Reset Mailbox Password", "No") + line(0, "End of Mailbox");
    const std::string head = "Program - Mailbox Setting - Mailbox Listing\r\n\r\nMailbox No. [101]\r\n" +
        line(3, "1. Extension No.", "201") + line(3, "2. Last Name", "ADAMS") + line(3, "3. First Name", "") +
        line(3, "4. Maximum Messages", "50") + line(3, "5. Extension Group No.", "") +
        line(3, "6. Interview Mailbox Number", "") + line(3, "7. Notification Setting") +
        line(3, "8. Reset Mailbox Password", "No") + line(0, "End of Mailbox");
    const std::string tail = "\r\nMailbox Listing - A=Add, D=Delete, M=Modify, Q=Quit => ";
    auto parse = [&](const std::string& Screen, std::vector<TParseFault>& Faults) {
        Data.Clear();
        Faults.clear();
        EXPECT_TRUE(Manager.LoadData(Params, Screen, "Mailbox Listing", &Faults));
        return DocumentValues(Data);
    };
    std::vector<TParseFault> faults;
    const auto clean = parse(head + record + tail, faults);
    ASSERT_TRUE(faults.empty()) << ParseFaultText(faults.front());
    ASSERT_TRUE(clean.count("Orlantis Description/VMU Parameters 409/Mailbox Setting/Mailbox Listing/Mailbox No. 102/"
                            "Notification Setting/1ST Device/Schedule Time/Day Sun/Time frame 2/"
                            "Notification Service End Time/"));
    int told = 0;
    for (size_t at = 0; at < record.size(); ++at) {
        for (const char garble : {'x', '\n', '\r', '[', ']', ' ', '1'}) {
            // A digit for a digit (a value within its rules) cannot be told, and in the record's number it names
            // another record.
            if (record[at] == garble || (std::isdigit(static_cast<unsigned char>(record[at])) && garble == '1'))
                continue;
            std::string screen = record;
            screen[at] = garble;
            const auto noisy = parse(head + screen + tail, faults);
            if (!faults.empty()) {
                ++told;
                continue;
            }
            for (const auto& [path, value] : clean)
                if (!noisy.count(path)) {
                    const size_t from = at == 0 ? 0 : record.rfind('\n', at - 1) + 1;
                    ADD_FAILURE() << "byte " << at - from << " of \"" << ShownValue(record.substr(from,
                        record.find('\n', at) - from)) << "\" garbled to '" << ShownValue(std::string(1, garble))
                                  << "' drops " << path;
                    break;
                }
        }
    }
    EXPECT_GT(told, 0);
}

// A control character in a value the device holds (typed at its terminal) cannot be told from a line fault, and
// File Open refuses a data file holding one. So the load refuses it too, naming it, and no data file is ever made
// that would not open again.
TEST_F(SimulatorEngine, AControlCharacterFromTheDeviceIsRefusedAsFileOpenRefusesIt)
{
    std::string state = ReadWholeFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state");
    const std::string from = "Last Name = ADAMS";
    ASSERT_NE(state.find(from), std::string::npos);
    for (const char control : {'\x01', '\x1b', '\x7f'}) {
        std::string changed = state;
        changed.replace(changed.find(from), from.size(), std::string("Last Name = AD") + control + "AMS");
        const std::string path = Folder.Path + "/control.state";
        WriteFileAtomic(path, changed);
        TSimulator sim({"--state", path});
        ASSERT_FALSE(sim.Path.empty());
        Data.Clear();
        Open(sim.Path);
        Engine->ReadAgainCount = 1;
        auto steps = Manager.GetLoadSteps(Params, "Mailbox Listing");
        EXPECT_FALSE(Run(doLoad, steps.get(), "Mailbox Listing"));
        EXPECT_NE(Engine->FailureText.find("\"Last Name\" of \"Mailbox No. 101\" reads \"AD"), std::string::npos)
            << Engine->FailureText;
        EXPECT_NE(Engine->FailureText.find("holds a control character"), std::string::npos) << Engine->FailureText;
        // What File Open would say of a document that held it.
        if (TXmlNode* name = Data.FindNode(nullptr, "Last Name")) {
            name->SetAttr("Value", std::string("AD") + control + "AMS");
            EXPECT_NE(CheckDataDocument(Data, Description).find("control character"), std::string::npos);
        }
        Port.Close();
        Engine.reset();
    }
}

// Values the VMU holds that an older rule refused or a parse took for a line of its own: each loads as the device
// holds it. A value beyond what the program expects, shown alike by every reading, is kept too, and one box names
// it; no box blames the line.
TEST_F(SimulatorEngine, LoadAllKeepsEveryValueTheDeviceHolds)
{
    std::string state = ReadWholeFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state");
    const std::string names = "Last Name = ADAMS", messages = "Maximum Messages = 60", first = "First Name = JOHN";
    ASSERT_NE(state.find(names), std::string::npos);
    state.replace(state.find(names), names.size(), "Last Name = End of Mailbox");
    state.replace(state.find(first), first.size(), "First Name = QUI\x83N");
    state.replace(state.find(messages), messages.size(), "Maximum Messages = 1000");
    state += "\n[Operator's Parameters]\nDay Mode/Operator 1/Operator's Extension = 09\n"
             "[Department Dialing]\nDepartment 1 = 01\n"
             "[Extension Group]\n<07>\nGroup Name = Incorrect Entry\nExtension No. 1 = 05\n"
             "[Custom Service]\n<1>\nCustom Service Name = End of Custom\nMenu Description = Press 1. End of Custom menu\n"
             "[Holiday Listing]\n<1>\nHoliday Name = End of HOLIDAY\nStart Date = 1/1\n"
             "[Extension Numbering Plan]\nNumbering Plan 1 = 1XXXXXXXX\n";
    // Class 2 forwards after 0:05 and retries twelve times, class 3 forwards after 5:00.
    auto inClass = [&](const char* Class, const std::string& From, const std::string& To) {
        const size_t record = state.find(std::string("\n<") + Class + ">\n", state.find("[Class of Service]"));
        const size_t at = state.find(From, record);
        ASSERT_NE(at, std::string::npos) << From;
        state.replace(at, From.size(), To);
    };
    const std::string off = "Authorization for Auto Forwarding = No\nMailbox Number = \nDelay Time = \n";
    inClass("2", off, "Authorization for Auto Forwarding = Yes\nMailbox Number = 999\nDelay Time = 0:05\n");
    inClass("3", off, "Authorization for Auto Forwarding = Yes\nMailbox Number = 999\nDelay Time = 5:00\n");
    inClass("2", "Notification Retry Times = 2\n", "Notification Retry Times = 12\n");
    const std::string path = Folder.Path + "/held.state";
    WriteFileAtomic(path, state);
    TSimulator sim({"--state", path});
    ASSERT_FALSE(sim.Path.empty());
    Open(sim.Path);
    auto all = Manager.GetLoadSteps(Params, "");
    ASSERT_TRUE(Run(doLoad, all.get())) << Engine->FailureText;
    struct TRow {
        const char* Section;
        const char* Name;
        const char* Held;
    };
    const TRow rows[] = {
        {"Operator's Parameters", "Operator's Extension", "09"},
        {"Department Dialing", "Department 1", "01"},
        {"Extension Group", "Extension Group No. 07", "07"},
        {"Extension Group", "Extension No. 1", "05"},
        {"Extension Group No. 07", "Group Name", "Incorrect Entry"},
        {"Mailbox Listing", "Last Name", "End of Mailbox"},
        {"Mailbox Listing", "Maximum Messages", "1000"},
        {"Mailbox No. 101", "First Name", "QUI\x83N"},
        {"Custom Service", "Custom Service Name", "End of Custom"},
        {"Custom Service", "Menu Description", "Press 1. End of Custom menu"},
        {"Holiday Listing", "Holiday Name", "End of HOLIDAY"},
        {"Extension Numbering Plan", "Numbering Plan 1", "1XXXXXXXX"},
        {"COS No. 2", "Delay Time", "0:05"},
        {"COS No. 3", "Delay Time", "5:00"},
    };
    for (const TRow& row : rows) {
        TXmlNode* section = Data.FindNode(nullptr, row.Section);
        TXmlNode* node = section ? Data.FindNode(section, row.Name) : nullptr;
        EXPECT_EQ(node ? node->GetValue() : std::string("(missing)"), row.Held) << row.Section << " / " << row.Name;
    }
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    const std::string& box = Dialogs.Boxes.front().Text;
    EXPECT_EQ(box.rfind("The VMU holds values outside what the program expects.", 0), 0u) << box;
    EXPECT_NE(box.find("\"Maximum Messages\" of \"Mailbox No. 101\" reads \"1000\""), std::string::npos) << box;
    EXPECT_NE(box.find("\"First Name\" of \"Mailbox No. 101\" reads \"QUI\\x83N\""), std::string::npos) << box;
    // A value below an item of a record is named by its record, as the record's window is captioned.
    EXPECT_NE(box.find("\"Notification Retry Times\" of \"Class of Service No. 2\" reads \"12\""), std::string::npos)
        << box;
    EXPECT_EQ(box.find("Delay Time"), std::string::npos) << box;
    EXPECT_EQ(box.find("noisy"), std::string::npos) << box;
    EXPECT_EQ(Engine->Readings, 2);
}

namespace {
// The line as a test scripts it: in the N-th reading of a section (counted by the keys that open it), the byte
// after the K-th "[" comes through as another byte.
class TScriptedLine final : public TVmuPort {
public:
    TScriptedLine(TVmuPort& Inner, std::string Keys) : Inner(Inner), Keys(std::move(Keys)) {}
    struct TGarble {
        int Reading, Bracket;
        char By;
    };
    std::vector<TGarble> Garbles;
    int Reading = 0;

    int Read(char* Buffer, int Count, int TimeoutMs) override
    {
        const int n = Inner.Read(Buffer, Count, TimeoutMs);
        for (int i = 0; i < n; ++i) {
            if (Next) {
                Buffer[i] = *Next;
                Next.reset();
            } else if (Buffer[i] == '[') {
                ++Brackets;
                for (const TGarble& g : Garbles)
                    if (g.Reading == Reading && g.Bracket == Brackets)
                        Next = g.By;
            }
        }
        return n;
    }
    void WriteStr(const std::string& Text) override
    {
        Inner.WriteStr(Text);
        Sent += Text;
        if (Sent.size() >= Keys.size() && Sent.compare(Sent.size() - Keys.size(), Keys.size(), Keys) == 0) {
            ++Reading;
            Brackets = 0;
            Sent.clear();
        }
    }
    void ClearBuffer(bool Input, bool Output) override { Inner.ClearBuffer(Input, Output); }
    bool DSR() override { return Inner.DSR(); }
    TChunkEvent SetOnChunk(TChunkEvent Handler) override { return Inner.SetOnChunk(std::move(Handler)); }

private:
    TVmuPort& Inner;
    std::string Keys, Sent;
    int Brackets = 0;
    std::optional<char> Next;
};
}

// Reading again, on a line that garbles the bytes a test chooses: the record number of the first reading only, or
// another value in each reading. The readings agree line by line on what the device shows, and the section loads
// as on a clean line, with nothing of a garbled reading left behind; where no two readings agree, the load fails
// after the last reading and says how often it read.
TEST_F(SimulatorEngine, ReadingAgainCombinesTheReadingsOfAGarbledSection)
{
    const std::string state = std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state";
    TSimulator sim({"--state", state});
    ASSERT_FALSE(sim.Path.empty());
    Open(sim.Path);
    auto steps = Manager.GetLoadSteps(Params, "Mailbox Listing");
    ASSERT_TRUE(Run(doLoad, steps.get(), "Mailbox Listing")) << Engine->FailureText;
    const auto clean = DocumentValues(Data);
    ASSERT_GT(clean.size(), 500u);
    TScriptedLine line(*Link, steps->GetItem(0)->Send);
    Engine->ComPort = &line;

    struct TRow {
        const char* What;
        std::vector<TScriptedLine::TGarble> Garbles;
        int ReadAgain, Readings;
        bool Loads;
    };
    const TRow rows[] = {
        // "Mailbox No. [101]" becomes "[]01]": a record of a garbled number must not stay beside the right one.
        {"the first reading's record number", {{1, 1, ']'}}, 3, 2, true},
        {"another value in each reading", {{1, 1, ']'}, {2, 3, ']'}, {3, 5, '\x01'}}, 2, 3, true},
        {"the same value, differently in each reading", {{1, 2, ']'}, {2, 2, '\x01'}, {3, 2, '['}, {4, 2, 'x'}}, 3, 4,
            false},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        Data.Clear();
        line.Garbles = row.Garbles;
        line.Reading = 0;
        Engine->ReadAgainCount = row.ReadAgain;
        EXPECT_EQ(Run(doLoad, steps.get(), "Mailbox Listing"), row.Loads) << Engine->FailureText;
        EXPECT_EQ(line.Reading, row.Readings);
        EXPECT_EQ(Engine->Readings, row.Readings);
        if (!row.Loads) {
            EXPECT_NE(Engine->FailureText.find("It was read 4 times, differently each time"), std::string::npos)
                << Engine->FailureText;
            continue;
        }
        const auto read = DocumentValues(Data);
        EXPECT_EQ(read.size(), clean.size());
        for (const auto& [path, value] : clean) {
            auto found = read.find(path);
            EXPECT_TRUE(found != read.end() && found->second.first == value.first) << path;
        }
    }
    EXPECT_TRUE(Dialogs.Boxes.empty());
}

// The connection's own reading of the system information steers the tree and the mailbox numbers: a value the line
// garbled out of its rules (a letter in a version, a byte above ASCII) is read again; one that every reading shows
// alike is the device's, kept and told once.
TEST_F(SimulatorEngine, TheSystemInformationIsReadAgainWhenItBreaksItsRules)
{
    TSimulator sim({});
    ASSERT_FALSE(sim.Path.empty());
    Open(sim.Path);
    auto info = Manager.GetLoadSteps(Description.FindNode(nullptr, "VMU Information"), "System Information");
    TScriptedLine line(*Link, info->GetItem(0)->Send);
    Engine->ComPort = &line;
    ASSERT_TRUE(Run(doConnect, nullptr));
    struct TRow {
        const char* What;
        std::vector<TScriptedLine::TGarble> Garbles;
        const char* Rom;
        const char* Length;
        int Readings;
        bool Told;
    } rows[] = {
        {"a letter in the ROM version", {{1, 2, 'y'}}, "2.05", "3", 2, false},
        {"a byte above ASCII in the mailbox number length", {{1, 3, '\x9f'}}, "2.05", "3", 2, false},
        {"the same byte in both readings", {{1, 2, '\x9f'}, {2, 2, '\x9f'}}, "\x9f.05", "3", 2, true},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        Data.Clear();
        Dialogs.Boxes.clear();
        line.Garbles = row.Garbles;
        line.Reading = 0;
        ASSERT_TRUE(Run(doLoadNoInit, info.get(), "System Information")) << Engine->FailureText;
        EXPECT_EQ(Value("ROM Version"), row.Rom);
        EXPECT_EQ(Value("Mailbox No. Length"), row.Length);
        EXPECT_EQ(Engine->Readings, row.Readings);
        ASSERT_EQ(Dialogs.Boxes.size(), row.Told ? 1u : 0u);
        if (row.Told) {
            EXPECT_NE(Dialogs.Boxes.front().Text.find("\"ROM Version\" of \"System Information\" reads \"\\x9f.05\""),
                std::string::npos) << Dialogs.Boxes.front().Text;
        }
    }
}
