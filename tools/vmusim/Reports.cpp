// The report shell (top menu 2): a command prompt "$ " that prints one report per command and ends it with
// CR LF "$ " (docs/device.md, section 6). Reports are made from the current parameters, so that they change
// when the parameters do; the usage counters are fixed figures of a quiet office.
#include "Menus.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

using TReportLines = std::vector<std::string>;
using TReport = std::function<TReportLines(TConsole&, const std::string& arg)>;

std::string Pad(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string Header(TConsole& c, const std::string& name) {
  const TStateSection* clock = c.State.FindSection("System Date/Time");
  std::string when = clock ? clock->Fields.Get("System Date") + " " + clock->Fields.Get("System Time") : "";
  return name + "    " + when;
}

TReportLines MailboxAssignments(TConsole& c, const std::string&) {
  TReportLines out{Header(c, "MAILBOX ASSIGNMENTS"), "",
                   "MBX   EXT       NAME                              MAX MSG  EXT GRP  INTERVIEW"};
  for (const auto& r : c.State.Section("Mailbox Listing").Records) {
    std::string name = r.Get("Last Name");
    if (!r.Get("First Name").empty()) name += ", " + r.Get("First Name");
    out.push_back(Pad(r.Key, 6) + Pad(r.Get("Extension No."), 10) + Pad(name, 34) + Pad(r.Get("Maximum Messages"), 9) +
                  Pad(r.Get("Extension Group No."), 9) + r.Get("Interview Mailbox Number"));
  }
  out.push_back(Pad(c.SystemManager(), 6) + Pad("", 10) + "SYSTEM MANAGER");
  out.push_back("");
  out.push_back("TOTAL MAILBOXES: " + std::to_string(c.State.Section("Mailbox Listing").Records.size() + 1));
  return out;
}

TReportLines CosAssignments(TConsole& c, const std::string&) {
  TReportLines out{Header(c, "COS ASSIGNMENTS"), "", "COS  MAX TIME  MAX MSGS  RETENTION  NOTIFY  EXT DELIVERY  AUTO FWD"};
  for (const auto& r : c.State.Section("Class of Service").Records)
    out.push_back(Pad(r.Key, 5) + Pad(r.Get("Mailbox Capacity Maximum Message Time"), 10) +
                  Pad(r.Get("Mailbox Capacity Maximum Messages"), 10) + Pad(r.Get("Message Retention Days"), 11) +
                  Pad(r.Get("Authorization for Message Notification"), 8) +
                  Pad(r.Get("Authorization for External Message Delivery"), 14) +
                  r.Get("Authorization for Auto Forwarding"));
  return out;
}

TReportLines ServiceReport(TConsole& c, const std::string&) {
  TReportLines out{Header(c, "SYSTEM SERVICE REPORT"), ""};
  for (const char* section : {"Port Service", "Trunk Service"}) {
    out.push_back(section);
    for (const auto& r : c.State.Section(section).Records) {
      std::string line = "  " + Pad(r.Key, 4);
      for (const char* m : {"Day", "Night", "Lunch", "Break"}) {
        std::string svc = r.Get(std::string(m) + " Mode/Incoming Call Service");
        std::string no = r.Get(std::string(m) + " Mode/Number");
        line += Pad(std::string(m) + ": " + svc + (no.empty() ? "" : " " + no), 20);
      }
      out.push_back(line);
    }
  }
  return out;
}

TReportLines Counters(TConsole& c, const std::string& title, const std::vector<std::string>& rows) {
  TReportLines out{Header(c, title), ""};
  for (const auto& row : rows) out.push_back(row);
  return out;
}

TReportLines PortUsage(TConsole& c, const std::string&) {
  TReportLines out{Header(c, "PORT USAGE REPORT"), "", "PORT  CALLS  MINUTES  BUSY %"};
  int i = 0;
  for (const auto& r : c.State.Section("Port Service").Records) {
    ++i;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-6s%5d  %7d  %6d", r.Key.c_str(), 40 + 7 * i, 95 + 13 * i, 3 + i);
    out.push_back(buf);
  }
  return out;
}

TReportLines FlashUsage(TConsole& c, const std::string&) {
  size_t prompts = c.VoicePrompts().size();
  return Counters(c, "FLASH MEMORY USAGE REPORT",
                  {"TOTAL FLASH MEMORY      32768 KB", "VOICE PROMPTS           " + std::to_string((prompts + 1023) / 1024) + " KB",
                   "MESSAGES                 1184 KB", "GREETINGS                 412 KB"});
}

TReportLines MailboxUsage(TConsole& c, const std::string&) {
  TReportLines out{Header(c, "MAILBOX USAGE REPORT"), "", "MBX   NEW  SAVED  MINUTES"};
  int i = 0;
  for (const auto& r : c.State.Section("Mailbox Listing").Records) {
    ++i;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-6s%3d  %5d  %7d", r.Key.c_str(), i % 4, i % 7, (i * 3) % 11);
    out.push_back(buf);
  }
  return out;
}

TReportLines Version(TConsole& c, const std::string&) {
  auto& sys = c.Sys().Fields;
  return Counters(c, "VMU VERSION REPORT",
                  {"FLASH VERSION  " + sys.Get("Flash Version"), "ROM VERSION    " + sys.Get("ROM Version"),
                   "VPS PORTS      " + std::to_string(c.State.Section("Port Service").Records.size())});
}

// The tree of a voice menu: each key's assignment, and the menus it leads to (each shown once), then how often
// each key was pressed hour by hour. Key and count columns are separated by tabs, as the device's printer
// output is; the menu's heading line runs as long as its description.
void CustomTree(TConsole& c, const std::string& no, int depth, std::vector<std::string>& seen, TReportLines& out) {
  const TRecord* r = c.State.Section("Custom Service").FindRecord(no);
  std::string pad(static_cast<size_t>(depth) * 4, ' ');
  if (!r || r->Get("Custom Service Name").empty()) {
    out.push_back(pad + "CUSTOM SERVICE " + no + " NOT PROGRAMMED");
    return;
  }
  seen.push_back(no);
  out.push_back(pad + "CUSTOM SERVICE " + no + ": " + r->Get("Custom Service Name") + " - " + r->Get("Menu Description") +
                " - PROMPT " + r->Get("Menu Prompt No.") + ", WAIT " + r->Get("Wait Time for Input") + " SEC, REPEAT " +
                r->Get("Repeat Times") + " TIMES, NO DTMF INPUT " + r->Get("No DTMF Input Operation") + " " +
                r->Get("No DTMF Parameter"));
  for (const char* key : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"}) {
    std::string base = std::string("Keypad Assignment/Keypad ") + key + "/";
    std::string action = r->Get(base + "Assignment"), param = r->Get(base + "Assignment Parameter");
    out.push_back(pad + "  KEY " + key + "\t" + action + (param.empty() ? "" : " " + param));
    if (action == "Custom Service" && std::find(seen.begin(), seen.end(), param) == seen.end() && depth < 8)
      CustomTree(c, param, depth + 1, seen, out);
  }
}

TReportLines CustomService(TConsole& c, const std::string& arg) {
  TReportLines out{Header(c, "CUSTOM SERVICE REPORT"), ""};
  std::vector<std::string> seen;
  CustomTree(c, arg, 0, seen, out);
  out.push_back("");
  out.push_back("KEYS PRESSED BY HOUR\tCALLS\tKEY 0\tKEY 1\tKEY 2\tOTHER");
  for (int hour = 0; hour < 24; ++hour) {
    char buf[96];
    int calls = hour >= 8 && hour < 18 ? 12 + (hour * 7) % 9 : hour % 3;
    std::snprintf(buf, sizeof buf, "%02d:00-%02d:59\t%d\t%d\t%d\t%d\t%d", hour, hour, calls, calls / 4, calls / 3,
                  calls / 5, calls - calls / 4 - calls / 3 - calls / 5);
    out.push_back(buf);
  }
  out.push_back("");
  out.push_back("KEYS PRESSED BY WEEKDAY\tCALLS");
  const char* days[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
  for (int d = 0; d < 7; ++d)
    out.push_back(std::string(days[d]) + "\t" + std::to_string(d < 5 ? 140 + 11 * d : 9 + d));
  return out;
}

struct TCommand {
  TReport Make;
  bool NeedsNumber;
};

const std::map<std::string, TCommand>& Commands() {
  static const std::map<std::string, TCommand> commands = {
      {"MBXASSIGN", {MailboxAssignments, false}},
      {"COSASSIGN", {CosAssignments, false}},
      {"SERVICE", {ServiceReport, false}},
      {"CALLACCT",
       {[](TConsole& c, const std::string&) {
          return Counters(c, "CALL ACCOUNT REPORT", {"INCOMING CALLS       412", "ANSWERED BY AUTO ATTN 377",
                                                     "TRANSFERRED          341", "MESSAGES LEFT         58"});
        },
        false}},
      {"PORTUSAGE", {PortUsage, false}},
      {"FLASHUSAGE", {FlashUsage, false}},
      {"MBXUSAGE", {MailboxUsage, false}},
      {"FAXCALL",
       {[](TConsole& c, const std::string&) {
          return Counters(c, "FAX CALL REPORT", {"FAX CALLS DETECTED     6", "FAX CALLS TRANSFERRED  6"});
        },
        false}},
      {"VERSION", {Version, false}},
      {"CUSTOM", {CustomService, true}},
  };
  return commands;
}

class TReportShell : public TScreen {
 public:
  void Show(TConsole& c) override {
    c.Line();
    c.Line("Reports - type a report command, HELP for the list, Q to quit");
    ShowPrompt(c);
  }
  void ShowPrompt(TConsole& c) override { c.Print("$ "); }
  TInputKind Kind() const override { return ikShell; }
  void Enter(TConsole& c, const std::string& line) override {
    std::string u = UpperCase(line);
    std::string word = u.substr(0, u.find(' '));
    std::string arg = u.find(' ') == std::string::npos ? "" : TrimText(u.substr(u.find(' ') + 1));
    TReportLines lines;
    if (word == "HELP") {
      for (const auto& [name, cmd] : Commands()) lines.push_back(name + (cmd.NeedsNumber ? " n" : ""));
    } else {
      auto it = Commands().find(word);
      long n = std::atol(arg.c_str());
      bool argOk = it != Commands().end() &&
                   (it->second.NeedsNumber ? (n >= 1 && n <= 100 && std::to_string(n) == arg) : arg.empty());
      if (!argOk) {
        c.Incorrect();
        ShowPrompt(c);
        return;
      }
      lines = it->second.Make(c, arg);
    }
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    c.Print(text + "\r\n");
    ShowPrompt(c);
  }
};

}  // namespace

std::unique_ptr<TScreen> MakeReportShell() { return std::make_unique<TReportShell>(); }
