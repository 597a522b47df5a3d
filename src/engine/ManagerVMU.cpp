// The device dialogue engine; see ManagerVMU.h for what it promises.
#include "engine/ManagerVMU.h"

#include "engine/DataManager.h"
#include "engine/ReadingVote.h"
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"
#include "platform/MainThread.h"
#include "platform/ProgramFolder.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <climits>
#include <functional>

namespace {
int64_t toNs(TEngineClock::TTime t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Where the device's refusal stands in Answer from From on (npos: nowhere yet). The device prints it on a line of
// its own; the same words inside a line are a value that reads so (a name "Incorrect Entry"), never a refusal.
// A refusal whose line end has not come yet is found when it comes.
size_t refusalAt(const std::string& Answer, const std::string& Refusal, size_t From)
{
    auto lineEnd = [&](size_t At) { return At < Answer.size() && (Answer[At] == '\r' || Answer[At] == '\n'); };
    for (size_t p = Answer.find(Refusal, From); p != std::string::npos; p = Answer.find(Refusal, p + 1))
        if ((p == From || lineEnd(p - 1)) && lineEnd(p + Refusal.size()))
            return p;
    return std::string::npos;
}

// A load whose screens kept breaking their values' rules: the message is the whole sentence for the user.
ORLANTIS_EXCEPTION(EParseFaults, Exception);

std::string printableKeys(const std::string& Keys)
{
    std::string out;
    for (char c : Keys)
        out += c == '\r' ? std::string("<CR>") : c == '\n' ? std::string() : std::string(1, c);
    return out;
}

// The password as it stands in any text: without the line end the main window adds to it.
std::string secretCore(std::string p)
{
    while (!p.empty() && (p.back() == '\r' || p.back() == '\n'))
        p.pop_back();
    return p;
}
}

bool StoreAnswerConfirms(const TStepParameter& Step, const std::string& Answer, std::string& Other)
{
    Other.clear();
    if (Step.Stored.empty())
        return false;
    // Every prompt of the device ends with "=> " and the typed value is echoed after it; the step's first keys
    // answer the prompt that ended the step before.
    const std::string typed = "=> " + Step.Stored;
    const std::string body =
        "=> " + Answer.substr(0, Answer.size() - std::min(Answer.size(), Step.StopAnswer.size()));
    const std::vector<std::string> lines = SplitScreenLines(body);
    size_t echo = lines.size();
    for (size_t i = lines.size(); i-- > 0 && echo == lines.size();)
        if (endsWith(lines[i], typed))
            echo = i;
    size_t next = echo + 1;
    while (next < lines.size() && Trim(lines[next]).empty())
        ++next;
    if (echo == lines.size()) {
        // The echo itself was garbled: what came back is all the step's answer.
        for (const std::string& line : lines)
            if (!Trim(line).empty() && line != "=> ")
                Other = line;
        return false;
    }
    // Nothing but the prompt after the value: the device took it without showing it again. Otherwise the first
    // line with brackets is the value's (a note such as "Mailbox Added" may come before a record's first line).
    if (next >= lines.size())
        return true;
    Other = lines[next];
    size_t shownAt = next;
    while (shownAt < lines.size() && lines[shownAt].find('[') == std::string::npos)
        ++shownAt;
    if (shownAt >= lines.size())
        return false;
    Other = lines[shownAt];
    const std::string shown = Trim(BracketContent(Other));
    return UpperCase(shown) == UpperCase(Trim(Step.Stored)) ||
        SameInDeviceForm(Step.StoredForm, shown, Trim(Step.Stored)) ||
        (!Step.StoredScreen.empty() && UpperCase(shown) == UpperCase(Trim(Step.StoredScreen)));
}

TManagerVMU::TManagerVMU(TVmuPort* ComPort, std::unique_ptr<TStepParameters> InitSteps,
    std::unique_ptr<TStepParameters> OpenSteps, TEngineClock* Clock)
    : ComPort(ComPort),
      FInitSteps(InitSteps ? std::move(InitSteps) : std::make_unique<TStepParameters>()),
      FOpenSteps(OpenSteps ? std::move(OpenSteps) : std::make_unique<TStepParameters>()),
      Clock(Clock ? Clock : &TEngineClock::Steady())
{
    FTrace.DeleteFile();
}

TManagerVMU::~TManagerVMU() = default;

void TManagerVMU::Trace(const std::string& Text) { FTrace.Append(Text); }

// --- Timer ---------------------------------------------------------------------------------------------------

void TManagerVMU::RestartTimer()
{
    if (TimerArmed.load())
        DeadlineNs.store(toNs(Clock->Now()) + int64_t(IntervalMs.load()) * 1000000);
}

bool TManagerVMU::TimedOut() { return TimerArmed.load() && toNs(Clock->Now()) >= DeadlineNs.load(); }

// --- Exchanges -----------------------------------------------------------------------------------------------

void TManagerVMU::StartExchange(bool Quiet)
{
    PendingStatus.clear();
    PendingDelta = 0;
    Result = 0;
    TimerArmed.store(false);
    Answer.clear();
    SaveAnswerFlag = false;
    Reading = !Quiet;
    if (!Quiet)
        ComPort->ClearBuffer(true, true);
    PreviousChunkHandler = ComPort->SetOnChunk([this] { RestartTimer(); });
}

void TManagerVMU::EndExchange(bool Quiet) noexcept
{
    try {
        ComPort->SetOnChunk(std::move(PreviousChunkHandler));
        PreviousChunkHandler = nullptr;
        ComPort->ClearBuffer(true, true);
    } catch (...) {
        // The port failed already; the error that got us here is the one to report.
    }
    if (!Quiet) {
        Reading = false;
        ExchangeLog += Answer;
        Answer.clear();
    }
    TimerArmed.store(false);
    Result = 0;
    SaveAnswerFlag = false;
    Markers = nullptr;
}

namespace {
// Ends an exchange however the block that started it is left.
class TExchangeScope {
public:
    TExchangeScope(std::function<void()> End) : FEnd(std::move(End)) {}
    ~TExchangeScope() { FEnd(); }
    TExchangeScope(const TExchangeScope&) = delete;
    TExchangeScope& operator=(const TExchangeScope&) = delete;

private:
    std::function<void()> FEnd;
};
}

void TManagerVMU::PrepareWait(const std::string& PasswordAnswer, const std::string& StopAnswer,
    const TProgressParameters* StepMarkers, bool SaveAnswer, int TimeoutMs, const std::string& ErrorAnswer)
{
    PasswordStr = PasswordAnswer;
    StopStr = StopAnswer;
    ErrorStr = ErrorAnswer;
    SaveAnswerFlag = SaveAnswer;
    PendingStatus.clear();
    PendingDelta = 0;
    Result = 0;
    ErrorSearchStart = Answer.size();
    Markers = StepMarkers;
    NextMarker = 0;
    // Markers are looked for in this step's text only, never in what earlier steps printed.
    MarkerSearchStart = ErrorSearchStart;
    SinceSearch = 0;
    FindLength = (Markers && Markers->Count() > 0 && (OnMessage || OnProgress))
        ? Markers->GetItem(0)->FindStr.size()
        : size_t(INT32_MAX);
    TimerArmed.store(false);
    // Every wait has an end: a missing or negative time-out is the menu default.
    IntervalMs.store(TimeoutMs > 0 ? TimeoutMs : MenuTimeout);
    DeadlineNs.store(toNs(Clock->Now()) + int64_t(IntervalMs.load()) * 1000000);
    TimerArmed.store(true);
}

void TManagerVMU::SendText(const std::string& Text, bool Secret)
{
    for (char c : Text) {
        ComPort->WriteStr(std::string(1, c));
        Clock->Sleep(CharPaceMs);
    }
    Trace("\r\n** Send=" + (Secret ? std::string("*****") : MaskSecrets(Text, RunSecrets)) + " **\r\n");
}

void TManagerVMU::UserBreakCheck(int32_t Delta)
{
    if (DoProgress(Delta))
        throw EUserBreak(UserBreakMessage());
}

void TManagerVMU::WaitAnswer(bool Callbacks, int CapMs)
{
    const int64_t capMs = CapMs;
    const int64_t capEnd = capMs > 0 ? toNs(Clock->Now()) + capMs * 1000000 : INT64_MAX;
    char buffer[4096];
    for (;;) {
        if (TimedOut() || Result != 0)
            return;
        if (toNs(Clock->Now()) >= capEnd) {
            Trace("\r\n** Overall limit **\r\n");
            return;
        }
        int64_t leftMs = (DeadlineNs.load() - toNs(Clock->Now()) + 999999) / 1000000;
        int wait = int(std::clamp<int64_t>(leftMs, 0, PollSliceMs));
        int n = ComPort->Read(buffer, int(sizeof buffer), wait);
        if (n > 0) {
            RestartTimer();
            if (Reading)
                ProcessInput(buffer, n);
        } else if (EndOnLineLoss && !ComPort->DSR()) {
            LineLost = true;
            Trace("\r\n** Line lost **\r\n");
            return;
        }
        if (!Callbacks) {
            // No progress to show, but the user may still give up waiting.
            if (OnProgress)
                UserBreakCheck(0);
            continue;
        }
        if (!PendingStatus.empty())
            DoMessage(PendingStatus);
        if (OnProgress)
            UserBreakCheck(PendingDelta);
        PendingStatus.clear();
        PendingDelta = 0;
    }
}

void TManagerVMU::ProcessInput(const char* Buffer, int Count)
{
    std::string chunk(Buffer, size_t(Count));
    Trace(chunk + "#");
    DeleteAll(chunk, "\a");
    if (chunk.empty())
        return;
    Answer += chunk;
    if (Result != 0)
        return;
    if (SaveAnswerFlag)
        SavedAnswers += chunk;
    SinceSearch += size_t(Count);
    // Markers in list order; several may show up in one chunk, and their steps add up. They are looked for
    // before the answers, so that the chunk which ends a short screen still moves the progress.
    while (Markers && NextMarker < Markers->Count() && SinceSearch >= FindLength) {
        const TProgressParameter* m = Markers->GetItem(NextMarker);
        size_t p = Answer.find(m->FindStr, MarkerSearchStart);
        if (p == std::string::npos) {
            SinceSearch = 0;
            break;
        }
        PendingStatus = m->InfoMsg;
        PendingDelta += m->DeltaPos;
        MarkerSearchStart = p + FindLength;
        SinceSearch = Answer.size() - MarkerSearchStart;
        if (++NextMarker < Markers->Count())
            FindLength = Markers->GetItem(NextMarker)->FindStr.size();
    }
    if (const size_t p = ErrorStr.empty() ? std::string::npos : refusalAt(Answer, ErrorStr, ErrorSearchStart);
        p != std::string::npos) {
        Result = 2;
        const size_t From = Answer.find_last_of("\r\n", p);
        const size_t Begin = From == std::string::npos || From < ErrorSearchStart ? ErrorSearchStart : From + 1;
        ErrorLine = Trim(Answer.substr(Begin, Answer.find_first_of("\r\n", p) - Begin));
        Trace("\r\n** ErrorStr Find **\r\n");
        return;
    }
    if (!PasswordStr.empty() && endsWith(Answer, PasswordStr)) {
        Result = -1;
        Trace("\r\n** PasswStr Find **\r\n");
        return;
    }
    if (!StopStr.empty() && endsWith(Answer, StopStr)) {
        Result = 1;
        Trace("\r\n** StopStr Find **\r\n");
        return;
    }
}

// --- Log-in and steps ----------------------------------------------------------------------------------------

void TManagerVMU::RequestPassword(std::string& Password)
{
    if (!OnGetPassword)
        return;   // nobody to ask: the fallback stays
    std::string text;
    OnGetPassword(text);
    // An empty answer is a cancelled password dialog, never an empty password.
    if (text.empty()) {
        LoginFailure = lfPasswordCancelled;
        throw EUserBreak(UserBreakMessage());
    }
    Password = text;
    std::string core = secretCore(text);
    if (!core.empty())
        RunSecrets.push_back(core);
}

bool TManagerVMU::InitMenu(bool Callbacks, bool Quiet)
{
    std::string password = FallbackPassword;
    Trace("\r\n*** Start InitMenu ***\r\n");
    const int32_t total = int32_t(FInitSteps->Count() + FOpenSteps->Count());
    if (Quiet) {
        if (Callbacks)
            DoStart(total + 1);
        {
            StartExchange(true);
            TExchangeScope end([this] { EndExchange(true); });
            PrepareWait({}, {}, nullptr, false, QuietTimeout, {});
            WaitAnswer(false, QuietCapMs);
        }
        if (Callbacks)
            UserBreakCheck(1);
    } else if (Callbacks)
        DoStart(total);

    bool ok = false;
    bool passwordSent = false;
    {
        StartExchange(false);
        TExchangeScope end([this] { EndExchange(false); });
        int32_t answer = 0;
        for (const auto& s : *FInitSteps) {
            PrepareWait(s->PasswordAnswer, s->StopAnswer, nullptr, false, WakeUpTimeout, {});
            SendText(s->Send);
            WaitAnswer(Callbacks, int(LongestWaitMs));
            if (Callbacks)
                UserBreakCheck(1);
            answer = Result;
            if (answer != 0)
                break;
        }
        if (answer != 0) {
            if (answer == -1) {
                RequestPassword(password);
                SendText(password, true);
                passwordSent = true;
            }
            ok = true;
            for (const auto& s : *FOpenSteps) {
                PrepareWait(s->PasswordAnswer, s->StopAnswer, nullptr, s->SaveAnswer, MenuTimeout, s->ErrorAnswer);
                SendText(s->Send);
                WaitAnswer(Callbacks, int(LongestWaitMs));
                if (Result == -1) {
                    RequestPassword(password);
                    PrepareWait(s->PasswordAnswer, s->StopAnswer, nullptr, s->SaveAnswer, WakeUpTimeout,
                        s->ErrorAnswer);
                    SendText(password, true);
                    passwordSent = true;
                    WaitAnswer(Callbacks, int(LongestWaitMs));
                }
                if (Callbacks)
                    UserBreakCheck(1);
                if (!s->StopAnswer.empty() && Result != 1) {
                    ok = false;
                    break;
                }
            }
        }
        // A device that asks for the password again after it was given refused it; one that never answered the
        // wake-up is not there (or not listening); anything else stopped somewhere on the way into the menu.
        if (answer == 0)
            LoginFailure = lfNoAnswer;
        else if (!ok)
            LoginFailure = (passwordSent && Result == -1) ? lfPasswordRefused : lfNoMenu;
    }
    Trace(std::string("\r\n*** Stop InitMenu (Ret=") + (ok ? "Yes" : "No") + ") ***\r\n");
    if (!ok)
        DoResult(true);
    return ok;
}

bool TManagerVMU::MenuSteps(TStepParameters* List, int ProgressBefore, int ProgressAfter)
{
    if (!List || List->Count() == 0)
        return true;
    Trace("\r\n*** Start MenuSteps ***\r\n");
    if (OnStart) {
        int64_t total = 0;
        for (const auto& s : *List) {
            if (s->Progress.Count() == 0)
                total += 1;
            else
                for (const auto& m : s->Progress)
                    total += m->DeltaPos;
        }
        total += ProgressBefore + ProgressAfter;
        DoStart(int32_t(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX)));
        if (ProgressBefore > 0 && OnProgress)
            UserBreakCheck(ProgressBefore);
    }
    bool ok = true;
    {
        StartExchange(false);
        LineLost = false;
        EndOnLineLoss = true;
        TExchangeScope end([this] {
            EndOnLineLoss = false;
            EndExchange(false);
        });
        for (const auto& s : *List) {
            if (s->BreakSteps) {
                SendText(s->Send);
                Result = 1;
                if (List == Steps)
                    ++StepsDone;
                break;
            }
            const int timeout = s->WaitTimeoutMsec > 0 ? s->WaitTimeoutMsec : MenuTimeout;
            const size_t capturedBefore = SavedAnswers.size();
            if (s->SaveAnswer)
                FCaptureStarts.push_back(capturedBefore);
            PrepareWait({}, s->StopAnswer, &s->Progress, s->SaveAnswer, timeout, s->ErrorAnswer);
            SendText(s->Send);
            WaitAnswer(true);
            // A load step whose prompt the line garbled: an empty line makes the device print the screen and its
            // prompt again, and that print takes the place of the garbled one. Never in a save: the device may be
            // at a question whose answer an empty line is.
            // A device that stays silent is not asked again: it is not answering at all.
            for (int again = 0; again < ReadAgainCount && (Mode == doLoad || Mode == doLoadNoInit) && Result == 0 &&
                 !LineLost && !s->StopAnswer.empty() && Answer.size() > ErrorSearchStart; ++again) {
                Trace("\r\n** Prompt not seen: screen asked again **\r\n");
                if (s->SaveAnswer)
                    SavedAnswers.resize(std::min(SavedAnswers.size(), capturedBefore));
                PrepareWait({}, s->StopAnswer, nullptr, s->SaveAnswer, timeout, s->ErrorAnswer);
                SendText("\r");
                WaitAnswer(true);
            }
            if (s->Progress.Count() == 0 && OnProgress)
                UserBreakCheck(1);
            if (LineLost || Result == 2 || (Result == 0 && !s->StopAnswer.empty())) {
                if (Result == 2 && List == Steps)
                    Refusal = ErrorLine;
                NoteStepFailure(*s);
                ok = false;
                break;
            }
            std::string other;
            if (Mode == doSave && List == Steps && s->Store && !s->StopAnswer.empty() &&
                !StoreAnswerConfirms(*s, Answer.substr(ErrorSearchStart), other)) {
                Refusal = other;
                Unconfirmed = "was not confirmed: the VMU answered \"" + ShownValue(other) +
                    "\" where its screen shows the value stored";
                FailureText = "The VMU did not confirm the value \"" + ShownValue(s->Stored) + "\": it answered \"" +
                    ShownValue(other) + "\".";
                ok = false;
                break;
            }
            if (List == Steps)
                ++StepsDone;
        }
    }
    Trace(std::string("\r\n*** Stop MenuSteps (Ret=") + (ok ? "Yes" : "No") + ") ***\r\n");
    if (!ok)
        DoResult(true);
    return ok;
}

