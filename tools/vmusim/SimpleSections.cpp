// The property sections of one screen each: Dialing Parameters, Call Hold, RS-232C Parameters and the device clock
// (System Date/Time). Each registers itself; their fields and ranges are those of docs/device.md, section 5.
#include "Menus.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const std::vector<TSimpleField>& DialingFields() {
  static const std::vector<TSimpleField> f = {
      {"Dialing Mode", rules::Choice({"Tone", "Pulse"}), "Tone"},
      {"Flash Time", rules::IntRange(100, 2000), "600"},
      {"Pause Time", rules::IntRange(1, 9), "2"},
      {"DTMF Tone Duration", rules::IntRange(50, 500), "100"},
      {"Transfer Dialing Sequence", rules::Chars(8, "0123456789*#FPW", true, false), "F"},
  };
  return f;
}

const std::vector<TSimpleField>& CallHoldFields() {
  static const std::vector<TSimpleField> f = {
      {"Call Hold Service", rules::Choice({"Yes", "No"}), "Yes"},
      {"Hold Check Interval", rules::IntRange(5, 60), "15"},
      {"Maximum Hold Time", rules::IntRange(10, 600), "60"},
      {"Hold Announcement", rules::Choice({"Yes", "No"}), "Yes"},
  };
  return f;
}

const std::vector<TSimpleField>& Rs232Fields() {
  static const std::vector<TSimpleField> f = {
      {"Baud Rate", rules::Choice({"1200", "2400", "4800", "9600", "19200", "38400"}), "9600"},
      {"Data Bits", rules::Choice({"7", "8"}), "8"},
      {"Parity", rules::Choice({"None", "Odd", "Even"}), "None"},
      {"Stop Bits", rules::Choice({"1", "2"}), "1"},
  };
  return f;
}

const TSectionRegistrar dialing{{"Dialing Parameters",
                                 [](TConsole& c, const std::string& t) {
                                   OpenSimpleSection(c, t, "Dialing Parameters", DialingFields());
                                 },
                                 [](TDeviceState& s) { NormalizeSimpleSection(s, "Dialing Parameters", DialingFields()); }}};

const TSectionRegistrar callHold{{"Call Hold",
                                  [](TConsole& c, const std::string& t) {
                                    OpenSimpleSection(c, t, "Call Hold", CallHoldFields());
                                  },
                                  [](TDeviceState& s) { NormalizeSimpleSection(s, "Call Hold", CallHoldFields()); }}};

const TSectionRegistrar rs232{{"RS-232C Parameters",
                               [](TConsole& c, const std::string& t) {
                                 OpenSimpleSection(c, t, "RS-232C Parameters", Rs232Fields());
                               },
                               [](TDeviceState& s) { NormalizeSimpleSection(s, "RS-232C Parameters", Rs232Fields()); }}};

// ---- the device clock ----
// The clock is the host's UTC clock plus an offset kept in the state ("Clock Offset", seconds). With
// "Clock Running = No" the clock stands still at the state's "System Time" and "System Date". "Clock Hours = 24"
// makes a device that shows its time as hh:mm (0-23) instead of h:mm,AM/PM.

const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::string FormatTime(const std::tm& t, bool hours24) {
  int h = t.tm_hour % 12;
  char buf[32];
  if (hours24)
    std::snprintf(buf, sizeof buf, "%02d:%02d", t.tm_hour, t.tm_min);
  else
    std::snprintf(buf, sizeof buf, "%d:%02d,%s", h == 0 ? 12 : h, t.tm_min, t.tm_hour < 12 ? "AM" : "PM");
  return buf;
}

bool Hours24(const TRecord& r) { return r.Get("Clock Hours", "12") == "24"; }

std::string FormatDate(const std::tm& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d-%s-%02d", t.tm_mday, kMonths[t.tm_mon], t.tm_year % 100);
  return buf;
}

