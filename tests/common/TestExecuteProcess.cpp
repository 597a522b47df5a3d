#include "common/ExecuteProcess.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/Exception.h"
#include "platform/MainThread.h"
#include "platform/InvokeAbandon.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

// Plays the dialog: keeps a bar by the dialog's own rule and notes every call, and whether it came in the main thread.
class TFakeView : public TExecuteView {
public:
    std::vector<int> Requested;    // values handed to SetProgressPosition
    int Position = 0;
    int Max = 38;
    std::string Info;
    bool FailedState = false;
    int FinishedCount = 0;
    std::string Password;
    int WrongThread = 0;

    void check() { if (!TMainThread::instance().isMainThread()) ++WrongThread; }
    void SetInfo(const std::string& Text) override { check(); Info = Text; }
    int GetProgressMax() override { check(); return Max; }
    void SetProgressPosition(int Value) override
    {
        check();
        Requested.push_back(Value);
        if (auto p = ProgressBarPosition(Value, Position, Max))
            Position = *p;
    }
    void SetFailed(bool Value) override { check(); FailedState = Value; }
    void GetPassword(std::string& Text) override { check(); Text = Password; }
    void Finished() override { check(); ++FinishedCount; }
};

// A job given as a lambda, with access to the protected callback helpers.
class TScriptJob : public TLongOperation {
public:
    std::function<void(TScriptJob&)> Body;
    void Execute() override { if (Body) Body(*this); }
    using TLongOperation::DoGetPassword;
    using TLongOperation::DoMessage;
    using TLongOperation::DoPosition;
    using TLongOperation::DoProgress;
    using TLongOperation::DoResult;
    using TLongOperation::DoStart;
};

// A one-way signal from the test to a job, with a generous bound so that a broken run fails instead of hanging.
class TGate {
public:
    void open()
    {
        { std::lock_guard<std::mutex> g(Lock); Open = true; }
        Changed.notify_all();
    }
    bool wait()
    {
        std::unique_lock<std::mutex> g(Lock);
        return Changed.wait_for(g, std::chrono::seconds(20), [this] { return Open; });
    }

private:
    std::mutex Lock;
    std::condition_variable Changed;
    bool Open = false;
};

class ExecuteProcessTest : public ::testing::Test {
protected:
    void SetUp() override { Previous = TMainThread::setInstance(&Main); }
    void TearDown() override
    {
        Main.shutdown();
        TMainThread::setInstance(Previous);
    }
    bool runToEnd(TFakeView& view) { return Main.processUntil([&] { return view.FinishedCount > 0; }, 20000); }

    TQueueMainThread Main;
    TMainThread* Previous = nullptr;
    TRecordingDialogs Dialogs;
    TDialogsScope DialogsScope{&Dialogs};
};

TEST(ProgressBarPositionRule, WrapsBeyondTheMaximumAndSkipsTheCurrentValue)
{
    EXPECT_EQ(ProgressBarPosition(39, 38, 38), 1);
    EXPECT_EQ(ProgressBarPosition(38, 34, 38), 38);
    EXPECT_EQ(ProgressBarPosition(76, 38, 38), 0);
    EXPECT_EQ(ProgressBarPosition(12, 3, 38), 12);
    EXPECT_FALSE(ProgressBarPosition(7, 7, 38).has_value());
    // Nothing sensible to show: the bar goes to its start, never to a remainder of nothing.
    EXPECT_EQ(ProgressBarPosition(5, 3, 0), 0);
    EXPECT_EQ(ProgressBarPosition(-4, 3, 38), 0);
    EXPECT_FALSE(ProgressBarPosition(-4, 0, 38).has_value());
}

TEST_F(ExecuteProcessTest, TenStepsOfTenMoveTheBarInThirtyEighths)
{
    TFakeView view;
    TScriptJob job;
    std::vector<bool> answers;
    job.Body = [&](TScriptJob& j) {
        j.DoMessage("Loading data from VMU ...");
        j.DoStart(10);
        for (int i = 0; i < 10; ++i)
            answers.push_back(j.DoProgress(1));
    };
    TExecuteProcess process(view, &job);
    ASSERT_TRUE(runToEnd(view));
    EXPECT_EQ(view.Requested, (std::vector<int>{0, 3, 7, 11, 15, 19, 22, 26, 30, 34, 38}));
    EXPECT_EQ(view.Position, 38);
    EXPECT_EQ(view.Info, "Loading data from VMU ...");
    EXPECT_EQ(answers, std::vector<bool>(10, false));
    EXPECT_FALSE(view.FailedState);
    EXPECT_FALSE(process.Failed());
    EXPECT_EQ(view.WrongThread, 0);
    EXPECT_TRUE(Dialogs.Boxes.empty());
}

