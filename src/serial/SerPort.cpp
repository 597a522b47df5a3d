#include "serial/SerPort.h"

#include <cstring>

#include "common/StringGroups.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/MainThread.h"
#include "platform/SerialDevices.h"
#include "platform/StrUtil.h"
#include "serial/SerTermios.h"
#include "serial/SerTermios2.h"
#include "serial/SerThread.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

// ---- Error texts -------------------------------------------------------------------------------------------------

namespace {
const std::array<const char*, SerPortErrorTextCount> DefaultErrorTexts = {
    "Unable to open com port", "WriteFile function failed", "ReadFile function failed",
    "Invalid Async parameter", "PurgeComm function failed", "Unable to get async status",
    "SetCommState function failed", "SetCommTimeouts failed", "SetupComm function failed",
    "ClearCommError function failed", "GetCommModemStatus function failed",
    "EscapeCommFunction function failed", "TransmitCommChar function failed",
    "Cannot set SyncMethod while connected", "EnumPorts function failed", "Failed to store settings",
    "Failed to load settings", "Link (un)registration failed", "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created", "WaitForEvent method failed",
    "A component is linked to OnRxBuf event"};

std::mutex ErrorTextLock;
std::array<std::string, SerPortErrorTextCount>& errorTexts()
{
    static std::array<std::string, SerPortErrorTextCount> texts = [] {
        std::array<std::string, SerPortErrorTextCount> t;
        for (int i = 0; i < SerPortErrorTextCount; ++i)
            t[size_t(i)] = DefaultErrorTexts[size_t(i)];
        return t;
    }();
    return texts;
}

// Shows an error that has nowhere else to go (a handler's, during Close) as the application's error box would.
void reportError(const std::string& message)
{
    TMainThread::instance().post([message] { ShowError(message); });
}

std::string messageOf(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const Exception& x) {
        return x.Message;
    } catch (const std::exception& x) {
        return x.what();
    } catch (...) {
        return "Unknown error";
    }
}
}

std::string SerPortErrorText(int Position)
{
    if (Position < 0 || Position >= SerPortErrorTextCount)
        return std::string();
    std::lock_guard<std::mutex> g(ErrorTextLock);
    return errorTexts()[size_t(Position)];
}

void SetSerPortErrorText(int Position, const std::string& Text)
{
    if (Position < 0 || Position >= SerPortErrorTextCount)
        return;
    std::lock_guard<std::mutex> g(ErrorTextLock);
    errorTexts()[size_t(Position)] = Text;
}

void ResetSerPortErrorTexts()
{
    std::lock_guard<std::mutex> g(ErrorTextLock);
    for (int i = 0; i < SerPortErrorTextCount; ++i)
        errorTexts()[size_t(i)] = DefaultErrorTexts[size_t(i)];
}

namespace {
// The keys of the "SerPort Unit" text group, in table order.
const std::array<const char*, SerPortErrorTextCount> ErrorTextKeys = {"OpenFailed", "WriteFailed", "ReadFailed",
    "InvalidAsync", "PurgeFailed", "AsyncCheck", "SetStateFailed", "TimeoutsFailed", "SetupComFailed",
    "ClearComFailed", "ModemStatFailed", "EscapeComFailed", "TransmitFailed", "SyncMeth", "EnumPortsFailed",
    "StoreFailed", "LoadFailed", "RegFailed", "LedStateFailed", "ThreadCreated", "WaitFailed", "HasLink"};

bool SetSerPortTextByKey(const std::string& Key, const std::string& Text)
{
    for (int i = 0; i < SerPortErrorTextCount; ++i)
        if (Key == ErrorTextKeys[size_t(i)]) {
            SetSerPortErrorText(i, Text);
            return true;
        }
    return false;
}

const TStringGroupRegistration SerPortTextsJoin("SerPort Unit", SetSerPortTextByKey);
}

ESerPort::ESerPort(std::string Message, int Code_, int WinCode_)
    : Exception(std::move(Message)), WinCode(WinCode_), Code(Code_)
{
}

ESerPort ESerPort::CreateWin(int Code, int WinCode)
{
    // The table text may come from the description document: it is never used as a format.
    return ESerPort(SerPortErrorText(Code - 1) + Format(" ( Windows Error Code: %d )", {int64_t(WinCode)}), Code,
        WinCode);
}

ESerPort ESerPort::CreateNoWin(int Code) { return ESerPort(SerPortErrorText(Code - 1), Code, -1); }

// ---- Names -------------------------------------------------------------------------------------------------------

namespace {
const char* const BaudRateNames[] = {"Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400",
    "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
const int32_t BaudRateValues[] = {0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600,
    115200, 128000, 256000};
const char* const StopBitsNames[] = {"1", "1.5", "2"};
const char* const DataBitsNames[] = {"5", "6", "7", "8"};
const char* const ParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};
const char* const FlowControlNames[] = {"Hardware", "Software", "None", "Custom"};
const char* const DTRNames[] = {"Disable", "Enable", "Handshake"};
const char* const RTSNames[] = {"Disable", "Enable", "Handshake", "Toggle"};

template <size_t N>
std::string nameOf(const char* const (&names)[N], int v)
{
    return v >= 0 && size_t(v) < N ? names[v] : std::string();
}

template <class E, size_t N>
E valueOf(const char* const (&names)[N], const std::string& s, E dflt)
{
    for (size_t i = 0; i < N; ++i)
        if (SameText(names[i], s))
            return E(i);
    return dflt;
}
}

