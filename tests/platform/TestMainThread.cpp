#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/MainThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

TEST(QueueMainThread, InvokeRunsInTheOwnerThreadAndWaits)
{
    TQueueMainThread main;
    std::thread::id ranIn;
    bool returned = false;
    std::thread worker([&] {
        returned = main.invoke([&] { ranIn = std::this_thread::get_id(); });
    });
    ASSERT_TRUE(main.processUntil([&] { return ranIn != std::thread::id(); }));
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranIn, std::this_thread::get_id());
}

TEST(QueueMainThread, CancelBeforeStartDropsTheBody)
{
    TQueueMainThread main;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    bool ran = false;
    bool result = true;
    std::thread worker([&] {
        result = main.invoke([&] { ran = true; }, &cancel);
        done = true;
    });
    cancel = true;
    worker.join();   // returns without anybody draining the queue
    main.processEvents();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);
}

TEST(QueueMainThread, ExceptionsReachTheCallerAndShutdownReleasesWaiters)
{
    TQueueMainThread main;
    std::string caught;                  // the worker's until it is joined
    std::atomic<bool> finished{false};   // what the waiting main thread may look at meanwhile
    std::thread worker([&] {
        try {
            main.invoke([] { throw std::runtime_error("boom"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
        finished = true;
    });
    ASSERT_TRUE(main.processUntil([&] { return finished.load(); }));
    worker.join();
    EXPECT_EQ(caught, "boom");

    bool result = true;
    std::thread waiter([&] { result = main.invoke([] {}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    main.shutdown();
    waiter.join();
    EXPECT_FALSE(result);
}

// With no window system installed, nobody can answer: a question must not be taken as a yes.
TEST(Dialogs, WithoutWindowsABoxGoesToStderrAndCountsAsClosed)
{
    TDialogsScope none(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageDlg("Save?", mtConfirmation, mbYes | mbNo | mbCancel), mrCancel);
    EXPECT_EQ(MessageDlg("Overwrite?", mtConfirmation, mbYes | mbNo), mrNo);
    ShowError("Bad");
    const std::string Err = testing::internal::GetCapturedStderr();
    EXPECT_NE(Err.find("Confirm: Save?"), std::string::npos) << Err;
    EXPECT_NE(Err.find("Error: Bad"), std::string::npos) << Err;
    std::string File;
    EXPECT_FALSE(TDialogs::instance().OpenFile({}, File));
}
