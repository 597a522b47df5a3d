// The worker thread that runs one long job behind the progress dialog. It points the job's six callbacks at its own
// handlers; every step that touches the dialog or the main window runs in the main thread (TMainThread::invoke)
// while the worker waits for it. When the job ends, the end is posted to the dialog side, never sent, so the worker
// never waits for the dialog while ending. No Qt here: the dialog is reached through TExecuteView.
//
// Promises: an exception escaping the job counts as failure and its message is shown (TDialogs, main thread) unless
// it is the user's break; a total of 0 never divides; progress arithmetic is 64-bit; a cancel requested after the
// job has ended is refused, so it cannot turn a success into a failure.
#pragma once

#include "common/LongOperation.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// The dialog side as the worker sees it. Every member is called in the main thread only.
class TExecuteView {
public:
    virtual ~TExecuteView() = default;
    virtual void SetInfo(const std::string& Text) = 0;
    virtual int GetProgressMax() = 0;
    virtual void SetProgressPosition(int Value) = 0;
    virtual void SetFailed(bool Value) = 0;
    // The main window's administrator-password request; Text stays as it is when nobody answers.
    virtual void GetPassword(std::string& Text) = 0;
    // The worker has ended (the job returned or threw); the view now reads its failure state and closes.
    virtual void Finished() = 0;
};

// The bar's rule for a position: nullopt when Value already is the bar's position (nothing to do), Value itself
// when it equals Max, otherwise Value mod Max, so a count beyond the total wraps around the bar. Negative values
// and a bar without a range give 0.
std::optional<int> ProgressBarPosition(int Value, int Current, int Max);

class TExecuteProcess {
public:
    // Starts the worker at once. View must stay alive until it has been told Finished() or this object is
    // destroyed, whichever comes first. Operation is not owned; a null operation ends at once without failure.
    TExecuteProcess(TExecuteView& Form, TLongOperation* Operation);
    // Abandons the main-thread side (pending main-thread steps are dropped, the job is told to stop) and waits for
    // the worker. Destroying it from within its own posted end is allowed.
    ~TExecuteProcess();
    TExecuteProcess(const TExecuteProcess&) = delete;
    TExecuteProcess& operator=(const TExecuteProcess&) = delete;

    // Tells the job to stop: its next OnProgress/OnPosition answers true. False, and nothing changes, when the job
    // has already ended.
    bool Terminate();
    bool Terminated() const { return TerminateFlag.load(); }
    // True once the job's Execute has returned (or thrown).
    bool Ended() const { return State.load() == psEnded; }
    // The outcome as the worker saw it (OnResult, or an escaped exception); valid once Ended().
    bool Failed() const { return FailedFlag.load(); }

private:
    enum TState { psRunning, psCancelled, psEnded };

    void Run();
    void HandleMessage(const std::string& Text);
    void HandleStart(int32_t Total);
    bool HandleProgress(int32_t Delta);
    bool HandlePosition(int32_t Value);
    void HandleResult(bool Failed);
    void HandleGetPassword(std::string& Text);
    // Moves the bar for a done count; false when told to stop.
    bool ShowCount(int64_t Count);
    bool InMain(const std::function<void()>& fn);

    TExecuteView& Form;
    TLongOperation* Operation;
    // Cleared by the destructor so that an end posted but not yet run reaches nobody.
    std::shared_ptr<TExecuteView*> Link;

    // Worker-owned state; the bar maximum and the password text are written by main-thread bodies while the
    // worker waits for them.
    std::string MessageText;
    int32_t Total = 0;
    int BarMax = 0;
    int64_t LastPosition = 0;
    int64_t DoneCount = 0;
    std::string PasswordText;
    std::atomic<bool> FailedFlag{false};

    std::atomic<bool> TerminateFlag{false};
    // Set when the main thread will serve no more steps of this run; pending and later steps are dropped.
    std::atomic<bool> Abandoned{false};
    std::atomic<int> State{psRunning};
    std::thread Worker;
};