std::string BaudRateToStr(TBaudRate v) { return nameOf(BaudRateNames, v); }
TBaudRate StrToBaudRate(const std::string& s) { return valueOf(BaudRateNames, s, br9600); }
std::string StopBitsToStr(TStopBits v) { return nameOf(StopBitsNames, v); }
TStopBits StrToStopBits(const std::string& s) { return valueOf(StopBitsNames, s, sbOneStopBit); }
std::string DataBitsToStr(TDataBits v) { return nameOf(DataBitsNames, v); }
TDataBits StrToDataBits(const std::string& s) { return valueOf(DataBitsNames, s, dbEight); }
std::string ParityToStr(TParityBits v) { return nameOf(ParityNames, v); }
TParityBits StrToParity(const std::string& s) { return valueOf(ParityNames, s, prNone); }
std::string FlowControlToStr(TFlowControl v) { return nameOf(FlowControlNames, v); }
TFlowControl StrToFlowControl(const std::string& s) { return valueOf(FlowControlNames, s, fcCustom); }
std::string DTRToStr(TDTRFlowControl v) { return nameOf(DTRNames, v); }
TDTRFlowControl StrToDTR(const std::string& s) { return valueOf(DTRNames, s, dtrDisable); }
std::string RTSToStr(TRTSFlowControl v) { return nameOf(RTSNames, v); }
TRTSFlowControl StrToRTS(const std::string& s) { return valueOf(RTSNames, s, rtsDisable); }

int32_t BaudRateValue(TBaudRate v) { return v >= brCustom && v <= br256000 ? BaudRateValues[v] : 0; }

std::string CharToStr(unsigned char c)
{
    if (c >= 33 && c <= 127)
        return std::string(1, char(c));
    return "#" + IntToStr(c);
}

unsigned char StrToChar(const std::string& s)
{
    if (s.size() > 1 && s[0] == '#') {
        int32_t v = 0;
        if (TryStrToInt(s.substr(1), v) && v >= 0 && v <= 255)
            return (unsigned char)v;
    }
    return s.empty() ? 0 : (unsigned char)s[0];
}

std::string NormalizePortName(const std::string& Name)
{
    if (!Name.empty() && Name[0] == '/')
        return Name;
    std::string rest = Name;
    if (rest.size() >= 3 && SameText(rest.substr(0, 3), "COM"))
        rest = rest.substr(3);
    int32_t n = StrToIntDef(rest, 1);
    if (n < 1 || n > 96)
        n = 1;
    return "COM" + IntToStr(n);
}

bool IsPortName(const std::string& Name)
{
    if (!Name.empty() && Name[0] == '/')
        return Name.size() > 1;
    std::string rest = Name;
    if (rest.size() >= 3 && SameText(rest.substr(0, 3), "COM"))
        rest = rest.substr(3);
    int32_t n = 0;
    return TryStrToInt(rest, n) && n >= 1 && n <= 96;
}

std::string PortDevicePath(const std::string& Name)
{
    std::string n = NormalizePortName(Name);
    if (n[0] == '/')
        return n;
    return "/dev/ttyS" + IntToStr(StrToInt(n.substr(3)) - 1);
}

void EnumSerPorts(std::vector<std::string>& List)
{
    std::vector<std::string> paths;
    if (int err = EnumSerialDevices(paths))
        throw ESerPort::CreateWin(secEnumPortsFailed, err);
    const std::string ttyS = "/dev/ttyS";
    for (const std::string& p : paths) {
        int32_t n = 0;
        if (p.compare(0, ttyS.size(), ttyS) == 0 && TryStrToInt(p.substr(ttyS.size()), n) && n >= 0 && n < 96)
            List.push_back("COM" + IntToStr(n + 1));
        else
            List.push_back(p);
    }
}

// ---- Setting groups ----------------------------------------------------------------------------------------------

void TSerTimeouts::Assign(const TSerTimeouts& o)
{
    FReadInterval = o.FReadInterval;
    FReadTotalMultiplier = o.FReadTotalMultiplier;
    FReadTotalConstant = o.FReadTotalConstant;
    FWriteTotalMultiplier = o.FWriteTotalMultiplier;
    FWriteTotalConstant = o.FWriteTotalConstant;
}

