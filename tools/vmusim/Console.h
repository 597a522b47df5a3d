// The administrator console of docs/device.md as a stack of screens fed one received byte at a time.
// TConsole does the line editing, the echo, the keys that work at every menu prompt (empty line, Q, T) and the
// log-in; each screen prints itself and takes the lines meant for it. Output goes to a sink given by the caller,
// marked as an answer when it was caused by a line end (so that a slow device can delay it). The console never
// blocks and never fails: bad input is "Incorrect Entry" and leaves the parameters as they were.
#pragma once

#include "State.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TConsole;

enum TInputKind { ikMenu, ikValue, ikPassword, ikShell };

class TScreen {
 public:
  virtual ~TScreen() = default;
  virtual void Show(TConsole& c) = 0;        // the whole screen, ending with its prompt
  virtual void ShowPrompt(TConsole& c) = 0;  // the prompt alone (after an edit or an error)
  virtual void Enter(TConsole& c, const std::string& line) = 0;
  virtual TInputKind Kind() const { return ikMenu; }
};

// A validated value: the canonical text to store, or nothing when the entry is refused.
using TRule = std::function<std::optional<std::string>(TConsole&, const std::string&)>;

struct TConsoleOptions {
  bool RefusePassword = false;
  std::string Refusal = "Incorrect Entry";  // the line that answers bad input
  std::string SavePath;  // where every change is written; empty: nowhere
  std::string LogPath;   // every line entered after the log-in is appended there; empty: nowhere
  long DropAfterStores = -1;  // the line dies right after this many stores; -1: never
};

enum TTransferKind { tkNone, tkDownload, tkUpload };

class TConsole {
 public:
  using TSink = std::function<void(const std::string& text)>;

  TConsole(TDeviceState& state, TConsoleOptions options, TSink sink);
  ~TConsole();

  void Feed(char c);

  // Output.
  void Print(const std::string& text);
  void Line(const std::string& text = "");   // text + CR LF
  void Incorrect();                          // "Incorrect Entry" on its own line
  static std::string ValueLine(const std::string& caption, const std::string& value, int indent = 3);

  // Screens.
  void Push(std::unique_ptr<TScreen> screen);          // and show it
  void PushQuiet(std::unique_ptr<TScreen> screen);     // shows only its prompt
  void Pop();                                          // back one level and show it
  void PopQuiet();                                     // back one level, print nothing
  void Top();                                          // back to the top menu and show it
  void LogOff();
  TScreen* Current() const;

  // Device facts and parameters.
  TDeviceState& State;
  TStateSection& Sys();
  int Firmware() const;  // "4.09" -> 409
  int MailboxNoLength();
  std::string SystemManager();
  std::string MessageManager();
  // A parameter changed (a store): write the state when asked to. After the store that --drop-after-stores names
  // the console is cut off: it prints nothing more and takes no further change, and LineCut() tells the main loop.
  void Changed();
  void SaveState();  // writes the state when asked to, without counting a store (start-up and end)
  bool LineCut() const { return Cut; }

  // An XMODEM transfer the main loop runs after the current answer; the console waits until TransferDone.
  TTransferKind PendingTransfer = tkNone;
  void TransferDone(bool ok, const std::string& received);
  std::string VoicePrompts();
  std::string TransferMessage;

 private:
  void LineEntered(const std::string& line);
  void ShowTop();

  TConsoleOptions Options;
  TSink Sink;
  std::vector<std::unique_ptr<TScreen>> Stack;
  std::string Typed;
  bool LoggedIn = false;
  bool AwaitingPassword = false;
  std::string UploadedPrompts;
  bool HasUploadedPrompts = false;
  long Stores = 0;
  bool Cut = false;
};

// Value rules shared by the sections.
namespace rules {
TRule IntRange(long lo, long hi, bool canEmpty = false);
TRule Choice(std::vector<std::string> values);  // matched without case, stored as listed
TRule Chars(size_t maxLen, const std::string& allowed, bool upper, bool canEmpty);
TRule Text(size_t maxLen, bool canEmpty);
TRule Time(bool allowDayWords, bool canEmpty);  // hh:mm, h:mm,AM / PM; All Day, No Use
TRule DurationHM(int minMinutes, int maxMinutes);  // hh:mm
TRule Date();                                       // D-MON-YY
TRule Either(TRule a, TRule b);
}  // namespace rules

// A screen of numbered items bound to one record of the state (or to a section's own fields). Items can be
// values (edited through "New Value => "), sub-screens, or locked while a condition says so.
struct TItem {
  int No = 0;
  std::string Caption;  // shown, and the field's name inside the record (with Prefix)
  TRule Rule;           // empty for a sub-screen item
  std::function<bool(TConsole&)> Editable;                              // empty: always
  std::function<void(TConsole&, TRecord&, const std::string&)> AfterSet;  // dependent fields
  std::function<void(TConsole&)> Open;                                  // sub-screen
  int Indent = 3;
};

class TItemScreen : public TScreen {
 public:
  using TRecordRef = std::function<TRecord*(TConsole&)>;

  TItemScreen(std::vector<std::string> header, std::string prefix, TRecordRef record, std::vector<TItem> items,
              std::string prompt);
  void Show(TConsole& c) override;
  void ShowPrompt(TConsole& c) override;
  void Enter(TConsole& c, const std::string& line) override;
  // Lines printed after the items (before the prompt), e.g. a record's "End of ..." line.
  std::vector<std::string> Footer;

 private:
  std::vector<std::string> Header;
  std::string Prefix;
  TRecordRef Record;
  std::vector<TItem> Items;
  std::string PromptText;
};

// One or more value prompts in a row; the values are handed over together once all are typed. An empty line
// keeps the old value (the callback gets an empty text); the callback refuses by returning false.
class TValuePrompts : public TScreen {
 public:
  using TApply = std::function<bool(TConsole&, const std::vector<std::string>&)>;
  TValuePrompts(std::vector<std::string> prompts, TApply apply, bool password = false);
  void Show(TConsole& c) override;
  void ShowPrompt(TConsole& c) override;
  void Enter(TConsole& c, const std::string& line) override;
  TInputKind Kind() const override { return Password ? ikPassword : ikValue; }

 private:
  std::vector<std::string> Prompts;
  std::vector<std::string> Values;
  TApply Apply;
  bool Password;
};

// A plain menu: numbered entries that open something.
struct TMenuEntry {
  std::string Key;  // what is typed ("1", "Q"...)
  std::string Text;
  std::function<void(TConsole&)> Open;  // empty: "Incorrect Entry"
};

class TMenuScreen : public TScreen {
 public:
  TMenuScreen(std::string title, std::vector<TMenuEntry> entries, std::string prompt);
  void Show(TConsole& c) override;
  void ShowPrompt(TConsole& c) override;
  void Enter(TConsole& c, const std::string& line) override;

 private:
  std::string Title;
  std::vector<TMenuEntry> Entries;
  std::string PromptText;
};

std::string UpperCase(std::string s);
std::string TrimText(const std::string& s);
