// The menus above the parameter sections, and the registry through which each section joins them.
// A section lives in a .cpp file of its own and registers itself with a static TSectionRegistrar: its name (as
// the Program menus list it), how to open its screen, and how to fill missing state with defaults. The Program
// menus are a fixed table of every section the firmware family knows, so item numbers never move; a listed
// section that no file registers answers "Incorrect Entry".
#pragma once

#include "Console.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TSectionEntry {
  std::string Name;
  std::function<void(TConsole&, const std::string& title)> Open;  // pushes the section's screen
  std::function<void(TDeviceState&)> Normalize;                    // defaults for a partial state
};

void RegisterSection(TSectionEntry entry);
const TSectionEntry* FindSectionEntry(const std::string& name);
const std::vector<TSectionEntry>& SectionEntries();

struct TSectionRegistrar {
  explicit TSectionRegistrar(TSectionEntry entry) { RegisterSection(std::move(entry)); }
};

std::unique_ptr<TScreen> MakeTopMenu();
std::unique_ptr<TScreen> MakeReportShell();

// Fills the System section and every registered section with defaults where the state is silent.
void NormalizeState(TDeviceState& state);

// A record of a section screen, looked up again each time (records move when others are added or deleted).
TItemScreen::TRecordRef RecordRef(const std::string& section, const std::string& key);
TItemScreen::TRecordRef SectionFieldsRef(const std::string& section);

// A simple section: one screen of numbered values bound to the section's own fields.
struct TSimpleField {
  std::string Name;
  TRule Rule;
  std::string Default;
};
void OpenSimpleSection(TConsole& c, const std::string& title, const std::string& section,
                       const std::vector<TSimpleField>& fields);
void NormalizeSimpleSection(TDeviceState& state, const std::string& section, const std::vector<TSimpleField>& fields);