TEST_F(ExecuteProcessTest, PositionsBeyondTheTotalWrapAndExtremesNeitherDivideByZeroNorOverflow)
{
    TFakeView view;
    TScriptJob job;
    std::vector<int> seen;
    job.Body = [&](TScriptJob& j) {
        j.DoStart(10);
        j.DoPosition(10);          // 38
        j.DoPosition(11);          // 41 -> wraps to 3
        seen.push_back(view.Position);
        j.DoStart(0);              // a job without a total: the bar simply stays at its start
        j.DoProgress(5);
        j.DoPosition(INT32_MAX);
        seen.push_back(view.Position);
        j.DoStart(1);              // 2147483647 * 38 needs more than 32 bits
        j.DoPosition(INT32_MAX);
        seen.push_back(view.Position);
        j.DoStart(INT32_MAX);
        j.DoPosition(INT32_MAX);
        seen.push_back(view.Position);
        j.DoProgress(INT32_MAX);   // the done count itself passes 32 bits
        j.DoProgress(INT32_MAX);
        seen.push_back(view.Position);
    };
    TExecuteProcess process(view, &job);
    ASSERT_TRUE(runToEnd(view));
    // The job reads view.Position only after a main-thread step it waited for, so the read is ordered.
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], 3);
    EXPECT_EQ(seen[1], 0);
    EXPECT_EQ(seen[2], int((int64_t(INT32_MAX) * 38) % 38));
    EXPECT_EQ(seen[3], 38);
    EXPECT_EQ(seen[4], int((int64_t(INT32_MAX) * 2 * 38 / INT32_MAX) % 38));
    EXPECT_FALSE(view.FailedState);
}

TEST_F(ExecuteProcessTest, CancelIsSeenAtTheNextProgressCallAndRefusedAfterTheEnd)
{
    TFakeView view;
    TScriptJob job;
    TGate cancelled;
    std::atomic<bool> firstStepDone{false};
    std::vector<bool> answers;
    job.Body = [&](TScriptJob& j) {
        j.DoStart(100);
        answers.push_back(j.DoProgress(1));
        firstStepDone = true;
        cancelled.wait();
        answers.push_back(j.DoPosition(50));
        answers.push_back(j.DoProgress(1));
        if (answers.back())
            throw EUserBreak(UserBreakMessage());
    };
    TExecuteProcess process(view, &job);
    ASSERT_TRUE(Main.processUntil([&] { return firstStepDone.load(); }, 20000));
    EXPECT_TRUE(process.Terminate());
    EXPECT_TRUE(process.Terminate());   // asking twice changes nothing
    cancelled.open();
    ASSERT_TRUE(runToEnd(view));
    EXPECT_EQ(answers, (std::vector<bool>{false, true, true}));
    EXPECT_TRUE(process.Failed());
    EXPECT_TRUE(view.FailedState);
    // The user's own break is no error to report.
    EXPECT_TRUE(Dialogs.Boxes.empty());

    TFakeView view2;
    TScriptJob quick;
    quick.Body = [](TScriptJob& j) { j.DoResult(false); };
    TExecuteProcess done(view2, &quick);
    ASSERT_TRUE(Main.processUntil([&] { return done.Ended(); }, 20000));
    // The end is posted but not yet handled: a cancel now must not make the success a failure.
    EXPECT_FALSE(done.Terminate());
    ASSERT_TRUE(runToEnd(view2));
    EXPECT_FALSE(view2.FailedState);
    EXPECT_FALSE(done.Failed());
}

TEST_F(ExecuteProcessTest, AnEscapedErrorIsAFailureShownInTheMainThread)
{
    struct TThreadCheckingDialogs : TRecordingDialogs {
        bool InMain = true;
        int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
            TMsgDlgButtons Buttons) override
        {
            InMain = InMain && TMainThread::instance().isMainThread();
            return TRecordingDialogs::MessageBox(Text, Caption, Type, Buttons);
        }
    } dialogs;
    TDialogsScope scope(&dialogs);

    for (int kind = 0; kind < 3; ++kind) {
        TFakeView view;
        TScriptJob job;
        job.Body = [kind](TScriptJob& j) {
            j.DoResult(false);   // an earlier "success" does not outweigh the error that follows
            if (kind == 0)
                throw EFileError("Cannot create file \"x.sav\"");
            if (kind == 1)
                throw std::runtime_error("out of buffers");
            throw Exception(UserBreakMessage());
        };
        TExecuteProcess process(view, &job);
        ASSERT_TRUE(runToEnd(view));
        EXPECT_TRUE(view.FailedState) << kind;
        EXPECT_TRUE(process.Failed()) << kind;
        EXPECT_EQ(view.WrongThread, 0);
        // Its callbacks now point nowhere: used again without the dialog, the job reports nothing.
        EXPECT_FALSE(job.OnMessage || job.OnStart || job.OnProgress || job.OnPosition || job.OnResult
            || job.OnGetPassword);
    }
    ASSERT_EQ(dialogs.Boxes.size(), 2u);
    EXPECT_EQ(dialogs.Boxes[0].Text, "Cannot create file \"x.sav\"");
    EXPECT_EQ(dialogs.Boxes[0].Caption, "Error");
    EXPECT_EQ(dialogs.Boxes[1].Text, "out of buffers");
    EXPECT_TRUE(dialogs.InMain);
}

