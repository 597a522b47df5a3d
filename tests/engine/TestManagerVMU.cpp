// The dialogue engine against a scripted device on a fake clock: answer matching, time-outs, the quiet wait,
// log-in and password, markers, cancel, failures and the files a run leaves behind.
#include "EngineTestSupport.h"
#include "FakePort.h"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

using namespace enginetest;

namespace {
const char* const Top = "Top Menu Selection => ";
const char* const PasswordPrompt = "Password => ";

std::unique_ptr<TStepParameters> LoginScript()
{
    auto list = std::make_unique<TStepParameters>();
    for (const char* send : {"\r", "T\r", "T\r"}) {
        auto s = Step(send, Top, "");
        s->PasswordAnswer = PasswordPrompt;
        list->Add(std::move(s));
    }
    return list;
}

std::unique_ptr<TStepParameters> OpenScript()
{
    auto list = std::make_unique<TStepParameters>();
    auto s = Step("\r", Top);
    s->PasswordAnswer = PasswordPrompt;
    list->Add(std::move(s));
    return list;
}

// A device that wants a password, then answers menu lines from a table (unknown lines: "Incorrect Entry").
struct TDevice {
    std::string Password = "secret";
    bool LoggedIn = false;
    bool Asking = false;
    bool Mute = false;
    std::map<std::string, std::string> Replies;
    int64_t DelayMs = 20;

    void Attach(TFakePort& Port)
    {
        Port.OnLine = [this](TFakePort& p, const std::string& line) { OnLine(p, line); };
    }
    void OnLine(TFakePort& p, const std::string& line)
    {
        if (Mute)
            return;
        if (!LoggedIn) {
            if (!Asking) {
                Asking = true;
                p.Arrive("\r\nVMU Voice Processing System\r\nPassword => ", DelayMs);
            } else if (line == Password) {
                LoggedIn = true;
                Asking = false;
                p.Arrive("\r\n\r\nSystem Administration Top Menu\r\n\r\nTop Menu Selection => ", DelayMs);
            } else
                p.Arrive("\r\nIncorrect Password\r\nPassword => ", DelayMs);
            return;
        }
        auto it = Replies.find(line);
        if (line.empty() || line == "T")
            p.Arrive(line + "\r\n\r\nSystem Administration Top Menu\r\n\r\nTop Menu Selection => ", DelayMs);
        else if (it != Replies.end())
            p.Arrive(line + it->second, DelayMs);
        else
            p.Arrive(line + "\r\nIncorrect Entry\r\n=> ", DelayMs);
    }
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TraceSwitches() = {};
        Device.Attach(Port);
        Engine = std::make_unique<TManagerVMU>(&Port, LoginScript(), OpenScript(), &Clock);
        Engine->CharPaceMs = 1;
        Engine->OnResult = [this](bool failed) { Results.push_back(failed); };
        Engine->OnGetPassword = [this](std::string& text) {
            ++PasswordRequests;
            text = PasswordAnswer;
        };
    }
    void TearDown() override { TraceSwitches() = {}; }

    bool Failed() const { return std::count(Results.begin(), Results.end(), true) > 0; }
    // Runs a load (mode 3) of "Dialing Parameters" below Params from a device that shows screen-dialing.txt for it.
    void LoadDialingParameters(TDataManager& Manager, TXmlNode* Params, TStepParameters& Steps)
    {
        Port.OnLine = [this, Screen = ReadTestFile("screen-dialing.txt")](TFakePort& p, const std::string& line) {
            if (Device.LoggedIn && (line == "1" || line == "4"))
                return;
            if (Device.LoggedIn && line == "6")
                p.Arrive(Screen, 30);
            else
                Device.OnLine(p, line);
        };
        Engine->DataManager = &Manager;
        Engine->ParamsNode = Params;
        Engine->SectionName = "Dialing Parameters";
        Engine->Mode = doLoad;
        Engine->Steps = &Steps;
        Engine->Execute();
    }
    // Runs mode 4 (no log-in) over the given steps.
    void RunSteps(TStepParameters& Steps)
    {
        Device.LoggedIn = true;
        Engine->Mode = doLoadNoInit;
        Engine->Steps = &Steps;
        Engine->Execute();
    }

