#include "support/RecordingDialogs.h"
#include "common/ui/ExecuteDialog.h"
#include "platform/Exception.h"
#include "platform/ui/QtMainThread.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

class TScriptJob : public TLongOperation {
public:
    std::function<void(TScriptJob&)> Body;
    void Execute() override { if (Body) Body(*this); }
    using TLongOperation::DoGetPassword;
    using TLongOperation::DoMessage;
    using TLongOperation::DoProgress;
    using TLongOperation::DoResult;
    using TLongOperation::DoStart;
};

// Runs Step in the GUI thread every few milliseconds until it returns true (it runs inside the modal loop).
void whileModal(QObject* owner, std::function<bool()> Step)
{
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, owner, [timer, Step] {
        if (Step())
            timer->stop();
    });
    timer->start(5);
}

// A job that works in small steps until it is told to stop, with a generous bound so a broken dialog fails the
// test instead of hanging it.
void workUntilCancelled(TScriptJob& j, std::atomic<bool>& started, std::atomic<int>& stepsAfterStart)
{
    j.DoMessage("Saving parameters to VMU ...");
    j.DoStart(1000);
    started = true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        if (j.DoProgress(1))
            throw EUserBreak(UserBreakMessage());
        ++stepsAfterStart;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));   // stands for the job's own work
    }
}

TEST(ExecuteDialog, LooksAsDescribed)
{
    TExecuteForm form;
    form.Prepare(true, nullptr);
    EXPECT_EQ(form.size(), QSize(407, 100));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.findChild<QProgressBar*>("ProgressBar"), form.ProgressBar);
    EXPECT_EQ(form.findChild<QLabel*>("InfoLabel"), form.InfoLabel);
    EXPECT_EQ(form.findChild<QPushButton*>("CancelButton")->text(), "Cancel");
    EXPECT_NE(form.findChild<QFrame*>("ProgressPanel"), nullptr);
    EXPECT_EQ(form.ProgressBar->minimum(), 0);
    EXPECT_EQ(form.ProgressBar->maximum(), 38);
    EXPECT_EQ(form.GetProgressMax(), 38);
    form.SetProgressPosition(39);
    EXPECT_EQ(form.ProgressBar->value(), 1);
    form.SetProgressPosition(38);
    EXPECT_EQ(form.ProgressBar->value(), 38);
}

// The label shows all of its text when its wrapped height fits and the dialog stays on the screen.
bool showsWholeText(const TExecuteForm& form)
{
    const QLabel* l = form.InfoLabel;
    int avail = form.screen()->availableGeometry().width();
    return l->heightForWidth(l->contentsRect().width()) <= l->contentsRect().height() && form.width() <= avail;
}

TEST(ExecuteDialog, ACommandsLongTextIsShownWhole)
{
    TQtMainThreadScope mainThread;
    const std::string offLine = "Set OFF LINE Mode. Please wait while all VPS ports will be released.";
    const std::string huge = std::string(60, 'x') + " " + std::string(400, 'y').replace(50, 1, " ").replace(200, 1, " ");
    for (const std::string& text : {std::string("Saving ..."), offLine, huge}) {
        SCOPED_TRACE(text);
        TExecuteForm form;
        TScriptJob job;
        std::atomic<bool> release{false};
        job.Body = [&](TScriptJob& j) {
            j.DoMessage(text);
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        };
        bool whole = false;
        QSize size;
        whileModal(&form, [&] {
            if (form.InfoLabel->text().toStdString() != text)
                return false;
            whole = showsWholeText(form);
            size = form.size();
            if (text == offLine)
                form.grab().save(ScreenshotPath("dialog-progress-off-line.png"));
            release = true;
            return true;
        });
        form.Prepare(false, &job);
        EXPECT_EQ(form.exec(), mrOk);
        EXPECT_TRUE(whole);
        if (text.size() < 20)
            EXPECT_EQ(size, QSize(407, 100)) << "short texts keep the usual size";
        else
            EXPECT_GT(size.width(), 407);
    }
}

