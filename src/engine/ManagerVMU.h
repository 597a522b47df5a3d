// The device dialogue engine: brings the VMU to its administrator menu (quiet wait, wake-up keys, administrator
// password, menu entry), then sends the keystrokes of a step list one character at a time and watches the text
// that comes back until a step's answer shows up or the line stays silent for its time-out. Captured screens
// go to the data manager's parser. It is a long job: the main window sets Mode and Steps and runs it behind the
// progress dialog, so all of this runs in a worker thread.
//
// Answers are matched on the received text with BEL removed: the stop and password answers only when everything
// received so far ends with them, the error answer anywhere after the step began. Every received chunk restarts
// the step's inactivity deadline. Every failure (no answer, error answer, silence, cancel, a port or parse error)
// ends in OnResult(true); no wait lasts forever. The administrator password never reaches a trace or step file.
#pragma once

#include "common/LongOperation.h"
#include "engine/StepParameters.h"
#include "engine/VmuPort.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDataManager;
struct TParseFault;
class TXmlNode;

enum TDeviceOperation : uint8_t {
    doConnect = 0,       // quiet wait, log-in, into the menu
    doGoUpToMenu = 1,    // log-in and into the menu without the quiet wait
    doSave = 2,          // log-in, then the steps
    doLoad = 3,          // log-in, the steps, then the parse below the chosen parameter tree
    doLoadNoInit = 4,    // the steps, then the parse against the whole description
    doReport = 6         // as a save; the captured answers stay for the caller
};

// Whether Answer, all a store step received (it ends with the step's stop answer), confirms the store. The device
// echoes the value after its prompt ("New Value => 4"); what it prints next must be a line showing the value sent
// between brackets ("3. Pause Time [4]", a record's "Mailbox No. [101]"; blanks and letter case aside, in the
// form the device shows a number or a date in, or in the short form the screen shows it in), or nothing before
// the prompt the step expects. Otherwise Other receives the
// line that came instead ('' when there was none to show).
bool StoreAnswerConfirms(const TStepParameter& Step, const std::string& Answer, std::string& Other);

class TManagerVMU : public TLongOperation {
public:
    // InitSteps: the wake-up and log-in script; OpenSteps: the script into the administrator menu. Both owned.
    TManagerVMU(TVmuPort* ComPort, std::unique_ptr<TStepParameters> InitSteps,
        std::unique_ptr<TStepParameters> OpenSteps, TEngineClock* Clock = nullptr);
    ~TManagerVMU() override;

    uint8_t Mode = doConnect;
    TVmuPort* ComPort;                     // not owned
    TStepParameters* Steps = nullptr;      // the run's steps; not owned
    std::string Caption;                   // status text of modes 2, 3, 4 and 6
    std::string SectionName;               // what modes 3 and 4 parse into
    TDataManager* DataManager = nullptr;   // the main window's, for the parse
    TXmlNode* ParamsNode = nullptr;        // the chosen parameter tree (mode 3's start node)
    // Texts that stand as "*****" in the trace and step files (a new administrator password being set). The
    // password sent at log-in is always masked.
    std::vector<std::string> Secrets;

    // Text received during steps marked "SaveAnswer": the parser's input, and the report of mode 6.
    std::string SavedAnswers;
    // How many steps of Steps, from the first on, the last run completed (the device took them).
    int StepsDone = 0;
    // Why the last run's log-in failed, so that the user learns whether to retype the password or check the line.
    // lfPasswordCancelled: the user cancelled the password dialog; a connection's run leaves telling it to the
    // caller, which tells it in its one box.
    enum TLoginFailure : uint8_t { lfNone, lfNoAnswer, lfPasswordRefused, lfNoMenu, lfPasswordCancelled };
    TLoginFailure LoginFailure = lfNone;
    // The device's line that refused a step of Steps in the last run (the one holding the step's error answer),
    // so that the user learns what the device said; empty when no step of Steps was refused.
    std::string Refusal;
    // Why the store under way when the last run stopped was not taken, as a phrase that follows the value ("was
    // not confirmed: the VMU answered ..."); '' when the run did not stop at a store's answer.
    std::string Unconfirmed;
    // Why the last run failed, as a sentence for the user ('' when it did not, or the run was cancelled): the step
    // the VMU did not answer, the lost line, or the section whose screens kept failing their checks.
    std::string FailureText;
    // How many times a load reads a section again whose screens broke their values' rules (a noisy line) before
    // it fails naming the value. The document then holds the bad values; the caller puts back what it held.
    // Readings are combined line by line: a line two readings show alike is the device's. A value that breaks its
    // rules as two readings agree is the device's own: it is kept as read, and one box at the end names it.
    int ReadAgainCount = 3;
    // The most readings any section of the last load took (1: none was read again).
    int Readings = 0;
    // The values the last load kept although they break their rules (readings agreed on them), one line each.
    std::vector<std::string> DeviceValues;

