#include "common/ExecuteProcess.h"
#include "platform/InvokeAbandon.h"

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/MainThread.h"

#include <climits>

std::optional<int> ProgressBarPosition(int Value, int Current, int Max)
{
    if (Value == Current)
        return std::nullopt;
    if (Max <= 0 || Value < 0)
        return Current == 0 ? std::nullopt : std::optional<int>(0);
    if (Value == Max)
        return Value;
    return Value % Max;
}

TExecuteProcess::TExecuteProcess(TExecuteView& Form, TLongOperation* Operation)
    : Form(Form), Operation(Operation), Link(std::make_shared<TExecuteView*>(&Form))
{
    Worker = std::thread([this] { Run(); });
}

TExecuteProcess::~TExecuteProcess()
{
    Abandoned = true;
    TerminateFlag = true;
    *Link = nullptr;
    if (!Worker.joinable())
        return;
    // With a dispatcher that runs posts inline, the posted end (and so this destructor) runs in the worker.
    if (Worker.get_id() == std::this_thread::get_id())
        Worker.detach();
    else
        Worker.join();
}

bool TExecuteProcess::Terminate()
{
    int expected = psRunning;
    if (State.compare_exchange_strong(expected, psCancelled)) {
        TerminateFlag = true;
        return true;
    }
    return expected == psCancelled;
}

bool TExecuteProcess::InMain(const std::function<void()>& fn)
{
    // Only an abandoned run drops steps: a cancelled job still shows its last texts and its result.
    return TMainThread::instance().invoke(fn, &Abandoned);
}

void TExecuteProcess::Run()
{
    bool escaped = false;
    std::string error;
    if (Operation) {
        Operation->OnMessage = [this](const std::string& Text) { HandleMessage(Text); };
        Operation->OnStart = [this](int32_t Total) { HandleStart(Total); };
        Operation->OnProgress = [this](int32_t Delta) { return HandleProgress(Delta); };
        Operation->OnPosition = [this](int32_t Value) { return HandlePosition(Value); };
        Operation->OnResult = [this](bool Failed) { HandleResult(Failed); };
        Operation->OnGetPassword = [this](std::string& Text) { HandleGetPassword(Text); };
        // Calls the job makes into the main thread by other roads than these callbacks are dropped with ours.
        TInvokeAbandonScope AbandonWithRunner(&Abandoned);
        // A job is expected to catch its own errors and report them through OnResult; whatever still escapes is
        // a failure, and the user must learn why (the user's own break needs no box).
        try {
            Operation->Execute();
        } catch (const Exception& e) {
            escaped = true;
            if (!dynamic_cast<const EUserBreak*>(&e) && e.Message != UserBreakMessage())
                error = e.Message;
        } catch (const std::exception& e) {
            escaped = true;
            error = e.what();
        } catch (...) {
            escaped = true;
            error = "Unknown error";
        }
        // Used again without the dialog, the job must report nothing.
        Operation->ClearCallbacks();
    }
    if (escaped)
        FailedFlag = true;
    State = psEnded;
    // Posting is the worker's last act: nothing below may touch this object, which the end may already have freed.
    std::shared_ptr<TExecuteView*> link = Link;
    TMainThread::instance().post([link, escaped, error] {
        if (!error.empty() && *link)
            ShowError(error);
        if (escaped && *link)
            (*link)->SetFailed(true);
        if (*link)
            (*link)->Finished();
    });
}

void TExecuteProcess::HandleMessage(const std::string& Text)
{
    MessageText = Text;
    InMain([this] { Form.SetInfo(MessageText); });
}

void TExecuteProcess::HandleStart(int32_t NewTotal)
{
    InMain([this] { BarMax = Form.GetProgressMax(); });
    Total = NewTotal;
    DoneCount = 0;
    LastPosition = 0;
    InMain([this] { Form.SetProgressPosition(0); });
}

bool TExecuteProcess::HandleProgress(int32_t Delta)
{
    if (TerminateFlag)
        return true;
    DoneCount += Delta;
    return ShowCount(DoneCount);
}

bool TExecuteProcess::HandlePosition(int32_t Value)
{
    if (TerminateFlag)
        return true;
    return ShowCount(Value);
}

bool TExecuteProcess::ShowCount(int64_t Count)
{
    // A job without a total (0) simply leaves the bar where it is.
    int64_t position = 0;
    if (Total > 0 && BarMax > 0)
        position = Count * BarMax / Total;
    if (position != LastPosition) {
        LastPosition = position;
        // Far beyond the total the bar wraps anyway; reduce first so the value fits the bar's integer.
        int shown = (position > INT_MAX || position < INT_MIN) ? int(position % BarMax) : int(position);
        InMain([this, shown] { Form.SetProgressPosition(shown); });
    }
    return false;
}

void TExecuteProcess::HandleResult(bool Failed)
{
    FailedFlag = Failed;
    InMain([this, Failed] { Form.SetFailed(Failed); });
}

void TExecuteProcess::HandleGetPassword(std::string& Text)
{
    // A request nobody answers must not hand the job the password of an earlier request.
    PasswordText.clear();
    InMain([this] { Form.GetPassword(PasswordText); });
    Text = PasswordText;
}
