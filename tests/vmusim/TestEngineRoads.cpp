// The program's engine against the simulator, with the description as built: log in, read the system
// information, load every described section and compare it with the simulator's state file, save changes,
// inserts and deletes and find them in the simulator's saved state, and fail clearly on a refused password, a
// mute device and a dropped line. The same load through a chunking, slow device gives the same data tree.
#include "SimProcess.h"
#include "SimState.h"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "support/RecordingDialogs.h"
#include "serial/SerPort.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

struct TStateRecord {
    std::vector<std::pair<std::string, std::string>> Fields;
};
// Section -> record key ("" for the section's own fields) -> fields: the simulator's state file, read plainly.
using TOrderedState = std::map<std::string, std::map<std::string, TStateRecord>>;

TOrderedState ReadState(const std::string& path)
{
    TOrderedState state;
    ReadStateLines(ReadFile(path), [&state](const std::string& section, const std::string& record,
                                       const std::string& field, const std::string& value) {
        auto& fields = state[section][record].Fields;
        if (!field.empty())
            fields.emplace_back(field, value);
    });
    return state;
}

class EngineRoads : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string dat = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
        if (!std::filesystem::exists(dat) || TSimProcess::Binary().empty())
            GTEST_SKIP() << "Orlantis.dat or vmusim is not built";
        Description.ShowErrors = false;
        ASSERT_TRUE(Description.LoadFromFile(dat, true)) << Description.LastError;
        Params = Description.FindNode(nullptr, "VMU Parameters 409");
        ASSERT_NE(Params, nullptr);
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        State = TempPath("engine-" + test + ".state");
        // The engine writes its step files into the settings folder when a run fails; beside the test program they
        // would be left behind in the build folder.
        Settings = TempPath("engine-" + test + "-settings/");
        std::filesystem::create_directories(Settings);
        SettingsScope = std::make_unique<TProgramFolderScope>(Settings);
        std::ofstream(State) << ReadFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state")
                             << "\n[System Date/Time]\nClock Running = No\nSystem Time = 10:25,AM\nSystem Date = 6-DEC-26\n";
        Saved = State + ".saved";
    }
    void TearDown() override { Close(); }

    void Start(std::vector<std::string> args)
    {
        for (const std::string& a : {State, std::string("--state"), Saved, std::string("--save-state")})
            args.insert(args.begin(), a);
        Sim = std::make_unique<TSimProcess>(args);
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
        Port = std::make_unique<TSerPort>();
        Port->SetPort(Sim->PtyPath());
        Port->SetEvents(TSerEvents{evRxChar, evDSR});
        Port->Timeouts().SetReadInterval(0);
        Port->Open();
        Link = std::make_unique<TSerPortVmu>(*Port);
        TXmlNode* init = Description.FindNode(nullptr, "Init VMU System Administrator Menu");
        Engine = std::make_unique<TManagerVMU>(Link.get(),
            Manager.GetSaveSteps(init, "Init VMU System Administrator Menu", true),
            Manager.GetLoadSteps(nullptr, "Init VMU System Administrator Menu"));
        Engine->CharPaceMs = 1;
        Engine->OnGetPassword = [](std::string& text) { text = "ADMIN\r\n"; };
        Engine->OnResult = [this](bool failed) { Failed = Failed || failed; };
        Engine->DataManager = &Manager;
        Engine->ParamsNode = Params;
    }
    void Close()
    {
        Engine.reset();
        Link.reset();
        if (Port)
            Port->Close();
        Port.reset();
        Sim.reset();
    }
    // One run of the engine; true when it succeeded.
    bool Run(uint8_t mode, TStepParameters* steps, const std::string& section = "")
    {
        Failed = false;
        Engine->Mode = mode;
        Engine->Steps = steps;
        Engine->SectionName = section;
        Engine->Execute();
        return !Failed;
    }
    bool LoadAll()
    {
        auto steps = Manager.GetLoadSteps(Params, "");
        return Run(doLoad, steps.get(), "");
    }
    TXmlNode* Data(const std::string& name, TXmlNode* start = nullptr) { return DataDoc.FindNode(start, name); }
    std::string Value(TXmlNode* start, const std::string& name)
    {
        TXmlNode* n = start ? DataDoc.FindNode(start, name) : nullptr;
        return n ? n->GetValue() : "<missing " + name + ">";
    }
    void Modify(TXmlNode* node, const std::string& value)
    {
        ASSERT_NE(node, nullptr);
        node->SetAttr("Value", value);
        node->SetAttr("Change", "Modify");
    }

    TRecordingDialogs Dialogs;
    TDialogsScope Scope{&Dialogs};
    TXmlDoc Description;
    TXmlDoc DataDoc{&Description};
    TDataManager Manager{&DataDoc, &Description};
    TXmlNode* Params = nullptr;
    std::string State, Saved, Settings;
    std::unique_ptr<TProgramFolderScope> SettingsScope;
    std::unique_ptr<TSimProcess> Sim;
    std::unique_ptr<TSerPort> Port;
    std::unique_ptr<TSerPortVmu> Link;
    std::unique_ptr<TManagerVMU> Engine;
    bool Failed = false;
};

