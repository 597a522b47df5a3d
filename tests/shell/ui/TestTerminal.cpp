// The terminal window on the device simulator through the program's port: the captured log-in screen shown from
// the top menu, keys to the device, a voice prompt download and upload by XMODEM with the terminal let go of the
// port meanwhile, and what a cancelled dialog or a failed transfer leaves.
#include "support/Screenshots.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/ui/QtMainThread.h"
#include "serial/SerPort.h"
#include "serial/XYmodem.h"
#include "serial/ui/SerTerminalView.h"
#include "shell/Terminal.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string Screen(TTerminalForm& F)
{
    std::string s;
    F.GetTerminalText(s);
    return s;
}

bool WaitFor(TTerminalForm& F, const std::string& Text, int Ms = 20000)
{
    return QTest::qWaitFor([&] { return Screen(F).find(Text) != std::string::npos; }, Ms);
}

void Type(TTerminalForm& F, const std::string& Keys)
{
    for (char c : Keys)
        F.ComTerminal->Terminal().KeyChar(uint8_t(c));
}

// Runs the job in a worker while the GUI thread goes on, as the progress dialog does.
bool RunInWorker(TLongOperation& Job)
{
    std::atomic<bool> Done{false};   // written by the worker, read by the GUI thread while it waits
    std::thread Worker([&] {
        Job.Execute();
        Done = true;
    });
    bool Ended = QTest::qWaitFor([&] { return Done.load(); }, 120000);
    Worker.join();
    return Ended;
}

}  // namespace

TEST(TerminalForm, PureHelpers)
{
    std::string Captured = "\r\nVMU Voice Processing System\r\nPassword => \r\nSystem Administration Top Menu\r\n  1.";
    EXPECT_EQ(TTerminalForm::LoginScreenOf(Captured), "\r\nSystem Administration Top Menu\r\n  1.");
    EXPECT_EQ(TTerminalForm::LoginScreenOf("Password => "), "Password => ");
    EXPECT_EQ(TTerminalForm::ExpectedSizeOf("x\r\nTotal Size of Download File = 0x00001A2B bytes\r\n"), 0x1A2B);
    EXPECT_EQ(TTerminalForm::ExpectedSizeOf("Start XMODEM receive now."), 0);
    EXPECT_EQ(TTerminalForm::ExpectedSizeOf("Total Size of Download File = 0xZZ bytes"), 0);
    EXPECT_EQ(TTerminalForm::ExpectedSizeOf("Total Size of Download File = 0xFFFFFFFF bytes"), 0);
}

namespace {

// One simulator on a pseudo-terminal, the program's port on it, logged in; the simulator ends with the object.
class TSimSession {
public:
    TSimSession()
    {
        std::string Sim = std::string(ORLANTIS_BIN_DIR) + "/vmusim";
        if (access(Sim.c_str(), X_OK) != 0 || access("/usr/bin/sx", X_OK) != 0 || access("/usr/bin/rx", X_OK) != 0)
            return;
        char Tmpl[] = "/tmp/orlantis-termform-XXXXXX";
        if (!mkdtemp(Tmpl))
            return;
        Dir = std::string(Tmpl) + "/";
        std::string Link = Dir + "vmu";
        const char* Argv[] = {Sim.c_str(), "--link", Link.c_str(), nullptr};
        if (posix_spawn(&Pid, Sim.c_str(), nullptr, nullptr, const_cast<char**>(Argv), environ) != 0) {
            Pid = -1;
            return;
        }
        struct stat St;
        if (!QTest::qWaitFor([&] { return stat(Link.c_str(), &St) == 0; }, 20000))
            return;
        Port.SetPort(Link);
        Port.SetEvents(TSerEvents{evRxChar, evDSR});
        Port.Timeouts().SetReadInterval(0);
        Port.Open();
        // What the engine would have captured while logging in.
        Port.WriteStr("\r");
        ReadUntil("Password => ");
        Port.WriteStr("ADMIN\r");
        ReadUntil("Top Menu Selection => ");
        Captured = "\x1b[2J" + Captured;
        Ready = Captured.find("Top Menu Selection => ") != std::string::npos;
    }
    ~TSimSession()
    {
        Port.Close();
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
        }
        for (const char* Name : {"prompts.vps", "new.vps", "vmu"})
            unlink((Dir + Name).c_str());
        if (!Dir.empty())
            rmdir(Dir.c_str());
    }
    TTerminalForm* Open(QMdiArea& Area)
    {
        TTerminalHost Host;
        Host.Port = &Port;
        Host.CapturedText = [this] { return Captured; };
        Host.ExecuteModal = [](TLongOperation& Job) { return RunInWorker(Job); };
        Host.StartDir = Dir;
        return TBaseMDIForm::Create<TTerminalForm>(&Area, TFormKinds{2}, TFormParams{"Terminal", "", 0, 0, 0, 0},
            Host);
    }