    TTempFolder Folder;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    TFakeClock Clock;
    TFakePort Port{Clock};
    TDevice Device;
    std::unique_ptr<TManagerVMU> Engine;
    std::vector<bool> Results;
    std::string PasswordAnswer = "secret\r\n";
    int PasswordRequests = 0;
};
}

TEST_F(EngineTest, StopAnswerCountsOnlyAtTheEndOfEverythingReceived)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    Device.Replies["1"] = "\r\nMenu => but more follows";
    RunSteps(steps);
    EXPECT_TRUE(Failed()) << "a stop answer followed by more text must not end the step";

    Results.clear();
    Device.Replies["1"] = "\r\nMenu => but more follows\r\nMenu => ";
    RunSteps(steps);
    EXPECT_FALSE(Failed());
}

TEST_F(EngineTest, ErrorAnswerAnywhereInTheStepWinsOverAStopAnswerInTheSameChunk)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    Device.Replies["1"] = "\r\nIncorrect Entry\r\nMenu => ";
    RunSteps(steps);
    EXPECT_TRUE(Failed());
    // The device's line that refused the step is kept for the user.
    EXPECT_EQ(Engine->Refusal, "Incorrect Entry");
    // An error text printed by an earlier step does not fail the next one.
    Results.clear();
    TStepParameters two;
    two.Add(Step("1\r", "", ""));
    two.Add(Step("2\r", "Menu => "));
    Device.Replies["2"] = "\r\nMenu => ";
    RunSteps(two);
    EXPECT_FALSE(Failed());
    EXPECT_EQ(Engine->Refusal, "");
}

TEST_F(EngineTest, BellCharactersInsideAnAnswerDoNotHinderTheMatch)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    steps.GetItem(0)->SaveAnswer = true;
    Device.Replies["1"] = "\r\nM\ae\anu\a => ";
    Engine->Mode = doReport;
    Device.LoggedIn = true;
    Engine->Steps = &steps;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    EXPECT_EQ(Engine->SavedAnswers, "1\r\nMenu => ");
}

TEST_F(EngineTest, ZeroOrNegativeTimeoutWaitsFiveSecondsOfSilence)
{
    for (int timeout : {0, -7}) {
        Results.clear();
        TStepParameters steps;
        steps.Add(Step("1\r", "Menu => "));
        steps.GetItem(0)->WaitTimeoutMsec = timeout;
        Device.Mute = true;
        int64_t start = Clock.Ms();
        RunSteps(steps);
        int64_t spent = Clock.Ms() - start;
        EXPECT_TRUE(Failed());
        EXPECT_GE(spent, 5000);
        EXPECT_LT(spent, 5200);
    }
}

TEST_F(EngineTest, SilenceEndsAStepWithoutStopAnswerNormally)
{
    TStepParameters steps;
    steps.Add(Step("1\r", ""));
    steps.GetItem(0)->WaitTimeoutMsec = 300;
    Device.Replies["1"] = "\r\nanything";
    RunSteps(steps);
    EXPECT_FALSE(Failed());
}

TEST_F(EngineTest, AStepEndsAtOnceWhenTheLineIsLostAndTheStepsBeforeItCount)
{
    // The second step's keys reach a device whose line then drops: the run fails at once, not after its time-out,
    // with the first step counted. A step without a stop answer, which silence would end well, fails the same way.
    for (const char* Stop : {"Menu => ", ""}) {
        SCOPED_TRACE(std::string("stop answer '") + Stop + "'");
        TStepParameters steps;
        steps.Add(Step("1\r", "Menu => "));
        steps.Add(Step("2\r", Stop));
        steps.GetItem(1)->WaitTimeoutMsec = 5000;
        Device.Replies["1"] = "\r\nMenu => ";
        Port.DsrOn = true;
        Port.OnLine = [this](TFakePort& p, const std::string& line) {
            if (line == "2")
                p.DsrOn = false;
            else
                Device.OnLine(p, line);
        };
        Results.clear();
        const int64_t Start = Clock.Ms();
        RunSteps(steps);
        EXPECT_TRUE(Failed());
        EXPECT_EQ(Engine->StepsDone, 1);
        EXPECT_LT(Clock.Ms() - Start, 1000) << "the run waited for a line that is gone";
    }
}