TEST_F(EngineRoads, ConnectsAndReadsTheSystemInformation)
{
    Start({"--firmware", "4.14"});
    ASSERT_TRUE(Run(doConnect, nullptr));
    auto steps = Manager.GetLoadSteps(Description.FindNode(nullptr, "VMU Information"), "System Information");
    ASSERT_TRUE(Run(doLoadNoInit, steps.get(), "System Information"));
    TXmlNode* info = Data("System Information");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(Value(info, "Flash Version"), "4.14");
    EXPECT_EQ(Value(info, "ROM Version"), "2.05");
    EXPECT_EQ(Value(info, "Mailbox No. Length"), "3");
    EXPECT_EQ(Value(info, "System Manager's Mailbox No."), "999");
    EXPECT_EQ(Value(info, "Message Manager's Mailbox No."), "998");
}

TEST_F(EngineRoads, LoadsEveryDescribedSectionAsTheStateSays)
{
    Start({});
    ASSERT_TRUE(LoadAll());
    TOrderedState state = ReadState(State);
    int compared = 0;
    auto expect = [&](TXmlNode* n, const std::string& what, const std::string& value) {
        ++compared;
        if (value.empty())
            EXPECT_TRUE(!n || n->GetValue().empty()) << what;
        else if (!n)
            ADD_FAILURE() << what << " is missing";
        else
            EXPECT_EQ(n->GetValue(), value) << what;
    };
    // Mailboxes, their devices and schedules.
    TXmlNode* listing = Data("Mailbox Listing");
    ASSERT_NE(listing, nullptr);
    EXPECT_EQ(listing->Nodes.Count(), int(state["Mailbox Listing"].size()));
    for (const auto& [key, record] : state["Mailbox Listing"]) {
        TXmlNode* mailbox = Data("Mailbox No. " + key, listing);
        ASSERT_NE(mailbox, nullptr) << key;
        EXPECT_EQ(mailbox->GetValue(), key);
        for (const auto& [name, value] : record.Fields) {
            std::vector<std::string> path;
            for (size_t a = 0, b; a <= name.size(); a = b + 1) {
                b = name.find('/', a);
                if (b == std::string::npos)
                    b = name.size();
                path.push_back(name.substr(a, b - a));
            }
            TXmlNode* n = mailbox;
            if (path.size() == 1) {
                n = Data(name, mailbox);
            } else {
                n = Data(path[0], Data("Notification Setting", mailbox));
                if (path.size() == 2)
                    n = n ? Data(path[1], n) : nullptr;
                else if (n)
                    n = Data(path[3] == "Start Time" ? "Notification Service Start Time" : "Notification Service End Time",
                        Data(path[2], Data(path[1], Data("Schedule Time", n))));
            }
            expect(n, key + " " + name, value);
        }
    }
    // Classes, ports and trunks: records of fields (ports and trunks by time mode).
    for (const auto& [section, prefix] : std::map<std::string, std::string>{
             {"Class of Service", "COS No. "}, {"Port Service", "Port No. "}, {"Trunk Service", "Trunk No. "}}) {
        TXmlNode* sec = Data(section);
        ASSERT_NE(sec, nullptr) << section;
        for (const auto& [key, record] : state[section]) {
            TXmlNode* rec = Data(prefix + key, sec);
            ASSERT_NE(rec, nullptr) << section << " " << key;
            for (const auto& [name, value] : record.Fields) {
                size_t slash = name.find('/');
                TXmlNode* scope = slash == std::string::npos ? rec : Data(name.substr(0, slash), rec);
                expect(scope ? Data(name.substr(slash == std::string::npos ? 0 : slash + 1), scope) : nullptr,
                    section + " " + key + " " + name, value);
            }
        }
    }
    // Sections of single values.
    for (const char* section : {"Dialing Parameters", "Call Hold", "RS-232C Parameters", "System Date/Time"}) {
        for (const auto& [name, value] : state[section][""].Fields)
            if (name != "Clock Running")
                expect(Data(name, Data(section)), std::string(section) + " " + name, value);
    }
    EXPECT_GT(compared, 900);
}

