// The dialogue engine on the program's serial port over a real pseudo-terminal, against a scripted device that
// echoes, asks for the password and answers in chunks of random size with random pauses, in real time.
#include "EngineTestSupport.h"
#include "serial/PtyPair.h"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "serial/SerPort.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

using namespace enginetest;

namespace {
// The device on the master side of the pty.
class TScriptedPeer {
public:
    TScriptedPeer(TPtyPair& Pty, unsigned Seed) : Pty(Pty), Rng(Seed) {}
    ~TScriptedPeer() { Stop(); }

    // The reply to a typed line; the peer echoes what is typed unless Secret() says the line is a password.
    std::function<std::string(const std::string&)> Reply;
    std::function<bool()> Secret = [] { return false; };

    void Start() { Worker = std::thread([this] { Run(); }); }
    void Stop()
    {
        Done = true;
        if (Worker.joinable())
            Worker.join();
    }
    std::string Typed()
    {
        std::lock_guard<std::mutex> g(Lock);
        return AllTyped;
    }
    int Chunks = 0;

private:
    void Send(const std::string& Text)
    {
        std::uniform_int_distribution<size_t> size(1, 64);
        std::uniform_int_distribution<int> pause(0, 8);
        for (size_t i = 0; i < Text.size();) {
            size_t n = std::min(size(Rng), Text.size() - i);
            Pty.write(Text.substr(i, n));
            ++Chunks;
            i += n;
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(Rng)));
        }
    }
    void Run()
    {
        std::string line;
        while (!Done) {
            pollfd p{Pty.Master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            char buf[256];
            ssize_t n = ::read(Pty.Master, buf, sizeof buf);
            if (n <= 0)
                continue;
            for (ssize_t i = 0; i < n; ++i) {
                char c = buf[i];
                {
                    std::lock_guard<std::mutex> g(Lock);
                    AllTyped += c;
                }
                if (c == '\n')
                    continue;
                if (c != '\r') {
                    line += c;
                    if (!Secret())
                        Pty.write(std::string(1, c));
                    continue;
                }
                std::string typed = line;
                line.clear();
                Send(Reply(typed));
            }
        }
    }

    TPtyPair& Pty;
    std::mt19937 Rng;
    std::atomic<bool> Done{false};
    std::thread Worker;
    std::mutex Lock;
    std::string AllTyped;
};
}

TEST(PtyEngine, LoadsASectionFromADeviceThatAnswersInRandomChunks)
{
    TTempFolder folder;
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TXmlDoc description;
    description.ShowErrors = false;
    ASSERT_TRUE(description.LoadFromFile(std::string(ORLANTIS_SOURCE_DIR) + "/tests/engine/data/description.xml",
        false));
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    TXmlNode* params = description.FindNode(nullptr, "VMU Parameters 409");
    TXmlNode* init = description.FindNode(nullptr, "Init VMU System Administrator Menu");
    auto steps = manager.GetLoadSteps(params, "Dialing Parameters");
    const std::string screen = ReadTestFile("screen-dialing.txt");
    const std::string top = "\r\n\r\nSystem Administration Top Menu\r\n\r\n   1. Program\r\n\r\nTop Menu Selection => ";

    for (unsigned seed : {1u, 2u, 3u}) {
        TPtyPair pty;
        TScriptedPeer peer(pty, seed);
        bool asking = false, loggedIn = false;
        peer.Secret = [&] { return asking; };
        peer.Reply = [&](const std::string& line) -> std::string {
            if (!loggedIn) {
                if (asking && line == "ADMIN") {
                    asking = false;
                    loggedIn = true;
                    return top;
                }
                asking = true;
                return "\r\nVMU Voice Processing System\r\nPassword => ";
            }
            if (line == "1" || line == "4")
                return "\r\n";
            if (line == "6")
                return screen.substr(2);   // the screen file begins with the echo of "1" and its line end
            return "\r\n" + top;
        };
        peer.Start();

        TSerPort port;
        port.SetPort(pty.SlavePath);
        port.SetEvents(TSerEvents{evRxChar, evDSR});
        port.Timeouts().SetReadInterval(0);
        port.Open();
        TSerPortVmu link(port);
        TManagerVMU engine(&link, manager.GetSaveSteps(init, "Init VMU System Administrator Menu", true),
            manager.GetLoadSteps(nullptr, "Init VMU System Administrator Menu"));
        engine.CharPaceMs = 2;
        std::vector<bool> results;
        engine.OnResult = [&](bool failed) { results.push_back(failed); };
        engine.OnGetPassword = [](std::string& text) { text = "ADMIN\r\n"; };
        engine.DataManager = &manager;
        engine.ParamsNode = params;
        engine.SectionName = "Dialing Parameters";
        engine.Steps = steps.get();
        engine.Mode = doLoad;
        EXPECT_TRUE(link.DSR());
        engine.Execute();
        peer.Stop();
        port.Close();

        EXPECT_TRUE(results.empty()) << "seed " << seed;
        EXPECT_GT(peer.Chunks, 10);
        EXPECT_NE(peer.Typed().find("ADMIN\r\n"), std::string::npos);
        TXmlNode* mode = data.FindNode(nullptr, "Dialing Mode");
        ASSERT_NE(mode, nullptr) << "seed " << seed;
        EXPECT_EQ(mode->GetValue(), "Tone");
        EXPECT_EQ(data.FindNode(nullptr, "Company Name")->GetValue(), "ACME CORP");
        EXPECT_EQ(data.FindNode(nullptr, "Minute")->GetValue(), "30");
        EXPECT_TRUE(dialogs.Boxes.empty());
        EXPECT_EQ(port.OnRxChar.get(), nullptr) << "the port's own handler is back";
    }
}
