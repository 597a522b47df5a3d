// The serial port component through which the program talks to the device's RS-232 line.
// "COMn" is /dev/ttyS(n-1); a name starting with "/" is a device path used as it stands (the simulator's
// pseudo-terminal). Settings live in the component and reach the driver when the port opens and whenever they
// change while it is open; reads and writes wait on deadlines that Close() and AbortAllAsync() can cut short.
// Failure contract: every failed operation raises ESerPort with the port's own message; a failed Open leaves the
// port closed with nothing left over; a failed apply leaves the driver as it was; Close() never throws.
//
// Threads: the main thread opens, closes and configures the port; any thread may Read, Write, InputCount,
// ClearBuffer while it is open. Events are turned into handler calls by the reader thread (SerThread.h) and run
// in the main thread through TMainThread. Handlers and links may be changed from any thread.
#pragma once

#include "platform/Exception.h"
#include "serial/SerDevice.h"
#include "serial/SerLineStatus.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TIniFile;
class TSerThread;
class TCustomSerPort;

// Ordinals matter: the settings file stores them.
enum TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600,
    br115200, br128000, br256000
};
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSerEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full };
// How the reader thread hands events over: smThreadSync runs the whole batch in the main thread while the reader
// waits; smWindowSync runs each event there on its own, showing a handler's error and going on; smNone runs the
// handlers in the reader thread itself.
enum TSyncMethod { smThreadSync, smWindowSync, smNone };
enum TSerSignal { csCTS, csDSR, csRing, csRLSD };
enum TSerError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TStoredProp { spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers };

// A small set of enumerators held as bits (bit n = ordinal n).
template <class E, int N>
class TSerSet {
public:
    constexpr TSerSet() = default;
    constexpr TSerSet(std::initializer_list<E> Items)
    {
        for (E e : Items)
            Bits |= 1u << unsigned(e);
    }
    static constexpr TSerSet FromBits(uint32_t b)
    {
        TSerSet s;
        s.Bits = b & All;
        return s;
    }
    static constexpr TSerSet Full() { return FromBits(All); }
    constexpr uint32_t bits() const { return Bits; }
    constexpr bool contains(E e) const { return Bits & (1u << unsigned(e)); }
    constexpr bool empty() const { return Bits == 0; }
    void include(E e) { Bits |= 1u << unsigned(e); }
    void exclude(E e) { Bits &= ~(1u << unsigned(e)); }
    constexpr bool operator==(const TSerSet& o) const { return Bits == o.Bits; }
    constexpr TSerSet operator&(const TSerSet& o) const { return FromBits(Bits & o.Bits); }
    constexpr TSerSet operator|(const TSerSet& o) const { return FromBits(Bits | o.Bits); }

private:
    static constexpr uint32_t All = (1u << N) - 1;
    uint32_t Bits = 0;
};
using TSerEvents = TSerSet<TSerEvent, 10>;
using TSerSignals = TSerSet<TSerSignal, 4>;
using TSerErrors = TSerSet<TSerError, 8>;
using TStoredProps = TSerSet<TStoredProp, 6>;

// ---- Errors ----------------------------------------------------------------------------------------------------

// Codes 1..22; the text of code n is at position n-1 of the error text table.
enum TSerPortErrorCode {
    secOpenFailed = 1, secWriteFailed, secReadFailed, secInvalidAsync, secPurgeFailed, secAsyncCheck,
    secSetStateFailed, secTimeoutsFailed, secSetupComFailed, secClearComFailed, secModemStatFailed,
    secEscapeComFailed, secTransmitFailed, secSyncMeth, secEnumPortsFailed, secStoreFailed, secLoadFailed,
    secRegFailed, secLedStateFailed, secThreadCreated, secWaitFailed, secHasLink
};
constexpr int SerPortErrorTextCount = 22;
// The process-wide error texts, English by default; the text store replaces them at start-up by position
// (0-based). An index outside 0..21 reads as "" and is ignored when set.
std::string SerPortErrorText(int Position);
void SetSerPortErrorText(int Position, const std::string& Text);
void ResetSerPortErrorTexts();   // back to the English defaults

class ESerPort : public Exception {
public:
    // The table text of Code, followed by " ( Windows Error Code: %d )" with the system's error number.
    static ESerPort CreateWin(int Code, int WinCode);
    // The table text alone; WinCode -1.
    static ESerPort CreateNoWin(int Code);
    int WinCode = -1;
    int Code = 0;

private:
    ESerPort(std::string Message, int Code, int WinCode);
};

// ---- Names -----------------------------------------------------------------------------------------------------