// Counts what the engine reads, in pieces of a slow line, so that a test can tell how much of the line passed between two moves of the bar.
class TCountingPort : public TVmuPort {
public:
    explicit TCountingPort(TVmuPort& Inner) : Inner(Inner) {}
    int Read(char* Buffer, int Count, int TimeoutMs) override
    {
        // Small pieces, as a slow line delivers them: the engine sees each marker in the piece that brings it.
        const int n = Inner.Read(Buffer, std::min(Count, 64), TimeoutMs);
        Bytes += size_t(std::max(n, 0));
        return n;
    }
    void WriteStr(const std::string& Text) override { Inner.WriteStr(Text); }
    void ClearBuffer(bool Input, bool Output) override { Inner.ClearBuffer(Input, Output); }
    bool DSR() override { return Inner.DSR(); }
    TChunkEvent SetOnChunk(TChunkEvent Handler) override { return Inner.SetOnChunk(std::move(Handler)); }
    size_t Bytes = 0;

private:
    TVmuPort& Inner;
};

TEST_F(EngineRoads, LoadAllMovesTheBarEveryFewSecondsOfA9600BaudLine)
{
    // A 9,600-baud line carries 960 characters a second: the bar moves at least every four seconds of screen text
    // of the simulator's office (64 mailboxes, 8 trunk groups...), so a load never looks stuck.
    constexpr size_t MostBytesBetweenMoves = 4 * 960;
    Start({});
    TCountingPort Counting(*Link);
    TXmlNode* init = Description.FindNode(nullptr, "Init VMU System Administrator Menu");
    Engine = std::make_unique<TManagerVMU>(&Counting,
        Manager.GetSaveSteps(init, "Init VMU System Administrator Menu", true),
        Manager.GetLoadSteps(nullptr, "Init VMU System Administrator Menu"));
    Engine->CharPaceMs = 1;
    Engine->OnGetPassword = [](std::string& text) { text = "ADMIN\r\n"; };
    Engine->OnResult = [this](bool failed) { Failed = Failed || failed; };
    Engine->DataManager = &Manager;
    Engine->ParamsNode = Params;
    std::vector<size_t> Moves;
    Engine->OnStart = [&](int32_t) { Moves.push_back(Counting.Bytes); };
    Engine->OnProgress = [&](int32_t Delta) {
        if (Delta > 0)
            Moves.push_back(Counting.Bytes);
        return false;
    };
    ASSERT_TRUE(LoadAll());
    Moves.push_back(Counting.Bytes);
    size_t Longest = 0, At = 0;
    for (size_t i = 1; i < Moves.size(); ++i)
        if (Moves[i] - Moves[i - 1] > Longest) {
            Longest = Moves[i] - Moves[i - 1];
            At = Moves[i - 1];
        }
    EXPECT_LE(Longest, MostBytesBetweenMoves) << "no move for " << Longest << " bytes from byte " << At << " of "
                                               << Counting.Bytes;
}

