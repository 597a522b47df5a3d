// The device-wide screens: top menu, Program menus, System Information, ON LINE / OFF LINE, the administrator
// password and the voice prompt transfer menu; plus the section registry and the simple-section helpers.
#include "Menus.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::vector<TSectionEntry>& Registry() {
  static std::vector<TSectionEntry> entries;
  return entries;
}

struct TTreeItem {
  std::string Name;
  std::vector<TTreeItem> Sub;
};

// Every section of the firmware family, with its fixed place in the Program menus (docs/device.md, section 5).
const std::vector<TTreeItem>& ProgramTree() {
  static const std::vector<TTreeItem> tree = {
      {"Mailbox Setting",
       {{"Mailbox Listing", {}}, {"Class of Service", {}}, {"Mailbox Group", {}}, {"Extension Group", {}},
        {"Alternate Extension", {}}}},
      {"Port/Trunk Service", {{"Port Service", {}}, {"Trunk Service", {}}}},
      {"Service Setting",
       {{"Auto. Attn. Setting",
         {{"Operator's Parameters", {}}, {"Department Dialing", {}}, {"Custom Service", {}},
          {"Caller ID Call Routing", {}}}},
        {"Prompt Setting", {}},
        {"System Caller Name Announcement", {}},
        {"Message Waiting Notification", {}},
        {"External Message Delivery", {}},
        {"Fax Management", {}},
        {"Rotary Telephone Service", {}},
        {"Intercom Paging Parameters", {}}}},
      {"System Parameter Setting",
       {{"Time Service", {}}, {"Holiday Listing", {}}, {"Daylight Saving Time", {}}, {"System Date/Time", {}},
        {"Extension Numbering Plan", {}}, {"Dialing Parameters", {}}, {"Call Hold", {}},
        {"Disconnect Parameter", {}}, {"Inter-Digit Timeout", {}}}},
      {"Hardware Settings",
       {{"RS-232C Parameters", {}}, {"Port Setting", {}}, {"Input/Output", {}},
        {"PBX Interface Parameters", {{"PBX Dialing Parameters", {}}, {"Inband Signaling", {}}}}}},
  };
  return tree;
}

std::unique_ptr<TScreen> MakeTreeMenu(const std::string& title, const std::string& name,
                                      const std::vector<TTreeItem>& items) {
  std::vector<TMenuEntry> entries;
  int no = 0;
  for (const auto& item : items) {
    TMenuEntry e{std::to_string(++no), item.Name, {}};
    std::string path = title + " - " + item.Name;
    if (!item.Sub.empty()) {
      const TTreeItem* sub = &item;
      e.Open = [path, sub](TConsole& c) { c.Push(MakeTreeMenu(path, sub->Name, sub->Sub)); };
    } else if (const TSectionEntry* s = FindSectionEntry(item.Name)) {
      e.Open = [path, s](TConsole& c) { s->Open(c, path); };
    }
    entries.push_back(std::move(e));
  }
  return std::make_unique<TMenuScreen>(title, std::move(entries), name + " Selection => ");
}

class TInfoScreen : public TScreen {
 public:
  void Show(TConsole& c) override {
    auto& sys = c.Sys().Fields;
    auto count = [&](const char* section) {
      const TStateSection* s = c.State.FindSection(section);
      return std::to_string(s ? s->Records.size() : 0);
    };
    const TStateSection* mbx = c.State.FindSection("Mailbox Listing");
    c.Line();
    c.Line("VMU System Information");
    c.Line();
    for (const char* name : {"Flash Version", "ROM Version", "Mailbox No. Length", "System Manager's Mailbox No.",
                             "Message Manager's Mailbox No."})
      c.Line(TConsole::ValueLine(name, sys.Get(name)));
    c.Line(TConsole::ValueLine("Number of VPS Ports", count("Port Service")));
    c.Line(TConsole::ValueLine("Number of Trunk Groups", count("Trunk Service")));
    c.Line(TConsole::ValueLine("Number of Mailboxes", std::to_string((mbx ? mbx->Records.size() : 0) + 1)));
    c.Line(TConsole::ValueLine("Operating Mode", sys.Get("Operating Mode")));
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("System Info - Q to Quit => "); }
  void Enter(TConsole& c, const std::string&) override {
    c.Incorrect();
    ShowPrompt(c);
  }
};

class TModeScreen : public TScreen {
 public:
  void Show(TConsole& c) override {
    c.Line();
    c.Line("ON LINE / OFF LINE Mode");
    c.Line();
    c.Line(TConsole::ValueLine("Current Mode", c.Sys().Fields.Get("Operating Mode")));
    c.Line("   1. Set ON LINE Mode");
    c.Line("   2. Set OFF LINE Mode");
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("Mode Selection => "); }
  void Enter(TConsole& c, const std::string& line) override {
    if (line == "1") {
      c.Sys().Fields.Set("Operating Mode", "ON LINE");
      c.Changed();
      c.Line("System is ON LINE");
    } else if (line == "2") {
      c.Line("Releasing VPS ports. Please wait ...");
      const TStateSection* ports = c.State.FindSection("Port Service");
      for (size_t i = 0; ports && i < ports->Records.size(); ++i)
        c.Line("VPS Port " + ports->Records[i].Key + " released");
      c.Sys().Fields.Set("Operating Mode", "OFF LINE");
      c.Changed();
      c.Line("System is OFF LINE");
    } else {
      c.Incorrect();
    }
    ShowPrompt(c);
  }
};

