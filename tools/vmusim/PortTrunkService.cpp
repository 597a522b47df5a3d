// "Port Service" and "Trunk Service": one record per VPS port or trunk group, each with the four time modes and
// their six answering parameters (docs/device.md, section 5.3). The two sections differ only in their words and
// in the smallest delayed answer time.
#include "Menus.h"

#include <algorithm>

namespace {

const char* const kModes[] = {"Day", "Night", "Lunch", "Break"};
const char* const kFields[] = {"Incoming Call Service", "Number", "Incoming Call Service Prompt",
                               "Greeting No.", "Company Greeting No.", "Delayed Answer Time"};

struct TKind {
  std::string Section;  // "Port Service"
  std::string Word;     // "Port"
  int MinDelay;
  int DefaultCount;
};

const TKind kPort{"Port Service", "Port", 0, 4};
const TKind kTrunk{"Trunk Service", "Trunk", 1, 8};

std::string ModeName(const std::string& typed) {
  std::string u = UpperCase(typed);
  for (const char* m : kModes)
    if (u == UpperCase(m) || u == UpperCase(m) + " MODE") return m;
  return "";
}

void Normalize(TDeviceState& s, const TKind& k) {
  TStateSection& sec = s.Section(k.Section);
  if (sec.Records.empty())
    for (int i = 1; i <= k.DefaultCount; ++i) sec.AddRecord(std::to_string(i));
  for (auto& r : sec.Records)
    for (const char* m : kModes) {
      std::string p = std::string(m) + " Mode/";
      r.Default(p + "Incoming Call Service", "Auto. Attn.");
      r.Default(p + "Number", "");
      r.Default(p + "Incoming Call Service Prompt", "System");
      r.Default(p + "Greeting No.", "");
      r.Default(p + "Company Greeting No.", "System Greeting");
      r.Default(p + "Delayed Answer Time", std::to_string(k.MinDelay));
    }
}

void OpenMode(TConsole& c, const TKind& k, const std::string& key, const std::string& mode) {
  std::string prefix = mode + " Mode/";
  std::string section = k.Section;
  auto field = [section, key, prefix](TConsole& c, const char* name) {
    TRecord* r = c.State.Section(section).FindRecord(key);
    return r ? r->Get(prefix + name) : std::string();
  };
  std::vector<TItem> items(6);
  for (int i = 0; i < 6; ++i) {
    items[i].No = i + 1;
    items[i].Caption = kFields[i];
    items[i].Indent = 6;
  }
  items[0].Rule = rules::Choice({"None", "V.M.", "Auto. Attn.", "Interview", "Custom"});
  items[0].AfterSet = [prefix](TConsole&, TRecord& r, const std::string&) { r.Set(prefix + "Number", ""); };
  items[1].Editable = [field](TConsole& c) {
    std::string s = field(c, "Incoming Call Service");
    return s == "Interview" || s == "Custom";
  };
  items[1].Rule = [field](TConsole& c, const std::string& v) -> std::optional<std::string> {
    if (field(c, "Incoming Call Service") == "Custom") return rules::IntRange(1, 100)(c, v);
    bool digits = !v.empty() && std::all_of(v.begin(), v.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    if (!digits || static_cast<int>(v.size()) != c.MailboxNoLength()) return std::nullopt;
    return v;
  };
  items[2].Rule = rules::Choice({"None", "System", "Selective"});
  items[2].AfterSet = [prefix](TConsole&, TRecord& r, const std::string& v) {
    r.Set(prefix + "Greeting No.", v == "Selective" ? "System" : "");
  };
  items[3].Editable = [field](TConsole& c) { return field(c, "Incoming Call Service Prompt") == "Selective"; };
  items[3].Rule = rules::Either(rules::Choice({"System"}), rules::IntRange(1, 32));
  items[4].Rule = rules::Either(rules::Choice({"System Greeting", "None"}), rules::IntRange(1, 32));
  items[5].Rule = rules::IntRange(k.MinDelay, 9);
  c.Push(std::make_unique<TItemScreen>(
      std::vector<std::string>{k.Word + " No. [" + key + "]", "   " + mode + " Mode"}, prefix,
      RecordRef(k.Section, key), std::move(items), k.Word + " Mode Item No. or Q => "));
}

class TRecordScreen : public TScreen {
 public:
  TRecordScreen(const TKind& k, std::string key) : Kind(k), Key(std::move(key)) {}
  void Show(TConsole& c) override {
    c.Line();
    c.Line(Kind.Word + " No. [" + Key + "]");
    for (const char* m : kModes)
      c.Line(TConsole::ValueLine(std::string(m) + " Mode",
                                 c.State.Section(Kind.Section).FindRecord(Key)
                                     ? c.State.Section(Kind.Section).FindRecord(Key)->Get(std::string(m) +
                                                                                          " Mode/Incoming Call Service")
                                     : ""));
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print(Kind.Word + " Mode (DAY, NIGHT, LUNCH, BREAK) or Q => "); }
  void Enter(TConsole& c, const std::string& line) override {
    std::string mode = ModeName(line);
    if (mode.empty()) {
      c.Incorrect();
      ShowPrompt(c);
      return;
    }
    OpenMode(c, Kind, Key, mode);
  }

 private:
  const TKind& Kind;
  std::string Key;
};

class TSectionScreen : public TScreen {
 public:
  TSectionScreen(const TKind& k, std::string title) : Kind(k), Title(std::move(title)) {}
  void Show(TConsole& c) override {
    c.Line();
    c.Line(Title);
    c.Line();
    for (const auto& r : c.State.Section(Kind.Section).Records) {
      c.Line(Kind.Word + " No. [" + r.Key + "]");
      int no = 0;
      for (const char* m : kModes) {
        c.Line(std::string("   ") + m + " Mode");
        for (const char* f : kFields)
          c.Line(TConsole::ValueLine(std::to_string(++no % 6 == 0 ? 6 : no % 6) + ". " + f,
                                     r.Get(std::string(m) + " Mode/" + f), 6));
        c.Line("   End of Mode");
      }
      c.Line("End of " + Kind.Word);
    }
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print(Kind.Section + " - " + Kind.Word + " No. or Q => "); }
  void Enter(TConsole& c, const std::string& line) override {
    if (!c.State.Section(Kind.Section).FindRecord(line)) {
      c.Incorrect();
      ShowPrompt(c);
      return;
    }
    c.Push(std::make_unique<TRecordScreen>(Kind, line));
  }

 private:
  const TKind& Kind;
  std::string Title;
};

const TSectionRegistrar port{{kPort.Section,
                              [](TConsole& c, const std::string& t) {
                                c.Push(std::make_unique<TSectionScreen>(kPort, t));
                              },
                              [](TDeviceState& s) { Normalize(s, kPort); }}};
const TSectionRegistrar trunk{{kTrunk.Section,
                               [](TConsole& c, const std::string& t) {
                                 c.Push(std::make_unique<TSectionScreen>(kTrunk, t));
                               },
                               [](TDeviceState& s) { Normalize(s, kTrunk); }}};

}  // namespace
