// XMODEM / YMODEM transfer engine; see XYmodem.h for what it promises.
#include "serial/XYmodem.h"

#include "common/StringGroups.h"
#include "platform/Dialogs.h"
#include "platform/MainThread.h"
#include "platform/StrUtil.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ------------------------------------------------------------------------------------------------ texts

struct TXYText {
    const char* Key;
    const char* Default;
};

const TXYText XYTexts[SXY_Count] = {
    {"SXY_SendingData", "Sending data to receiver"},
    {"SXY_ReceivingData", "Receiving data from sender"},
    {"SXY_BatchTransferCompleted", "Batch transfer completed"},
    {"SXY_TransferCompleted", "Transfer completed"},
    {"SXY_CannotOpenFile", "Cannot open file: %s"},
    {"SXY_UnexpectedEOF", "Unexpected EOF on disk read"},
    {"SXY_CancelByUser", "Canceled by user"},
    {"SXY_CancelByRemote", "Canceled by remote"},
    {"SXY_EOTNotAcknowledged", "EOT not acknowledged"},
    {"SXY_OutOfSync", "Out of sync"},
    {"SXY_SenderTimeout", "Timed out waiting for sender"},
    {"SXY_ReceiverTimeout", "Timed out waiting for receiver"},
    {"SXY_PacketNoTimeout", "Timed out waiting for packet number"},
    {"SXY_ComplementTimeout", "Timed out waiting for complement of packet"},
    {"SXY_DataTimeout", "Timed out waiting for data for packet"},
    {"SXY_CRC1Timeout", "Timed out waiting for 1st CRC byte"},
    {"SXY_CRC2Timeout", "Timed out waiting for 2nd CRC byte"},
    {"SXY_ChecksumTimeout", "Timed out waiting for checksum"},
    {"SXY_ExpectingSOH_STX_EOT_CAN", "Expecting SOH/STX/EOT/CAN not %x"},
    {"SXY_BadPacket", "Bad packet"},
    {"SXY_ErrorSendPacket", "Can't send the packet"},
    {"SXY_ErrorReceivePacket", "Can't receive the packet"},
    {"SXY_NoResponseForReceiver", "No response from receiver"},
    {"SXY_NoResponseForSender", "No response from sender"},
    {"SXY_BadFileName", "Unacceptable file name from sender: %s"},
    {"SXY_ShortFile", "The received file is shorter than the sender announced"},
    {"SXY_WriteFailed", "Cannot write file: %s"},
};

std::mutex TextLock;
std::string Texts[SXY_Count];
bool TextsSet = false;

void InitTexts()
{
    if (TextsSet)
        return;
    for (int i = 0; i < SXY_Count; ++i)
        Texts[i] = XYTexts[i].Default;
    TextsSet = true;
}

// ------------------------------------------------------------------------------------------------ CRC

struct TCrcTable {
    uint16_t Entry[256];
    constexpr TCrcTable() : Entry()
    {
        for (int i = 0; i < 256; ++i) {
            uint16_t Crc = uint16_t(i << 8);
            for (int Bit = 0; Bit < 8; ++Bit)
                Crc = uint16_t(Crc & 0x8000 ? (Crc << 1) ^ 0x1021 : Crc << 1);
            Entry[i] = Crc;
        }
    }
};
constexpr TCrcTable CrcTable;

uint8_t Checksum(const uint8_t* Data, size_t Size)
{
    unsigned Sum = 0;
    for (size_t i = 0; i < Size; ++i)
        Sum += Data[i];
    return uint8_t(Sum);
}

std::string BaseName(const std::string& Path)
{
    size_t Slash = Path.find_last_of("/\\");
    return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

}  // namespace

// ------------------------------------------------------------------------------------------- receive file