TEST_F(EngineTest, EveryReceivedChunkRestartsTheInactivityDeadline)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Done => "));
    steps.GetItem(0)->WaitTimeoutMsec = 1000;
    Device.LoggedIn = true;
    Port.OnLine = [](TFakePort& p, const std::string&) {
        for (int i = 0; i < 5; ++i)
            p.Arrive(".", 900);
        p.Arrive("Done => ", 900);
    };
    RunSteps(steps);
    EXPECT_FALSE(Failed()) << "a slow but steady device must not time out";
}

TEST_F(EngineTest, BreakStepSendsItsKeysAndEndsTheListWithoutReading)
{
    TStepParameters steps;
    steps.Add(Step("Q\r", "never"));
    steps.GetItem(0)->BreakSteps = true;
    steps.Add(Step("2\r", "Menu => "));
    Device.Mute = true;
    int64_t start = Clock.Ms();
    RunSteps(steps);
    EXPECT_FALSE(Failed());
    EXPECT_EQ(Port.Written, "Q\r");
    EXPECT_EQ(Port.Received, 0);
    EXPECT_LT(Clock.Ms() - start, 500);
}

TEST_F(EngineTest, ConnectWaitsUntilTheLineHasBeenQuietForOneSecond)
{
    // The device streams status lines for three seconds before it is ready.
    for (int i = 0; i < 15; ++i)
        Port.Arrive("VPS Port released\r\n", 200);
    Engine->Mode = doConnect;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    ASSERT_FALSE(Port.WriteTimes.empty());
    int64_t streamEnd = 1000 + 15 * 200;
    EXPECT_GE(Port.WriteTimes.front(), streamEnd + 1000);
    EXPECT_LT(Port.WriteTimes.front(), streamEnd + 1100);
    EXPECT_EQ(PasswordRequests, 1);
}

TEST_F(EngineTest, QuietWaitIsCappedWhenTheDeviceNeverFallsSilent)
{
    for (int i = 0; i < 400; ++i)
        Port.Arrive("noise\r\n", 100);
    Engine->Mode = doConnect;
    Engine->Execute();
    ASSERT_FALSE(Port.WriteTimes.empty());
    EXPECT_GE(Port.WriteTimes.front(), 1000 + 10000);
    EXPECT_LT(Port.WriteTimes.front(), 1000 + 10200);
}

TEST_F(EngineTest, LogInSendsThePasswordButNeverTracesIt)
{
    TraceSwitches().SaveTraceInfo = true;
    TraceSwitches().SaveSteps = true;
    TraceSwitches().SaveStepsInfo = true;
    Engine = std::make_unique<TManagerVMU>(&Port, LoginScript(), OpenScript(), &Clock);
    Engine->CharPaceMs = 1;
    Engine->OnResult = [this](bool failed) { Results.push_back(failed); };
    Engine->OnGetPassword = [](std::string& text) { text = "secret\r\n"; };
    Engine->Mode = doConnect;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    EXPECT_NE(Port.Written.find("secret\r\n"), std::string::npos);
    std::string trace = Folder.Read("SaveTraceInfo.txt");
    EXPECT_NE(trace.find("*** Start InitMenu ***"), std::string::npos);
    EXPECT_NE(trace.find("** Send=***** **"), std::string::npos);
    EXPECT_NE(trace.find("*** Stop InitMenu (Ret=Yes) ***"), std::string::npos);
    for (const char* file : {"SaveTraceInfo.txt", "SaveStepsTestInit.txt", "SaveStepsInfoInit.txt",
             "SaveStepsInfoOpen.txt"}) {
        ASSERT_TRUE(Folder.Has(file)) << file;
        EXPECT_EQ(Folder.Read(file).find("secret"), std::string::npos) << file;
    }
    EXPECT_NE(Folder.Read("SaveStepsTestInit.txt").find(Top), std::string::npos);
}