bool ParseTime(const std::string& text, int& hour, int& minute) {
  int h = 0, m = 0;
  char half[4] = {0};
  if (std::sscanf(text.c_str(), "%d:%d,%2s", &h, &m, half) == 3) {
    std::string hs = half;
    if (h < 1 || h > 12) return false;
    hour = (h % 12) + (hs == "PM" ? 12 : 0);
  } else if (std::sscanf(text.c_str(), "%d:%d", &h, &m) == 2) {
    hour = h;
  } else {
    return false;
  }
  minute = m;
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60;
}

bool ParseDate(const std::string& text, std::tm& t) {
  int d = 0, y = 0;
  char mon[4] = {0};
  if (std::sscanf(text.c_str(), "%d-%3s-%d", &d, mon, &y) != 3) return false;
  for (int i = 0; i < 12; ++i)
    if (std::string(mon) == kMonths[i]) {
      t.tm_mday = d;
      t.tm_mon = i;
      t.tm_year = 100 + y;
      return true;
    }
  return false;
}

void RefreshClock(TRecord& r) {
  if (r.Get("Clock Running", "Yes") != "Yes") return;
  std::time_t now = std::time(nullptr) + std::atol(r.Get("Clock Offset", "0").c_str());
  std::tm t{};
  gmtime_r(&now, &t);
  r.Set("System Time", FormatTime(t, Hours24(r)));
  r.Set("System Date", FormatDate(t));
}

// After the administrator set the time or the date, the offset is taken from both fields together.
void ClockSet(TConsole&, TRecord& r, const std::string&) {
  std::tm t{};
  int h = 0, m = 0;
  if (!ParseDate(r.Get("System Date"), t) || !ParseTime(r.Get("System Time"), h, m)) return;
  t.tm_hour = h;
  t.tm_min = m;
  long offset = static_cast<long>(timegm(&t) - std::time(nullptr));
  r.Set("Clock Offset", std::to_string(offset));
}

class TClockScreen : public TItemScreen {
 public:
  using TItemScreen::TItemScreen;
  void Show(TConsole& c) override {
    RefreshClock(c.State.Section("System Date/Time").Fields);
    TItemScreen::Show(c);
  }
};

void OpenClock(TConsole& c, const std::string& title) {
  RefreshClock(c.State.Section("System Date/Time").Fields);
  std::vector<TItem> items(2);
  items[0].No = 1;
  items[0].Caption = "System Time";
  // A 24-hour device takes hh:mm only; a 12-hour one both forms.
  TRule time = rules::Time(false, false);
  if (Hours24(c.State.Section("System Date/Time").Fields))
    items[0].Rule = [time](TConsole& con, const std::string& v) -> std::optional<std::string> {
      if (v.find(',') != std::string::npos) return std::nullopt;
      return time(con, v);
    };
  else
    items[0].Rule = time;
  items[0].AfterSet = ClockSet;
  items[1].No = 2;
  items[1].Caption = "System Date";
  items[1].Rule = rules::Date();
  items[1].AfterSet = ClockSet;
  c.Push(std::make_unique<TClockScreen>(std::vector<std::string>{title, ""}, "", SectionFieldsRef("System Date/Time"),
                                        std::move(items), "System Date/Time - Item No. or Q => "));
}

const TSectionRegistrar clock{{"System Date/Time", OpenClock, [](TDeviceState& s) {
                                 TRecord& r = s.Section("System Date/Time").Fields;
                                 r.Default("Clock Running", "Yes");
                                 if (r.Get("Clock Running") == "Yes") {
                                   // A running clock without an offset starts at the time the state names.
                                   std::tm t{};
                                   int h = 0, m = 0;
                                   if (!r.Has("Clock Offset") && ParseDate(r.Get("System Date"), t) &&
                                       ParseTime(r.Get("System Time"), h, m)) {
                                     t.tm_hour = h;
                                     t.tm_min = m;
                                     r.Set("Clock Offset",
                                           std::to_string(static_cast<long>(timegm(&t) - std::time(nullptr))));
                                   }
                                   r.Default("Clock Offset", "0");
                                   RefreshClock(r);
                                 }
                                 r.Default("System Time", Hours24(r) ? "00:00" : "12:00,AM");
                                 r.Default("System Date", "1-JAN-26");
                               }}};

}  // namespace