// A received file: written to a temporary file beside its final name and renamed over it only by Commit, so that
// a failed or cancelled transfer leaves neither a half file nor a changed old one.
class TXYReceiveFile {
public:
    explicit TXYReceiveFile(std::string Target) : Target(std::move(Target)) {}
    ~TXYReceiveFile()
    {
        if (Fd >= 0) {
            ::close(Fd);
            ::unlink(Temp.c_str());
        }
    }
    TXYReceiveFile(const TXYReceiveFile&) = delete;
    TXYReceiveFile& operator=(const TXYReceiveFile&) = delete;

    bool Open()
    {
        static std::atomic<unsigned> Counter{0};
        for (int Try = 0; Try < 100 && Fd < 0; ++Try) {
            Temp = Target + ".part" + std::to_string(::getpid()) + "-" + std::to_string(Counter++);
            Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Fd < 0 && errno != EEXIST)
                return false;
        }
        return Fd >= 0;
    }
    // False with errno set when the disk refuses.
    bool Write(const uint8_t* Data, size_t Size)
    {
        while (Size > 0) {
            ssize_t n = ::write(Fd, Data, Size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            Data += n;
            Size -= size_t(n);
        }
        return true;
    }
    bool Commit()
    {
        bool Ok = ::fsync(Fd) == 0 || errno == EINVAL;
        Ok = ::close(Fd) == 0 && Ok;
        Fd = -1;
        if (Ok && ::rename(Temp.c_str(), Target.c_str()) == 0)
            return true;
        int Saved = errno;
        ::unlink(Temp.c_str());
        errno = Saved;
        return false;
    }

private:
    std::string Target, Temp;
    int Fd = -1;
};

const char* XYMessageKey(TXYMessage Id) { return Id >= 0 && Id < SXY_Count ? XYTexts[Id].Key : ""; }

std::string XYMessageText(TXYMessage Id)
{
    std::lock_guard<std::mutex> Guard(TextLock);
    InitTexts();
    return Id >= 0 && Id < SXY_Count ? Texts[Id] : std::string();
}

bool SetXYMessageText(const std::string& Key, const std::string& Text)
{
    std::lock_guard<std::mutex> Guard(TextLock);
    InitTexts();
    for (int i = 0; i < SXY_Count; ++i)
        if (SameText(Key, XYTexts[i].Key)) {
            Texts[i] = Text;
            return true;
        }
    return false;
}

namespace {
// The text store writes the description document's "XYmodem Unit" texts through this at start-up.
const TStringGroupRegistration XYTextsJoin("XYmodem Unit", SetXYMessageText);
}  // namespace

void ResetXYMessageTexts()
{
    std::lock_guard<std::mutex> Guard(TextLock);
    TextsSet = false;
    InitTexts();
}

uint16_t XYCrc16(const uint8_t* Data, size_t Size, uint16_t Crc)
{
    for (size_t i = 0; i < Size; ++i)
        Crc = uint16_t(CrcTable.Entry[((Crc >> 8) ^ Data[i]) & 0xFF] ^ (Crc << 8));
    return Crc;
}

// ============================================================================================== TXYmodem

TXYmodem::TXYmodem(TXYChannel* Channel) : Channel(Channel) {}

TXYmodem::TXYmodem(TCustomSerPort* Port)
    : OwnChannel(Port ? std::make_unique<TXYSerPortChannel>(*Port) : nullptr), Channel(OwnChannel.get())
{
}

void TXYmodem::Execute()
{
    Failed = false;
    LastError.clear();
    ReceivedFiles.clear();
    InPos = InLen = 0;
    Kept = -1;
    NextCancelPoll = Clock();
    try {
        switch (Mode) {
        case 0:
        case 2: SendFile(FileName, false, false); break;
        case 4: SendFile(FileName, false, true); break;
        case 1: ReceiveXmodem(NAK); break;
        case 3:
        case 5: ReceiveXmodem(CRCCHR); break;
        case 6:
        case 8: {
            std::vector<std::string> Files;
            if (!FileName.empty())
                Files.push_back(FileName);
            Files.insert(Files.end(), BatchFiles.begin(), BatchFiles.end());
            for (const std::string& F : Files)
                SendFile(F, true, true);
            SendEndOfBatch();
            break;
        }
        case 7: ReceiveBatch(CRCCHR); break;
        case 9: ReceiveBatch(GCHR); break;
        default: break;
        }
    } catch (const TCancelled&) {
        // Already reported by Fail.
    } catch (const std::exception& e) {
        // A line or disk failure inside the transfer is a failure of the transfer, never a success.
        try {
            Fail(e.what());
        } catch (const TCancelled&) {
        }
    }
}