TEST_F(EngineTest, WrongPasswordFailsTheLogInInBoundedTime)
{
    int asked = 0;
    Engine->OnGetPassword = [&](std::string& text) {
        ++asked;
        text = "wrong\r\n";
    };
    Engine->Mode = doGoUpToMenu;
    int64_t start = Clock.Ms();
    Engine->Execute();
    EXPECT_TRUE(Failed());
    EXPECT_GE(asked, 1);
    EXPECT_LT(Clock.Ms() - start, 20000);
    EXPECT_FALSE(Device.LoggedIn);
}

// A connection's run leaves telling it to the connection's one box; any other run tells the user break.
TEST_F(EngineTest, CancelledPasswordDialogIsAUserBreakNotAnEmptyPassword)
{
    PasswordAnswer = "";
    Engine->Mode = doConnect;
    Engine->Execute();
    EXPECT_TRUE(Failed());
    EXPECT_EQ(Engine->LoginFailure, TManagerVMU::lfPasswordCancelled);
    EXPECT_TRUE(Dialogs.Boxes.empty());
    EXPECT_EQ(Port.Lines.size(), 1u) << "nothing may be typed at the password prompt";
    Engine->Mode = doGoUpToMenu;
    Engine->Execute();
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, UserBreakMessage());
    EXPECT_EQ(Dialogs.Boxes[0].Caption, "Warning");
}

TEST_F(EngineTest, WithoutPasswordCallbackTheFallbackIsSent)
{
    Engine->OnGetPassword = nullptr;
    Device.Password = "KQJ";
    Engine->Mode = doGoUpToMenu;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    EXPECT_NE(Port.Written.find("KQJ\r"), std::string::npos);
}

TEST_F(EngineTest, EveryFailureOfLogInOrStepsEndsInOnResult)
{
    // No wake-up step answered.
    Device.Mute = true;
    Engine->Mode = doGoUpToMenu;
    Engine->Execute();
    EXPECT_TRUE(Failed());
    EXPECT_EQ(Port.Lines.size(), 3u);

    // A menu-entry step that does not reach its stop answer.
    Results.clear();
    Device = TDevice();
    Device.Attach(Port);
    Device.LoggedIn = true;
    auto open = std::make_unique<TStepParameters>();
    open->Add(Step("X\r", Top));
    Engine = std::make_unique<TManagerVMU>(&Port, LoginScript(), std::move(open), &Clock);
    Engine->CharPaceMs = 1;
    Engine->OnResult = [this](bool failed) { Results.push_back(failed); };
    Engine->Mode = doGoUpToMenu;
    Engine->Execute();
    EXPECT_TRUE(Failed());
}

TEST_F(EngineTest, CancelEndsAWaitWithTheWarningAndFailure)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    steps.GetItem(0)->WaitTimeoutMsec = 60000;
    Device.Mute = true;
    int calls = 0;
    Engine->OnProgress = [&](int32_t) { return ++calls > 20; };
    int64_t start = Clock.Ms();
    RunSteps(steps);
    EXPECT_TRUE(Failed());
    EXPECT_LT(Clock.Ms() - start, 1000);
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, UserBreakMessage());
    EXPECT_FALSE(Folder.Has("SaveStepsFromVMU.txt")) << "a cancel writes the step files only as the switches say";
}

