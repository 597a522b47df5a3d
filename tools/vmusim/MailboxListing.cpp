// "Mailbox Listing": every mailbox but the System Manager's, with its notification devices and their weekly
// schedules; add, delete and modify as docs/device.md, section 5.1 says. Device and schedule fields live in the
// mailbox's record under the paths "1ST Device/..." and "1ST Device/Day Mon/Time frame 1/Start Time".
#include "Menus.h"

#include <algorithm>

namespace {

const char* const kSection = "Mailbox Listing";
const char* const kDevices[] = {"1ST", "2ND", "3RD"};
const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

struct TDeviceField {
  const char* Name;
  std::string Default;
};
const TDeviceField kDeviceFields[] = {{"Device Number", ""},     {"Device Type", "Phone"},
                                      {"Notification Mode", "Always"}, {"Number of Retries", "3"},
                                      {"Retry Interval", "10"},  {"Message Type", "All"}};

std::string Dev(const std::string& device) { return device + " Device/"; }
std::string Frame(const std::string& device, const std::string& day, int frame, const char* which) {
  return Dev(device) + "Day " + day + "/Time frame " + std::to_string(frame) + "/" + which + " Time";
}

bool OldFirmware(const TDeviceState& s) {
  const TStateSection* sys = s.FindSection("System");
  std::string v = sys ? sys->Fields.Get("Flash Version", "4.09") : "4.09";
  return v < "4.09" && v.size() == 4;
}

void DefaultSchedule(TDeviceState& s, TRecord& r, const std::string& device) {
  bool old = OldFirmware(s);
  for (const char* day : kDays) {
    bool weekend = std::string(day) == "Sat" || std::string(day) == "Sun";
    r.Default(Frame(device, day, 1, "Start"), weekend ? (old ? "NO USE" : "No Use") : "08:00");
    r.Default(Frame(device, day, 1, "End"), weekend ? "" : "17:00");
    r.Default(Frame(device, day, 2, "Start"), old ? "NO USE" : "No Use");
    r.Default(Frame(device, day, 2, "End"), "");
  }
}

void DefaultDevice(TDeviceState& s, TRecord& r, const std::string& device) {
  for (const auto& f : kDeviceFields) r.Default(Dev(device) + f.Name, f.Default);
  if (r.Get(Dev(device) + "Notification Mode") == "Scheduled") DefaultSchedule(s, r, device);
}

// A deleted mailbox leaves the groups that held it (the members after it move up; a group left without members
// goes), and an interview service that reached it falls back to the default.
void ForgetMailbox(TDeviceState& s, const std::string& mailbox, const std::string& interview) {
  if (TStateSection* groups = const_cast<TStateSection*>(s.FindSection("Mailbox Group"))) {
    std::vector<std::string> empty;
    for (auto& g : groups->Records) {
      std::vector<std::string> members;
      for (const auto& [name, value] : g.Fields)
        if (name.rfind("Mailbox No. ", 0) == 0 && !value.empty() && value != mailbox) members.push_back(value);
      bool held = false;
      for (const auto& [name, value] : g.Fields)
        if (name.rfind("Mailbox No. ", 0) == 0 && value == mailbox) held = true;
      if (!held) continue;
      std::erase_if(g.Fields, [](const auto& f) { return f.first.rfind("Mailbox No. ", 0) == 0; });
      for (size_t i = 0; i < members.size(); ++i) g.Set("Mailbox No. " + std::to_string(i + 1), members[i]);
      if (members.empty()) empty.push_back(g.Key);
    }
    for (const auto& k : empty) groups->EraseRecord(k);
  }
  if (interview.empty()) return;
  for (const char* name : {"Port Service", "Trunk Service"}) {
    TStateSection* sec = const_cast<TStateSection*>(s.FindSection(name));
    if (!sec) continue;
    for (auto& r : sec->Records)
      for (const char* mode : {"Day", "Night", "Lunch", "Break"}) {
        std::string m = std::string(mode) + " Mode/";
        if (r.Get(m + "Incoming Call Service") == "Interview" && r.Get(m + "Number") == interview) {
          r.Set(m + "Incoming Call Service", std::string(name) == "Port Service" ? "Auto. Attn." : "None");
          r.Set(m + "Number", "");
        }
      }
  }
}

void DefaultMailbox(TDeviceState& s, TRecord& r) {
  r.Default("Extension No.", "");
  r.Default("Last Name", "");
  r.Default("First Name", "");
  r.Default("Maximum Messages", "30");
  r.Default("Extension Group No.", "");
  r.Default("Interview Mailbox Number", "");
  r.Default("Reset Mailbox Password", "No");
  for (const char* d : kDevices)
    if (!r.Get(Dev(d) + "Device Number").empty()) DefaultDevice(s, r, d);
}

void Normalize(TDeviceState& s) {
  TStateSection& sec = s.Section(kSection);
  std::string mm = s.Section("System").Fields.Get("Message Manager's Mailbox No.", "998");
  std::string sm = s.Section("System").Fields.Get("System Manager's Mailbox No.", "999");
  sec.EraseRecord(sm);  // the System Manager's mailbox is never listed
  if (!sec.FindRecord(mm)) {
    TRecord& r = sec.AddRecord(mm);
    r.Set("Last Name", "MESSAGE");
    r.Set("First Name", "MANAGER");
  }
  for (auto& r : sec.Records) DefaultMailbox(s, r);
}

bool AllDigits(const std::string& v) {
  return !v.empty() && std::all_of(v.begin(), v.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// A number that could name a new mailbox: the right length, not in use, not a manager's.
bool FreeMailboxNo(TConsole& c, const std::string& v) {
  return AllDigits(v) && static_cast<int>(v.size()) == c.MailboxNoLength() && !c.State.Section(kSection).FindRecord(v) &&
         v != c.SystemManager() && v != c.MessageManager();
}

TRule InterviewRule() {
  return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
    if (v.empty()) return std::string();
    if (!FreeMailboxNo(c, v)) return std::nullopt;
    return v;
  };
}

std::string DeviceName(const std::string& typed) {
  std::string u = UpperCase(typed);
  for (int i = 0; i < 3; ++i)
    if (u == std::to_string(i + 1) || u == kDevices[i] || u == std::string(kDevices[i]) + " DEVICE") return kDevices[i];
  return "";
}

std::string DayName(const std::string& typed) {
  std::string u = UpperCase(typed);
  for (const char* d : kDays)
    if (u == UpperCase(d) || u == "DAY " + UpperCase(d)) return d;
  return "";
}

// ---- the listing ----

void PrintMailbox(TConsole& c, const TRecord& r) {
  c.Line("Mailbox No. [" + r.Key + "]");
  c.Line(TConsole::ValueLine("1. Extension No.", r.Get("Extension No.")));
  c.Line(TConsole::ValueLine("2. Last Name", r.Get("Last Name")));
  c.Line(TConsole::ValueLine("3. First Name", r.Get("First Name")));
  c.Line(TConsole::ValueLine("4. Maximum Messages", r.Get("Maximum Messages")));
  c.Line(TConsole::ValueLine("5. Extension Group No.", r.Get("Extension Group No.")));
  c.Line(TConsole::ValueLine("6. Interview Mailbox Number", r.Get("Interview Mailbox Number")));
  c.Line("   7. Notification Setting");
  for (const char* d : kDevices) {
    if (r.Get(Dev(d) + "Device Number").empty()) continue;
    c.Line(std::string("      ") + d + " Device");
    for (const auto& f : kDeviceFields) c.Line(TConsole::ValueLine(f.Name, r.Get(Dev(d) + f.Name), 9));
    if (r.Get(Dev(d) + "Notification Mode") == "Scheduled") {
      c.Line("         Schedule Time");
      for (const char* day : kDays) {
        c.Line(std::string("            Day ") + day);
        for (int frame = 1; frame <= 2; ++frame) {
          c.Line("               Time frame " + std::to_string(frame));
          for (const char* which : {"Start", "End"})
            c.Line(TConsole::ValueLine(std::string(which) + " Time", r.Get(Frame(d, day, frame, which)), 18));
        }
      }
    }
    c.Line("      End of Device");
  }
  c.Line(TConsole::ValueLine("8. Reset Mailbox Password", r.Get("Reset Mailbox Password", "No")));
  c.Line("End of Mailbox");
}

void OpenMailbox(TConsole& c, const std::string& key);

class TScheduleScreen : public TScreen {
 public:
  TScheduleScreen(std::string key, std::string device) : Key(std::move(key)), Device(std::move(device)) {}
  void Show(TConsole& c) override {
    TRecord* r = c.State.Section(kSection).FindRecord(Key);
    c.Line();
    c.Line("Schedule Time");
    for (const char* day : kDays) {
      std::string line = std::string("   Day ") + day + "   ";
      for (int frame = 1; frame <= 2; ++frame)
        line += "  " + (r ? r->Get(Frame(Device, day, frame, "Start")) : "") + " - " +
                (r ? r->Get(Frame(Device, day, frame, "End")) : "");
      c.Line(line);
    }
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("Schedule Day (MON-SUN) or Q => "); }
  void Enter(TConsole& c, const std::string& line) override {
    std::string day = DayName(line);
    if (day.empty()) {
      c.Incorrect();
      ShowPrompt(c);
      return;
    }
    std::string key = Key, device = Device;
    c.PushQuiet(std::make_unique<TValuePrompts>(
        std::vector<std::string>{"Time frame 1 Start Time => ", "Time frame 1 End Time => ",
                                 "Time frame 2 Start Time => ", "Time frame 2 End Time => "},
        [key, device, day](TConsole& c, const std::vector<std::string>& v) {
          TRecord* r = c.State.Section(kSection).FindRecord(key);
          if (!r) return false;
          std::string next[4];
          TRule start = rules::Time(true, false), end = rules::Time(false, true);
          for (int i = 0; i < 4; ++i) {
            const char* which = i % 2 == 0 ? "Start" : "End";
            std::string path = Frame(device, day, i / 2 + 1, which);
            if (v[i].empty()) {
              next[i] = r->Get(path);
              continue;
            }
            auto value = (i % 2 == 0 ? start : end)(c, v[i] == "-" ? "" : v[i]);
            if (!value) return false;
            next[i] = *value;
          }
          for (int i = 0; i < 4; i += 2) {
            std::string u = UpperCase(next[i]);
            if (u == "ALL DAY" || u == "NO USE" || u == "ALL USE") next[i + 1].clear();
          }
          for (int i = 0; i < 4; ++i) r->Set(Frame(device, day, i / 2 + 1, i % 2 == 0 ? "Start" : "End"), next[i]);
          c.Changed();
          return true;
        }));
  }

 private:
  std::string Key, Device;
};

void OpenDevice(TConsole& c, const std::string& key, const std::string& device) {
  std::string prefix = Dev(device);
  auto active = [key, prefix](TConsole& c) {
    TRecord* r = c.State.Section(kSection).FindRecord(key);
    return r && !r->Get(prefix + "Device Number").empty();
  };
  std::vector<TItem> items(7);
  const TRule fieldRules[] = {
      rules::Chars(20, "0123456789*#,X", true, true), rules::Choice({"Phone", "Beeper"}),
      rules::Choice({"Always", "Scheduled"}),          rules::IntRange(0, 9),
      rules::IntRange(1, 60),                          rules::Choice({"All", "Urgent"})};
  for (int i = 0; i < 6; ++i) {
    items[i].No = i + 1;
    items[i].Caption = kDeviceFields[i].Name;
    items[i].Rule = fieldRules[i];
    if (i > 0) items[i].Editable = active;
  }
  items[0].AfterSet = [device](TConsole& c, TRecord& r, const std::string& v) {
    if (v.empty()) {
      r.Erase(device + " Device");
      r.Set(Dev(device) + "Device Number", "");
    } else {
      DefaultDevice(c.State, r, device);
    }
  };
  items[2].AfterSet = [device](TConsole& c, TRecord& r, const std::string& v) {
    if (v == "Scheduled") {
      DefaultSchedule(c.State, r, device);
    } else {
      for (const char* day : kDays) r.Erase(Dev(device) + "Day " + day);
    }
  };
  items[6].No = 7;
  items[6].Caption = "Schedule Time";
  items[6].Editable = [key, prefix](TConsole& c) {
    TRecord* r = c.State.Section(kSection).FindRecord(key);
    return r && !r->Get(prefix + "Device Number").empty() && r->Get(prefix + "Notification Mode") == "Scheduled";
  };
  items[6].Open = [key, device](TConsole& c) { c.Push(std::make_unique<TScheduleScreen>(key, device)); };
  c.Push(std::make_unique<TItemScreen>(std::vector<std::string>{"Mailbox No. [" + key + "]", device + " Device"},
                                       prefix, RecordRef(kSection, key), std::move(items),
                                       "Device Item No. or Q => "));
}

class TNotificationScreen : public TScreen {
 public:
  explicit TNotificationScreen(std::string key) : Key(std::move(key)) {}
  void Show(TConsole& c) override {
    TRecord* r = c.State.Section(kSection).FindRecord(Key);
    c.Line();
    c.Line("Notification Setting");
    for (const char* d : kDevices)
      c.Line(TConsole::ValueLine(std::string(d) + " Device", r ? r->Get(Dev(d) + "Device Number") : ""));
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("Notification Device (1ST, 2ND, 3RD) or Q => "); }
  void Enter(TConsole& c, const std::string& line) override {
    std::string d = DeviceName(line);
    if (d.empty()) {
      c.Incorrect();
      ShowPrompt(c);
      return;
    }
    OpenDevice(c, Key, d);
  }

 private:
  std::string Key;
};

void OpenMailbox(TConsole& c, const std::string& key) {
  std::vector<TItem> items(8);
  const char* names[] = {"Extension No.",       "Last Name",
                         "First Name",          "Maximum Messages",
                         "Extension Group No.", "Interview Mailbox Number",
                         "Notification Setting", "Reset Mailbox Password"};
  const TRule fieldRules[] = {rules::Chars(8, "0123456789", false, true), rules::Text(16, true),
                              rules::Text(16, true),                      rules::IntRange(1, 999),
                              rules::IntRange(1, 99, true),               InterviewRule(),
                              nullptr,                                    rules::Choice({"Yes", "No"})};
  for (int i = 0; i < 8; ++i) {
    items[i].No = i + 1;
    items[i].Caption = names[i];
    items[i].Rule = fieldRules[i];
  }
  items[6].Open = [key](TConsole& c) { c.Push(std::make_unique<TNotificationScreen>(key)); };
  // Resetting is an action: the device resets the mailbox's own password and the field reads "No" again.
  items[7].AfterSet = [](TConsole&, TRecord& r, const std::string&) { r.Set("Reset Mailbox Password", "No"); };
  c.Push(std::make_unique<TItemScreen>(std::vector<std::string>{"Mailbox No. [" + key + "]"}, "",
                                       RecordRef(kSection, key), std::move(items), "Mailbox Item No. or Q => "));
}

class TListingScreen : public TScreen {
 public:
  explicit TListingScreen(std::string title) : Title(std::move(title)) {}
  void Show(TConsole& c) override {
    c.Line();
    c.Line(Title);
    c.Line();
    for (const auto& r : c.State.Section(kSection).Records) PrintMailbox(c, r);
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("Mailbox Listing - A=Add, D=Delete, M=Modify, Q=Quit => "); }
  void Enter(TConsole& c, const std::string& line) override {
    std::string u = UpperCase(line);
    if (u == "A") {
      c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{"Mailbox No. => "},
                                                  [](TConsole& c, const std::vector<std::string>& v) {
                                                    if (v[0].empty()) return true;
                                                    if (!FreeMailboxNo(c, v[0])) return false;
                                                    TRecord& r = c.State.Section(kSection).AddRecord(v[0]);
                                                    DefaultMailbox(c.State, r);
                                                    c.Changed();
                                                    c.Line("Mailbox Added");
                                                    OpenMailbox(c, v[0]);
                                                    return true;
                                                  }));
    } else if (u == "M") {
      c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{"Mailbox No. => "},
                                                  [](TConsole& c, const std::vector<std::string>& v) {
                                                    if (v[0].empty()) return true;
                                                    if (!c.State.Section(kSection).FindRecord(v[0])) return false;
                                                    OpenMailbox(c, v[0]);
                                                    return true;
                                                  }));
    } else if (u == "D") {
      c.PushQuiet(std::make_unique<TValuePrompts>(
          std::vector<std::string>{"Mailbox No. => "}, [](TConsole& c, const std::vector<std::string>& v) {
            if (v[0].empty()) return true;
            if (!c.State.Section(kSection).FindRecord(v[0]) || v[0] == c.MessageManager()) return false;
            std::string key = v[0];
            c.PushQuiet(std::make_unique<TValuePrompts>(
                std::vector<std::string>{"Delete Mailbox (Y/N) => "},
                [key](TConsole& c, const std::vector<std::string>& yes) {
                  if (UpperCase(yes[0]) == "Y") {
                    TRecord* gone = c.State.Section(kSection).FindRecord(key);
                    std::string interview = gone ? gone->Get("Interview Mailbox Number") : "";
                    c.State.Section(kSection).EraseRecord(key);
                    ForgetMailbox(c.State, key, interview);
                    c.Changed();
                    c.Line("Mailbox Deleted");
                  }
                  return true;
                }));
            return true;
          }));
    } else {
      c.Incorrect();
      ShowPrompt(c);
    }
  }

 private:
  std::string Title;
};

const TSectionRegistrar reg{{kSection,
                             [](TConsole& c, const std::string& title) {
                               c.Push(std::make_unique<TListingScreen>(title));
                             },
                             Normalize}};

}  // namespace