TEST(ExecuteDialog, CancelEndsALongJobWithCancel)
{
    TQtMainThreadScope mainThread;
    TRecordingDialogs dialogs;
    TDialogsScope dialogsScope(&dialogs);
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    TExecuteForm form(&owner);
    TScriptJob job;
    std::atomic<bool> started{false};
    std::atomic<int> steps{0};
    job.Body = [&](TScriptJob& j) { workUntilCancelled(j, started, steps); };
    bool busyCursor = false;
    QString info;
    whileModal(&form, [&] {
        if (!started || steps < 3)
            return false;
        busyCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        info = form.InfoLabel->text();
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
        return true;
    });
    form.Prepare(true, &job);
    EXPECT_EQ(form.exec(), mrCancel);
    EXPECT_TRUE(form.Failed());
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(info, "Saving parameters to VMU ...");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialogs.Boxes.empty());   // the user's own break is not an error
}

TEST(ExecuteDialog, EscapeAndCloseOnlyAskTheJobToStop)
{
    TQtMainThreadScope mainThread;
    TExecuteForm form;
    TScriptJob job;
    std::mutex lock;
    std::condition_variable changed;
    bool release = false;
    std::atomic<bool> waiting{false};
    std::atomic<bool> cancelSeen{false};
    job.Body = [&](TScriptJob& j) {
        j.DoStart(10);
        j.DoProgress(1);
        waiting = true;
        std::unique_lock<std::mutex> g(lock);
        changed.wait_for(g, std::chrono::seconds(30), [&] { return release; });
        cancelSeen = j.DoProgress(1);
        // Ends without reporting a result: the cancel alone makes the run a failure.
    };
    bool stillOpen = false;
    whileModal(&form, [&] {
        if (!waiting)
            return false;
        QTest::keyClick(&form, Qt::Key_Escape);
        form.close();
        form.reject();
        stillOpen = form.isVisible();
        { std::lock_guard<std::mutex> g(lock); release = true; }
        changed.notify_all();
        return true;
    });
    form.Prepare(true, &job);
    EXPECT_EQ(form.exec(), mrCancel);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(cancelSeen);
}

TEST(ExecuteDialog, PasswordRequestIsAnsweredInTheGuiThreadWhileTheWorkerWaits)
{
    TQtMainThreadScope mainThread;
    TExecuteForm form;
    TScriptJob job;
    std::atomic<bool> asking{false};
    std::atomic<bool> answered{false};
    std::string got;
    job.Body = [&](TScriptJob& j) {
        asking = true;
        j.DoGetPassword(got);
        answered = true;
        j.DoResult(false);
    };
    bool inGuiThread = false;
    bool workerWaiting = false;
    int calls = 0;
    form.SetPasswordProvider([&](std::string& Text) {
        ++calls;
        inGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        workerWaiting = asking && !answered;
        Text = "secret";
    });
    form.Prepare(false, &job);
    EXPECT_EQ(form.exec(), mrOk);
    EXPECT_FALSE(form.CancelButton->isVisible());
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(inGuiThread);
    EXPECT_TRUE(workerWaiting);
    EXPECT_EQ(got, "secret");
}

TEST(ExecuteDialog, AnEscapedErrorFailsTheRunAndIsShown)
{
    TQtMainThreadScope mainThread;
    TRecordingDialogs dialogs;
    TDialogsScope dialogsScope(&dialogs);
    TExecuteForm form;
    TScriptJob job;
    job.Body = [](TScriptJob& j) {
        j.DoResult(false);
        throw EReadError("Error reading file \"a.sav\"");
    };
    form.Prepare(true, &job);
    EXPECT_EQ(form.exec(), mrCancel);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].Text, "Error reading file \"a.sav\"");

    // The same dialog runs the next job from a clean start.
    TScriptJob next;
    next.Body = [](TScriptJob& j) {
        j.DoStart(2);
        j.DoProgress(2);
    };
    form.Prepare(true, &next);
    EXPECT_EQ(form.exec(), mrOk);
    EXPECT_EQ(form.ProgressBar->value(), 38);
}

} // namespace
