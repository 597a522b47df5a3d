#include "platform/Dialogs.h"
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
    std::string caught;
    std::thread worker([&] {
        try {
            main.invoke([] { throw std::runtime_error("boom"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
    });
    ASSERT_TRUE(main.processUntil([&] { return !caught.empty(); }));
    worker.join();
    EXPECT_EQ(caught, "boom");

    bool result = true;
    std::thread waiter([&] { result = main.invoke([] {}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    main.shutdown();
    waiter.join();
    EXPECT_FALSE(result);
}

TEST(RecordingDialogs, RecordsBoxesAndAnswersFromTheScript)
{
    TRecordingDialogs rec;
    rec.Answers = {mrNo};
    TDialogsScope scope(&rec);
    EXPECT_EQ(MessageDlg("Save?", mtConfirmation, mbYes | mbNo), mrNo);
    ShowError("Bad");
    ASSERT_EQ(rec.Boxes.size(), 2u);
    EXPECT_EQ(rec.Boxes[1].Caption, "Error");
    EXPECT_EQ(rec.Boxes[1].Type, mtError);
    EXPECT_EQ(rec.LastText(), "Bad");
}