#define SER_SETTER(Class, Name, Type)      \
    void Class::Set##Name(Type v)          \
    {                                      \
        if (F##Name == v)                  \
            return;                        \
        F##Name = v;                       \
        changed();                         \
    }

SER_SETTER(TSerTimeouts, ReadInterval, int32_t)
SER_SETTER(TSerTimeouts, ReadTotalMultiplier, int32_t)
SER_SETTER(TSerTimeouts, ReadTotalConstant, int32_t)
SER_SETTER(TSerTimeouts, WriteTotalMultiplier, int32_t)
SER_SETTER(TSerTimeouts, WriteTotalConstant, int32_t)

void TSerTimeouts::changed()
{
    if (Port)
        Port->ApplyTimeouts();
}

TSerReadLimit TSerTimeouts::ReadLimit(int Count) const
{
    // The classic meaning of the five values: "all bits set" as interval with zero totals returns at once;
    // with "all bits set" as multiplier too, the first byte ends the read; a zero total means no total limit.
    TSerReadLimit l;
    const uint32_t interval = uint32_t(FReadInterval), mult = uint32_t(FReadTotalMultiplier);
    const uint32_t constant = uint32_t(FReadTotalConstant);
    if (interval == UINT32_MAX && mult == 0 && constant == 0) {
        l.AtOnce = true;
        return l;
    }
    if (interval == UINT32_MAX && mult == UINT32_MAX && constant > 0 && constant < UINT32_MAX) {
        l.FirstByteEnds = true;
        l.TotalMs = int(std::min<uint32_t>(constant, INT32_MAX));
        return l;
    }
    uint64_t total = uint64_t(mult) * uint64_t(Count > 0 ? Count : 0) + constant;
    if (total > 0)
        l.TotalMs = int(std::min<uint64_t>(total, INT32_MAX));
    if (interval > 0 && interval != UINT32_MAX)
        l.IntervalMs = int(std::min<uint32_t>(interval, INT32_MAX));
    return l;
}

int TSerTimeouts::WriteLimitMs(int Count) const
{
    uint64_t total = uint64_t(uint32_t(FWriteTotalMultiplier)) * uint64_t(Count > 0 ? Count : 0) +
        uint32_t(FWriteTotalConstant);
    return total == 0 ? -1 : int(std::min<uint64_t>(total, INT32_MAX));
}

void TSerFlowControl::Assign(const TSerFlowControl& o)
{
    FOutCTSFlow = o.FOutCTSFlow;
    FOutDSRFlow = o.FOutDSRFlow;
    FControlDTR = o.FControlDTR;
    FControlRTS = o.FControlRTS;
    FXonXoffOut = o.FXonXoffOut;
    FXonXoffIn = o.FXonXoffIn;
    FDSRSensitivity = o.FDSRSensitivity;
    FTxContinueOnXoff = o.FTxContinueOnXoff;
    FXonChar = o.FXonChar;
    FXoffChar = o.FXoffChar;
}

SER_SETTER(TSerFlowControl, OutCTSFlow, bool)
SER_SETTER(TSerFlowControl, OutDSRFlow, bool)
SER_SETTER(TSerFlowControl, ControlDTR, TDTRFlowControl)
SER_SETTER(TSerFlowControl, ControlRTS, TRTSFlowControl)
SER_SETTER(TSerFlowControl, XonXoffOut, bool)
SER_SETTER(TSerFlowControl, XonXoffIn, bool)
SER_SETTER(TSerFlowControl, DSRSensitivity, bool)
SER_SETTER(TSerFlowControl, TxContinueOnXoff, bool)
SER_SETTER(TSerFlowControl, XonChar, unsigned char)
SER_SETTER(TSerFlowControl, XoffChar, unsigned char)

void TSerFlowControl::changed()
{
    if (Port)
        Port->ApplyDCB();
}

TFlowControl TSerFlowControl::FlowControl() const
{
    if (FControlRTS == rtsHandshake && FOutCTSFlow && !FXonXoffIn && !FXonXoffOut)
        return fcHardware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && FXonXoffIn && FXonXoffOut)
        return fcSoftware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && !FXonXoffIn && !FXonXoffOut)
        return fcNone;
    return fcCustom;
}

void TSerFlowControl::SetFlowControl(TFlowControl v)
{
    if (v != fcCustom) {
        FControlRTS = rtsDisable;
        FOutCTSFlow = false;
        FXonXoffIn = false;
        FXonXoffOut = false;
        if (v == fcHardware) {
            FControlRTS = rtsHandshake;
            FOutCTSFlow = true;
        } else if (v == fcSoftware) {
            FXonXoffIn = true;
            FXonXoffOut = true;
        }
    }
    changed();
}

void TSerParity::Assign(const TSerParity& o)
{
    FBits = o.FBits;
    FCheck = o.FCheck;
    FReplace = o.FReplace;
    FReplaceChar = o.FReplaceChar;
}

SER_SETTER(TSerParity, Bits, TParityBits)
SER_SETTER(TSerParity, Check, bool)
SER_SETTER(TSerParity, Replace, bool)
SER_SETTER(TSerParity, ReplaceChar, unsigned char)

void TSerParity::changed()
{
    if (Port)
        Port->ApplyDCB();
}

void TSerBuffer::Assign(const TSerBuffer& o)
{
    FInputSize = o.FInputSize;
    FOutputSize = o.FOutputSize;
}

void TSerBuffer::SetInputSize(int32_t v)
{
    v &= ~int32_t(1);
    if (v == FInputSize)
        return;
    FInputSize = v;
    changed();
}

void TSerBuffer::SetOutputSize(int32_t v)
{
    v &= ~int32_t(1);
    if (v == FOutputSize)
        return;
    FOutputSize = v;
    changed();
}

void TSerBuffer::changed()
{
    if (Port)
        Port->ApplyBuffer();
}

// ---- The port: lifecycle and settings ---------------------------------------------------------------------------

TCustomSerPort::TCustomSerPort() = default;

TCustomSerPort::~TCustomSerPort()
{
    Close();
    RetiredThread.reset();
    auto notes = std::move(FreeNotifications);
    for (auto& n : notes)
        if (n.second)
            n.second();
}

void TCustomSerPort::AddFreeNotification(const void* Key, std::function<void()> Fn)
{
    RemoveFreeNotification(Key);
    FreeNotifications.emplace_back(Key, std::move(Fn));
}

void TCustomSerPort::RemoveFreeNotification(const void* Key)
{
    FreeNotifications.erase(std::remove_if(FreeNotifications.begin(), FreeNotifications.end(),
                                [Key](const auto& n) { return n.first == Key; }),
        FreeNotifications.end());
}

void TCustomSerPort::BeginUpdate() { ++FUpdateCount; }

void TCustomSerPort::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    if (--FUpdateCount == 0)
        SetupComPort();
}

bool TCustomSerPort::canApply() const { return FConnected && FUpdateCount == 0; }

void TCustomSerPort::SetConnected(bool v)
{
    if (v == FConnected)
        return;
    if (v)
        Open();
    else
        Close();
}

void TCustomSerPort::SetPort(const std::string& v)
{
    std::string n = NormalizePortName(v);
    if (n == FPort)
        return;
    FPort = n;
    if (FConnected) {
        Close();
        Open();
    }
}