void TManagerVMU::NoteStepFailure(const TStepParameter& Step)
{
    const std::string keys = "\"" + printableKeys(secretCore(MaskSecrets(Step.Send, RunSecrets))) + "\"";
    if (LineLost)
        FailureText = "The line to the VMU was lost while it answered the keys " + keys + ".";
    else if (Result == 2)
        FailureText = "The VMU answered the keys " + keys + " with \"" + Step.ErrorAnswer +
            "\": the keys or its screen were garbled on the line.";
    else
        FailureText = "The VMU's answer to the keys " + keys + " did not end with \"" + Step.StopAnswer +
            "\": the line garbled it, or the VMU stopped answering.";
}

void TManagerVMU::ParseAnswers()
{
    Clock->Sleep(10);
    FTrace.Close();
    DoMessage("Convert and save VMU parameters. Please wait ...");
    Trace("\r\n*** Start DataManager.LoadData ***\r\n");
    std::vector<TParseFault> faults;
    Readings = 1;
    DeviceValues.clear();
    if (DataManager)
        DataManager->LoadData(Mode == doLoad ? ParamsNode : nullptr, SavedAnswers, SectionName, &faults);
    Trace("\r\n*** Stop DataManager.LoadData ***\r\n");
    const std::vector<std::string> first = CapturedLines();
    ClearAnswers();
    if (faults.empty()) {
        UserBreakCheck(1);
        Clock->Sleep(10);
        return;
    }

    // A run for one section reads its own steps again. A whole tree reads only the sections that failed, each by
    // its own script; a fault outside every section reads the whole tree again.
    TXmlNode* start = Mode == doLoad ? ParamsNode : nullptr;
    std::vector<TRereading> sections;
    bool whole = !SectionName.empty();
    for (const TParseFault& f : faults)
        whole = whole || !f.Section || f.Section == ParamsNode || f.Section->GetName().empty();
    if (whole)
        sections.push_back({SectionName, nullptr, {first}, faults});
    else
        for (const TParseFault& f : faults) {
            auto same = [&](const TRereading& r) { return r.Name == f.Section->GetName(); };
            auto it = std::find_if(sections.begin(), sections.end(), same);
            if (it == sections.end()) {
                sections.push_back({f.Section->GetName(), DataManager->GetLoadSteps(start, f.Section->GetName()),
                    {first}, {}});
                it = sections.end() - 1;
            }
            it->Faults.push_back(f);
        }
    for (int round = 1; round <= ReadAgainCount; ++round)
        for (TRereading& r : sections)
            if (!r.Faults.empty() && !r.Agreed)
                ReadAgain(r, round);

    for (const TRereading& r : sections) {
        if (r.Faults.empty())
            continue;
        const TParseFault& f = r.Faults.front();
        const std::string section = f.Section ? f.Section->GetName() : SectionName;
        std::string text = "The section \"" + section + "\" could not be read from the VMU: " + ParseFaultText(f);
        if (r.Faults.size() > 1)
            text += " (and " + std::to_string(r.Faults.size() - 1) + " more)";
        if (r.Agreed)
            text += ". Two readings showed it alike: the VMU shows it in a way the program cannot read.";
        else
            text += ". It was read " + std::to_string(r.Readings.size()) +
                " times, differently each time; the line to the VMU is most likely noisy.";
        throw EParseFaults(text);
    }
    if (!DeviceValues.empty()) {
        std::string text = "The VMU holds values outside what the program expects. They were loaded as the VMU "
                           "holds them, and a window edits them by its own rules:";
        for (size_t k = 0; k < DeviceValues.size() && k < 10; ++k)
            text += "\r\n" + DeviceValues[k];
        if (DeviceValues.size() > 10)
            text += "\r\n(and " + std::to_string(DeviceValues.size() - 10) + " more)";
        TMainThread::instance().invoke(
            [text] { TDialogs::instance().MessageBox(text, WarningCaption(), mtWarning, mbOK); });
    }
    UserBreakCheck(1);
    Clock->Sleep(10);
}