std::string BaudRateToStr(TBaudRate v);
TBaudRate StrToBaudRate(const std::string& s);   // unknown text: br9600
std::string StopBitsToStr(TStopBits v);
TStopBits StrToStopBits(const std::string& s);   // sbOneStopBit
std::string DataBitsToStr(TDataBits v);
TDataBits StrToDataBits(const std::string& s);   // dbEight
std::string ParityToStr(TParityBits v);
TParityBits StrToParity(const std::string& s);   // prNone
std::string FlowControlToStr(TFlowControl v);
TFlowControl StrToFlowControl(const std::string& s);   // fcCustom
std::string DTRToStr(TDTRFlowControl v);
TDTRFlowControl StrToDTR(const std::string& s);  // dtrDisable
std::string RTSToStr(TRTSFlowControl v);
TRTSFlowControl StrToRTS(const std::string& s);  // rtsDisable
// Bits per second of a rate (0 for brCustom).
int32_t BaudRateValue(TBaudRate v);
// Codes 33..127 as the character, anything else as "#" and its number; and back ("#n", else the first
// character, "" gives 0).
std::string CharToStr(unsigned char c);
unsigned char StrToChar(const std::string& s);

// "com7" and "7" give "COM7"; a number outside 1..96, or no number at all, gives "COM1". A name starting with "/"
// is a device path and comes back unchanged.
std::string NormalizePortName(const std::string& Name);
// Whether a typed text names a port as it stands: a device path ("/..."), or "COMn" or "n" with n in 1..96
// (without regard to case). NormalizePortName turns anything else into "COM1", which the user did not mean.
bool IsPortName(const std::string& Name);
// The device file a port name opens: "COMn" is /dev/ttyS(n-1), a path is itself.
std::string PortDevicePath(const std::string& Name);
// Appends the machine's serial ports: /dev/ttySn as "COM(n+1)" (up to COM96), the others as their paths. A ttyS
// node without a UART behind it (one of the kernel's placeholders) is left out (platform/SerialDevices.h).
// Raises ESerPort 15 when the device folder cannot be listed.
void EnumSerPorts(std::vector<std::string>& List);

// ---- Handlers and links -----------------------------------------------------------------------------------------

// One event handler slot. Assigning and calling are safe from different threads: a call works on a copy, so a
// handler replaced during a call finishes the old one.
template <class... Args>
class TSerHandler {
public:
    using TFunc = std::function<void(Args...)>;
    TSerHandler() = default;
    TSerHandler(const TSerHandler&) = delete;
    TSerHandler& operator=(const TSerHandler&) = delete;
    TSerHandler& operator=(TFunc f)
    {
        std::lock_guard<std::mutex> g(Lock);
        Func = std::move(f);
        return *this;
    }
    TFunc get() const
    {
        std::lock_guard<std::mutex> g(Lock);
        return Func;
    }
    operator TFunc() const { return get(); }
    explicit operator bool() const { return bool(get()); }
    void operator()(Args... a) const
    {
        if (TFunc f = get())
            f(a...);
    }

private:
    mutable std::mutex Lock;
    TFunc Func;
};

using TNotifyEvent = TSerHandler<TCustomSerPort&>;
using TRxCharEvent = TSerHandler<TCustomSerPort&, int>;
using TRxBufEvent = TSerHandler<TCustomSerPort&, const char*, int>;
using TSerErrorEvent = TSerHandler<TCustomSerPort&, TSerErrors>;
using TSerSignalEvent = TSerHandler<TCustomSerPort&, bool>;

// How a control (the terminal) follows a port. Register it with RegisterLink; the port never owns it. A link whose
// OnRxBuf is set takes the received bytes: while one is registered, OnRxChar does not fire. Every notification
// except OnTx/OnTxBuf/OnRx(false) comes in the main thread; those three come in the thread that writes or reads.
// Set the members before registering; the port reads them while the link is registered.
struct TSerLink {
    std::function<void(TCustomSerPort&, bool)> OnConn;
    std::function<void(TCustomSerPort&, const char*, int)> OnRxBuf;
    std::function<void(TCustomSerPort&, const char*, int)> OnTxBuf;
    std::function<void(TCustomSerPort&)> OnTxEmpty;
    std::function<void(TCustomSerPort&)> OnRxFlag;
    std::function<void(TCustomSerPort&, bool)> OnCTSChange;
    std::function<void(TCustomSerPort&, bool)> OnDSRChange;
    std::function<void(TCustomSerPort&, bool)> OnRLSDChange;
    std::function<void(TCustomSerPort&)> OnRing;
    std::function<void(TCustomSerPort&, bool)> OnTx;
    std::function<void(TCustomSerPort&, bool)> OnRx;
};

