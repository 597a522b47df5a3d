// vmusim: plays the VMU on a pseudo-terminal (docs/device.md). Options select the starting parameters, the
// firmware, the password and the misbehaviours; the loop moves bytes between the line, the console and, during a
// voice prompt transfer, an lrzsz child. It ends on SIGINT or SIGTERM (writing the state when asked to) or when a
// dropped line was requested; a bad option or state file ends it at once with a message and exit code 2.
#include "Console.h"
#include "Line.h"
#include "Menus.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t StopRequested = 0;
void OnSignal(int) { StopRequested = 1; }

struct TOptions {
  std::string Link, StatePath, SavePath, LogPath, Firmware, Rom, Password;
  bool RefusePassword = false;
  std::string Refusal;
  int BurstMs = 0;
  long DropAfterStores = -1;
  TLineOptions Line;
};

[[noreturn]] void Usage(const std::string& why) {
  std::cerr << "vmusim: " << why << "\n"
            << "usage: vmusim [--link PATH] [--state FILE] [--save-state FILE] [--log FILE] [--firmware 4.09] [--rom 2.05]\n"
            << "              [--password TEXT] [--baud N] [--mute] [--slow MS] [--chunks random] [--noise RATE]\n"
            << "              [--lose RATE] [--insert RATE]\n"
            << "              [--drop-after N] [--drop-after-stores K] [--refuse-password] [--refusal TEXT] [--burst [MS]] [--seed N]\n";
  std::exit(2);
}

long Number(const std::string& option, const char* text, long lo, long hi) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < lo || v > hi) Usage(option + " needs a number from " + std::to_string(lo) + " to " + std::to_string(hi));
  return v;
}

TOptions ParseOptions(int argc, char** argv) {
  TOptions o;
  o.Line.Seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--link") o.Link = value();
    else if (a == "--state") o.StatePath = value();
    else if (a == "--save-state") o.SavePath = value();
    else if (a == "--log") o.LogPath = value();
    else if (a == "--firmware") o.Firmware = value();
    else if (a == "--rom") o.Rom = value();
    else if (a == "--password") o.Password = value();
    else if (a == "--baud") o.Line.Baud = static_cast<int>(Number(a, value(), 50, 1000000));
    else if (a == "--mute") o.Line.Mute = true;
    else if (a == "--slow") o.Line.SlowMs = static_cast<int>(Number(a, value(), 0, 600000));
    else if (a == "--chunks") {
      if (std::string(value()) != "random") Usage("--chunks takes \"random\"");
      o.Line.RandomChunks = true;
    } else if (a == "--noise") {
      char* end = nullptr;
      const char* t = value();
      o.Line.Noise = std::strtod(t, &end);
      if (*end || o.Line.Noise < 0 || o.Line.Noise > 1) Usage("--noise takes a rate from 0 to 1");
    } else if (a == "--lose" || a == "--insert") {
      char* end = nullptr;
      const char* t = value();
      double& rate = a == "--lose" ? o.Line.Loss : o.Line.Insertion;
      rate = std::strtod(t, &end);
      if (*end || rate < 0 || rate > 1) Usage(a + " takes a rate from 0 to 1");
    } else if (a == "--drop-after") o.Line.DropAfter = Number(a, value(), 0, 1L << 40);
    else if (a == "--drop-after-stores") o.DropAfterStores = Number(a, value(), 1, 1000000000);
    else if (a == "--refuse-password") o.RefusePassword = true;
    else if (a == "--refusal") o.Refusal = value();
    else if (a == "--burst") {
      o.BurstMs = 3000;
      if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9') o.BurstMs = static_cast<int>(Number(a, argv[++i], 0, 3600000));
    } else if (a == "--seed") o.Line.Seed = static_cast<unsigned>(Number(a, value(), 0, 0x7FFFFFFF));
    else if (a == "--help" || a == "-h") Usage("the device simulator");
    else Usage("unknown option " + a);
  }
  auto versionOk = [](const std::string& v) {
    return v.size() == 4 && std::isdigit(static_cast<unsigned char>(v[0])) && v[1] == '.' &&
           std::isdigit(static_cast<unsigned char>(v[2])) && std::isdigit(static_cast<unsigned char>(v[3]));
  };
  if (!o.Firmware.empty() && !versionOk(o.Firmware)) Usage("--firmware takes a version such as 4.09");
  if (!o.Rom.empty() && !versionOk(o.Rom)) Usage("--rom takes a version such as 2.05");
  return o;
}