std::string Hex8(size_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08zX", n);
  return buf;
}

std::unique_ptr<TScreen> MakeTransferMenu() {
  std::vector<TMenuEntry> entries = {
      {"1", "Download Voice Prompts (VMU --> PC)",
       [](TConsole& c) {
         c.Line("Total Size of Download File = 0x" + Hex8(c.VoicePrompts().size()) + " bytes");
         c.Line("Start XMODEM receive now.");
         c.PendingTransfer = tkDownload;
       }},
      {"2", "Upload Voice Prompts (PC --> VMU)",
       [](TConsole& c) {
         c.Line("Start XMODEM send now.");
         c.PendingTransfer = tkUpload;
       }},
  };
  return std::make_unique<TMenuScreen>("Voice Prompt Transfer", std::move(entries),
                                       "Voice Prompt Transfer Selection => ");
}

void ChangePassword(TConsole& c) {
  c.PushQuiet(std::make_unique<TValuePrompts>(
      std::vector<std::string>{"New Password => ", "Confirm Password => "},
      [](TConsole& c, const std::vector<std::string>& v) {
        bool printable = true;
        for (char ch : v[0]) printable = printable && static_cast<unsigned char>(ch) >= 32;
        if (v[0].empty() || v[0].size() > 16 || v[0] != v[1] || !printable) return false;
        c.Sys().Fields.Set("Administrator Password", v[0]);
        c.Changed();
        c.Line("Password Changed");
        return true;
      },
      true));
}

}  // namespace

void RegisterSection(TSectionEntry entry) { Registry().push_back(std::move(entry)); }

const TSectionEntry* FindSectionEntry(const std::string& name) {
  for (const auto& e : Registry())
    if (e.Name == name) return &e;
  return nullptr;
}

const std::vector<TSectionEntry>& SectionEntries() { return Registry(); }

std::unique_ptr<TScreen> MakeTopMenu() {
  std::vector<TMenuEntry> entries = {
      {"1", "Program", [](TConsole& c) { c.Push(MakeTreeMenu("Program", "Program", ProgramTree())); }},
      {"2", "Reports", [](TConsole& c) { c.Push(MakeReportShell()); }},
      {"3", "System Information", [](TConsole& c) { c.Push(std::make_unique<TInfoScreen>()); }},
      {"4", "ON LINE / OFF LINE Mode", [](TConsole& c) { c.Push(std::make_unique<TModeScreen>()); }},
      {"5", "Administrator Password", ChangePassword},
      {"6", "Voice Prompt Transfer", [](TConsole& c) { c.Push(MakeTransferMenu()); }},
      {"Q", "Log Off", [](TConsole& c) { c.LogOff(); }},
  };
  return std::make_unique<TMenuScreen>("System Administration Top Menu", std::move(entries),
                                       "Top Menu Selection => ");
}

void NormalizeState(TDeviceState& state) {
  TRecord& sys = state.Section("System").Fields;
  sys.Default("Flash Version", "4.09");
  sys.Default("ROM Version", "2.05");
  sys.Default("Mailbox No. Length", "3");
  sys.Default("System Manager's Mailbox No.", "999");
  sys.Default("Message Manager's Mailbox No.", "998");
  sys.Default("Administrator Password", "ADMIN");
  sys.Default("Operating Mode", "ON LINE");
  sys.Default("Voice Prompt Size", "16384");
  for (const auto& e : Registry())
    if (e.Normalize) e.Normalize(state);
}

TItemScreen::TRecordRef RecordRef(const std::string& section, const std::string& key) {
  return [section, key](TConsole& c) { return c.State.Section(section).FindRecord(key); };
}

TItemScreen::TRecordRef SectionFieldsRef(const std::string& section) {
  return [section](TConsole& c) { return &c.State.Section(section).Fields; };
}

void OpenSimpleSection(TConsole& c, const std::string& title, const std::string& section,
                       const std::vector<TSimpleField>& fields) {
  std::vector<TItem> items;
  int no = 0;
  for (const auto& f : fields) {
    TItem item;
    item.No = ++no;
    item.Caption = f.Name;
    item.Rule = f.Rule;
    items.push_back(std::move(item));
  }
  c.Push(std::make_unique<TItemScreen>(std::vector<std::string>{title, ""}, "", SectionFieldsRef(section),
                                       std::move(items), section + " - Item No. or Q => "));
}

void NormalizeSimpleSection(TDeviceState& state, const std::string& section, const std::vector<TSimpleField>& fields) {
  TRecord& r = state.Section(section).Fields;
  for (const auto& f : fields) r.Default(f.Name, f.Default);
}