// ---- Setting groups ---------------------------------------------------------------------------------------------

// Each group belongs to a port (or to nobody, as a value to Assign from); a setter stores a changed value and
// has the port apply it.
class TSerTimeouts {
public:
    explicit TSerTimeouts(TCustomSerPort* Owner = nullptr) : Port(Owner) {}
    void Assign(const TSerTimeouts& o);
    // Milliseconds as the classic serial time-outs take them; -1 means "all bits set" (return at once).
    int32_t ReadInterval() const { return FReadInterval; }
    int32_t ReadTotalMultiplier() const { return FReadTotalMultiplier; }
    int32_t ReadTotalConstant() const { return FReadTotalConstant; }
    int32_t WriteTotalMultiplier() const { return FWriteTotalMultiplier; }
    int32_t WriteTotalConstant() const { return FWriteTotalConstant; }
    void SetReadInterval(int32_t v);
    void SetReadTotalMultiplier(int32_t v);
    void SetReadTotalConstant(int32_t v);
    void SetWriteTotalMultiplier(int32_t v);
    void SetWriteTotalConstant(int32_t v);
    // What a read of Count bytes and a write of Count bytes wait for under these values.
    TSerReadLimit ReadLimit(int Count) const;
    int WriteLimitMs(int Count) const;   // -1: no limit

private:
    TCustomSerPort* Port;
    int32_t FReadInterval = -1, FReadTotalMultiplier = 0, FReadTotalConstant = 0;
    int32_t FWriteTotalMultiplier = 100, FWriteTotalConstant = 1000;
    void changed();
};

class TSerFlowControl {
public:
    explicit TSerFlowControl(TCustomSerPort* Owner = nullptr) : Port(Owner) {}
    void Assign(const TSerFlowControl& o);
    bool OutCTSFlow() const { return FOutCTSFlow; }
    bool OutDSRFlow() const { return FOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    bool XonXoffOut() const { return FXonXoffOut; }
    bool XonXoffIn() const { return FXonXoffIn; }
    bool DSRSensitivity() const { return FDSRSensitivity; }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    unsigned char XonChar() const { return FXonChar; }
    unsigned char XoffChar() const { return FXoffChar; }
    void SetOutCTSFlow(bool v);
    void SetOutDSRFlow(bool v);
    void SetControlDTR(TDTRFlowControl v);
    void SetControlRTS(TRTSFlowControl v);
    void SetXonXoffOut(bool v);
    void SetXonXoffIn(bool v);
    void SetDSRSensitivity(bool v);
    void SetTxContinueOnXoff(bool v);
    void SetXonChar(unsigned char v);
    void SetXoffChar(unsigned char v);
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl v);

private:
    TCustomSerPort* Port;
    bool FOutCTSFlow = false, FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = dtrDisable;
    TRTSFlowControl FControlRTS = rtsDisable;
    bool FXonXoffOut = false, FXonXoffIn = false, FDSRSensitivity = false, FTxContinueOnXoff = false;
    unsigned char FXonChar = 17, FXoffChar = 19;
    void changed();
};

class TSerParity {
public:
    explicit TSerParity(TCustomSerPort* Owner = nullptr) : Port(Owner) {}
    void Assign(const TSerParity& o);
    TParityBits Bits() const { return FBits; }
    bool Check() const { return FCheck; }
    bool Replace() const { return FReplace; }
    unsigned char ReplaceChar() const { return FReplaceChar; }
    void SetBits(TParityBits v);
    void SetCheck(bool v);
    void SetReplace(bool v);
    void SetReplaceChar(unsigned char v);

private:
    TCustomSerPort* Port;
    TParityBits FBits = prNone;
    bool FCheck = false, FReplace = false;
    unsigned char FReplaceChar = 0;
    void changed();
};

class TSerBuffer {
public:
    explicit TSerBuffer(TCustomSerPort* Owner = nullptr) : Port(Owner) {}
    void Assign(const TSerBuffer& o);
    int32_t InputSize() const { return FInputSize; }
    int32_t OutputSize() const { return FOutputSize; }
    void SetInputSize(int32_t v);    // an odd size is stored one less
    void SetOutputSize(int32_t v);

private:
    TCustomSerPort* Port;
    int32_t FInputSize = 1024, FOutputSize = 1024;
    void changed();
};

// ---- The port --------------------------------------------------------------------------------------------------

