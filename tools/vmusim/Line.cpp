// Pseudo-terminal, pacing and misbehaviour of the simulated line.
#include "Line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

TLine::TLine(const TLineOptions& options) : Options(options), Random(options.Seed), Slips(options.Seed) {}

TLine::~TLine() { Close(); }

void TLine::Open(const std::string& linkPath) {
  Master = posix_openpt(O_RDWR | O_NOCTTY);
  if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0)
    throw std::runtime_error(std::string("no pseudo-terminal: ") + std::strerror(errno));
  const char* name = ptsname(Master);
  if (!name) throw std::runtime_error("no pseudo-terminal name");
  Slave = name;
  SlaveFd = ::open(Slave.c_str(), O_RDWR | O_NOCTTY);
  if (SlaveFd < 0) throw std::runtime_error(Slave + ": " + std::strerror(errno));
  termios t{};
  tcgetattr(SlaveFd, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  tcsetattr(SlaveFd, TCSANOW, &t);
  fcntl(Master, F_SETFL, fcntl(Master, F_GETFL) | O_NONBLOCK);
  fcntl(Master, F_SETFD, FD_CLOEXEC);
  fcntl(SlaveFd, F_SETFD, FD_CLOEXEC);
  if (!linkPath.empty()) {
    struct stat st{};
    if (::lstat(linkPath.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) throw std::runtime_error(linkPath + ": exists and is no symbolic link");
      ::unlink(linkPath.c_str());
    }
    if (::symlink(Slave.c_str(), linkPath.c_str()) != 0)
      throw std::runtime_error(linkPath + ": " + std::strerror(errno));
    Link = linkPath;
  }
}

void TLine::Close() {
  if (Master >= 0) ::close(Master);
  if (SlaveFd >= 0) ::close(SlaveFd);
  Master = SlaveFd = -1;
  if (!Link.empty()) ::unlink(Link.c_str());
  Link.clear();
}

TLine::TClock::duration TLine::ByteTime() const {
  if (Options.Baud <= 0) return TClock::duration::zero();
  return std::chrono::duration_cast<TClock::duration>(std::chrono::nanoseconds(10'000'000'000LL / Options.Baud));
}

void TLine::Queue(const std::string& text, bool answer) {
  std::string data;
  if (Options.Loss > 0 || Options.Insertion > 0) {
    // Lost and added bytes are drawn here rather than as the bytes go out, so that the chunking and pacing, which
    // depend on timing, leave a seed's faults where they were.
    std::uniform_real_distribution<double> chance(0, 1);
    for (char ch : text) {
      if (chance(Slips) < Options.Insertion) data += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(Slips));
      if (chance(Slips) >= Options.Loss) data += ch;
    }
  } else
    data = text;
  if (Options.Mute || IsDropped || data.empty()) return;
  auto at = TClock::now();
  if (answer) at += std::chrono::milliseconds(Options.SlowMs);
  if (!Out.empty() && Out.back().NotBefore >= at) {
    Out.back().Data += data;  // the order on the line is the order of queueing
    return;
  }
  Out.push_back({at, data});
}

size_t TLine::Pending() const {
  size_t n = 0;
  for (const auto& s : Out) n += s.Data.size();
  return n;
}

void TLine::Receive() {
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(Master, buf, sizeof buf);
    if (n <= 0) return;
    auto now = TClock::now();
    for (ssize_t i = 0; i < n; ++i) {
      auto at = now;
      if (Options.Baud > 0) {
        at = std::max(now, LastIn) + ByteTime();
        LastIn = at;
      }
      In.push_back({at, buf[i]});
    }
  }
}

std::string TLine::TakeInput() {
  std::string ready;
  auto now = TClock::now();
  while (!In.empty() && In.front().At <= now) {
    ready += In.front().Value;
    In.pop_front();
  }
  if (Options.Mute) return "";
  return ready;
}

bool TLine::WantsWrite() const { return Blocked && !Out.empty(); }

void TLine::Send() {
  Blocked = false;
  while (!Out.empty() && !IsDropped) {
    auto now = TClock::now();
    TSegment& seg = Out.front();
    if (now < seg.NotBefore || now < NextWrite) return;
    size_t n = seg.Data.size();
    // A paced line keeps to a running schedule, as a UART with a small FIFO would: a late wake-up sends the
    // bytes whose time has passed as well, so the simulator's own lateness is made good instead of adding up.
    // The schedule restarts from the moment the data was there, never earlier than a FIFO's worth of bytes ago.
    auto start = std::max({NextWrite, seg.NotBefore, now - ByteTime() * kFifoBytes});
    if (Options.RandomChunks) n = std::min(n, static_cast<size_t>(std::uniform_int_distribution<int>(1, 64)(Random)));
    if (Options.Baud > 0) {
      auto due = static_cast<size_t>((now - start) / ByteTime());
      n = std::min(n, std::max<size_t>(1, static_cast<size_t>(Options.Baud / 1000)) + due);
    }
    if (Options.DropAfter >= 0) n = std::min(n, static_cast<size_t>(Options.DropAfter - BytesWritten));
    std::string piece = seg.Data.substr(0, n);
    if (Options.Noise > 0) {
      std::uniform_real_distribution<double> chance(0, 1);
      for (char& ch : piece)
        if (chance(Random) < Options.Noise) ch = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(Random));
    }
    ssize_t w = piece.empty() ? 0 : ::write(Master, piece.data(), piece.size());
    if (w < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) Blocked = true;
      return;
    }
    BytesWritten += w;
    seg.Data.erase(0, static_cast<size_t>(w));
    if (seg.Data.empty()) Out.pop_front();
    if (Options.DropAfter >= 0 && BytesWritten >= Options.DropAfter) {
      IsDropped = true;
      Out.clear();
      return;
    }
    if (Options.Baud > 0) NextWrite = start + ByteTime() * w;
    if (Options.RandomChunks) {
      NextWrite = std::max(NextWrite, now + std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 20)(Random)));
      return;
    }
    if (Options.Baud > 0) return;
  }
}

int TLine::NextEventMs() const {
  auto now = TClock::now();
  TClock::time_point next = TClock::time_point::max();
  if (!In.empty()) next = In.front().At;
  if (!Out.empty() && !Blocked) next = std::min(next, std::max(Out.front().NotBefore, NextWrite));
  if (next == TClock::time_point::max()) return -1;
  if (next <= now) return 0;
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count()) + 1;
}