TEST_F(EngineTest, MarkersMoveProgressOnlyWithinTheirOwnStep)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "One => ", ""));
    auto s = Step("2\r", "Two => ", "");
    for (auto [find, delta] : {std::pair{"Alpha", 2}, std::pair{"Beta", 3}}) {
        auto m = std::make_unique<TProgressParameter>();
        m->FindStr = find;
        m->InfoMsg = std::string("Reading ") + find;
        m->DeltaPos = delta;
        s->Progress.Add(std::move(m));
    }
    steps.Add(std::move(s));
    // The first step's screen already shows both marker texts; they must not count for the second step.
    Device.LoggedIn = true;
    Port.OnLine = [](TFakePort& p, const std::string& line) {
        if (line == "1")
            p.Arrive("1\r\nAlpha Beta\r\nOne => ", 20);
        else {
            p.Arrive("2\r\nxxxxxxxxxxxxxxxxAlpha only", 20);
            p.Arrive("\r\n", 20);
            p.Arrive("Two => ", 20);
        }
    };
    int32_t total = -1, moved = 0;
    std::vector<std::string> messages;
    Engine->OnStart = [&](int32_t t) { total = t; };
    Engine->OnProgress = [&](int32_t d) {
        moved += d;
        return false;
    };
    Engine->OnMessage = [&](const std::string& m) { messages.push_back(m); };
    RunSteps(steps);
    EXPECT_FALSE(Failed());
    EXPECT_EQ(total, 1 + 5 + 1);
    EXPECT_EQ(moved, 1 + 2 + 1);
    EXPECT_NE(std::find(messages.begin(), messages.end(), "Reading Alpha"), messages.end());
    EXPECT_EQ(std::find(messages.begin(), messages.end(), "Reading Beta"), messages.end());
}

TEST_F(EngineTest, StepFilesFollowTheSwitchesExceptAfterAFailure)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    Device.Replies["1"] = "\r\nMenu => ";
    RunSteps(steps);
    EXPECT_FALSE(Failed());
    EXPECT_FALSE(Folder.Has("SaveStepsFromVMU.txt"));
    EXPECT_FALSE(Folder.Has("SaveStepsInfoFromVMU.txt"));

    Device.Replies["1"] = "\r\nIncorrect Entry\r\nMenu => ";
    RunSteps(steps);
    EXPECT_TRUE(Failed());
    ASSERT_TRUE(Folder.Has("SaveStepsFromVMU.txt"));
    EXPECT_EQ(Folder.Read("SaveStepsFromVMU.txt"), "1\r\nIncorrect Entry\r\nMenu => ");
    EXPECT_EQ(Folder.Read("SaveStepsInfoFromVMU.txt"), steps.StepInfoText());
}

TEST_F(EngineTest, LoadParsesTheCapturedScreensIntoTheDataDocument)
{
    TXmlDoc description;
    description.ShowErrors = false;
    ASSERT_TRUE(description.LoadFromFile(std::string(ORLANTIS_SOURCE_DIR) + "/tests/engine/data/description.xml",
        false));
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    TXmlNode* params = description.FindNode(nullptr, "VMU Parameters 409");
    auto steps = manager.GetLoadSteps(params, "Dialing Parameters");
    ASSERT_EQ(steps->Count(), 2);
    LoadDialingParameters(manager, params, *steps);
    EXPECT_FALSE(Failed());
    TXmlNode* mode = data.FindNode(nullptr, "Dialing Mode");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->GetValue(), "Tone");
    EXPECT_TRUE(Engine->SavedAnswers.empty());
}

