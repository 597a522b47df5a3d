// The simulator's misbehaviours that the reliability tests of the program rely on: each must really happen, and
// a well-behaved run with the same seed must still give the same screens.
#include "SimProcess.h"
#include "SimState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const std::string kTop = "Top Menu Selection => ";

class Misbehaviour : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TSimProcess::Binary().empty())
            GTEST_SKIP() << "vmusim is not built";
    }
    std::string State() const { return std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state"; }
};

// The classes of service: a screen of some kilobytes.
std::string Listing(TSimProcess& sim)
{
    sim.Login();
    sim.Send("1\r1\r2\r");
    return sim.ReadUntil("Class of Service - COS No. or Q => ", 60000);
}

TEST_F(Misbehaviour, RandomChunksAndPacingChangeTimingNotText)
{
    TSimProcess plain({"--state", State()});
    TSimProcess chunked({"--state", State(), "--chunks", "random", "--seed", "7"});
    TSimProcess paced({"--state", State(), "--baud", "115200"});
    ASSERT_TRUE(plain.Started() && chunked.Started() && paced.Started());
    std::string expected = Listing(plain);
    ASSERT_GT(expected.size(), 5000u);
    for (TSimProcess* sim : {&chunked, &paced}) {
        std::string got = Listing(*sim);
        size_t diff = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin();
        EXPECT_TRUE(got == expected) << "sizes " << got.size() << " and " << expected.size() << ", first difference at "
                                     << diff << ": " << got.substr(diff > 40 ? diff - 40 : 0, 120);
    }
}

// A paced line makes good its own late wake-ups by sending what is due, but never more than a UART's FIFO and one
// write's chunk (a millisecond of bytes) ahead of the rate: a screen of kilobytes takes at least its bytes' time on
// the line, less that lead.
TEST_F(Misbehaviour, APacedLineIsNeverFasterThanItsRate)
{
    constexpr int baud = 38400;
    TSimProcess sim({"--state", State(), "--baud", std::to_string(baud)});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    auto start = std::chrono::steady_clock::now();
    sim.Send("1\r1\r2\r");
    std::string got = sim.ReadUntil("Class of Service - COS No. or Q => ", 60000);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_GT(got.size(), 5000u);
    const double lead = (16 + baud / 1000) * 10.0 / baud;
    EXPECT_GE(took, double(got.size()) * 10.0 / baud - lead) << got.size() << " bytes in " << took << " s";
}

TEST_F(Misbehaviour, AMuteDeviceNeverAnswers)
{
    TSimProcess sim({"--mute"});
    ASSERT_TRUE(sim.Started());
    sim.Send("\r\r\r");
    EXPECT_EQ(sim.ReadQuiet(1500, 3000), "");
}

TEST_F(Misbehaviour, ASlowDeviceAnswersLate)
{
    TSimProcess sim({"--slow", "400"});
    ASSERT_TRUE(sim.Started());
    auto start = std::chrono::steady_clock::now();
    std::string answer = sim.Keys("\r", "Password => ");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_NE(answer.find("Password => "), std::string::npos);
    EXPECT_GE(took, std::chrono::milliseconds(350));
}

// Bytes replaced, lost or added. Lost and added bytes are drawn as the device prints: random chunks leave them.
TEST_F(Misbehaviour, NoiseGarblesTheScreens)
{
    const std::string clean = "\r\nVMU Voice Processing System\r\nPassword => ";
    const struct {
        const char* Option;
        int Length;   // against the clean text's: -1 shorter, 1 longer, 0 any
    } rows[] = {{"--noise", 0}, {"--lose", -1}, {"--insert", 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Option);
        TSimProcess sim({row.Option, "0.5", "--seed", "3"});
        ASSERT_TRUE(sim.Started());
        sim.Send("\r");
        std::string garbled = sim.ReadQuiet(1000, 5000);
        EXPECT_FALSE(garbled.empty());
        EXPECT_EQ(garbled.find("Password => "), std::string::npos) << garbled;
        if (row.Length == 0)
            continue;
        EXPECT_EQ(garbled.size() < clean.size() ? -1 : garbled.size() > clean.size() ? 1 : 0, row.Length);
        TSimProcess chunked({row.Option, "0.5", "--seed", "3", "--chunks", "random"});
        ASSERT_TRUE(chunked.Started());
        chunked.Send("\r");
        EXPECT_EQ(chunked.ReadQuiet(1000, 5000), garbled);
    }
}