// An XMODEM transfer run by lrzsz in a child process whose standard input and output are a socket pair.
struct TTransfer {
  pid_t Pid = -1;
  int Fd = -1;
  std::string Dir, File;
  TTransferKind Kind = tkNone;
  std::chrono::steady_clock::time_point Deadline;

  bool Start(TTransferKind kind, const std::string& data) {
    char dir[] = "/tmp/vmusim.XXXXXX";
    if (!::mkdtemp(dir)) return false;
    Dir = dir;
    File = Dir + "/prompts.vps";
    if (kind == tkDownload) {
      std::ofstream out(File, std::ios::binary);
      out << data;
      if (!out) return false;
    }
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return false;
    Pid = ::fork();
    if (Pid < 0) return false;
    if (Pid == 0) {
      ::dup2(sv[1], 0);
      ::dup2(sv[1], 1);
      int null = ::open("/dev/null", O_WRONLY);
      if (null >= 0) ::dup2(null, 2);
      // lrzsz refuses paths with folders in its restricted mode: it works inside the transfer's folder.
      if (::chdir(Dir.c_str()) != 0) ::_exit(126);
      if (kind == tkDownload) ::execlp("sx", "sx", "-q", "prompts.vps", static_cast<char*>(nullptr));
      else ::execlp("rx", "rx", "-q", "-c", "prompts.vps", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(sv[1]);
    Fd = sv[0];
    ::fcntl(Fd, F_SETFL, ::fcntl(Fd, F_GETFL) | O_NONBLOCK);
    Kind = kind;
    Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    return true;
  }

  // Ends the transfer; true when lrzsz reported success. The received file (upload) goes to `received`.
  bool Finish(std::string& received, bool kill) {
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
    int status = -1;
    if (Pid > 0) {
      if (kill) ::kill(Pid, SIGTERM);
      ::waitpid(Pid, &status, 0);
    }
    Pid = -1;
    bool ok = !kill && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ok && Kind == tkUpload) {
      std::ifstream in(File, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      received = text.str();
    }
    ::unlink(File.c_str());
    ::rmdir(Dir.c_str());
    Kind = tkNone;
    return ok;
  }
};

}  // namespace

int main(int argc, char** argv) {
  TOptions o = ParseOptions(argc, argv);
  TDeviceState state;
  try {
    if (!o.StatePath.empty()) state = TDeviceState::Load(o.StatePath);
  } catch (const std::exception& e) {
    std::cerr << "vmusim: " << e.what() << "\n";
    return 2;
  }
  NormalizeState(state);
  TRecord& sys = state.Section("System").Fields;
  if (!o.Firmware.empty()) sys.Set("Flash Version", o.Firmware);
  if (!o.Rom.empty()) sys.Set("ROM Version", o.Rom);
  if (!o.Password.empty()) sys.Set("Administrator Password", o.Password);

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);

  TLine line(o.Line);
  try {
    line.Open(o.Link);
  } catch (const std::exception& e) {
    std::cerr << "vmusim: " << e.what() << "\n";
    return 2;
  }
  std::cout << "vmusim: " << line.SlavePath() << std::endl;
  if (!o.Link.empty()) std::cout << "vmusim: linked as " << o.Link << std::endl;