// Mode 3 parses below the chosen parameter tree: with two trees that both hold the section, the screens go into
// the chosen one (the later in the document), never into the first the whole document would find.
TEST_F(EngineTest, LoadParsesBelowTheChosenParameterTreeOnly)
{
    std::string text = ReadTestFile("description.xml");
    const size_t tree = text.find("  <PARAM ID=\"100\" Name=\"VMU Parameters 409\">");
    const size_t end = text.find("</ORLANTIS>");
    ASSERT_NE(tree, std::string::npos);
    std::string older = text.substr(tree, end - tree);
    older.replace(older.find("VMU Parameters 409"), 18, "VMU Parameters 308");
    text.insert(tree, older);
    TXmlDoc description;
    description.ShowErrors = false;
    std::istringstream in(text);
    ASSERT_TRUE(description.LoadFromStream(in, false));
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    TXmlNode* params = description.FindNode(nullptr, "VMU Parameters 409");
    ASSERT_NE(description.FindNode(nullptr, "Dialing Parameters")->Parent->Parent,
        params) << "the first section the document holds lies in the other tree";
    auto steps = manager.GetLoadSteps(params, "Dialing Parameters");
    LoadDialingParameters(manager, params, *steps);
    EXPECT_FALSE(Failed());
    TXmlNode* chosen = data.FindNode(nullptr, "VMU Parameters 409");
    ASSERT_NE(chosen, nullptr);
    TXmlNode* mode = data.FindNode(chosen, "Dialing Mode");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->GetValue(), "Tone");
    TXmlNode* other = data.FindNode(nullptr, "VMU Parameters 308");
    TXmlNode* otherMode = other ? data.FindNode(other, "Dialing Mode") : nullptr;
    EXPECT_EQ(otherMode ? otherMode->GetValue() : std::string(), "") << "the other tree took nothing";
}

// Only the steps marked SaveAnswer reach the captured text: a report holds its own screen, not the menus the
// steps passed on the way there or back.
TEST_F(EngineTest, OnlyStepsMarkedSaveAnswerAreCaptured)
{
    TStepParameters steps;
    steps.Add(Step("2\r", "Reports => "));
    steps.Add(Step("VERSION\r", "$ "));
    steps.GetItem(1)->SaveAnswer = true;
    steps.Add(Step("Q\r", Top));
    Device.Replies["2"] = "\r\nReports => ";
    Device.Replies["VERSION"] = "\r\nVMU Version Report\r\n$ ";
    Device.Replies["Q"] = "\r\n\r\nSystem Administration Top Menu\r\n\r\nTop Menu Selection => ";
    Engine->Mode = doReport;
    Device.LoggedIn = true;
    Engine->Steps = &steps;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    EXPECT_EQ(Engine->SavedAnswers, "VERSION\r\nVMU Version Report\r\n$ ");
}

TEST_F(EngineTest, AParseErrorFailsTheLoadAndSaysWhy)
{
    TXmlDoc description;
    auto root = std::make_unique<TXmlNode>("ORLANTIS");
    root->SetName("D");
    TXmlNode* section = root->AddChild("PARAM");
    section->SetName("S");
    section->SetAttr("StartStr", "x");
    section->SetAttr("ShiftStr", "many");
    description.SetRoot(std::move(root));
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    TStepParameters steps;
    steps.Add(Step("1\r", "=> "));
    steps.GetItem(0)->SaveAnswer = true;
    Device.Replies["1"] = "\r\nx\r\n=> ";
    Engine->DataManager = &manager;
    Engine->SectionName = "S";
    RunSteps(steps);
    EXPECT_TRUE(Failed());
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, "'many' is not a valid integer value");
}

TEST_F(EngineTest, SecretsStayOutOfTraceAndStepFiles)
{
    TraceSwitches().SaveTraceInfo = true;
    TraceSwitches().SaveSteps = true;
    TraceSwitches().SaveStepsInfo = true;
    TStepParameters steps;
    steps.Add(Step("5\r", "New Password => "));
    steps.Add(Step("N3wPass\r", "Confirm Password => "));
    steps.Add(Step("N3wPass\r", Top));
    Port.OnLine = [this](TFakePort& p, const std::string& line) {
        if (Device.LoggedIn && line == "5")
            p.Arrive("5\r\nNew Password => ", 10);
        else if (Device.LoggedIn && line == "N3wPass")
            p.Arrive(Port.Lines.size() % 2 ? "\r\nConfirm Password => " : "\r\nPassword Changed\r\nTop Menu Selection => ",
                10);
        else
            Device.OnLine(p, line);
    };
    Engine->Secrets = {"N3wPass"};
    Engine->Mode = doSave;
    Engine->Steps = &steps;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    EXPECT_NE(Port.Written.find("N3wPass\r"), std::string::npos);
    for (const char* file : {"SaveTraceInfo.txt", "SaveStepsToVMU.txt", "SaveStepsInfoToVMU.txt"}) {
        ASSERT_TRUE(Folder.Has(file)) << file;
        std::string text = Folder.Read(file);
        EXPECT_EQ(text.find("N3wPass"), std::string::npos) << file;
        EXPECT_EQ(text.find("secret"), std::string::npos) << file;
    }
    EXPECT_NE(Folder.Read("SaveStepsInfoToVMU.txt").find("Send = '*****\r'"), std::string::npos);
}