    bool Ready = false;
    std::string Dir, Captured;
    TSerPort Port;

private:
    void ReadUntil(const std::string& Text)
    {
        char Buf[512];
        for (int i = 0; i < 200 && Captured.find(Text) == std::string::npos; ++i)
            if (int n = Port.ReadFor(Buf, std::min<int>(sizeof Buf, std::max(Port.InputCount(), 1)), 100); n > 0)
                Captured.append(Buf, size_t(n));
    }
    pid_t Pid = -1;
};

class TerminalFormOnSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (access((std::string(ORLANTIS_BIN_DIR) + "/vmusim").c_str(), X_OK) != 0 ||
            access("/usr/bin/sx", X_OK) != 0 || access("/usr/bin/rx", X_OK) != 0)
            GTEST_SKIP() << "vmusim or lrzsz is missing";
        Area.resize(800, 600);
        Area.show();
    }
    TQtMainThreadScope Main;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
    QMdiArea Area;
};

}  // namespace

// The simulator takes one transfer per session here: a byte that reaches it in the second after a transfer (the
// window's CR LF) starts another one there, so download and upload each get a simulator of their own.
TEST_F(TerminalFormOnSimulator, ShowsTheMenuAndDownloads)
{
    TSimSession S;
    ASSERT_TRUE(S.Ready) << S.Captured;
    TTerminalForm* F = S.Open(Area);
    EXPECT_TRUE(F->FormMask.Contains(4));
    EXPECT_FALSE(F->PrintPreviewButton->isEnabled());
    std::string Shown = Screen(*F);
    EXPECT_EQ(Shown.find("\r\nSystem Administration Top Menu"), 0u) << Shown;
    EXPECT_EQ(Shown.find("Password => "), std::string::npos);
    QApplication::processEvents();
    F->grab().save(ScreenshotPath("terminal-window-vmusim.png"));

    // A cancelled file dialog changes nothing.
    Dialogs.FileAnswers = {""};
    F->ButtonReceiveClick();
    EXPECT_EQ(F->ComTerminal->Terminal().ComPort(), &S.Port);

    Type(*F, "6\r");
    ASSERT_TRUE(WaitFor(*F, "Voice Prompt Transfer Selection => ")) << Screen(*F);
    Type(*F, "1\r");
    ASSERT_TRUE(WaitFor(*F, "Start XMODEM receive now.")) << Screen(*F);
    int32_t Size = TTerminalForm::ExpectedSizeOf(Screen(*F));
    EXPECT_GT(Size, 0);
    Dialogs.FileAnswers = {S.Dir + "prompts.vps"};
    F->ButtonReceiveClick();
    ASSERT_EQ(Dialogs.FileRequests.size(), 2u);
    EXPECT_EQ(Dialogs.FileRequests[1].InitialDir, S.Dir);
    EXPECT_EQ(Dialogs.FileRequests[1].DefaultExt, "vps");
    EXPECT_TRUE(WaitFor(*F, "Download Complete")) << Screen(*F);
    std::ifstream In(S.Dir + "prompts.vps", std::ios::binary | std::ios::ate);
    EXPECT_GE(long(In.tellg()), long(Size));
    EXPECT_LT(long(In.tellg()), long(Size) + 128);
    EXPECT_EQ(F->LastDir, S.Dir);
    EXPECT_EQ(F->ComTerminal->Terminal().ComPort(), &S.Port);
    delete F;
}

TEST_F(TerminalFormOnSimulator, Uploads)
{
    TSimSession S;
    ASSERT_TRUE(S.Ready) << S.Captured;
    TTerminalForm* F = S.Open(Area);
    // A file that cannot be sent fails and leaves LastDir as it was.
    Dialogs.FileAnswers = {"/nonexistent/folder/x.vps"};
    F->ButtonSendClick();
    EXPECT_EQ(Dialogs.LastText(), "Cannot open file: /nonexistent/folder/x.vps");
    EXPECT_EQ(F->LastDir, "");
    EXPECT_EQ(Dialogs.FileRequests.back().InitialDir, S.Dir);

    std::ofstream(S.Dir + "new.vps", std::ios::binary) << std::string(3000, 'p') << "more prompt data";
    Type(*F, "6\r");
    ASSERT_TRUE(WaitFor(*F, "Voice Prompt Transfer Selection => ")) << Screen(*F);
    Type(*F, "2\r");
    ASSERT_TRUE(WaitFor(*F, "Start XMODEM send now.")) << Screen(*F);
    Dialogs.FileAnswers = {S.Dir + "new.vps"};
    F->ButtonSendClick();
    EXPECT_TRUE(WaitFor(*F, "Upload Complete")) << Screen(*F);
    EXPECT_EQ(F->LastDir, S.Dir);
    delete F;
}
