// "Class of Service": eight classes, each a record of numbered parameters; the parameters under an
// authorisation exist only while it is "Yes" (docs/device.md, section 5.2).
#include "Menus.h"

#include <cstdlib>

namespace {

const char* const kSection = "Class of Service";

struct TCosField {
  const char* Name;
  int Parent;  // item number of the authorisation it depends on; 0 for none
  const char* Default;
};

const TCosField kFields[] = {
    {"Mailbox Capacity Maximum Message Time", 0, "180"},
    {"Mailbox Capacity Maximum Messages", 0, "30"},
    {"Message Retention Days", 0, "30"},
    {"Authorization for Message Notification", 0, "Yes"},
    {"Notification Retry Times", 4, "3"},
    {"Notification Retry Interval", 4, "10"},
    {"Notification Busy Retry Interval", 4, "5"},
    {"Authorization for External Message Delivery", 0, "No"},
    {"External Delivery Retry Times", 8, "3"},
    {"Authorization for Auto Forwarding", 0, "No"},
    {"Mailbox Number", 10, "999"},
    {"Delay Time", 10, "00:30"},
    {"Keep Forwarded Message", 10, "Yes"},
};
constexpr int kFieldCount = sizeof(kFields) / sizeof(kFields[0]);

TRule MailboxExists() {
  return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
    if (v == c.SystemManager() || c.State.Section("Mailbox Listing").FindRecord(v)) return v;
    return std::nullopt;
  };
}

TRule FieldRule(int index) {
  switch (index + 1) {
    case 1:
      return rules::Either(rules::IntRange(0, 0), rules::IntRange(5, 999));
    case 2: return rules::IntRange(1, 999);
    case 3: return rules::IntRange(0, 99);
    case 4: case 8: case 10: case 13: return rules::Choice({"Yes", "No"});
    case 5: case 9: return rules::IntRange(0, 9);
    case 6: case 7: return rules::IntRange(1, 60);
    case 11: return MailboxExists();
    case 12: return rules::DurationHM(5, 99 * 60 + 59);
  }
  return rules::Text(16, false);
}

// Switching an authorisation fills its parameters with defaults or empties them.
void AuthorisationSet(TRecord& r, int item, const std::string& value) {
  for (const auto& f : kFields)
    if (f.Parent == item) r.Set(f.Name, value == "Yes" ? f.Default : "");
}

void Normalize(TDeviceState& s) {
  TStateSection& sec = s.Section(kSection);
  for (int i = 1; i <= 8; ++i) sec.AddRecord(std::to_string(i));
  for (auto& r : sec.Records)
    for (const auto& f : kFields) {
      bool on = f.Parent == 0 || r.Get(kFields[f.Parent - 1].Name, kFields[f.Parent - 1].Default) == "Yes";
      r.Default(f.Name, on ? f.Default : "");
    }
}

std::string ItemCaption(int no, const char* name) {
  return (no < 10 ? " " : "") + std::to_string(no) + ". " + name;
}

void OpenClass(TConsole& c, const std::string& key) {
  std::vector<TItem> items;
  for (int i = 0; i < kFieldCount; ++i) {
    TItem item;
    item.No = i + 1;
    item.Caption = kFields[i].Name;
    item.Rule = FieldRule(i);
    item.Indent = 4;
    if (int parent = kFields[i].Parent) {
      item.Editable = [key, parent](TConsole& c) {
        TRecord* r = c.State.Section(kSection).FindRecord(key);
        return r && r->Get(kFields[parent - 1].Name) == "Yes";
      };
    }
    if (i + 1 == 4 || i + 1 == 8 || i + 1 == 10) {
      int no = i + 1;
      item.AfterSet = [no](TConsole&, TRecord& r, const std::string& v) { AuthorisationSet(r, no, v); };
    }
    items.push_back(std::move(item));
  }
  c.Push(std::make_unique<TItemScreen>(std::vector<std::string>{"COS No. [" + key + "]"}, "",
                                       RecordRef(kSection, key), std::move(items), "COS Item No. or Q => "));
}

class TCosScreen : public TScreen {
 public:
  explicit TCosScreen(std::string title) : Title(std::move(title)) {}
  void Show(TConsole& c) override {
    c.Line();
    c.Line(Title);
    c.Line();
    for (const auto& r : c.State.Section(kSection).Records) {
      c.Line("COS No. [" + r.Key + "]");
      for (int i = 0; i < kFieldCount; ++i)
        c.Line(TConsole::ValueLine(ItemCaption(i + 1, kFields[i].Name), r.Get(kFields[i].Name), 4));
      c.Line("End of COS");
    }
    c.Line();
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("Class of Service - COS No. or Q => "); }
  void Enter(TConsole& c, const std::string& line) override {
    if (!c.State.Section(kSection).FindRecord(line)) {
      c.Incorrect();
      ShowPrompt(c);
      return;
    }
    OpenClass(c, line);
  }

 private:
  std::string Title;
};

const TSectionRegistrar reg{
    {kSection, [](TConsole& c, const std::string& title) { c.Push(std::make_unique<TCosScreen>(title)); },
     Normalize}};

}  // namespace
