#include "platform/ui/QtMainThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <thread>

TEST(QtMainThread, WorkerInvokeRunsInTheGuiThread)
{
    TQtMainThreadScope scope;
    std::atomic<bool> done{false};
    bool inMain = false;
    std::thread worker([&] {
        TMainThread::instance().invoke([&] { inMain = TMainThread::instance().isMainThread(); });
        done = true;
    });
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(inMain);
}
