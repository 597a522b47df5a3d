// Base of every long job (document load/save, device dialogue, file transfer). A job never touches the user
// interface: it reports through six callbacks, which the runner (TExecuteProcess) points at handlers that reach
// the main thread. All callbacks are empty at creation; an empty callback is simply not called.
//
// Failure contract: a job reports failure only through OnResult(true); a job that never calls OnResult counts as
// successful. A user's cancel is seen as true from OnProgress or OnPosition, and the job then ends itself,
// normally by throwing EUserBreak (UserBreakMessage()).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TLongOperation {
public:
    using TMessageEvent = std::function<void(const std::string& Text)>;
    using TStartEvent = std::function<void(int32_t Total)>;
    using TProgressEvent = std::function<bool(int32_t Delta)>;
    using TPositionEvent = std::function<bool(int32_t Value)>;
    using TResultEvent = std::function<void(bool Failed)>;
    using TPasswordEvent = std::function<void(std::string& Text)>;

    virtual ~TLongOperation() = default;
    virtual void Execute() {}

    TMessageEvent OnMessage;
    TStartEvent OnStart;
    TProgressEvent OnProgress;
    TPositionEvent OnPosition;
    TResultEvent OnResult;
    TPasswordEvent OnGetPassword;

    void ClearCallbacks()
    {
        OnMessage = nullptr;
        OnStart = nullptr;
        OnProgress = nullptr;
        OnPosition = nullptr;
        OnResult = nullptr;
        OnGetPassword = nullptr;
    }

protected:
    // Shortcuts that tolerate empty callbacks.
    void DoMessage(const std::string& Text) { if (OnMessage) OnMessage(Text); }
    void DoStart(int32_t Total) { if (OnStart) OnStart(Total); }
    bool DoProgress(int32_t Delta) { return OnProgress ? OnProgress(Delta) : false; }
    bool DoPosition(int32_t Value) { return OnPosition ? OnPosition(Value) : false; }
    void DoResult(bool Failed) { if (OnResult) OnResult(Failed); }
    void DoGetPassword(std::string& Text) { if (OnGetPassword) OnGetPassword(Text); }
};