void TXYmodem::Fail(const std::string& Text, bool TellPeer)
{
    Failed = true;
    LastError = Text;
    if (TellPeer) {
        try {
            SendCancel();
        } catch (const std::exception&) {
            // The line itself may be what failed.
        }
    }
    Status(Text);
    std::atomic<bool> Never{false};
    TMainThread::instance().invoke([&Text] { ShowError(Text); }, &Never);
    DoResult(true);
    throw TCancelled{};
}

// ---------------------------------------------------------------------------------------------------- line

void TXYmodem::CheckCancel()
{
    auto Now = Clock();
    if (!AbortFlag && Now >= NextCancelPoll) {
        NextCancelPoll = Now + std::chrono::milliseconds(250);
        if (DoProgress(0))
            AbortFlag = true;
    }
    if (AbortFlag)
        CancelByUser();
}

void TXYmodem::CancelByUser()
{
    Fail(SXY_CancelByUser, true);
}

bool TXYmodem::ReadByte(uint8_t& b, int TimeoutMs)
{
    auto Deadline = Clock() + std::chrono::milliseconds(std::max(TimeoutMs, 0));
    for (;;) {
        if (InPos < InLen) {
            b = InBuf[InPos++];
            return true;
        }
        CheckCancel();
        if (!Channel)
            return false;
        auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock()).count();
        // Short slices keep a cancel visible while a peer is silent.
        int Slice = int(std::clamp<int64_t>(Left, 0, 250));
        size_t n = Channel->Read(InBuf.data(), InBuf.size(), Slice);
        if (n > 0) {
            InPos = 0;
            InLen = n;
            continue;
        }
        if (Clock() >= Deadline)
            return false;
    }
}

void TXYmodem::Write(const uint8_t* Data, size_t Size)
{
    if (Channel)
        Channel->Write(Data, Size);
}

void TXYmodem::Purge()
{
    InPos = InLen = 0;
    if (Channel)
        Channel->PurgeInput();
}

void TXYmodem::SkipUntilQuiet()
{
    // Let the rest of a garbled block pass before answering it, but never longer than a header wait.
    InPos = InLen = 0;
    auto End = Clock() + std::chrono::milliseconds(Timeouts.HeaderMs);
    uint8_t b;
    while (Clock() < End && ReadByte(b, Timeouts.QuietMs)) {
    }
}

void TXYmodem::SendCancel()
{
    const uint8_t Cancel[6] = {CAN, CAN, CAN, CAN, CAN, CAN};
    Write(Cancel, sizeof Cancel);
}

// -------------------------------------------------------------------------------------------------- sender

uint8_t TXYmodem::WaitForReceiver(bool PurgeFirst)
{
    if (PurgeFirst) {
        // Everything queued so far is dropped: a receiver that asked several times must get block 1 once, or the
        // sender stays one answer behind it for the rest of the file. Its newest request among them is served at
        // once instead of waiting for the next one (a receiver may wait ten seconds before asking again).
        uint8_t Newest = 0;
        uint8_t b;
        for (int n = 0; n < 65536 && ReadByte(b, 0); ++n)
            if (b == NAK || b == CRCCHR || b == GCHR)
                Newest = b;
            else if (b == CAN)
                Newest = 0;
        Purge();
        if (Newest)
            return Newest;
    }
    // Twenty waits at most; other bytes (the rest of a device's last screen, noise) are skipped within them.
    auto Deadline = Clock() + std::chrono::milliseconds(int64_t(Timeouts.StartMs) * 20);
    int Cans = 0, Late = 0;
    for (;;) {
        auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock()).count();
        uint8_t b;
        if (!ReadByte(b, int(std::clamp<int64_t>(Left, 0, Timeouts.StartMs)))) {
            if (Left <= 0)
                return 0;
            Cans = 0;
            continue;
        }
        if (b == NAK || b == CRCCHR || b == GCHR)
            return b;
        // One stray CAN is line noise; two in a row are the receiver giving up.
        Cans = b == CAN ? Cans + 1 : 0;
        if (Cans >= 2)
            Fail(SXY_CancelByRemote, false);
        // Bytes still pouring in after the deadline: an endless stream must not hold the sender.
        if (Left <= 0 && ++Late > 4096)
            return 0;
    }
}