TEST_F(EngineTest, AnUnknownModeOnlyEndsTheRun)
{
    Engine->Mode = 5;
    Engine->Execute();
    EXPECT_TRUE(Results.empty());
    EXPECT_TRUE(Port.Written.empty());
}

TEST_F(EngineTest, ACancelRightAfterTheParseFailsTheLoad)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "=> "));
    Device.Replies["1"] = "\r\n=> ";
    int calls = 0;
    Engine->OnProgress = [&](int32_t delta) { return delta == 1 && ++calls == 2; };
    RunSteps(steps);
    EXPECT_TRUE(Failed());
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, UserBreakMessage());
}

TEST_F(EngineTest, AShortScreenInOneChunkStillMovesTheProgress)
{
    TStepParameters steps;
    auto s = Step("1\r", "Menu => ");
    auto m = std::make_unique<TProgressParameter>();
    m->FindStr = "Title";
    m->DeltaPos = 3;
    s->Progress.Add(std::move(m));
    steps.Add(std::move(s));
    Device.Replies["1"] = "\r\nTitle\r\nMenu => ";
    int32_t total = 0, moved = 0;
    Engine->OnStart = [&](int32_t t) { total = t; };
    Engine->OnProgress = [&](int32_t d) {
        moved += d;
        return false;
    };
    RunSteps(steps);
    EXPECT_FALSE(Failed());
    EXPECT_EQ(total, 3 + 1);
    EXPECT_EQ(moved, total);
}

TEST_F(EngineTest, TheLogInsWaitsHaveAnOverallLimitWhenTheDeviceKeepsPrinting)
{
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    Device.Mute = true;
    for (int i = 0; i < 6000; ++i)
        Port.Arrive("more\r\n", 100);
    // The wake-up of a save: four keys, each wait bounded by the run's longest time-out (10 s here).
    Engine->Mode = doSave;
    Engine->Steps = &steps;
    int64_t start = Clock.Ms();
    Engine->Execute();
    EXPECT_TRUE(Failed());
    EXPECT_LT(Clock.Ms() - start, 4 * 10500);
    // A connect: the capped quiet wait, then the same.
    Results.clear();
    Engine->Mode = doConnect;
    start = Clock.Ms();
    Engine->Execute();
    EXPECT_TRUE(Failed());
    EXPECT_LT(Clock.Ms() - start, 5 * 10500);
}

TEST_F(EngineTest, AMenuEntryStepWithoutStopAnswerEndsBySilenceAndTheLogInGoesOn)
{
    // The first menu-entry step only sends keys (no stop answer): its silence is its normal end.
    Device.LoggedIn = true;
    Device.Replies["Q"] = "\r\nsome screen";
    auto open = std::make_unique<TStepParameters>();
    open->Add(Step("Q\r", "", ""));
    open->Add(Step("\r", Top));
    Engine = std::make_unique<TManagerVMU>(&Port, LoginScript(), std::move(open), &Clock);
    Engine->CharPaceMs = 1;
    Engine->OnResult = [this](bool failed) { Results.push_back(failed); };
    Engine->Mode = doGoUpToMenu;
    Engine->Execute();
    EXPECT_FALSE(Failed());
    EXPECT_NE(Port.Written.find("Q\r"), std::string::npos);
}