TEST_F(ExecuteProcessTest, ResultsAndPasswordsTravelThroughTheMainThread)
{
    TFakeView view;
    view.Password = "4711";
    TScriptJob job;
    std::string first, second = "stale";
    bool failedSeen = false;
    job.Body = [&](TScriptJob& j) {
        j.DoGetPassword(first);
        j.DoResult(true);
        failedSeen = view.FailedState;
        view.Password.clear();   // a request answered with nothing
        j.DoGetPassword(second);
        j.DoResult(false);       // a later success clears the failure again
    };
    TExecuteProcess process(view, &job);
    ASSERT_TRUE(runToEnd(view));
    EXPECT_EQ(first, "4711");
    EXPECT_EQ(second, "");
    EXPECT_TRUE(failedSeen);
    EXPECT_FALSE(view.FailedState);
    EXPECT_EQ(view.WrongThread, 0);

    // No job at all ends at once without failure.
    TFakeView empty;
    TExecuteProcess none(empty, nullptr);
    ASSERT_TRUE(runToEnd(empty));
    EXPECT_FALSE(empty.FailedState);
}

TEST_F(ExecuteProcessTest, DestroyingTheRunnerReleasesAWorkerWaitingForTheMainThread)
{
    auto view = std::make_unique<TFakeView>();
    TScriptJob job;
    TGate started;
    std::atomic<bool> progressAnswer{false};
    job.Body = [&](TScriptJob& j) {
        started.open();
        j.DoMessage("waits for a main thread that never comes");
        progressAnswer = j.DoProgress(1);
    };
    auto process = std::make_unique<TExecuteProcess>(*view, &job);
    ASSERT_TRUE(started.wait());
    process.reset();              // nobody drains the queue: the worker must still come home
    EXPECT_TRUE(progressAnswer);
    view.reset();
    Main.processEvents();         // the posted end reaches nobody
}

TEST_F(ExecuteProcessTest, DestroyingTheRunnerReleasesCallsTheJobMakesIntoTheMainThreadByOtherRoads)
{
    // The XML library's error box asks without a cancel flag, the transfer engine with one that is never set:
    // neither may keep the destructor waiting for a main thread that no longer serves the job.
    for (bool OwnFlag : {false, true}) {
        SCOPED_TRACE(OwnFlag ? "own flag never set" : "no cancel flag");
        auto view = std::make_unique<TFakeView>();
        TScriptJob job;
        TGate started;
        std::atomic<bool> never{false};
        std::atomic<int> answered{-1};
        job.Body = [&](TScriptJob&) {
            started.open();
            answered = TMainThread::instance().invoke([] {}, OwnFlag ? &never : nullptr) ? 1 : 0;
        };
        auto process = std::make_unique<TExecuteProcess>(*view, &job);
        ASSERT_TRUE(started.wait());
        std::thread destroyer([&] { process.reset(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (answered.load() < 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (answered.load() < 0) {
            ADD_FAILURE() << "the worker still waits for the main thread";
            Main.processEvents();   // let it go, so the test ends
        }
        destroyer.join();
        EXPECT_EQ(answered.load(), 0) << "the call was dropped, not run";
        view.reset();
        Main.processEvents();
    }
}

// Outside a job, a standing cancel drops nothing until it is set, and is gone with its scope.
TEST(InvokeAbandonScope, NestsAndEndsWithItsScope)
{
    std::atomic<bool> outer{false}, inner{false};
    EXPECT_EQ(TInvokeAbandonScope::Current(), nullptr);
    {
        TInvokeAbandonScope a(&outer);
        {
            TInvokeAbandonScope b(&inner);
            EXPECT_EQ(TInvokeAbandonScope::Current(), &inner);
        }
        EXPECT_EQ(TInvokeAbandonScope::Current(), &outer);
    }
    EXPECT_EQ(TInvokeAbandonScope::Current(), nullptr);
}

} // namespace