void TXYmodem::SendBlock(uint8_t Number, size_t Size, uint8_t Start)
{
    uint8_t Frame[3 + 1024 + 2];
    Frame[0] = Size == 1024 ? STX : SOH;
    Frame[1] = Number;
    Frame[2] = uint8_t(255 - Number);
    std::memcpy(Frame + 3, Block.data(), Size);
    size_t Len = 3 + Size;
    if (Start == NAK)
        Frame[Len++] = Checksum(Block.data(), Size);
    else {
        uint16_t Crc = XYCrc16(Block.data(), Size);
        Frame[Len++] = uint8_t(Crc >> 8);
        Frame[Len++] = uint8_t(Crc);
    }
    bool Refused = false;
    for (int Attempt = 0; Attempt < MaxErrors; ++Attempt) {
        Write(Frame, Len);
        if (Start == GCHR)
            return;
        auto Deadline = Clock() + std::chrono::milliseconds(Timeouts.HeaderMs);
        for (;;) {
            auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock()).count();
            uint8_t b;
            if (!ReadByte(b, int(std::max<int64_t>(Left, 0)))) {
                Refused = false;
                break;
            }
            if (b == ACK)
                return;
            // A receiver that missed the block after a header asks with its start character again.
            if (b == NAK || (b == CRCCHR && Number <= 1)) {
                Refused = true;
                break;
            }
            if (b == CAN) {
                uint8_t c;
                if (ReadByte(c, std::min(Timeouts.ByteMs, 1000)) && c == CAN)
                    Fail(SXY_CancelByRemote, false);
            }
            // Anything else is line noise: keep waiting for the answer, but not past the deadline.
            if (Left <= 0)
                break;
        }
        Status(XYMessageText(SXY_BadPacket));
    }
    Fail(Refused ? SXY_ErrorSendPacket : SXY_OutOfSync);
}

void TXYmodem::SendFile(const std::string& Name, bool Batch, bool OneK)
{
    std::unique_ptr<FILE, int (*)(FILE*)> File(std::fopen(Name.c_str(), "rb"), &std::fclose);
    struct stat St;
    if (!File || ::fstat(::fileno(File.get()), &St) != 0 || !S_ISREG(St.st_mode))
        Fail(Format(XYMessageText(SXY_CannotOpenFile), {Name}), false);
    int64_t Size = St.st_size;
    int64_t K = OneK ? Size / 1024 : 0;
    int64_t Small = (Size - 1024 * K + 127) / 128;
    DoStart(int32_t(std::min<int64_t>(Size, INT32_MAX)));
    Status(XYMessageText(SXY_SendingData));
    uint8_t Start = WaitForReceiver(true);
    if (!Start)
        Fail(SXY_NoResponseForReceiver);
    if (Batch) {
        // Only the base name travels: the receiver must not learn (or use) our folders.
        std::string Header = BaseName(Name);
        Header += '\0';
        Header += std::to_string(Size);
        Block.fill(0);
        std::memcpy(Block.data(), Header.data(), std::min<size_t>(Header.size(), 128));
        SendBlock(0, 128, Start);
        // The receiver asks anew before the data; its answer is usually already here, so nothing is purged.
        uint8_t Again = WaitForReceiver(false);
        if (!Again)
            Fail(SXY_NoResponseForReceiver);
        Start = Again;
    }
    int64_t Left = Size;
    for (int64_t n = 1; n <= K + Small; ++n) {
        size_t BlockSize = OneK && n <= K ? 1024 : 128;
        size_t Want = size_t(std::min<int64_t>(Left, int64_t(BlockSize)));
        if (std::fread(Block.data(), 1, Want, File.get()) != Want)
            Fail(SXY_UnexpectedEOF);
        std::fill(Block.begin() + Want, Block.begin() + BlockSize, PAD);
        SendBlock(uint8_t(n), BlockSize, Start);
        Left -= int64_t(Want);
        if (DoProgress(int32_t(Want))) {
            CancelByUser();
        }
    }
    File.reset();
    for (int i = 0; i < 11; ++i) {
        WriteByte(EOT);
        auto Deadline = Clock() + std::chrono::milliseconds(Timeouts.HeaderMs);
        for (;;) {
            auto Wait = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock()).count();
            uint8_t b;
            if (!ReadByte(b, int(std::max<int64_t>(Wait, 0))))
                break;
            if (b == ACK)
                return;
            if (b == NAK)
                break;
            if (b == CAN) {
                uint8_t c;
                if (ReadByte(c, std::min(Timeouts.ByteMs, 1000)) && c == CAN)
                    Fail(SXY_CancelByRemote, false);
            }
            if (Wait <= 0)
                break;
        }
    }
    Fail(SXY_EOTNotAcknowledged);
}