class TCustomSerPort {
public:
    TCustomSerPort();
    virtual ~TCustomSerPort();
    TCustomSerPort(const TCustomSerPort&) = delete;
    TCustomSerPort& operator=(const TCustomSerPort&) = delete;

    // The component's name: the section of StoreIniFile/LoadIniFile.
    std::string Name = "ComPort";

    // While the counter is above zero, setting changes are only stored; the last EndUpdate applies them all at
    // once. EndUpdate lowers the counter before applying, so a failed apply never leaves it raised.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    bool Connected() const { return FConnected; }
    void SetConnected(bool v);
    void Open();
    void Close() noexcept;

    const std::string& Port() const { return FPort; }
    void SetPort(const std::string& v);
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate v);
    int32_t CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(int32_t v);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits v);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits v);
    // Kept and stored; termios has no null discard, so the driver never drops NUL bytes.
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool v);
    unsigned char EventChar() const { return FEventChar; }
    void SetEventChar(unsigned char v);
    TSerEvents Events() const { return FEvents; }
    void SetEvents(TSerEvents v) { FEvents = v; }   // takes effect at the next Open
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    void SetSyncMethod(TSyncMethod v);
    TStoredProps StoredProps() const { return FStoredProps; }
    void SetStoredProps(TStoredProps v) { FStoredProps = v; }
    bool TriggersOnRxChar() const { return FTriggersOnRxChar; }
    void SetTriggersOnRxChar(bool v);
    bool HasLink() const { return FHasLink; }

    TSerBuffer& Buffer() { return FBuffer; }
    TSerParity& Parity() { return FParity; }
    TSerTimeouts& Timeouts() { return FTimeouts; }
    TSerFlowControl& FlowControl() { return FFlowControl; }
    const TSerBuffer& Buffer() const { return FBuffer; }
    const TSerParity& Parity() const { return FParity; }
    const TSerTimeouts& Timeouts() const { return FTimeouts; }
    const TSerFlowControl& FlowControl() const { return FFlowControl; }
    void SetBuffer(const TSerBuffer& v);
    void SetParity(const TSerParity& v);
    void SetTimeouts(const TSerTimeouts& v);
    void SetFlowControl(const TSerFlowControl& v);

    // I/O. Write returns the bytes written before the write deadline of Timeouts (all of them, normally); Read
    // returns the bytes read under the read time-outs (with all read time-outs zero it waits for Count bytes, so
    // callers ask for no more than InputCount). ReadFor waits at most TimeoutMs, whatever the time-outs say.
    // AbortAllAsync and Close end a wait in flight: the call returns what it had, or raises when it had nothing.
    int Write(const void* Buffer, int Count);
    int WriteStr(const std::string& Str);
    int Read(void* Buffer, int Count);
    int ReadFor(void* Buffer, int Count, int TimeoutMs);
    void AbortAllAsync();
    void ClearBuffer(bool Input, bool Output);
    int InputCount();
    TSerErrors LastErrors();
    TSerSignals Signals();
    void SetDTR(bool OnOff);

    void RegisterLink(TSerLink* Link);     // ESerPort 18 when already registered
    // ESerPort 18 when not registered. Waits for notifications running in other threads, so the link may be
    // freed once this returns; a link's notifications must therefore never wait for the unregistering thread.
    void UnRegisterLink(TSerLink* Link);

    // Settings as "Name" section of an INI file, for the groups in StoredProps.
    void StoreIniFile(TIniFile& Ini) const;
    void LoadIniFile(const TIniFile& Ini);

    // Called once when the port is destroyed (for pickers bound to it); Key identifies the listener.
    void AddFreeNotification(const void* Key, std::function<void()> Fn);
    void RemoveFreeNotification(const void* Key);

    // Runs one batch of events as the reader thread hands it over: one routine per event in the fixed order
    // (errors, received characters, transmit empty, break, ring, CTS, DSR, event character, RLSD, 80 % full).
    void DoEvents(TSerEvents Batch);

    // Runs Fn(descriptor) while the port is open, for tests and diagnostics (-EBADF when closed).
    template <class F>
    int WithHandle(F&& Fn) { return Device.WithFd(std::forward<F>(Fn)); }

    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    TSerSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    TSerErrorEvent OnError;
    TNotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;

protected:
    virtual void CreateHandle();
    virtual void DestroyHandle();
    virtual void SetupComPort();
    virtual void ApplyDCB();
    virtual void ApplyTimeouts();
    virtual void ApplyBuffer();

