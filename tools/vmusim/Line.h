// The simulator's end of the serial line: a pseudo-terminal master with the pacing and the misbehaviours that
// the reliability tests ask for (docs/device.md, "The simulator"). Input is released for processing at the pace
// of the configured baud rate; output is queued and written as pacing, chunking and the slow-answer delay allow,
// with line noise and the dropped line applied on the way out. Nothing here blocks: the main loop polls Fd() and
// calls Receive and Send, waiting at most NextEventMs.
#pragma once

#include <chrono>
#include <deque>
#include <random>
#include <string>

struct TLineOptions {
  int Baud = 0;              // 0: no pacing
  bool Mute = false;
  int SlowMs = 0;
  bool RandomChunks = false;
  double Noise = 0;          // probability that a printed byte is replaced
  double Loss = 0;           // probability that a printed byte is lost
  double Insertion = 0;      // probability that a random byte is added before a printed byte
  long long DropAfter = -1;  // bytes printed before the line is closed; -1: never
  unsigned Seed = 1;
};

class TLine {
 public:
  using TClock = std::chrono::steady_clock;

  explicit TLine(const TLineOptions& options);
  ~TLine();

  // Opens the pseudo-terminal in raw mode, keeping its slave end open so that clients may come and go.
  // Raises std::runtime_error when the system gives no pseudo-terminal or the link cannot be made.
  void Open(const std::string& linkPath);
  const std::string& SlavePath() const { return Slave; }
  int Fd() const { return Master; }

  void Queue(const std::string& data, bool answer);
  bool Idle() const { return Out.empty(); }
  size_t Pending() const;

  void Receive();                      // reads what the other side sent
  std::string TakeInput();             // the received bytes whose time has come
  void Send();                         // writes what may be written now
  bool WantsWrite() const;
  int NextEventMs() const;             // -1: nothing scheduled
  bool Dropped() const { return IsDropped; }
  long long Written() const { return BytesWritten; }
  void Close();

 private:
  struct TSegment {
    TClock::time_point NotBefore;
    std::string Data;
  };
  struct TByte {
    TClock::time_point At;
    char Value;
  };
  TClock::duration ByteTime() const;
  static constexpr int kFifoBytes = 16;

  TLineOptions Options;
  int Master = -1;
  int SlaveFd = -1;
  std::string Slave;
  std::string Link;
  std::deque<TSegment> Out;
  std::deque<TByte> In;
  TClock::time_point NextWrite{};
  TClock::time_point LastIn{};
  long long BytesWritten = 0;
  bool IsDropped = false;
  bool Blocked = false;
  std::mt19937 Random;
  std::mt19937 Slips;        // lost and added bytes, drawn as output is queued: the same output loses the same bytes
};
