// Console core: line editing, log-in, the screen stack, and the generic screens every section is built from.
#include "Console.h"

#include "Menus.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

std::string UpperCase(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

std::string TrimText(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

TConsole::TConsole(TDeviceState& state, TConsoleOptions options, TSink sink)
    : State(state), Options(std::move(options)), Sink(std::move(sink)) {}

TConsole::~TConsole() = default;

void TConsole::Print(const std::string& text) {
  if (!Cut) Sink(text);
}
void TConsole::Line(const std::string& text) { Print(text + "\r\n"); }
void TConsole::Incorrect() { Line(Options.Refusal); }

std::string TConsole::ValueLine(const std::string& caption, const std::string& value, int indent) {
  std::string s(static_cast<size_t>(indent), ' ');
  s += caption;
  s.append(s.size() < 45 ? 45 - s.size() : 1, ' ');
  return s + "[" + value + "]";
}

TScreen* TConsole::Current() const { return Stack.empty() ? nullptr : Stack.back().get(); }

void TConsole::Push(std::unique_ptr<TScreen> screen) {
  Stack.push_back(std::move(screen));
  Stack.back()->Show(*this);
}

void TConsole::PushQuiet(std::unique_ptr<TScreen> screen) {
  Stack.push_back(std::move(screen));
  Stack.back()->ShowPrompt(*this);
}

void TConsole::PopQuiet() {
  if (!Stack.empty()) Stack.pop_back();
}

void TConsole::Pop() {
  if (Stack.size() <= 1) {
    LogOff();
    return;
  }
  Stack.pop_back();
  Stack.back()->Show(*this);
}

void TConsole::Top() {
  if (Stack.empty()) return;
  Stack.resize(1);
  Stack.back()->Show(*this);
}

void TConsole::ShowTop() {
  Stack.clear();
  Push(MakeTopMenu());
}

void TConsole::LogOff() {
  Line("Logged Off");
  Stack.clear();
  LoggedIn = false;
  AwaitingPassword = false;
}

TStateSection& TConsole::Sys() { return State.Section("System"); }

int TConsole::Firmware() const {
  const TStateSection* s = State.FindSection("System");
  std::string v = s ? s->Fields.Get("Flash Version", "4.09") : "4.09";
  size_t dot = v.find('.');
  if (dot != std::string::npos) v.erase(dot, 1);
  return std::atoi(v.c_str());
}

int TConsole::MailboxNoLength() { return std::atoi(Sys().Fields.Get("Mailbox No. Length", "3").c_str()); }
std::string TConsole::SystemManager() { return Sys().Fields.Get("System Manager's Mailbox No.", "999"); }
std::string TConsole::MessageManager() { return Sys().Fields.Get("Message Manager's Mailbox No.", "998"); }

void TConsole::Changed() {
  // Once cut, what the entry's code still does to the parameters never reaches the saved state: the device stored
  // the one value and then the line died.
  if (Cut) return;
  SaveState();
  if (++Stores == Options.DropAfterStores) Cut = true;
}

void TConsole::SaveState() {
  if (Options.SavePath.empty()) return;
  try {
    State.Save(Options.SavePath);
  } catch (const std::exception& e) {
    // The console goes on: the device keeps its parameters in memory whatever happens to the file.
    std::cerr << "vmusim: " << e.what() << "\n";
  }
}

std::string TConsole::VoicePrompts() {
  if (HasUploadedPrompts) return UploadedPrompts;
  long size = std::atol(Sys().Fields.Get("Voice Prompt Size", "16384").c_str());
  size = std::clamp(size, 1L, 16L * 1024 * 1024);
  std::string data(static_cast<size_t>(size), '\0');
  unsigned x = 0x2545F491u;  // a fixed pattern, so a download is the same every time
  for (auto& ch : data) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    ch = static_cast<char>(x & 0xFF);
  }
  return data;
}

void TConsole::TransferDone(bool ok, const std::string& received) {
  TTransferKind kind = PendingTransfer;
  PendingTransfer = tkNone;
  Line();
  if (kind == tkDownload) {
    Line(ok ? "Download Complete" : "Download Failed");
  } else {
    std::string data = received;
    while (!data.empty() && data.back() == '\x1A') data.pop_back();
    if (ok && !data.empty()) {
      UploadedPrompts = data;
      HasUploadedPrompts = true;
      Sys().Fields.Set("Voice Prompt Size", std::to_string(data.size()));
      Changed();
      Line("Upload Complete");
    } else {
      Line("Upload Failed");
    }
  }
  if (Current()) Current()->ShowPrompt(*this);
}

void TConsole::Feed(char c) {
  if (Cut) return;                        // the line is dead
  if (PendingTransfer != tkNone) return;  // the line belongs to the transfer
  if (c == '\n') return;
  bool echo = LoggedIn && Current() && Current()->Kind() != ikPassword;
  if (c == '\b' || c == 127) {
    if (!Typed.empty()) {
      Typed.pop_back();
      if (echo) Print("\b \b");
    }
    return;
  }
  if (c == '\r') {
    if (LoggedIn) Print("\r\n");
    std::string line;
    line.swap(Typed);
    LineEntered(line);
    return;
  }
  if (static_cast<unsigned char>(c) < 32) return;
  if (Typed.size() >= 80) return;  // the device's line buffer is full: further keys are lost
  Typed += c;
  if (echo) Print(std::string(1, c));
}

void TConsole::LineEntered(const std::string& line) {
  if (!LoggedIn) {
    if (!AwaitingPassword) {
      Line();
      Line("VMU Voice Processing System");
      Print("Password => ");
      AwaitingPassword = true;
      return;
    }
    std::string password = Sys().Fields.Get("Administrator Password", "ADMIN");
    if (!Options.RefusePassword && line == password) {
      LoggedIn = true;
      AwaitingPassword = false;
      Print("\r\n");
      ShowTop();
    } else {
      Line();
      Line("Incorrect Password");
      Print("Password => ");
    }
    return;
  }
  if (!Options.LogPath.empty()) std::ofstream(Options.LogPath, std::ios::app) << line << "\n";
  TScreen* s = Current();
  if (!s) {
    ShowTop();
    return;
  }
  std::string t = TrimText(line);
  std::string u = UpperCase(t);
  switch (s->Kind()) {
    case ikMenu:
      if (t.empty()) s->Show(*this);
      else if (u == "Q") Pop();
      else if (u == "T") Top();
      else s->Enter(*this, t);
      break;
    case ikShell:
      if (t.empty()) s->ShowPrompt(*this);
      else if (u == "Q" || u == "T") Top();
      else s->Enter(*this, t);
      break;
    case ikValue:
    case ikPassword:
      s->Enter(*this, line);
      break;
  }
}

// ---- generic screens ----

TItemScreen::TItemScreen(std::vector<std::string> header, std::string prefix, TRecordRef record,
                         std::vector<TItem> items, std::string prompt)
    : Header(std::move(header)), Prefix(std::move(prefix)), Record(std::move(record)), Items(std::move(items)),
      PromptText(std::move(prompt)) {}

namespace {
std::string ItemCaption(const TItem& item, size_t count) {
  std::string no = std::to_string(item.No) + ". ";
  if (count > 9 && item.No < 10) no = " " + no;
  return no + item.Caption;
}
}  // namespace

void TItemScreen::Show(TConsole& c) {
  TRecord* r = Record(c);
  c.Line();
  for (const auto& h : Header) c.Line(h);
  for (const auto& item : Items) {
    std::string caption = ItemCaption(item, Items.size());
    if (item.Rule && r)
      c.Line(TConsole::ValueLine(caption, r->Get(Prefix + item.Caption), item.Indent));
    else
      c.Line(std::string(static_cast<size_t>(item.Indent), ' ') + caption);
  }
  for (const auto& f : Footer) c.Line(f);
  c.Line();
  c.Print(PromptText);
}

void TItemScreen::ShowPrompt(TConsole& c) { c.Print(PromptText); }

void TItemScreen::Enter(TConsole& c, const std::string& line) {
  char* end = nullptr;
  long no = std::strtol(line.c_str(), &end, 10);
  const TItem* item = nullptr;
  if (!line.empty() && *end == '\0')
    for (const auto& it : Items)
      if (it.No == no) item = &it;
  TRecord* r = Record(c);
  if (!item || !r || (item->Editable && !item->Editable(c))) {
    c.Incorrect();
    ShowPrompt(c);
    return;
  }
  if (!item->Rule) {
    item->Open(c);
    return;
  }
  std::string name = Prefix + item->Caption;
  c.Line(TConsole::ValueLine(item->Caption, r->Get(name), item->Indent));
  TItem copy = *item;
  std::string caption = ItemCaption(*item, Items.size());
  TRecordRef ref = Record;
  c.PushQuiet(std::make_unique<TValuePrompts>(
      std::vector<std::string>{"New Value => "},
      [copy, caption, name, ref](TConsole& c, const std::vector<std::string>& v) -> bool {
        TRecord* r = ref(c);
        if (!r) return false;
        if (v[0].empty()) return true;
        std::optional<std::string> value;
        if (v[0] == "-") value = copy.Rule(c, "");
        else value = copy.Rule(c, v[0]);
        if (!value) return false;
        r->Set(name, *value);
        if (copy.AfterSet) copy.AfterSet(c, *r, *value);
        c.Changed();
        c.Line(TConsole::ValueLine(caption, *value, copy.Indent));
        c.Line();
        return true;
      }));
}

TValuePrompts::TValuePrompts(std::vector<std::string> prompts, TApply apply, bool password)
    : Prompts(std::move(prompts)), Apply(std::move(apply)), Password(password) {}

void TValuePrompts::Show(TConsole& c) { ShowPrompt(c); }

void TValuePrompts::ShowPrompt(TConsole& c) { c.Print(Prompts[Values.size()]); }

void TValuePrompts::Enter(TConsole& c, const std::string& line) {
  Values.push_back(Password ? line : TrimText(line));
  if (Values.size() < Prompts.size()) {
    if (Password) c.Print("\r\n");
    ShowPrompt(c);
    return;
  }
  if (Password) c.Print("\r\n");
  // This screen is gone after PopQuiet: keep what the callback needs.
  TApply apply = Apply;
  std::vector<std::string> values = Values;
  c.PopQuiet();
  TScreen* before = c.Current();
  bool ok = apply(c, values);
  if (!ok) c.Incorrect();
  // A callback that opened a screen of its own has shown it already.
  if (c.Current() == before && before) before->ShowPrompt(c);
}

TMenuScreen::TMenuScreen(std::string title, std::vector<TMenuEntry> entries, std::string prompt)
    : Title(std::move(title)), Entries(std::move(entries)), PromptText(std::move(prompt)) {}

void TMenuScreen::Show(TConsole& c) {
  c.Line();
  c.Line(Title);
  c.Line();
  for (const auto& e : Entries) c.Line("   " + e.Key + ". " + e.Text);
  c.Line();
  c.Print(PromptText);
}

void TMenuScreen::ShowPrompt(TConsole& c) { c.Print(PromptText); }

void TMenuScreen::Enter(TConsole& c, const std::string& line) {
  std::string u = UpperCase(line);
  for (const auto& e : Entries)
    if (UpperCase(e.Key) == u && e.Open) {
      auto open = e.Open;  // may replace this screen
      open(c);
      return;
    }
  c.Incorrect();
  ShowPrompt(c);
}

// ---- rules ----

namespace rules {

namespace {
bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}
int Number(const std::string& s) { return std::atoi(s.c_str()); }
}  // namespace

TRule IntRange(long lo, long hi, bool canEmpty) {
  return [=](TConsole&, const std::string& v) -> std::optional<std::string> {
    if (v.empty()) return canEmpty ? std::optional<std::string>("") : std::nullopt;
    if (!AllDigits(v) || v.size() > 9) return std::nullopt;
    long n = std::atol(v.c_str());
    if (n < lo || n > hi) return std::nullopt;
    return std::to_string(n);
  };
}

TRule Choice(std::vector<std::string> values) {
  return [values](TConsole&, const std::string& v) -> std::optional<std::string> {
    for (const auto& x : values)
      if (UpperCase(x) == UpperCase(v)) return x;
    return std::nullopt;
  };
}

TRule Chars(size_t maxLen, const std::string& allowed, bool upper, bool canEmpty) {
  return [=](TConsole&, const std::string& v) -> std::optional<std::string> {
    if (v.empty()) return canEmpty ? std::optional<std::string>("") : std::nullopt;
    std::string s = upper ? UpperCase(v) : v;
    if (s.size() > maxLen || s.find_first_not_of(allowed) != std::string::npos) return std::nullopt;
    return s;
  };
}

TRule Text(size_t maxLen, bool canEmpty) {
  return [=](TConsole& c, const std::string& v) -> std::optional<std::string> {
    if (v.empty()) return canEmpty ? std::optional<std::string>("") : std::nullopt;
    if (v.size() > maxLen || v.find_first_of("[]") != std::string::npos) return std::nullopt;
    for (char ch : v)
      if (static_cast<unsigned char>(ch) < 32) return std::nullopt;
    return c.Firmware() < 409 ? UpperCase(v) : v;
  };
}

TRule Time(bool allowDayWords, bool canEmpty) {
  return [=](TConsole& c, const std::string& v) -> std::optional<std::string> {
    if (v.empty()) return canEmpty ? std::optional<std::string>("") : std::nullopt;
    std::string u = UpperCase(v);
    if (allowDayWords) {
      bool old = c.Firmware() < 409;
      if (u == "ALL DAY" || u == "ALL USE") return std::string(old ? "ALL USE" : "All Day");
      if (u == "NO USE") return std::string(old ? "NO USE" : "No Use");
    }
    std::string clock = u;
    std::string half;
    size_t comma = u.find(',');
    if (comma != std::string::npos) {
      clock = u.substr(0, comma);
      half = u.substr(comma + 1);
      if (half != "AM" && half != "PM") return std::nullopt;
    }
    size_t colon = clock.find(':');
    if (colon == std::string::npos) return std::nullopt;
    std::string h = clock.substr(0, colon), m = clock.substr(colon + 1);
    if (!AllDigits(h) || !AllDigits(m) || h.size() > 2 || m.size() != 2) return std::nullopt;
    int hh = Number(h), mm = Number(m);
    if (mm > 59) return std::nullopt;
    if (half.empty() ? hh > 23 : (hh < 1 || hh > 12)) return std::nullopt;
    return u;
  };
}

TRule DurationHM(int minMinutes, int maxMinutes) {
  return [=](TConsole&, const std::string& v) -> std::optional<std::string> {
    size_t colon = v.find(':');
    if (colon == std::string::npos) return std::nullopt;
    std::string h = v.substr(0, colon), m = v.substr(colon + 1);
    if (!AllDigits(h) || !AllDigits(m) || h.size() > 2 || m.size() != 2 || Number(m) > 59) return std::nullopt;
    int total = Number(h) * 60 + Number(m);
    if (total < minMinutes || total > maxMinutes) return std::nullopt;
    return v;
  };
}

TRule Date() {
  return [](TConsole&, const std::string& v) -> std::optional<std::string> {
    static const char* months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    std::string u = UpperCase(v);
    size_t a = u.find('-');
    size_t b = a == std::string::npos ? a : u.find('-', a + 1);
    if (b == std::string::npos) return std::nullopt;
    std::string d = u.substr(0, a), mon = u.substr(a + 1, b - a - 1), y = u.substr(b + 1);
    if (!AllDigits(d) || d.size() > 2 || Number(d) < 1 || Number(d) > 31) return std::nullopt;
    if (!AllDigits(y) || y.size() != 2) return std::nullopt;
    if (std::find(std::begin(months), std::end(months), mon) == std::end(months)) return std::nullopt;
    return std::to_string(Number(d)) + "-" + mon + "-" + y;
  };
}

TRule Either(TRule a, TRule b) {
  return [=](TConsole& c, const std::string& v) -> std::optional<std::string> {
    if (auto r = a(c, v)) return r;
    return b(c, v);
  };
}

}  // namespace rules
