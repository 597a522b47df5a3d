// The terminal's view: painting of cells and caret, keys to the line, scroll bars when the window is small.
#include "support/Screenshots.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/ui/QtMainThread.h"
#include "serial/SerPort.h"
#include "serial/XYmodem.h"
#include "serial/ui/SerTerminalView.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <atomic>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

struct TFakeLine : TSerTermLine {
    std::string Sent;
    bool Connected() const override { return true; }
    void Send(const std::string& Bytes) override { Sent += Bytes; }
};

// Whether any pixel of the cell differs from the background.
bool CellInked(const QImage& Img, const TSerTerminalView& V, int Column, int Row)
{
    QPoint Origin = V.viewport()->mapTo(&V, QPoint(0, 0));
    QColor Back(0, 0, 0);
    for (int y = 0; y < V.CharHeight(); ++y)
        for (int x = 0; x < V.CharWidth(); ++x) {
            QPoint p = Origin + QPoint((Column - 1) * V.CharWidth() + x, (Row - 1) * V.CharHeight() + y);
            if (Img.pixelColor(p) != Back)
                return true;
        }
    return false;
}

}  // namespace

TEST(SerTerminalView, PaintsCellsWithAFixedFont)
{
    TSerTerminalView V;
    V.resize(V.sizeHint());
    V.show();
    QApplication::processEvents();
    EXPECT_EQ(V.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(V.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(TSerTerminalView::IsFixedPitch(V.terminalFont()));
    EXPECT_GT(V.CharWidth(), 0);
    V.Terminal().WriteStr("\x1b[2J\x1b[HOrlantis terminal\r\n\x1b[7m inverse \x1b[m \x1b[1mbold\x1b[m \x1b[4munder\x1b[m"
                          "\x1b[24;1HEnter password: ");
    QApplication::processEvents();
    QImage Img = V.grab().toImage();
    QString Shot = ScreenshotPath("serial-terminal-view.png");
    Img.save(Shot);
    EXPECT_TRUE(CellInked(Img, V, 1, 1));      // "O"
    EXPECT_FALSE(CellInked(Img, V, 40, 10));   // nothing there
    EXPECT_TRUE(CellInked(Img, V, 1, 2));      // inverse blank: background in the font colour
    EXPECT_TRUE(CellInked(Img, V, 1, 24));
    // A non-fixed font is replaced by a fixed one.
    QFont Prop("DejaVu Sans");
    ASSERT_FALSE(TSerTerminalView::IsFixedPitch(Prop));
    Prop.setUnderline(true);
    V.setTerminalFont(Prop);
    EXPECT_TRUE(TSerTerminalView::IsFixedPitch(V.terminalFont()));
    EXPECT_FALSE(V.terminalFont().underline());
}

TEST(SerTerminalView, KeysGoToTheLine)
{
    TSerTerminalView V;
    TFakeLine L;
    V.Terminal().SetLine(&L);
    V.show();
    V.setFocus();
    QTest::keyClicks(&V, "ab");
    QTest::keyClick(&V, Qt::Key_Return);
    QTest::keyClick(&V, Qt::Key_Up);
    QTest::keyClick(&V, Qt::Key_Home);
    QTest::keyClick(&V, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(L.Sent, "ab\r\x1b[A\x1b[H\x03");
    // Tab moves the focus unless the terminal wants it.
    L.Sent.clear();
    V.Terminal().WantTab = true;
    QTest::keyClick(&V, Qt::Key_Tab);
    EXPECT_EQ(L.Sent, "\t");
    V.Terminal().SetLine(nullptr);
}

TEST(SerTerminalView, ScrollBarsFollowTheScreenAndTheCaret)
{
    TSerTerminalView V;
    V.resize(20 * V.CharWidth(), 6 * V.CharHeight());
    V.show();
    QApplication::processEvents();
    EXPECT_GT(V.verticalScrollBar()->maximum(), 0);
    EXPECT_GT(V.horizontalScrollBar()->maximum(), 0);
    V.Terminal().WriteStr("\x1b[20;70Hx");
    EXPECT_GT(V.TopRow(), 1);
    EXPECT_GT(V.TopColumn(), 1);
    EXPECT_LE(V.TopRow(), 20);
    V.resize(V.sizeHint() + QSize(40, 40));
    QApplication::processEvents();
    EXPECT_EQ(V.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(V.TopRow(), 1);
    // A screen size change from the line reaches the scroll range.
    V.Terminal().WriteStr("\x1b[?3h");
    QApplication::processEvents();
    EXPECT_EQ(V.Terminal().Columns(), 132);
    EXPECT_GT(V.horizontalScrollBar()->maximum(), 0);
}

namespace {

std::string ScreenText(const TSerTerminalView& V) { return V.Terminal().SaveToString(); }

// Types a line the way the keyboard would.
void Type(TSerTerminalView& V, const std::string& Text)
{
    for (char c : Text)
        V.Terminal().KeyChar(uint8_t(c));
}

bool WaitForText(const TSerTerminalView& V, const std::string& Text, int Ms = 20000)
{
    return QTest::qWaitFor([&] { return ScreenText(V).find(Text) != std::string::npos; }, Ms);
}

}  // namespace

// The terminal on the device simulator through the program's port: wake-up and log-in on the screen, then a
// voice prompt download by XMODEM with the terminal let go of the port, as the terminal window does it.
TEST(SerTerminalView, LogsInToTheSimulatorAndDownloadsByXmodem)
{
    std::string Sim = std::string(ORLANTIS_BIN_DIR) + "/vmusim";
    if (access(Sim.c_str(), X_OK) != 0 || access("/usr/bin/sx", X_OK) != 0)
        GTEST_SKIP() << "vmusim or lrzsz (sx) is missing";
    char Tmpl[] = "/tmp/orlantis-term-XXXXXX";
    ASSERT_NE(mkdtemp(Tmpl), nullptr);
    std::string Dir = Tmpl, Link = Dir + "/vmu", Got = Dir + "/prompts.vps";
    const char* Argv[] = {Sim.c_str(), "--link", Link.c_str(), nullptr};
    pid_t Pid;
    ASSERT_EQ(posix_spawn(&Pid, Sim.c_str(), nullptr, nullptr, const_cast<char**>(Argv), environ), 0);
    struct stat St;
    ASSERT_TRUE(QTest::qWaitFor([&] { return stat(Link.c_str(), &St) == 0; }, 20000));

    TQtMainThreadScope Main;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope(&Dialogs);
    {
        TSerPort Port;
        Port.SetPort(Link);
        Port.SetEvents(TSerEvents{evRxChar, evDSR});
        Port.Timeouts().SetReadInterval(0);
        TSerTerminalView V;
        V.Terminal().SetComPort(&Port);
        V.resize(V.sizeHint());
        V.show();
        V.setFocus();
        Port.Open();

        Type(V, "\r");
        ASSERT_TRUE(WaitForText(V, "Password => ")) << ScreenText(V);
        Type(V, "ADMIN\r");
        ASSERT_TRUE(WaitForText(V, "Top Menu Selection => ")) << ScreenText(V);
        QApplication::processEvents();
        V.grab().save(ScreenshotPath("serial-terminal-vmusim.png"));
        EXPECT_NE(ScreenText(V).find("System Administration Top Menu"), std::string::npos);

        Type(V, "6\r");
        ASSERT_TRUE(WaitForText(V, "Voice Prompt Transfer Selection => ")) << ScreenText(V);
        Type(V, "1\r");
        ASSERT_TRUE(WaitForText(V, "Start XMODEM receive now.")) << ScreenText(V);
        std::string Screen = ScreenText(V);
        size_t At = Screen.find("Total Size of Download File = 0x");
        ASSERT_NE(At, std::string::npos);
        long Size = std::strtol(Screen.substr(At + 32, 8).c_str(), nullptr, 16);
        EXPECT_GT(Size, 0);

        // The transfer owns the line: the terminal lets go, the job runs in a worker, the GUI thread goes on.
        V.Terminal().SetComPort(nullptr);
        TXYSerPortChannel Line(Port);
        TXYmodem X(&Line);
        X.Mode = 3;
        X.FileName = Got;
        X.ExpectedSize = int32_t(Size);
        std::atomic<bool> Done{false};
        std::thread Worker([&] {
            X.Execute();
            Done = true;
        });
        bool Ended = QTest::qWaitFor([&] { return Done.load(); }, 120000);
        Worker.join();
        ASSERT_TRUE(Ended);
        EXPECT_FALSE(X.Failed) << X.LastError;
        V.Terminal().SetComPort(&Port);
        Type(V, "\r");
        ASSERT_TRUE(WaitForText(V, "Download Complete")) << ScreenText(V);
        std::ifstream In(Got, std::ios::binary | std::ios::ate);
        EXPECT_GE(long(In.tellg()), Size);
        EXPECT_LT(long(In.tellg()), Size + 128);
        V.Terminal().SetComPort(nullptr);
        Port.Close();
    }
    kill(Pid, SIGTERM);
    waitpid(Pid, nullptr, 0);
    unlink(Got.c_str());
    unlink(Link.c_str());
    rmdir(Dir.c_str());
}