    void Execute() override;
    void ClearAnswers()
    {
        SavedAnswers.clear();
        FCaptureStarts.clear();
    }

    TStepParameters* InitSteps() const { return FInitSteps.get(); }
    TStepParameters* OpenSteps() const { return FOpenSteps.get(); }

    // Pacing and polling; tests make them small. Characters go out one per CharPaceMs.
    int CharPaceMs = 10;
    int PollSliceMs = 10;
    // The quiet wait before a connect ends after this long even when the line never falls silent. The log-in's waits
    // (wake-up, password, menu entry) end after the longest time-out of the run in all, even on a line that keeps
    // printing; a step's wait ends on its inactivity time-out or a cancel, since a long screen on a slow line may
    // rightly take longer.
    int QuietCapMs = 10000;

    // Time-outs in milliseconds.
    static constexpr int QuietTimeout = 1000;
    static constexpr int WakeUpTimeout = 1000;
    static constexpr int MenuTimeout = 5000;
    static constexpr const char* FallbackPassword = "KQJ";

private:
    // Exchanges and waits.
    void StartExchange(bool Quiet);
    void EndExchange(bool Quiet) noexcept;
    void PrepareWait(const std::string& PasswordAnswer, const std::string& StopAnswer,
        const TProgressParameters* Markers, bool SaveAnswer, int TimeoutMs, const std::string& ErrorAnswer);
    void SendText(const std::string& Text, bool Secret = false);
    void WaitAnswer(bool Callbacks, int CapMs = 0);
    void ProcessInput(const char* Buffer, int Count);
    void RestartTimer();
    bool TimedOut();
    void UserBreakCheck(int32_t Delta);
    void RequestPassword(std::string& Password);

    bool InitMenu(bool Callbacks, bool Quiet);
    bool MenuSteps(TStepParameters* List, int ProgressBefore, int ProgressAfter);
    void ParseAnswers();
    // A section (or the whole run, Name '') being read again, with every reading of it taken so far.
    struct TRereading {
        std::string Name;
        std::unique_ptr<TStepParameters> Steps;   // its own load script; null: the run's steps
        std::vector<std::vector<std::string>> Readings;
        std::vector<TParseFault> Faults;          // of the document as it now stands; empty: settled
        bool Agreed = false;                      // the faults are those of lines two readings showed alike
    };
    // Where each step's capture begins in SavedAnswers: a screen's last line (a prompt) and the next step's first
    // are two lines, when readings are set side by side.
    std::vector<size_t> FCaptureStarts;
    std::vector<std::string> CapturedLines() const;
    // Reads the section again and parses what its readings agree on in place of what the document held.
    void ReadAgain(TRereading& Section, int Round);
    void NoteStepFailure(const TStepParameter& Step);
    void WriteStepFiles(bool ExchangeFile, bool InfoFiles);
    void ShowUserBreak();
    void Trace(const std::string& Text);

    std::unique_ptr<TStepParameters> FInitSteps;
    std::unique_ptr<TStepParameters> FOpenSteps;
    TEngineClock* Clock;
    TEngineTrace FTrace;

    // The inactivity deadline; restarted from the port's notification thread as well as by the worker.
    std::atomic<bool> TimerArmed{false};
    std::atomic<int64_t> DeadlineNs{0};
    std::atomic<int> IntervalMs{0};

    // Every log-in wait of a run ends after this long in all, however busy the line: the longest time-out of the run.
    int64_t LongestWaitMs = 0;
    bool Reading = false;
    int32_t Result = 0;   // 0 none (time-out), 1 stop answer, -1 password answer, 2 error answer
    // A step of a menu script stops waiting as soon as the port reports the line down (DSR off, as a hang-up
    // reads): no answer can come, and the user is told at once rather than after the step's time-out.
    bool EndOnLineLoss = false;
    bool LineLost = false;
    std::string Answer;
    std::string ExchangeLog;
    std::string PendingStatus;
    int32_t PendingDelta = 0;
    std::string PasswordStr, StopStr, ErrorStr;
    std::string ErrorLine;   // the received line that held ErrorStr
    size_t ErrorSearchStart = 0;   // 0-based offset in Answer where the step's text began
    bool SaveAnswerFlag = false;
    const TProgressParameters* Markers = nullptr;
    int NextMarker = 0;
    size_t MarkerSearchStart = 0;
    size_t FindLength = 0;
    size_t SinceSearch = 0;
    TVmuPort::TChunkEvent PreviousChunkHandler;
    std::vector<std::string> RunSecrets;
};
