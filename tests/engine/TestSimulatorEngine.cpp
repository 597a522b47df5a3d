// The engine, the real description document and the device simulator together: log in, read the system
// information, load a section, change a value and save it, and read it back, over the simulator's
// pseudo-terminal with its output in random chunks. Skipped when the simulator or the description was not built.
#include "EngineTestSupport.h"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "support/SimulatorChild.h"
#include "serial/SerPort.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <filesystem>

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
        Port.SetPort(Path);
        Port.SetEvents(TSerEvents{evRxChar, evDSR});
        Port.Timeouts().SetReadInterval(0);
        Port.Open();
        Link = std::make_unique<TSerPortVmu>(Port);
        TXmlNode* init = Description.FindNode(nullptr, "Init VMU System Administrator Menu");
        Engine = std::make_unique<TManagerVMU>(Link.get(),
            Manager.GetSaveSteps(init, "Init VMU System Administrator Menu", true),
            Manager.GetLoadSteps(nullptr, "Init VMU System Administrator Menu"));
        Engine->CharPaceMs = 2;
        Engine->OnGetPassword = [](std::string& text) { text = "ADMIN\r\n"; };
        Engine->DataManager = &Manager;
        Engine->ParamsNode = Params;
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
