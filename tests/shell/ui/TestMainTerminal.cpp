// The main window's terminal command: on a closed line it says it cannot reach the device and opens nothing; on
// the device simulator it opens one terminal window on the device's top menu, a second command brings the same
// window to the front, keys typed reach the device and its answer shows, and a disconnect in batch mode or closing
// the main window closes it.
#include "support/Screenshots.h"
#include "ShellFixture.h"

#include "engine/ManagerVMU.h"
#include "common/ui/ExecuteDialog.h"
#include "common/ui/UtilitsUi.h"
#include "shell/MainVersion.h"
#include "platform/ui/QtMainThread.h"
#include "serial/SerPort.h"
#include "serial/ui/SerTerminalView.h"
#include "shell/Terminal.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QToolBar>
#include <QMdiArea>
#include <QPointer>
#include <QTest>

#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string ScreenOf(TTerminalForm& F)
{
    std::string s;
    F.GetTerminalText(s);
    return s;
}

// The simulator on a pseudo-terminal whose name is a link in the test's folder; ends with the object.
class TSimulator {
public:
    explicit TSimulator(const std::string& Link)
    {
        const std::string Sim = std::string(ORLANTIS_BIN_DIR) + "/vmusim";
        const char* Argv[] = {Sim.c_str(), "--link", Link.c_str(), nullptr};
        if (posix_spawn(&Pid, Sim.c_str(), nullptr, nullptr, const_cast<char**>(Argv), environ) != 0) {
            Pid = -1;
            return;
        }
        Ready = QTest::qWaitFor([&] { return std::filesystem::exists(Link); }, 20000);
    }
    ~TSimulator()
    {
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
        }
    }
    bool Ready = false;

private:
    pid_t Pid = -1;
};

class MainTerminal : public TShellFixture {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(BuiltDescription()))
            GTEST_SKIP() << "Orlantis.dat is not built";
        WriteDescription();
    }
    QList<TTerminalForm*> Terminals() const
    {
        QList<TTerminalForm*> List;
        for (TBaseMDIForm* F : Main->ChildForms())
            if (auto* T = qobject_cast<TTerminalForm*>(F))
                List.append(T);
        return List;
    }
    TQtMainThreadScope MainThread;
};

}  // namespace

TEST_F(MainTerminal, ClosedLineOpensNothing)
{
    TMainForm& M = Start();
    ASSERT_FALSE(M.Terminated());
    EXPECT_FALSE(M.SystemTerminal1->isEnabled());
    M.SystemTerminal1Execute();
    EXPECT_EQ(Dialogs.LastText(), "Error connection to VMU.");
    EXPECT_TRUE(Terminals().isEmpty());
}

TEST_F(MainTerminal, OpensOneWindowOnTheDevice)
{
    const std::string Sim = std::string(ORLANTIS_BIN_DIR) + "/vmusim";
    if (access(Sim.c_str(), X_OK) != 0)
        GTEST_SKIP() << "vmusim is not built";
    TSimulator Device(Dir() + "vmu");
    ASSERT_TRUE(Device.Ready);

    SetApplicationNames();
    TMainForm& M = Start();
    ASSERT_FALSE(M.Terminated());
    M.resize(1000, 700);
    M.show();
    M.FileModeBatch1Execute();
    M.ComPort->SetPort(Dir() + "vmu");
    M.ComPort->Timeouts().SetReadInterval(0);
    M.ComPort->Open();
    M.UpdateActionState(1);
    EXPECT_TRUE(M.SystemTerminal1->isEnabled());
    M.ManagerVMU->CharPaceMs = 1;
    M.AdminPasswordPrompt = [](std::string& Text) {
        Text = "ADMIN";
        return true;
    };

    M.SystemTerminal1->trigger();
    ASSERT_EQ(Terminals().size(), 1) << Dialogs.LastText();
    QPointer<TTerminalForm> T = Terminals().front();
    EXPECT_TRUE(T->FormMask.Contains(2));
    EXPECT_TRUE(T->FormMask.Contains(4));
    EXPECT_EQ(T->windowTitle(), "Terminal");
    // The program's icon, not the toolkit's logo, on the main window and on the terminal alike.
    EXPECT_FALSE(M.windowIcon().isNull());
    EXPECT_EQ(M.windowIcon().cacheKey(), ProgramIcon().cacheKey());
    EXPECT_EQ(T->windowIcon().cacheKey(), ProgramIcon().cacheKey());
    EXPECT_EQ(T->ComTerminal->Terminal().ComPort(), M.ComPort.get());
    // The window opens on the device's top menu; the dialogue that led there is gone from the engine.
    EXPECT_EQ(ScreenOf(*T).substr(0, 32), "\r\nSystem Administration Top Menu") << ScreenOf(*T);
    EXPECT_EQ(ScreenOf(*T).find("Password => "), std::string::npos) << ScreenOf(*T);
    EXPECT_TRUE(M.ManagerVMU->SavedAnswers.empty());
    EXPECT_EQ(T->ToolBar1->widgetForAction(T->ButtonReceive)->toolTip().toStdString(), "Receive a voice prompt file from the VMU (XMODEM)");

    // A second command with another window in front brings the same terminal back.
    T->showMinimized();
    M.SystemTerminal1->trigger();
    ASSERT_EQ(Terminals().size(), 1);
    EXPECT_EQ(Terminals().front(), T.data());
    EXPECT_FALSE(T->isMinimized());
    EXPECT_EQ(M.MdiArea->activeSubWindow(), T.data());

    for (char c : std::string("6\r"))
        T->ComTerminal->Terminal().KeyChar(uint8_t(c));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return ScreenOf(*T).find("Voice Prompt Transfer Selection => ") != std::string::npos; }, 20000))
        << ScreenOf(*T);

    QApplication::processEvents();
    M.grab().save(ScreenshotPath("main-terminal-vmusim.png"));

    // A disconnect in batch mode closes the terminal and lets go of the line.
    EXPECT_TRUE(M.DisconnectDevice(false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return T.isNull(); }, 5000));
    EXPECT_TRUE(Terminals().isEmpty());
    EXPECT_FALSE(M.SystemTerminal1->isEnabled());

    // Opened again from inside a sub-menu, the new window starts on the top menu once more; closing the main
    // window closes it.
    M.ComPort->Open();
    M.UpdateActionState(1);
    M.SystemTerminal1->trigger();
    ASSERT_EQ(Terminals().size(), 1) << Dialogs.LastText();
    T = Terminals().front();
    EXPECT_EQ(ScreenOf(*T).substr(0, 32), "\r\nSystem Administration Top Menu") << ScreenOf(*T);
    EXPECT_TRUE(M.close());
    EXPECT_TRUE(QTest::qWaitFor([&] { return T.isNull() || !T->isVisible(); }, 5000));
    Main.reset();
    EXPECT_TRUE(T.isNull());
}
