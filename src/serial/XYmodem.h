// File transfer over the device line with the XMODEM family: XMODEM with checksum or CRC, XMODEM-1K, YMODEM
// batch and YMODEM-G, sending and receiving. It is a long job (TLongOperation) run by the progress dialog's
// worker; it reads and writes through a TXYChannel, so it runs the same over a pseudo-terminal, a serial port or
// a test double.
//
// Promises: every wait has a deadline (start, header, byte, acknowledgement), and a cancel (OnProgress answering
// true, or Abort()) is seen within about a second and sends the cancel sequence. A received file appears under
// its final name only when the transfer succeeded (written to a temporary file and renamed); a failure leaves
// nothing behind and is reported through OnResult(true), never as a success. A received YMODEM name is reduced
// to its base name.
#pragma once

#include "common/LongOperation.h"
#include "platform/Exception.h"
#include "serial/XYChannel.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TXYReceiveFile;

// The line failed under a transfer (closed, hung up, a write that never ends).
ORLANTIS_EXCEPTION(EXYChannel, Exception);

// The transfer's texts (group "XYmodem Unit"); the text store replaces them by key at start-up.
enum TXYMessage {
    SXY_SendingData, SXY_ReceivingData, SXY_BatchTransferCompleted, SXY_TransferCompleted, SXY_CannotOpenFile,
    SXY_UnexpectedEOF, SXY_CancelByUser, SXY_CancelByRemote, SXY_EOTNotAcknowledged, SXY_OutOfSync,
    SXY_SenderTimeout, SXY_ReceiverTimeout, SXY_PacketNoTimeout, SXY_ComplementTimeout, SXY_DataTimeout,
    SXY_CRC1Timeout, SXY_CRC2Timeout, SXY_ChecksumTimeout, SXY_ExpectingSOH_STX_EOT_CAN, SXY_BadPacket,
    SXY_ErrorSendPacket, SXY_ErrorReceivePacket, SXY_NoResponseForReceiver, SXY_NoResponseForSender,
    // Texts of checks this program adds.
    SXY_BadFileName, SXY_ShortFile, SXY_WriteFailed,
    SXY_Count
};
const char* XYMessageKey(TXYMessage Id);
std::string XYMessageText(TXYMessage Id);
// Replaces the text of the key (as XYMessageKey names it); false when no text has that key.
bool SetXYMessageText(const std::string& Key, const std::string& Text);
// Puts every English default back.
void ResetXYMessageTexts();

// CRC-16 as XMODEM uses it (polynomial 0x1021, start 0, no reflection, no final XOR).
uint16_t XYCrc16(const uint8_t* Data, size_t Size, uint16_t Crc = 0);

struct TXYTimeouts {
    int StartMs = 3000;      // one ask for the start (20 asks) and one wait for the receiver's start character
    int HeaderMs = 10000;    // a block header, an acknowledgement
    int ByteMs = 3000;       // the next byte inside a block
    int QuietMs = 500;       // line quiet for this long after a bad block before answering it
};

class TXYmodem : public TLongOperation {
public:
    enum : uint8_t { SOH = 1, STX = 2, EOT = 4, ACK = 6, NAK = 21, CAN = 24, CRCCHR = 'C', GCHR = 'G', PAD = 26 };
    using TClock = std::function<std::chrono::steady_clock::time_point()>;

    // Channel is not owned; without one, sending does nothing and reading gives no byte.
    explicit TXYmodem(TXYChannel* Channel);
    // On the program's port (not owned; open, with nothing linked to it while the transfer runs).
    explicit TXYmodem(TCustomSerPort* Port);

    void Execute() override;
    // May be called from any thread; the transfer sees it within about a second. It holds for this object: a
    // later Execute ends at once.
    void Abort() { AbortFlag = true; }

    // 0 XMODEM send, 1 receive (checksum), 2 XMODEM-CRC send, 3 receive (CRC), 4 XMODEM-1K send, 5 receive,
    // 6 YMODEM send, 7 YMODEM receive, 8 YMODEM-G send, 9 YMODEM-G receive; above 9 nothing runs.
    uint8_t Mode = 0;
    // The file to send or to write; for a YMODEM receive the prefix (usually a folder with its "/") put in front
    // of each received base name.
    std::string FileName;
    // More files for a YMODEM batch send (modes 6 and 8); FileName is sent first when not empty.
    std::vector<std::string> BatchFiles;
    // Size of a file to receive when the caller knows it: the progress total only.
    int32_t ExpectedSize = 0;
    TXYTimeouts Timeouts;
    int MaxErrors = 10;   // bad or missing blocks in a row before the transfer gives up
    TClock Clock = [] { return std::chrono::steady_clock::now(); };

    // Outcome of the last Execute.
    bool Failed = false;
    std::string LastError;
    std::vector<std::string> ReceivedFiles;   // full names, in order

private:
    enum TReadResult { rrOk, rrTimeout };
    struct TCancelled {};   // unwinds a transfer ended by Fail()
    struct TBlock {
        uint8_t Number = 0;
        size_t Size = 0;
        bool Eot = false;
    };

    // ---- line
    bool ReadByte(uint8_t& b, int TimeoutMs);
    void Write(const uint8_t* Data, size_t Size);
    void WriteByte(uint8_t b) { Write(&b, 1); }
    void Purge();
    void SkipUntilQuiet();
    void SendCancel();
    void CheckCancel();
    [[noreturn]] void CancelByUser();   // tells the peer (six CAN) and fails

    // ---- failures
    [[noreturn]] void Fail(const std::string& Text, bool TellPeer = true);
    [[noreturn]] void Fail(TXYMessage Id, bool TellPeer = true) { Fail(XYMessageText(Id), TellPeer); }
    void Status(const std::string& Text) { DoMessage(Text); }

    // ---- sender
    uint8_t WaitForReceiver(bool PurgeFirst);
    void SendBlock(uint8_t Number, size_t Size, uint8_t Start);
    void SendFile(const std::string& Name, bool Batch, bool OneK);
    void SendEndOfBatch();

    // ---- receiver
    // Asks until the sender answers; Start may fall back to checksum mode. The answer is kept as a header byte.
    bool AskSender(uint8_t& Start);
    // First: nothing received since asking (a silent line is answered with the start character again).
    TBlock ReceiveBlock(uint8_t Expected, uint8_t Start, bool First, bool Batch);
    void ReceiveXmodem(uint8_t Start);
    void ReceiveBatch(uint8_t Start);
    // Size -1: unknown (XMODEM), else the header's size, which cuts the last block's padding.
    void ReceiveData(uint8_t Start, int64_t Size, TXYReceiveFile& File, bool Batch);

    std::unique_ptr<TXYChannel> OwnChannel;
    TXYChannel* Channel;
    std::array<uint8_t, 1024> Block{};
    std::array<uint8_t, 4096> InBuf{};
    size_t InPos = 0, InLen = 0;
    int Kept = -1;                 // header byte taken while asking the sender
    bool EotRefused = false;       // the first EOT of a file has been answered with NAK
    std::atomic<bool> AbortFlag{false};
    std::chrono::steady_clock::time_point NextCancelPoll{};
};