std::vector<std::string> TManagerVMU::CapturedLines() const
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t k = 0; k <= FCaptureStarts.size(); ++k) {
        const size_t to = k < FCaptureStarts.size() ? std::min(FCaptureStarts[k], SavedAnswers.size()) : SavedAnswers.size();
        if (to < from)
            continue;
        for (std::string& line : SplitScreenLines(SavedAnswers.substr(from, to - from)))
            lines.push_back(std::move(line));
        from = to;
    }
    return lines;
}

void TManagerVMU::ReadAgain(TRereading& Section, int Round)
{
    TXmlNode* start = Mode == doLoad ? ParamsNode : nullptr;
    const std::string& name = Section.Name;
    const std::string whose = name.empty() ? std::string("all sections") : "\"" + name + "\"";
    DoMessage("Reading " + whose + " again (" + std::to_string(Round) + " of " + std::to_string(ReadAgainCount) +
        "): its screens were garbled ...");
    Trace("\r\n*** Read again: " + whose + " ***\r\n");
    ClearAnswers();
    if (!MenuSteps(Section.Steps ? Section.Steps.get() : Steps, 0, 0)) {
        ClearAnswers();
        throw EParseFaults(FailureText.empty() ? std::string("The VMU did not answer.") : FailureText);
    }
    Section.Readings.push_back(CapturedLines());
    Readings = std::max(Readings, int(Section.Readings.size()));
    ClearAnswers();
    // What an earlier reading made of the section goes; the new one, or what the readings agree on, takes its place.
    const std::string dataName = name.empty() && start ? start->GetName() : name;
    auto parse = [&](const std::vector<std::string>& Lines) {
        if (TXmlNode* old = dataName.empty() ? nullptr : DataManager->Data->FindNode(nullptr, dataName))
            DataManager->Data->RemoveNode(old);
        std::string text;
        for (const std::string& line : Lines)
            text += line + "\r\n";
        Section.Faults.clear();
        DataManager->LoadData(start, text, name, &Section.Faults);
    };
    parse(Section.Readings.back());
    if (Section.Faults.empty())
        return;
    const TCombinedReading combined = CombineReadings(Section.Readings);
    if (combined.Unsettled > 0)
        return;
    // Every line was shown alike by two readings: what breaks its rules there is the device's own, and is kept as
    // read, except a control character, which no document may hold.
    parse(combined.Lines);
    Section.Agreed = true;
    std::vector<TParseFault> unreadable;
    for (TParseFault& f : Section.Faults)
        if ((!f.Text.empty() && f.Why != ControlCharFault()) || f.Why == EmptyValueFault())
            DeviceValues.push_back(ParseFaultText(f));
        else
            unreadable.push_back(std::move(f));
    Section.Faults = std::move(unreadable);
}