TEST_F(EngineTest, AStepsOwnTimeOutOutlastsTheMenuTimeOut)
{
    // A step that may take 30 s: the device is silent for 6 s and then answers. The menu's 5 s must not end it.
    TStepParameters steps;
    steps.Add(Step("1\r", "Menu => "));
    steps.GetItem(0)->WaitTimeoutMsec = 30000;
    Device.LoggedIn = true;
    Port.OnLine = [](TFakePort& p, const std::string&) { p.Arrive("\r\nMenu => ", 6000); };
    const int64_t start = Clock.Ms();
    RunSteps(steps);
    EXPECT_FALSE(Failed());
    EXPECT_GE(Clock.Ms() - start, 6000);
    // Just outside its own time-out the same step fails.
    Results.clear();
    steps.GetItem(0)->WaitTimeoutMsec = 5900;
    RunSteps(steps);
    EXPECT_TRUE(Failed());
}

TEST_F(EngineTest, AStoreIsDoneOnlyWhenTheDeviceShowsTheValueSentOrNothingButItsPrompt)
{
    Device.Replies["3"] = "\r\n   Pause Time                                [2]\r\nNew Value => ";
    const struct {
        const char* Stored;
        const char* Screen;   // the short form of the value on the screen
        const char* Answer;   // the device's answer to the value's line
        bool Done;
        const char* Refusal;
        bool Told;            // the failure is a store not taken (not a clean refusal)
        TDeviceForm Form = dfAsTyped;   // the form the device shows the value in
    } Rows[] = {
        {"4", "", "\r\n   3. Pause Time                             [4]\r\n\r\nMenu => ", true, "", false},
        {"05", "", "\r\n   3. Pause Time                             [5]\r\n\r\nMenu => ", true, "", false, dfNumber},
        {"01/04", "", "\r\n   1. Daylight Saving Start Date            [1/4]\r\n\r\nMenu => ", true, "", false,
            dfDayMonth},
        {"01/04", "", "\r\n   1. Daylight Saving Start Date            [4/1]\r\n\r\nMenu => ", false,
            "   1. Daylight Saving Start Date            [4/1]", true, dfDayMonth},
        {"voice mail", "V.M.", "\r\n   Night Mode  [V.M.]\r\n\r\nMenu => ", true, "", false},
        {"4", "", "\r\nMenu => ", true, "", false},
        {"4", "", "\r\nIncorrect Xntry\r\nMenu => ", false, "Incorrect Xntry", true},
        // A value that reads as the refusal is no refusal: the device prints that on a line of its own.
        {"Incorrect Entry", "", "\r\n   3. Pause Time                             [Incorrect Entry]\r\n\r\nMenu => ",
            true, "", false},
        {"4", "", "\r\n   3. Pause Time                             [5]\r\n\r\nMenu => ", false,
            "   3. Pause Time                             [5]", true},
        {"", "", "\r\nMenu => ", false, "", true},
    };
    for (const auto& R : Rows) {
        SCOPED_TRACE(R.Answer);
        Device.Replies[R.Stored] = R.Answer;
        TStepParameters steps;
        TStepParameter* s = steps.Add(Step(std::string("3\r") + R.Stored + "\r", "Menu => "));
        s->Store = true;
        s->Stored = R.Stored;
        s->StoredScreen = R.Screen;
        s->StoredForm = R.Form;
        Results.clear();
        Port.Written.clear();
        Device.LoggedIn = true;
        Engine->Mode = doSave;
        Engine->Steps = &steps;
        Engine->Execute();
        EXPECT_EQ(Failed(), !R.Done);
        EXPECT_EQ(Engine->StepsDone, R.Done ? 1 : 0);
        EXPECT_EQ(Engine->Refusal, R.Refusal);
        EXPECT_EQ(!Engine->Unconfirmed.empty(), R.Told) << Engine->Unconfirmed;
        // An empty value is never typed: the device would keep its old value on the empty line.
        EXPECT_EQ(Port.Written.find("3\r") != std::string::npos, *R.Stored != 0) << Port.Written;
    }
}