TEST_F(EngineRoads, SavesChangesInsertsAndDeletes)
{
    Start({});
    ASSERT_TRUE(LoadAll());
    TXmlNode* listing = Data("Mailbox Listing");
    ASSERT_NE(listing, nullptr);
    // As the forms mark them: a changed value, a changed record and its section.
    TXmlNode* dialing = Data("Dialing Parameters");
    Modify(Data("Pause Time", dialing), "5");
    dialing->SetAttr("Change", "Modify");
    TXmlNode* m105 = Data("Mailbox No. 105", listing);
    Modify(Data("Last Name", m105), "ZED");
    Modify(Data("Extension Group No.", m105), "");
    m105->SetAttr("Change", "Modify");
    listing->SetAttr("Change", "Modify");
    TXmlNode* m101 = Data("Mailbox No. 101", listing);
    Modify(Data("Retry Interval", Data("1ST Device", m101)), "20");
    Modify(Data("Notification Service Start Time", Data("Time frame 2", Data("Day Tue", m101))), "No Use");
    m101->SetAttr("Change", "Modify");
    Data("Mailbox No. 106", listing)->SetAttr("Change", "Delete");
    // A new mailbox from the record template, without its device templates (the listing form skips them).
    TXmlNode* mailboxTemplate = Description.FindNode(Description.FindNode(Params, "Mailbox Listing"), "Mailbox No. %T%");
    TXmlNode* added = Manager.AddNodeFromTemplate(listing, mailboxTemplate, true);
    ASSERT_NE(added, nullptr);
    added->SetAttr("Value", "170");
    added->SetAttr("Name", "Mailbox No. 170");
    added->SetAttr("Change", "Insert");
    Manager.ClearParamNodes(Data("Notification Setting", added));
    Modify(Data("Extension No.", added), "270");
    Modify(Data("Last Name", added), "NEWMAN");
    Modify(Data("Maximum Messages", added), "40");
    // A class of service whose auto forwarding is switched on, with its parameters.
    TXmlNode* cos = Data("Class of Service");
    TXmlNode* c4 = Data("COS No. 4", cos);
    TXmlNode* forwarding = Data("Authorization for Auto Forwarding", c4);
    Modify(forwarding, "Yes");
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"Mailbox Number", "101"}, {"Delay Time", "00:45"}, {"Keep Forwarded Message", "No"}}) {
        TXmlNode* dependent = Manager.AddNodeFromTemplate(forwarding,
            Description.FindNode(forwarding->GetTemplate(), name), true);
        Modify(dependent, value);
    }
    c4->SetAttr("Change", "Modify");
    cos->SetAttr("Change", "Modify");
    // A port answered by an interview service.
    TXmlNode* ports = Data("Port Service");
    TXmlNode* p2 = Data("Port No. 2", ports);
    TXmlNode* service = Data("Incoming Call Service", Data("Day Mode", p2));
    Modify(service, "Interview");
    Modify(Manager.AddNodeFromTemplate(service, Description.FindNode(service->GetTemplate(), "Number"), true), "310");
    p2->SetAttr("Change", "Modify");
    ports->SetAttr("Change", "Modify");

    auto steps = Manager.GetSaveSteps(Params, "", false);
    ASSERT_NE(steps, nullptr);
    ASSERT_TRUE(Run(doSave, steps.get()));
    Manager.CommitSavedChanges("VMU Parameters 409");
    EXPECT_EQ(Data("Mailbox No. 106", listing), nullptr);
    EXPECT_EQ(Data("Mailbox No. 170", listing)->GetAttr("Change"), "NoChange");

    std::string saved = ReadFile(Saved);
    for (const char* expected : {"Pause Time = 5", "<105>\nExtension No. = 205\nLast Name = ZED",
                                 "1ST Device/Retry Interval = 20", "1ST Device/Day Tue/Time frame 2/Start Time = No Use",
                                 "<170>\nExtension No. = 270\nLast Name = NEWMAN",
                                 "Authorization for Auto Forwarding = Yes\nMailbox Number = 101\nDelay Time = 00:45\n"
                                 "Keep Forwarded Message = No",
                                 "Day Mode/Incoming Call Service = Interview\nDay Mode/Number = 310"})
        EXPECT_NE(saved.find(expected), std::string::npos) << expected;
    EXPECT_EQ(saved.find("<106>"), std::string::npos);
    size_t at = saved.find("<105>");
    EXPECT_NE(saved.find("Extension Group No. = \n", at), std::string::npos);

    // Nothing changed any more: a second save sends nothing.
    auto again = Manager.GetSaveSteps(Params, "", false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Count(), 0);

    // A value the VMU has no way to be given empty stops the save before its first key, a value before it too.
    Modify(Data("Last Name", m105), "YOUNG");
    m105->SetAttr("Change", "Modify");
    listing->SetAttr("Change", "Modify");
    TXmlNode* paging = Data("Intercom Paging Parameters");
    Modify(Data("Paging Cancel Code", paging), "");
    paging->SetAttr("Change", "Modify");
    auto empty = Manager.GetSaveSteps(Params, "", false);
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(Run(doSave, empty.get()));
    EXPECT_EQ(Engine->StepsDone, 0);
    EXPECT_NE(ReadFile(Saved).find("<105>\nExtension No. = 205\nLast Name = ZED"), std::string::npos);
}