void TManagerVMU::ShowUserBreak()
{
    TMainThread::instance().invoke(
        [] { TDialogs::instance().MessageBox(UserBreakMessage(), WarningCaption(), mtWarning, mbOK); });
}

void TManagerVMU::Execute()
{
    ExchangeLog.clear();
    SavedAnswers.clear();
    StepsDone = 0;
    LoginFailure = lfNone;
    Refusal.clear();
    Unconfirmed.clear();
    FailureText.clear();
    LongestWaitMs = std::max({int64_t(QuietCapMs), int64_t(MenuTimeout), int64_t(WakeUpTimeout)});
    for (const TStepParameters* list : {static_cast<const TStepParameters*>(FInitSteps.get()),
             static_cast<const TStepParameters*>(FOpenSteps.get()), static_cast<const TStepParameters*>(Steps)})
        if (list)
            for (const auto& s : *list)
                LongestWaitMs = std::max<int64_t>(LongestWaitMs, s->WaitTimeoutMsec);
    RunSecrets.clear();
    for (const std::string& s : Secrets)
        if (!secretCore(s).empty())
            RunSecrets.push_back(secretCore(s));
    FTrace.Open();

    bool stepFailed = false;   // the log-in or the step list returned failure
    bool ran = false;          // the steps succeeded and a parse is due
    try {
        switch (Mode) {
        case doConnect:
            DoMessage("Connecting to VMU system. Please wait ...");
            stepFailed = !InitMenu(true, true);
            break;
        case doGoUpToMenu:
            DoMessage("Go up to menu. Please wait ...");
            stepFailed = !InitMenu(true, false);
            break;
        case doSave:
        case doReport:
        case doLoad:
            DoMessage(Caption);
            // A write holding a store that can never be sent sends nothing at all, not even the log-in.
            if (Mode == doSave && Steps && Steps->FirstEmptyStore() >= 0) {
                Unconfirmed = "was not sent: the VMU keeps its old value when an empty value is typed";
                FailureText = "An empty value cannot be stored in the VMU.";
                stepFailed = true;
                DoResult(true);
                break;
            }
            if (!InitMenu(false, false)) {
                stepFailed = true;
                if (FailureText.empty())
                    FailureText = "The VMU did not come back to its top menu: the line garbled its answer, or the "
                                  "VMU stopped answering.";
                break;
            }
            ClearAnswers();
            if (!MenuSteps(Steps, 1, Mode == doLoad ? 1 : 0)) {
                stepFailed = true;
                break;
            }
            if (Mode == doLoad)
                ran = true;
            else
                Clock->Sleep(10);
            break;
        case doLoadNoInit:
            DoMessage(Caption);
            stepFailed = !MenuSteps(Steps, 0, 1);
            ran = !stepFailed;
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        // A line that fails in the middle is a failed run like any other: its steps are written for diagnosis. A
        // user's cancel is none, and writes them only as the switches say.
        if (e.what() == std::string(UserBreakMessage())) {
            if (Mode != doConnect || LoginFailure != lfPasswordCancelled)
                ShowUserBreak();
        } else
            stepFailed = true;
        DoResult(true);
        SavedAnswers.clear();
    }

    // A parse that fails (bad data, a bad description, a cancel right after it) fails the run; the user is told
    // why here, and the caller then sees the failure.
    if (ran) {
        try {
            ParseAnswers();
        } catch (const EParseFaults& e) {
            // The caller tells it, with what it does about the document.
            FailureText = e.Message;
            stepFailed = true;
            DoResult(true);
        } catch (const std::exception& e) {
            std::string message = e.what();
            if (message == UserBreakMessage())
                ShowUserBreak();
            else
                TMainThread::instance().invoke([message] { ShowError(message); });
            DoResult(true);
        }
    }
    if (Mode == doConnect || Mode == doSave || Mode == doLoad || Mode == doLoadNoInit)
        SavedAnswers.clear();

    if (stepFailed)
        WriteStepFiles(true, true);
    else
        WriteStepFiles(TraceSwitches().SaveSteps, TraceSwitches().SaveStepsInfo);
    ExchangeLog.clear();
    FTrace.Close();
}

void TManagerVMU::WriteStepFiles(bool ExchangeFile, bool InfoFiles)
{
    const char* exchange = nullptr;
    const char* info = nullptr;
    switch (Mode) {
    case doConnect:
        exchange = "SaveStepsTestInit.txt";
        break;
    case doSave:
    case doReport:
        exchange = "SaveStepsToVMU.txt";
        info = "SaveStepsInfoToVMU.txt";
        break;
    case doLoad:
    case doLoadNoInit:
        exchange = "SaveStepsFromVMU.txt";
        info = "SaveStepsInfoFromVMU.txt";
        break;
    default:
        return;
    }
    // Diagnosis files never fail the device job: one that cannot be written is left out.
    auto write = [](const char* name, const std::string& text) {
        try {
            WriteFileAtomic(SettingsFilePath(name), text);
        } catch (const std::exception&) {
        }
    };
    if (ExchangeFile)
        write(exchange, ExchangeLog);
    if (!InfoFiles)
        return;
    if (Mode == doConnect) {
        write("SaveStepsInfoInit.txt", FInitSteps->StepInfoText(RunSecrets));
        write("SaveStepsInfoOpen.txt", FOpenSteps->StepInfoText(RunSecrets));
    } else if (Steps)
        write(info, Steps->StepInfoText(RunSecrets));
    else
        write(info, std::string());
}