void TXYmodem::SendEndOfBatch()
{
    uint8_t Start = WaitForReceiver(false);
    if (!Start)
        Fail(SXY_NoResponseForReceiver);
    Block.fill(0);
    SendBlock(0, 128, Start);
}

// ------------------------------------------------------------------------------------------------ receiver

bool TXYmodem::AskSender(uint8_t& Start)
{
    Purge();
    for (int i = 0; i < 20; ++i) {
        // A sender that does not understand CRC never answers "C": from the fifth try on, ask for checksums.
        uint8_t Ask = i >= 4 && Start == CRCCHR ? uint8_t(NAK) : Start;
        WriteByte(Ask);
        uint8_t b;
        if (ReadByte(b, Timeouts.StartMs)) {
            Start = Ask;
            Kept = b;
            return true;
        }
    }
    return false;
}

TXYmodem::TBlock TXYmodem::ReceiveBlock(uint8_t Expected, uint8_t Start, bool First, bool Batch)
{
    const bool Streaming = Start == GCHR;
    int Errors = 0;
    std::string Issue = XYMessageText(SXY_SenderTimeout);
    // A problem with a block: noted as status text (never a box that would stall the line), then the block is
    // asked for again; YMODEM-G has no way to ask again and stops cleanly.
    auto Retry = [&](const std::string& Text, bool Bad, bool Quiet) {
        Issue = Text;
        Status(Text);
        if (Streaming)
            Fail(Bad ? XYMessageText(SXY_BadPacket) : Text);
        if (++Errors >= MaxErrors)
            Fail(Bad ? XYMessageText(SXY_ErrorReceivePacket) : Issue);
        if (Quiet)
            SkipUntilQuiet();
        // Nothing received yet: the sender may have missed the start character itself.
        WriteByte(First ? Start : uint8_t(NAK));
    };
    for (;;) {
        uint8_t h;
        if (Kept >= 0) {
            h = uint8_t(Kept);
            Kept = -1;
        } else if (!ReadByte(h, Timeouts.HeaderMs)) {
            if (Streaming && First) {
                // The sender may have missed the "G": ask again rather than give up.
                if (++Errors >= MaxErrors)
                    Fail(SXY_SenderTimeout);
                WriteByte(Start);
                continue;
            }
            Retry(XYMessageText(SXY_SenderTimeout), false, false);
            continue;
        }
        size_t Size;
        if (h == SOH)
            Size = 128;
        else if (h == STX)
            Size = 1024;
        else if (h == EOT) {
            // The first EOT is refused once: a noise byte that looks like EOT must not end the file early. A real
            // sender repeats it.
            if (!EotRefused) {
                EotRefused = true;
                WriteByte(NAK);
                continue;
            }
            WriteByte(ACK);
            TBlock B;
            B.Eot = true;
            return B;
        } else if (h == CAN) {
            // Two CANs in a row cancel; a single one is noise, and a header right after it is still a header.
            uint8_t c;
            bool Got = ReadByte(c, std::min(Timeouts.ByteMs, 1000));
            if (Got && c == CAN)
                Fail(SXY_CancelByRemote, false);
            if (Got && (c == SOH || c == STX || c == EOT)) {
                Kept = c;
                continue;
            }
            Retry(XYMessageText(SXY_BadPacket), true, true);
            continue;
        } else {
            char Hex[8];
            std::snprintf(Hex, sizeof Hex, "%x", unsigned(h));
            std::string Text = XYMessageText(SXY_ExpectingSOH_STX_EOT_CAN);
            size_t At = Text.find("%x");
            if (At != std::string::npos)
                Text.replace(At, 2, Hex);
            Retry(Text, true, true);
            continue;
        }
        uint8_t Num, Cmpl;
        if (!ReadByte(Num, Timeouts.ByteMs)) {
            Retry(XYMessageText(SXY_PacketNoTimeout), false, false);
            continue;
        }
        if (!ReadByte(Cmpl, Timeouts.ByteMs)) {
            Retry(XYMessageText(SXY_ComplementTimeout), false, false);
            continue;
        }
        size_t Got = 0;
        while (Got < Size) {
            if (InPos < InLen) {
                size_t Take = std::min(Size - Got, InLen - InPos);
                std::memcpy(Block.data() + Got, InBuf.data() + InPos, Take);
                InPos += Take;
                Got += Take;
            } else if (!ReadByte(Block[Got], Timeouts.ByteMs))
                break;
            else
                ++Got;
        }
        if (Got < Size) {
            Retry(XYMessageText(SXY_DataTimeout), false, false);
            continue;
        }
        bool CheckOk;
        if (Start == NAK) {
            uint8_t Sum;
            if (!ReadByte(Sum, Timeouts.ByteMs)) {
                Retry(XYMessageText(SXY_ChecksumTimeout), false, false);
                continue;
            }
            CheckOk = Sum == Checksum(Block.data(), Size);
        } else {
            uint8_t Hi, Lo;
            if (!ReadByte(Hi, Timeouts.ByteMs)) {
                Retry(XYMessageText(SXY_CRC1Timeout), false, false);
                continue;
            }
            if (!ReadByte(Lo, Timeouts.ByteMs)) {
                Retry(XYMessageText(SXY_CRC2Timeout), false, false);
                continue;
            }
            CheckOk = uint16_t(Hi << 8 | Lo) == XYCrc16(Block.data(), Size);
        }
        if (!CheckOk || Cmpl != uint8_t(255 - Num)) {
            Retry(XYMessageText(SXY_BadPacket), true, true);
            continue;
        }
        if (Num == Expected) {
            if (!Streaming)
                WriteByte(ACK);
            TBlock B;
            B.Number = Num;
            B.Size = Size;
            return B;
        }
        if (Num == uint8_t(Expected - 1) && !Streaming) {
            // Our acknowledgement was lost and the sender repeats the block we already have: confirm it again and
            // drop it. After a repeated YMODEM header the sender waits for the start character too.
            WriteByte(ACK);
            if (Batch && Expected == 1)
                WriteByte(Start);
            if (++Errors >= MaxErrors)
                Fail(SXY_ErrorReceivePacket);
            continue;
        }
        Retry(XYMessageText(SXY_BadPacket), true, true);
    }
}