TEST_F(EngineRoads, ARefusedPasswordAMuteDeviceAndADroppedLineFailClearly)
{
    using namespace std::chrono;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--refuse-password"}, {"--mute"}, {"--drop-after", "3000"}}) {
        SCOPED_TRACE(args[0]);
        Start(args);
        auto start = steady_clock::now();
        bool ok = Run(doConnect, nullptr);
        if (ok && args[0] == "--drop-after") {
            // The log-in fits into the bytes allowed; the load does not.
            ok = LoadAll();
        }
        EXPECT_FALSE(ok);
        EXPECT_LT(steady_clock::now() - start, seconds(60));
        Close();
        const char* left = args[0] == "--drop-after" ? "SaveStepsFromVMU.txt" : "SaveStepsTestInit.txt";
        EXPECT_TRUE(std::filesystem::exists(Settings + left)) << "the failed run's steps go to the settings folder";
    }
}

TEST_F(EngineRoads, ChunkedAndSlowAnswersGiveTheSameDataTree)
{
    auto treeText = [&](std::vector<std::string> args) {
        DataDoc.Clear();
        Start(args);
        EXPECT_TRUE(LoadAll());
        Close();
        std::ostringstream text;
        TXmlNode* tree = Data("VMU Parameters 409");
        if (!tree)
            return std::string("<no tree>");
        std::function<void(TXmlNode*, int)> dump = [&](TXmlNode* n, int depth) {
            text << std::string(size_t(depth), ' ') << n->GetName() << "=" << n->GetValue() << "\n";
            for (const auto& c : n->Nodes)
                dump(c.get(), depth + 1);
        };
        dump(tree, 0);
        return text.str();
    };
    std::string plain = treeText({});
    EXPECT_GT(plain.size(), 20000u);
    EXPECT_EQ(treeText({"--chunks", "random", "--slow", "50", "--seed", "5"}), plain);
}

}  // namespace
