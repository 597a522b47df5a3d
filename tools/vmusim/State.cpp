// The simulator's parameter store and its text file form.
#include "State.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Numeric keys sort as numbers, others after them as text.
bool KeyLess(const std::string& a, const std::string& b) {
  char* ea = nullptr;
  char* eb = nullptr;
  long na = std::strtol(a.c_str(), &ea, 10);
  long nb = std::strtol(b.c_str(), &eb, 10);
  bool numA = !a.empty() && *ea == '\0';
  bool numB = !b.empty() && *eb == '\0';
  if (numA && numB) return na < nb;
  if (numA != numB) return numA;
  return a < b;
}

}  // namespace

bool TRecord::Has(const std::string& name) const {
  for (const auto& f : Fields)
    if (f.first == name) return true;
  return false;
}

std::string TRecord::Get(const std::string& name, const std::string& fallback) const {
  for (const auto& f : Fields)
    if (f.first == name) return f.second;
  return fallback;
}

void TRecord::Set(const std::string& name, const std::string& value) {
  for (auto& f : Fields)
    if (f.first == name) {
      f.second = value;
      return;
    }
  Fields.emplace_back(name, value);
}

void TRecord::Default(const std::string& name, const std::string& value) {
  if (!Has(name)) Fields.emplace_back(name, value);
}

void TRecord::Erase(const std::string& prefix) {
  std::erase_if(Fields, [&](const auto& f) {
    return f.first == prefix || f.first.rfind(prefix + "/", 0) == 0;
  });
}

TRecord* TStateSection::FindRecord(const std::string& key) {
  for (auto& r : Records)
    if (r.Key == key) return &r;
  return nullptr;
}

const TRecord* TStateSection::FindRecord(const std::string& key) const {
  for (const auto& r : Records)
    if (r.Key == key) return &r;
  return nullptr;
}

TRecord& TStateSection::AddRecord(const std::string& key) {
  if (TRecord* r = FindRecord(key)) return *r;
  auto pos = std::find_if(Records.begin(), Records.end(), [&](const TRecord& r) { return KeyLess(key, r.Key); });
  pos = Records.insert(pos, TRecord{key, {}});
  return *pos;
}

bool TStateSection::EraseRecord(const std::string& key) {
  return std::erase_if(Records, [&](const TRecord& r) { return r.Key == key; }) > 0;
}

TStateSection& TDeviceState::Section(const std::string& name) {
  for (auto& s : Sections)
    if (s.Name == name) return s;
  Sections.push_back(TStateSection{name, {}, {}});
  return Sections.back();
}

const TStateSection* TDeviceState::FindSection(const std::string& name) const {
  for (const auto& s : Sections)
    if (s.Name == name) return &s;
  return nullptr;
}

TDeviceState TDeviceState::Parse(const std::string& text, const std::string& sourceName) {
  TDeviceState state;
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  TStateSection* section = nullptr;
  TRecord* record = nullptr;
  auto fail = [&](const std::string& why) {
    throw std::runtime_error(sourceName + ":" + std::to_string(lineNo) + ": " + why);
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) fail("a section line is \"[Name]\"");
      section = &state.Section(Trim(line.substr(1, line.size() - 2)));
      record = nullptr;
    } else if (line.front() == '<') {
      if (line.back() != '>' || line.size() < 3) fail("a record line is \"<Key>\"");
      if (!section) fail("a record before any section");
      std::string key = Trim(line.substr(1, line.size() - 2));
      if (section->FindRecord(key)) fail("record <" + key + "> given twice");
      section->Records.push_back(TRecord{key, {}});
      record = &section->Records.back();
    } else {
      size_t eq = line.find('=');
      if (eq == std::string::npos || eq == 0) fail("expected \"Name = Value\", \"[Section]\" or \"<Record>\"");
      if (!section) fail("a field before any section");
      std::string name = Trim(line.substr(0, eq));
      std::string value = Trim(line.substr(eq + 1));
      if (value.find_first_of("[]") != std::string::npos) fail("values cannot hold square brackets");
      (record ? *record : section->Fields).Set(name, value);
    }
  }
  // Records are kept sorted, whatever order the file gave them in.
  for (auto& s : state.Sections)
    std::stable_sort(s.Records.begin(), s.Records.end(),
                     [](const TRecord& a, const TRecord& b) { return KeyLess(a.Key, b.Key); });
  return state;
}

std::string TDeviceState::Format() const {
  std::ostringstream out;
  out << "# VMU simulator state (docs/device.md, \"State file\")\n";
  for (const auto& s : Sections) {
    out << "\n[" << s.Name << "]\n";
    for (const auto& f : s.Fields.Fields) out << f.first << " = " << f.second << "\n";
    for (const auto& r : s.Records) {
      out << "<" << r.Key << ">\n";
      for (const auto& f : r.Fields) out << f.first << " = " << f.second << "\n";
    }
  }
  return out.str();
}

TDeviceState TDeviceState::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str(), path);
}

void TDeviceState::Save(const std::string& path) const {
  std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(tmp + ": cannot be written");
    out << Format();
    out.flush();
    if (!out) throw std::runtime_error(tmp + ": cannot be written");
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    throw std::runtime_error(path + ": cannot be replaced");
  }
}