void TXYmodem::ReceiveXmodem(uint8_t Start)
{
    // The file is made before the sender is asked to start, so that a bad name costs the peer nothing.
    TXYReceiveFile File(FileName);
    if (!File.Open())
        Fail(Format(XYMessageText(SXY_CannotOpenFile), {FileName}), false);
    Status(XYMessageText(SXY_ReceivingData));
    if (!AskSender(Start))
        Fail(SXY_NoResponseForSender);
    if (ExpectedSize >= 1)
        DoStart(ExpectedSize);
    ReceiveData(Start, -1, File, false);
    if (!File.Commit())
        Fail(Format(XYMessageText(SXY_WriteFailed), {FileName + ": " + std::strerror(errno)}));
    ReceivedFiles.push_back(FileName);
}

void TXYmodem::ReceiveBatch(uint8_t Start)
{
    for (;;) {
        Status(XYMessageText(SXY_ReceivingData));
        uint8_t Ask = Start;
        if (!AskSender(Ask))
            Fail(SXY_NoResponseForSender);
        EotRefused = true;   // an EOT here is the previous file's, repeated because our answer was lost
        TBlock Header = ReceiveBlock(0, Ask, true, true);
        if (Header.Eot)
            continue;
        const char* Data = reinterpret_cast<const char*>(Block.data());
        const char* NameEnd = static_cast<const char*>(std::memchr(Data, 0, Header.Size));
        if (!NameEnd)
            Fail(Format(XYMessageText(SXY_BadFileName), {std::string(Data, std::min<size_t>(Header.Size, 64))}));
        std::string Sent(Data, size_t(NameEnd - Data));
        if (Sent.empty())
            return;   // end of batch
        // The sender's folders are never used: only the base name, and only a plain one.
        std::string Base = BaseName(Sent);
        bool NameOk = !Base.empty() && Base != "." && Base != ".." && Base.size() <= 255 &&
            std::none_of(Base.begin(), Base.end(), [](char c) { return uint8_t(c) < 32; });
        if (!NameOk)
            Fail(Format(XYMessageText(SXY_BadFileName), {Sent}));
        int64_t Size = -1;
        const char* p = NameEnd + 1;
        const char* End = Data + Header.Size;
        if (p < End && *p >= '0' && *p <= '9') {
            int64_t v = 0;
            int Digits = 0;
            while (p < End && *p >= '0' && *p <= '9' && Digits < 16) {
                v = v * 10 + (*p - '0');
                ++p;
                ++Digits;
            }
            if (Digits < 16)
                Size = v;
        }
        std::string Target = FileName + Base;
        TXYReceiveFile File(Target);
        if (!File.Open())
            Fail(Format(XYMessageText(SXY_CannotOpenFile), {Target}));
        if (Size >= 1)
            DoStart(int32_t(std::min<int64_t>(Size, INT32_MAX)));
        // The sender waits for the start character again before the data.
        uint8_t DataStart = Ask;
        if (!AskSender(DataStart))
            Fail(SXY_NoResponseForSender);
        ReceiveData(DataStart, Size, File, true);
        if (!File.Commit())
            Fail(Format(XYMessageText(SXY_WriteFailed), {Target + ": " + std::strerror(errno)}));
        ReceivedFiles.push_back(Target);
    }
}

void TXYmodem::ReceiveData(uint8_t Start, int64_t Size, TXYReceiveFile& File, bool Batch)
{
    uint8_t Expected = 1;
    int64_t Written = 0;
    bool First = true;
    EotRefused = false;
    for (;;) {
        TBlock B = ReceiveBlock(Expected, Start, First, Batch);
        if (B.Eot)
            break;
        First = false;
        size_t Keep = B.Size;
        // The header's size cuts the padding of the last block.
        if (Size >= 0)
            Keep = size_t(std::clamp<int64_t>(Size - Written, 0, int64_t(B.Size)));
        if (Keep && !File.Write(Block.data(), Keep))
            Fail(Format(XYMessageText(SXY_WriteFailed), {std::string(std::strerror(errno))}));
        Written += int64_t(Keep);
        ++Expected;
        if (DoProgress(int32_t(Size >= 0 ? Keep : B.Size))) {
            CancelByUser();
        }
    }
    if (Size >= 0 && Written < Size)
        Fail(SXY_ShortFile);
}
