// The device's parameters as the simulator holds them, and their text file form (docs/device.md, "State file").
// A state is a list of sections; a section has fields of its own and records; a record has a key and ordered
// fields whose names may be paths joined by "/". Load raises std::runtime_error naming file and line and leaves
// the state untouched; Save writes a temporary file and renames it, so a failed save leaves the old file.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct TRecord {
  std::string Key;
  std::vector<std::pair<std::string, std::string>> Fields;

  bool Has(const std::string& name) const;
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  void Set(const std::string& name, const std::string& value);
  // Sets the field only when the record lacks it: how defaults fill a partial state.
  void Default(const std::string& name, const std::string& value);
  // Removes every field whose name is `prefix` or begins with `prefix` + "/".
  void Erase(const std::string& prefix);
};

struct TStateSection {
  std::string Name;
  TRecord Fields;
  std::vector<TRecord> Records;

  TRecord* FindRecord(const std::string& key);
  const TRecord* FindRecord(const std::string& key) const;
  // Adds a record and keeps the records sorted by numeric key (mailboxes, ports and classes are numbers).
  TRecord& AddRecord(const std::string& key);
  bool EraseRecord(const std::string& key);
};

class TDeviceState {
 public:
  std::vector<TStateSection> Sections;

  TStateSection& Section(const std::string& name);  // made when missing
  const TStateSection* FindSection(const std::string& name) const;

  static TDeviceState Parse(const std::string& text, const std::string& sourceName);
  std::string Format() const;
  static TDeviceState Load(const std::string& path);
  void Save(const std::string& path) const;
};