TEST_F(Misbehaviour, TheLineDropsAfterTheGivenBytes)
{
    TSimProcess sim({"--drop-after", "100"});
    ASSERT_TRUE(sim.Started());
    sim.Send("\rADMIN\r");
    std::string part = sim.ReadUntil("never printed", 10000);
    EXPECT_TRUE(sim.HungUp());
    EXPECT_LE(part.size(), 100u);
}

// The device stores, then the line dies before its answer: the K-th store is in the saved state, nothing after it
// happens, and neither the writes at start-up nor a refused entry count as stores.
TEST_F(Misbehaviour, TheLineDropsRightAfterTheGivenStore)
{
    const std::string saved = TempPath("cut.state");
    TSimProcess sim({"--state", State(), "--save-state", saved, "--drop-after-stores", "2"});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    const std::string alt = "Alternate Extension - A=Add, D=Delete, M=Modify, Q=Quit => ";
    sim.Keys("1\r1\r5\r", alt);
    EXPECT_NE(sim.Keys("A\r9\r", alt).find("Incorrect Entry"), std::string::npos);
    EXPECT_NE(sim.Keys("A\r224\r", alt).find("[224]"), std::string::npos);
    std::string cut = sim.Keys("A\r225\r", alt);
    EXPECT_TRUE(sim.HungUp()) << cut;
    EXPECT_EQ(cut.find("[225]"), std::string::npos) << "the answer to the cut entry never comes: " << cut;
    sim.Send("A\r226\r");
    // The simulator ends by itself, as with a line dropped after some bytes.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!sim.Exited() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(sim.Exited());
    TState after = ParseState(ReadFile(saved));
    EXPECT_EQ(after["Alternate Extension"]["4"]["Extension"], "224");
    EXPECT_EQ(after["Alternate Extension"]["5"]["Extension"], "225");
    EXPECT_EQ(after["Alternate Extension"].count("6"), 0u);
    std::string output;
    EXPECT_EQ(RunSimToEnd({"--drop-after-stores", "0"}, output), 2) << output;
}

TEST_F(Misbehaviour, ABurstStreamsWithoutPauseAndThenFallsSilent)
{
    TSimProcess sim({"--burst", "1500"});
    ASSERT_TRUE(sim.Started());
    // Everything up to the first long silence. The burst lasts 1.5 s; the silence asked for is long, so that a
    // loaded machine that stalls either process for a while does not cut the burst in two.
    const std::string burst = sim.ReadQuiet(3000, 60000);
    // The stream is told by its order, not by its timing: numbered status lines from 0 on, none lost, repeated or
    // out of order, and far more of them than a device that paused between lines would print in 1.5 s.
    unsigned long count = 0;
    size_t lineStart = 0;
    for (size_t end; (end = burst.find("\r\n", lineStart)) != std::string::npos; lineStart = end + 2) {
        const std::string line = burst.substr(lineStart, end - lineStart);
        unsigned long port = 0, calls = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "VPS PORT %lu STATUS: IDLE  CALLS %lu", &port, &calls), 2) << line;
        ASSERT_EQ(calls, count) << "line " << count << " of the burst";
        EXPECT_EQ(port, count % 4 + 1);
        ++count;
    }
    EXPECT_EQ(lineStart, burst.size()) << "the burst ends with a whole line";
    EXPECT_GE(count, 100u);
    // Silent after the burst: the next thing on the line is the answer to a key.
    const std::string answer = sim.Keys("\r", "Password => ");
    EXPECT_NE(answer.find("Password => "), std::string::npos);
    EXPECT_EQ(answer.find("VPS PORT"), std::string::npos) << answer;
}

TEST_F(Misbehaviour, TheStateOfTheDeviceSurvivesAReconnect)
{
    TSimProcess sim({});
    ASSERT_TRUE(sim.Started());
    sim.Login();
    sim.CloseLine();
    sim.ReopenLine();
    // The device did not notice: it is still logged in and answers the menu keys.
    EXPECT_NE(sim.Keys("\r", kTop).find("System Administration Top Menu"), std::string::npos);
}

}  // namespace