#define PORT_SETTER(Name, Type)                      \
    void TCustomSerPort::Set##Name(Type v)           \
    {                                                \
        if (F##Name == v)                            \
            return;                                  \
        F##Name = v;                                 \
        ApplyDCB();                                  \
    }

PORT_SETTER(BaudRate, TBaudRate)
PORT_SETTER(CustomBaudRate, int32_t)
PORT_SETTER(StopBits, TStopBits)
PORT_SETTER(DataBits, TDataBits)
PORT_SETTER(DiscardNull, bool)
PORT_SETTER(EventChar, unsigned char)

void TCustomSerPort::SetSyncMethod(TSyncMethod v)
{
    if (v == FSyncMethod)
        return;
    if (FConnected)
        throw ESerPort::CreateNoWin(secSyncMeth);
    FSyncMethod = v;
}

void TCustomSerPort::SetTriggersOnRxChar(bool v)
{
    FTriggersOnRxChar = v;
    recomputeHasLink();
}

void TCustomSerPort::SetBuffer(const TSerBuffer& v)
{
    FBuffer.Assign(v);
    ApplyBuffer();
}

void TCustomSerPort::SetParity(const TSerParity& v)
{
    FParity.Assign(v);
    ApplyDCB();
}

void TCustomSerPort::SetTimeouts(const TSerTimeouts& v)
{
    FTimeouts.Assign(v);
    ApplyTimeouts();
}

void TCustomSerPort::SetFlowControl(const TSerFlowControl& v)
{
    FFlowControl.Assign(v);
    ApplyDCB();
}

// ---- Open and close ----------------------------------------------------------------------------------------------

void TCustomSerPort::CreateHandle()
{
    // The user must learn which port failed and why (a missing device, a port another program holds, no rights),
    // so the table text is followed by the port and the system's reason before the error number.
    const std::string Path = PortDevicePath(FPort);
    if (int err = Device.Open(Path)) {
        ESerPort E = ESerPort::CreateWin(secOpenFailed, err);
        std::string Where = FPort == Path ? "\"" + FPort + "\"" : "\"" + FPort + "\" (" + Path + ")";
        E.Message = SerPortErrorText(secOpenFailed - 1) + " " + Where + ": " + std::strerror(err) +
            Format(" ( Windows Error Code: %d )", {int64_t(err)});
        throw E;
    }
}

void TCustomSerPort::DestroyHandle() { Device.Close(); }

void TCustomSerPort::SetupComPort()
{
    ApplyBuffer();
    ApplyDCB();
    ApplyTimeouts();
}

void TCustomSerPort::ApplyBuffer()
{
    // The driver's queues have fixed sizes; the input size still sets the mark of the 80 % event.
    if (!canApply())
        return;
    AppliedInputSize = FBuffer.InputSize();
}

void TCustomSerPort::ApplyTimeouts()
{
    if (!canApply())
        return;
    std::lock_guard<std::mutex> g(AppliedLock);
    AppliedTimeouts.Assign(FTimeouts);
}

void TCustomSerPort::ApplyDCB()
{
    if (!canApply())
        return;
    TSerLineSettings s;
    s.BaudRate = FBaudRate == brCustom ? FCustomBaudRate : BaudRateValue(FBaudRate);
    s.DataBits = 5 + int(FDataBits);
    s.Parity = int(FParity.Bits());
    s.StopBits = int(FStopBits);
    s.CtsFlow = FFlowControl.OutCTSFlow() || FFlowControl.ControlRTS() == rtsHandshake;
    s.XonXoffOut = FFlowControl.XonXoffOut();
    s.XonXoffIn = FFlowControl.XonXoffIn();
    s.ParityCheck = FParity.Check();
    s.XonChar = FFlowControl.XonChar();
    s.XoffChar = FFlowControl.XoffChar();
    const bool dtr = FFlowControl.ControlDTR() != dtrDisable;
    const TRTSFlowControl rts = FFlowControl.ControlRTS();
    int err = Device.WithFd([&](int fd) {
        termios old, t;
        uint32_t custom = 0;
        if (tcgetattr(fd, &old) != 0)
            return errno;
        if (!SettingsToTermios(s, old, t, custom))
            return EINVAL;
        if (tcsetattr(fd, TCSANOW, &t) != 0)
            return errno;
        int e = custom ? ::SetCustomBaudRate(fd, custom) : 0;
        if (!e)
            e = SetModemLine(fd, TIOCM_DTR, dtr);
        // Under hardware flow control the driver drives RTS itself.
        if (!e && rts != rtsHandshake)
            e = SetModemLine(fd, TIOCM_RTS, rts != rtsDisable);
        if (e)
            tcsetattr(fd, TCSANOW, &old);
        return e;
    });
    if (err < 0)
        err = -err;
    if (err)
        throw ESerPort::CreateWin(secSetStateFailed, err);
}

void TCustomSerPort::Open()
{
    if (FConnected)
        return;
    OnBeforeOpen(*this);
    RetiredThread.reset();
    CreateHandle();
    FConnected = true;
    Consumed = 0;
    TxPending = false;
    bool linksNotified = false;
    try {
        SetupComPort();
        {
            std::lock_guard<std::mutex> g(ErrorLock);
            Device.WithFd([this](int fd) {
                ReadLineCounters(fd, ErrorBase);
                return 0;
            });
        }
        if (!FEvents.empty()) {
            auto thread = std::make_unique<TSerThread>(*this, FEvents);
            std::lock_guard<std::mutex> g(ThreadLock);
            EventThread = std::move(thread);
            ThreadCreated = true;
        }
        linksNotified = true;
        for (TSerLink* l : linksCopy())
            if (l->OnConn)
                l->OnConn(*this, true);
        OnAfterOpen(*this);
        checkSignals(true);
    } catch (...) {
        undoOpen(linksNotified);
        throw;
    }
}

void TCustomSerPort::undoOpen(bool LinksNotified) noexcept
{
    stopThread();
    DestroyHandle();
    FConnected = false;
    if (LinksNotified)
        for (TSerLink* l : linksCopy())
            if (l->OnConn) {
                try {
                    l->OnConn(*this, false);
                } catch (...) {
                }
            }
}

void TCustomSerPort::stopThread() noexcept
{
    if (!ThreadCreated)
        return;
    ThreadCreated = false;
    std::unique_ptr<TSerThread> t;
    {
        std::lock_guard<std::mutex> g(ThreadLock);
        t = std::move(EventThread);
    }
    if (!t)
        return;
    t->Stop();
    // From inside one of the thread's own handler calls the thread cannot be waited for: it ends by itself once
    // the handler returns, and is joined at the next Open or when the port goes.
    std::thread::id self = std::this_thread::get_id();
    if (DispatchThread.load() == self || t->Id() == self)
        RetiredThread = std::move(t);
}

void TCustomSerPort::Close() noexcept
{
    if (!FConnected)
        return;
    auto guarded = [](auto&& fn) {
        try {
            fn();
        } catch (...) {
            reportError(messageOf(std::current_exception()));
        }
    };
    guarded([this] { checkSignals(false); });
    guarded([this] { OnBeforeClose(*this); });
    Device.AbortAll();
    stopThread();
    Device.WithFd([](int fd) { return tcflush(fd, TCIOFLUSH); });
    DestroyHandle();
    FConnected = false;
    for (TSerLink* l : linksCopy())
        if (l->OnConn)
            guarded([&] { l->OnConn(*this, false); });
    guarded([this] { OnAfterClose(*this); });
}

void TCustomSerPort::checkSignals(bool Open)
{
    bool cts = false, dsr = false, rlsd = false;
    if (Open) {
        cts = Signals().contains(csCTS);
        dsr = Signals().contains(csDSR);
        rlsd = Signals().contains(csRLSD);
    }
    auto links = linksCopy();
    if (Open) {
        for (TSerLink* l : links)
            if (l->OnCTSChange)
                l->OnCTSChange(*this, cts);
        OnCTSChange(*this, cts);
        for (TSerLink* l : links)
            if (l->OnDSRChange)
                l->OnDSRChange(*this, dsr);
        OnDSRChange(*this, dsr);
        for (TSerLink* l : links)
            if (l->OnRLSDChange)
                l->OnRLSDChange(*this, rlsd);
        OnRLSDChange(*this, rlsd);
    } else {
        for (TSerLink* l : links) {
            if (l->OnCTSChange)
                l->OnCTSChange(*this, false);
            if (l->OnDSRChange)
                l->OnDSRChange(*this, false);
            if (l->OnRLSDChange)
                l->OnRLSDChange(*this, false);
        }
        OnCTSChange(*this, false);
        OnDSRChange(*this, false);
        OnRLSDChange(*this, false);
    }
}

// ---- I/O ---------------------------------------------------------------------------------------------------------

int TCustomSerPort::Write(const void* Buffer, int Count)
{
    if (Count <= 0)
        return 0;
    int limit;
    {
        std::lock_guard<std::mutex> g(AppliedLock);
        limit = AppliedTimeouts.WriteLimitMs(Count);
    }
    if (Device.IsOpen())
        for (TSerLink* l : linksCopy())
            if (l->OnTx)
                l->OnTx(*this, true);
    ssize_t n = Device.Write(Buffer, size_t(Count), limit);
    if (n < 0)
        throw ESerPort::CreateWin(secWriteFailed, int(-n));
    if (n > 0) {
        TxPending = true;
        if (FEvents.contains(evTxEmpty)) {
            std::lock_guard<std::mutex> g(ThreadLock);
            if (EventThread)
                EventThread->Poke();
        }
        for (TSerLink* l : linksCopy())
            if (l->OnTxBuf)
                l->OnTxBuf(*this, static_cast<const char*>(Buffer), int(n));
    }
    return int(n);
}

int TCustomSerPort::WriteStr(const std::string& Str) { return Write(Str.data(), int(Str.size())); }

int TCustomSerPort::readWith(void* Buffer, int Count, const TSerReadLimit& Limit)
{
    if (Count <= 0)
        return 0;
    ssize_t n = Device.Read(Buffer, size_t(Count), Limit);
    if (n < 0)
        throw ESerPort::CreateWin(secReadFailed, int(-n));
    Consumed += uint64_t(n);
    int left = Device.WithFd([](int fd) {
        int k = 0;
        return ioctl(fd, FIONREAD, &k) == 0 ? k : 0;
    });
    if (left == 0)
        for (TSerLink* l : linksCopy())
            if (l->OnRx)
                l->OnRx(*this, false);
    return int(n);
}

int TCustomSerPort::Read(void* Buffer, int Count)
{
    TSerReadLimit limit;
    {
        std::lock_guard<std::mutex> g(AppliedLock);
        limit = AppliedTimeouts.ReadLimit(Count);
    }
    return readWith(Buffer, Count, limit);
}

int TCustomSerPort::ReadFor(void* Buffer, int Count, int TimeoutMs)
{
    TSerReadLimit limit;
    limit.TotalMs = TimeoutMs < 0 ? 0 : TimeoutMs;
    return readWith(Buffer, Count, limit);
}

void TCustomSerPort::AbortAllAsync()
{
    if (!Device.IsOpen())
        throw ESerPort::CreateWin(secPurgeFailed, EBADF);
    Device.AbortAll();
}

void TCustomSerPort::ClearBuffer(bool Input, bool Output)
{
    int sel = Input && Output ? TCIOFLUSH : Input ? TCIFLUSH : Output ? TCOFLUSH : -1;
    int rc = Device.WithFd([&](int fd) {
        if (sel < 0)
            return 0;
        int waiting = 0;
        if (Input && ioctl(fd, FIONREAD, &waiting) == 0)
            Consumed += uint64_t(waiting);
        return tcflush(fd, sel) == 0 ? 0 : errno;
    });
    if (rc)
        throw ESerPort::CreateWin(secPurgeFailed, rc < 0 ? -rc : rc);
}

int TCustomSerPort::InputCount()
{
    int count = 0;
    int rc = Device.WithFd([&](int fd) {
        if (ioctl(fd, FIONREAD, &count) == 0)
            return 0;
        // A line that has hung up holds nothing to read.
        if (errno == EIO) {
            count = 0;
            return 0;
        }
        return errno;
    });
    if (rc)
        throw ESerPort::CreateWin(secClearComFailed, rc < 0 ? -rc : rc);
    return count;
}

TSerErrors TCustomSerPort::LastErrors()
{
    TLineCounters now;
    int rc = Device.WithFd([&](int fd) {
        ReadLineCounters(fd, now);
        return 0;
    });
    if (rc)
        throw ESerPort::CreateWin(secClearComFailed, -rc);
    std::lock_guard<std::mutex> g(ErrorLock);
    TSerErrors e;
    if (now.Frame != ErrorBase.Frame)
        e.include(ceFrame);
    if (now.Parity != ErrorBase.Parity && FParity.Check())
        e.include(ceRxParity);
    if (now.Overrun != ErrorBase.Overrun)
        e.include(ceOverrun);
    if (now.Break != ErrorBase.Break)
        e.include(ceBreak);
    if (now.BufOverrun != ErrorBase.BufOverrun)
        e.include(ceRxOver);
    ErrorBase = now;
    return e;
}

TSerSignals TCustomSerPort::Signals()
{
    TLineStatus st;
    int rc = Device.WithFd([&](int fd) { return ReadLineStatus(fd, st); });
    if (rc)
        throw ESerPort::CreateWin(secModemStatFailed, rc < 0 ? -rc : rc);
    TSerSignals s;
    if (st.CTS)
        s.include(csCTS);
    if (st.DSR)
        s.include(csDSR);
    if (st.Ring)
        s.include(csRing);
    if (st.RLSD)
        s.include(csRLSD);
    return s;
}

void TCustomSerPort::SetDTR(bool OnOff)
{
    int rc = Device.WithFd([&](int fd) { return SetModemLine(fd, TIOCM_DTR, OnOff); });
    if (rc)
        throw ESerPort::CreateWin(secEscapeComFailed, rc < 0 ? -rc : rc);
}

// ---- Links -------------------------------------------------------------------------------------------------------

namespace {
// How many link loops the current thread is inside: an UnRegisterLink from inside one must not wait for itself.
thread_local int LinkCallDepth = 0;
}

TCustomSerPort::TLinkCalls::TLinkCalls(const TCustomSerPort& P) : Port(P)
{
    std::lock_guard<std::mutex> g(Port.LinkLock);
    Links = Port.Links;
    ++Port.LinkCalls;
    ++LinkCallDepth;
}

TCustomSerPort::TLinkCalls::~TLinkCalls()
{
    {
        std::lock_guard<std::mutex> g(Port.LinkLock);
        --Port.LinkCalls;
        --LinkCallDepth;
    }
    Port.LinkIdle.notify_all();
}

void TCustomSerPort::recomputeHasLink()
{
    std::lock_guard<std::mutex> g(LinkLock);
    FHasLink = std::any_of(Links.begin(), Links.end(), [](TSerLink* l) { return bool(l->OnRxBuf); });
}

void TCustomSerPort::RegisterLink(TSerLink* Link)
{
    {
        std::lock_guard<std::mutex> g(LinkLock);
        if (!Link || std::find(Links.begin(), Links.end(), Link) != Links.end())
            throw ESerPort::CreateNoWin(secRegFailed);
        Links.push_back(Link);
    }
    recomputeHasLink();
}

void TCustomSerPort::UnRegisterLink(TSerLink* Link)
{
    {
        std::unique_lock<std::mutex> g(LinkLock);
        auto it = std::find(Links.begin(), Links.end(), Link);
        if (it == Links.end())
            throw ESerPort::CreateNoWin(secRegFailed);
        Links.erase(it);
        if (LinkCallDepth == 0)
            LinkIdle.wait(g, [this] { return LinkCalls == 0; });
    }
    recomputeHasLink();
}

// ---- Events (run by the reader thread's dispatch) ----------------------------------------------------------------

void TCustomSerPort::DoEvents(TSerEvents Batch)
{
    std::thread::id previous = DispatchThread.exchange(std::this_thread::get_id());
    try {
        for (TSerEvent e : SerEventOrder)
            // A handler may have closed the port: the rest of the batch has nothing left to report.
            if (Batch.contains(e) && FConnected)
                CallEvent(e);
    } catch (...) {
        DispatchThread = previous;
        throw;
    }
    DispatchThread = previous;
}

void TCustomSerPort::CallEvent(TSerEvent Event)
{
    switch (Event) {
    case evError: CallError(); break;
    case evRxChar: CallRxChar(); break;
    case evTxEmpty: CallTxEmpty(); break;
    case evBreak: CallBreak(); break;
    case evRing: CallRing(); break;
    case evCTS: CallCTSChange(); break;
    case evDSR: CallDSRChange(); break;
    case evRxFlag: CallRxFlag(); break;
    case evRLSD: CallRLSDChange(); break;
    case evRx80Full: CallRx80Full(); break;
    }
}

void TCustomSerPort::CallError()
{
    TSerErrors e = LastErrors();
    if (!e.empty())
        OnError(*this, e);
}

void TCustomSerPort::CallRxChar()
{
    int count = InputCount();
    if (count > 0)
        for (TSerLink* l : linksCopy())
            if (l->OnRx)
                l->OnRx(*this, true);
    handOnBytes(count);
    if (count > 0)
        OnRxChar(*this, count);
}

void TCustomSerPort::handOnBytes(int& Count)
{
    if (Count < 1 || (FTriggersOnRxChar && !FHasLink))
        return;
    std::vector<char> buf;
    bool read = false;
    auto take = [&] {
        buf.resize(size_t(Count));
        // The main thread never waits here: what was counted may have been taken by a worker in the meantime.
        int n = ReadFor(buf.data(), Count, 0);
        buf.resize(size_t(n));
        read = true;
        OnRxBuf(*this, buf.data(), int(buf.size()));
    };
    for (TSerLink* l : linksCopy())
        if (l->OnRxBuf) {
            if (!read)
                take();
            l->OnRxBuf(*this, buf.data(), int(buf.size()));
        }
    if (!read && !FTriggersOnRxChar)
        take();
    if (read)
        Count = 0;
}

void TCustomSerPort::CallTxEmpty()
{
    for (TSerLink* l : linksCopy())
        if (l->OnTx)
            l->OnTx(*this, false);
    for (TSerLink* l : linksCopy())
        if (l->OnTxEmpty)
            l->OnTxEmpty(*this);
    OnTxEmpty(*this);
}

void TCustomSerPort::CallBreak() { OnBreak(*this); }

void TCustomSerPort::CallRing()
{
    for (TSerLink* l : linksCopy())
        if (l->OnRing)
            l->OnRing(*this);
    OnRing(*this);
}

void TCustomSerPort::CallRxFlag()
{
    for (TSerLink* l : linksCopy())
        if (l->OnRxFlag)
            l->OnRxFlag(*this);
    OnRxFlag(*this);
}

void TCustomSerPort::CallRx80Full() { OnRx80Full(*this); }

void TCustomSerPort::CallCTSChange()
{
    bool on = Signals().contains(csCTS);
    for (TSerLink* l : linksCopy())
        if (l->OnCTSChange)
            l->OnCTSChange(*this, on);
    OnCTSChange(*this, on);
}

void TCustomSerPort::CallDSRChange()
{
    bool on = Signals().contains(csDSR);
    for (TSerLink* l : linksCopy())
        if (l->OnDSRChange)
            l->OnDSRChange(*this, on);
    OnDSRChange(*this, on);
}

void TCustomSerPort::CallRLSDChange()
{
    bool on = Signals().contains(csRLSD);
    for (TSerLink* l : linksCopy())
        if (l->OnRLSDChange)
            l->OnRLSDChange(*this, on);
    OnRLSDChange(*this, on);
}

// ---- Stored settings ---------------------------------------------------------------------------------------------

namespace {
const char* yesNo(bool v) { return v ? "Yes" : "No"; }
bool isYes(const std::string& s) { return SameText(s, "YES"); }
}

void TCustomSerPort::StoreIniFile(TIniFile& Ini) const
{
    const std::string& s = Name;
    if (FStoredProps.contains(spBasic)) {
        Ini.WriteString(s, "Port", FPort);
        Ini.WriteString(s, "BaudRate", BaudRateToStr(FBaudRate));
        if (FBaudRate == brCustom)
            Ini.WriteInteger(s, "CustomBaudRate", FCustomBaudRate);
        Ini.WriteString(s, "StopBits", StopBitsToStr(FStopBits));
        Ini.WriteString(s, "DataBits", DataBitsToStr(FDataBits));
        Ini.WriteString(s, "Parity", ParityToStr(FParity.Bits()));
        Ini.WriteString(s, "FlowControl", FlowControlToStr(FFlowControl.FlowControl()));
    }
    if (FStoredProps.contains(spOthers)) {
        Ini.WriteString(s, "EventChar", CharToStr(FEventChar));
        Ini.WriteString(s, "DiscardNull", yesNo(FDiscardNull));
    }
    if (FStoredProps.contains(spParity)) {
        Ini.WriteString(s, "Parity.Check", yesNo(FParity.Check()));
        Ini.WriteString(s, "Parity.Replace", yesNo(FParity.Replace()));
        Ini.WriteString(s, "Parity.ReplaceChar", CharToStr(FParity.ReplaceChar()));
    }
    if (FStoredProps.contains(spBuffer)) {
        Ini.WriteInteger(s, "Buffer.OutputSize", FBuffer.OutputSize());
        Ini.WriteInteger(s, "Buffer.InputSize", FBuffer.InputSize());
    }
    if (FStoredProps.contains(spTimeouts)) {
        Ini.WriteInteger(s, "Timeouts.ReadInterval", FTimeouts.ReadInterval());
        Ini.WriteInteger(s, "Timeouts.ReadTotalConstant", FTimeouts.ReadTotalConstant());
        Ini.WriteInteger(s, "Timeouts.ReadTotalMultiplier", FTimeouts.ReadTotalMultiplier());
        Ini.WriteInteger(s, "Timeouts.WriteTotalConstant", FTimeouts.WriteTotalConstant());
        Ini.WriteInteger(s, "Timeouts.WriteTotalMultiplier", FTimeouts.WriteTotalMultiplier());
    }
    if (FStoredProps.contains(spFlowControl)) {
        Ini.WriteString(s, "FlowControl.ControlRTS", RTSToStr(FFlowControl.ControlRTS()));
        Ini.WriteString(s, "FlowControl.ControlDTR", DTRToStr(FFlowControl.ControlDTR()));
        Ini.WriteString(s, "FlowControl.DSRSensitivity", yesNo(FFlowControl.DSRSensitivity()));
        Ini.WriteString(s, "FlowControl.OutCTSFlow", yesNo(FFlowControl.OutCTSFlow()));
        Ini.WriteString(s, "FlowControl.OutDSRFlow", yesNo(FFlowControl.OutDSRFlow()));
        Ini.WriteString(s, "FlowControl.TxContinueOnXoff", yesNo(FFlowControl.TxContinueOnXoff()));
        Ini.WriteString(s, "FlowControl.XonXoffIn", yesNo(FFlowControl.XonXoffIn()));
        Ini.WriteString(s, "FlowControl.XonXoffOut", yesNo(FFlowControl.XonXoffOut()));
        Ini.WriteString(s, "FlowControl.XoffChar", CharToStr(FFlowControl.XoffChar()));
        Ini.WriteString(s, "FlowControl.XonChar", CharToStr(FFlowControl.XonChar()));
    }
}

void TCustomSerPort::LoadIniFile(const TIniFile& Ini)
{
    const std::string& s = Name;
    TSerPortUpdate update(this);
    if (FStoredProps.contains(spBasic)) {
        SetPort(Ini.ReadString(s, "Port", FPort));
        SetBaudRate(StrToBaudRate(Ini.ReadString(s, "BaudRate", BaudRateToStr(FBaudRate))));
        if (FBaudRate == brCustom)
            SetCustomBaudRate(Ini.ReadInteger(s, "CustomBaudRate", FCustomBaudRate));
        SetStopBits(StrToStopBits(Ini.ReadString(s, "StopBits", StopBitsToStr(FStopBits))));
        SetDataBits(StrToDataBits(Ini.ReadString(s, "DataBits", DataBitsToStr(FDataBits))));
        FParity.SetBits(StrToParity(Ini.ReadString(s, "Parity", ParityToStr(FParity.Bits()))));
        FFlowControl.SetFlowControl(
            StrToFlowControl(Ini.ReadString(s, "FlowControl", FlowControlToStr(FFlowControl.FlowControl()))));
    }
    if (FStoredProps.contains(spOthers)) {
        SetEventChar(StrToChar(Ini.ReadString(s, "EventChar", CharToStr(FEventChar))));
        SetDiscardNull(isYes(Ini.ReadString(s, "DiscardNull", yesNo(FDiscardNull))));
    }
    if (FStoredProps.contains(spParity)) {
        FParity.SetCheck(isYes(Ini.ReadString(s, "Parity.Check", yesNo(FParity.Check()))));
        FParity.SetReplace(isYes(Ini.ReadString(s, "Parity.Replace", yesNo(FParity.Replace()))));
        FParity.SetReplaceChar(StrToChar(Ini.ReadString(s, "Parity.ReplaceChar", CharToStr(FParity.ReplaceChar()))));
    }
    if (FStoredProps.contains(spBuffer)) {
        FBuffer.SetOutputSize(Ini.ReadInteger(s, "Buffer.OutputSize", FBuffer.OutputSize()));
        FBuffer.SetInputSize(Ini.ReadInteger(s, "Buffer.InputSize", FBuffer.InputSize()));
    }
    if (FStoredProps.contains(spTimeouts)) {
        FTimeouts.SetReadInterval(Ini.ReadInteger(s, "Timeouts.ReadInterval", FTimeouts.ReadInterval()));
        FTimeouts.SetReadTotalConstant(
            Ini.ReadInteger(s, "Timeouts.ReadTotalConstant", FTimeouts.ReadTotalConstant()));
        FTimeouts.SetReadTotalMultiplier(
            Ini.ReadInteger(s, "Timeouts.ReadTotalMultiplier", FTimeouts.ReadTotalMultiplier()));
        FTimeouts.SetWriteTotalConstant(
            Ini.ReadInteger(s, "Timeouts.WriteTotalConstant", FTimeouts.WriteTotalConstant()));
        FTimeouts.SetWriteTotalMultiplier(
            Ini.ReadInteger(s, "Timeouts.WriteTotalMultiplier", FTimeouts.WriteTotalMultiplier()));
    }
    if (FStoredProps.contains(spFlowControl)) {
        auto& f = FFlowControl;
        f.SetControlRTS(StrToRTS(Ini.ReadString(s, "FlowControl.ControlRTS", RTSToStr(f.ControlRTS()))));
        f.SetControlDTR(StrToDTR(Ini.ReadString(s, "FlowControl.ControlDTR", DTRToStr(f.ControlDTR()))));
        f.SetDSRSensitivity(isYes(Ini.ReadString(s, "FlowControl.DSRSensitivity", yesNo(f.DSRSensitivity()))));
        f.SetOutCTSFlow(isYes(Ini.ReadString(s, "FlowControl.OutCTSFlow", yesNo(f.OutCTSFlow()))));
        f.SetOutDSRFlow(isYes(Ini.ReadString(s, "FlowControl.OutDSRFlow", yesNo(f.OutDSRFlow()))));
        f.SetTxContinueOnXoff(
            isYes(Ini.ReadString(s, "FlowControl.TxContinueOnXoff", yesNo(f.TxContinueOnXoff()))));
        f.SetXonXoffIn(isYes(Ini.ReadString(s, "FlowControl.XonXoffIn", yesNo(f.XonXoffIn()))));
        f.SetXonXoffOut(isYes(Ini.ReadString(s, "FlowControl.XonXoffOut", yesNo(f.XonXoffOut()))));
        f.SetXoffChar(StrToChar(Ini.ReadString(s, "FlowControl.XoffChar", CharToStr(f.XoffChar()))));
        f.SetXonChar(StrToChar(Ini.ReadString(s, "FlowControl.XonChar", CharToStr(f.XonChar()))));
    }
    update.Commit();
}