  bool answering = false;
  TConsoleOptions co;
  co.RefusePassword = o.RefusePassword;
  if (!o.Refusal.empty()) co.Refusal = o.Refusal;
  co.SavePath = o.SavePath;
  co.LogPath = o.LogPath;
  co.DropAfterStores = o.DropAfterStores;
  TConsole console(state, co, [&](const std::string& text) { line.Queue(text, answering); });
  console.SaveState();

  TTransfer transfer;
  bool resuming = false;
  std::chrono::steady_clock::time_point resumeAt{};
  bool resultOk = false;
  std::string received;
  auto burstEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(o.BurstMs);
  unsigned long burstLine = 0;

  while (!StopRequested) {
    auto now = std::chrono::steady_clock::now();
    bool bursting = o.BurstMs > 0 && now < burstEnd;
    if (bursting && line.Pending() < 512) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "VPS PORT %lu STATUS: IDLE  CALLS %06lu  LINE CHECK OK\r\n", burstLine % 4 + 1,
                    burstLine);
      ++burstLine;
      line.Queue(buf, false);
    }

    pollfd fds[2] = {{line.Fd(), static_cast<short>(POLLIN | (line.WantsWrite() ? POLLOUT : 0)), 0},
                     {transfer.Fd, POLLIN, 0}};
    int timeout = line.NextEventMs();
    if (bursting) timeout = timeout < 0 ? 5 : std::min(timeout, 5);
    if (transfer.Fd >= 0 || resuming) timeout = timeout < 0 ? 100 : std::min(timeout, 100);
    int r = ::poll(fds, transfer.Fd >= 0 ? 2 : 1, timeout);
    if (r < 0 && errno != EINTR) break;

    line.Receive();
    std::string input = line.TakeInput();
    for (size_t i = 0; i < input.size(); ++i) {
      if (transfer.Fd >= 0) {
        // During a transfer the line belongs to lrzsz; what it cannot take now is lost, as on a real line.
        ssize_t w = ::write(transfer.Fd, input.data() + i, input.size() - i);
        (void)w;
        break;
      }
      // Keys typed while the device pauses after a transfer are lost; they must not start another one.
      if (resuming) break;
      answering = input[i] == '\r';
      console.Feed(input[i]);
      answering = false;
      if (console.LineCut()) break;
      if (console.PendingTransfer != tkNone && transfer.Fd < 0) {
        if (!transfer.Start(console.PendingTransfer,
                            console.PendingTransfer == tkDownload ? console.VoicePrompts() : std::string())) {
          std::string none;
          transfer.Finish(none, true);
          console.TransferDone(false, "");
        }
      }
    }

    if (transfer.Fd >= 0) {
      char buf[4096];
      bool ended = false;
      for (;;) {
        ssize_t n = ::read(transfer.Fd, buf, sizeof buf);
        if (n > 0) {
          line.Queue(std::string(buf, static_cast<size_t>(n)), false);
          continue;
        }
        if (n == 0) ended = true;
        break;
      }
      bool late = std::chrono::steady_clock::now() > transfer.Deadline;
      if (ended || late) {
        resultOk = transfer.Finish(received, late);
        // The device pauses before it speaks again, so that the terminal has taken the line back.
        resuming = true;
        resumeAt = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      }
    }
    if (resuming && std::chrono::steady_clock::now() >= resumeAt) {
      resuming = false;
      console.TransferDone(resultOk, received);
      received.clear();
    }

    line.Send();
    if (line.Dropped()) {
      std::cerr << "vmusim: line dropped after " << line.Written() << " bytes\n";
      break;
    }
    if (console.LineCut()) {
      // What was printed before the store (the entry's echo) has gone out above; the answer never comes.
      std::cerr << "vmusim: line dropped after " << o.DropAfterStores << " stores\n";
      break;
    }
  }
  if (transfer.Fd >= 0) {
    std::string none;
    transfer.Finish(none, true);
  }
  line.Close();
  // A cut line leaves the state file as the last store wrote it: what happened to the parameters after it is lost.
  if (!console.LineCut()) console.SaveState();
  return 0;
}