private:
    friend class TSerThread;
    friend class TSerTimeouts;
    friend class TSerFlowControl;
    friend class TSerParity;
    friend class TSerBuffer;

    TSerDevice Device;
    std::mutex ThreadLock;   // guards EventThread against a writer poking it while Close takes it away
    std::unique_ptr<TSerThread> EventThread;
    std::unique_ptr<TSerThread> RetiredThread;   // stopped from inside its own handler; joined later
    bool ThreadCreated = false;
    int FUpdateCount = 0;
    mutable std::mutex LinkLock;
    mutable std::condition_variable LinkIdle;
    mutable int LinkCalls = 0;   // loops over links running now, in any thread
    std::vector<TSerLink*> Links;
    bool FTriggersOnRxChar = true;
    std::atomic<bool> FHasLink{false};
    bool FConnected = false;
    TBaudRate FBaudRate = br9600;
    int32_t FCustomBaudRate = 9600;
    std::string FPort = "COM1";
    TStopBits FStopBits = sbOneStopBit;
    TDataBits FDataBits = dbEight;
    bool FDiscardNull = false;
    unsigned char FEventChar = 0;
    TSerEvents FEvents = TSerEvents::Full();
    TSerBuffer FBuffer{this};
    TSerParity FParity{this};
    TSerTimeouts FTimeouts{this};
    TSerFlowControl FFlowControl{this};
    TSyncMethod FSyncMethod = smThreadSync;
    TStoredProps FStoredProps{spBasic};
    std::vector<std::pair<const void*, std::function<void()>>> FreeNotifications;

    // What I/O in other threads reads: the time-outs as last applied, the input size for the 80 % mark.
    mutable std::mutex AppliedLock;
    TSerTimeouts AppliedTimeouts;
    std::atomic<int32_t> AppliedInputSize{1024};
    // Bytes taken out of the input queue (read or purged) since open: with the queue's fill this tells the
    // reader thread whether anything new has arrived.
    std::atomic<uint64_t> Consumed{0};
    std::atomic<bool> TxPending{false};
    // The thread running a batch of events, so that Close from inside a handler does not wait for itself.
    std::atomic<std::thread::id> DispatchThread{};
    std::mutex ErrorLock;
    TLineCounters ErrorBase;   // line error counters as last reported by LastErrors

    bool canApply() const;
    // The registered links, for one loop of notifications: while it lives, UnRegisterLink in another thread
    // waits, so a link is never called after its UnRegisterLink has returned.
    class TLinkCalls {
    public:
        explicit TLinkCalls(const TCustomSerPort& Port);
        ~TLinkCalls();
        TLinkCalls(const TLinkCalls&) = delete;
        TLinkCalls& operator=(const TLinkCalls&) = delete;
        std::vector<TSerLink*>::const_iterator begin() const { return Links.begin(); }
        std::vector<TSerLink*>::const_iterator end() const { return Links.end(); }

    private:
        const TCustomSerPort& Port;
        std::vector<TSerLink*> Links;
    };
    TLinkCalls linksCopy() const { return TLinkCalls(*this); }
    void recomputeHasLink();
    void checkSignals(bool Open);
    void stopThread() noexcept;
    void undoOpen(bool LinksNotified) noexcept;
    int readWith(void* Buffer, int Count, const TSerReadLimit& Limit);
    TSerSignals signalsOrRaise();

    void CallEvent(TSerEvent Event);
    void CallError();
    void CallRxChar();
    void CallTxEmpty();
    void CallBreak();
    void CallRing();
    void CallRxFlag();
    void CallRx80Full();
    void CallCTSChange();
    void CallDSRChange();
    void CallRLSDChange();
    void handOnBytes(int& Count);
};

// The port as the program uses it.
class TSerPort final : public TCustomSerPort {
public:
    using TCustomSerPort::TCustomSerPort;
};

// Applies settings at the end of a scope even when an exception leaves it (errors of that late apply are
// swallowed; call Commit() to apply and see them).
class TSerPortUpdate {
public:
    explicit TSerPortUpdate(TCustomSerPort* Port) : P(Port)
    {
        if (P)
            P->BeginUpdate();
    }
    void Commit()
    {
        TCustomSerPort* p = P;
        P = nullptr;
        if (p)
            p->EndUpdate();
    }
    ~TSerPortUpdate()
    {
        if (P) {
            try {
                P->EndUpdate();
            } catch (...) {
            }
        }
    }
    TSerPortUpdate(const TSerPortUpdate&) = delete;
    TSerPortUpdate& operator=(const TSerPortUpdate&) = delete;

private:
    TCustomSerPort* P;
};
