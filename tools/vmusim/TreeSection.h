// Sections built from a table (TreeSectionTables.cpp) instead of code of their own: a section's values are a tree
// of fields and named blocks, kept either in the section itself, in records of fixed keys, or in records that the
// administrator adds and deletes. Every level of the tree is a screen of numbered items; an item is chosen by its
// number or by its caption, so that a script can name what it changes (docs/device.md, "More sections").
// What a table cannot say (values that depend on each other across fields, samples of a fresh device) comes from
// hooks that a section's own file registers.
#pragma once

#include "Menus.h"

#include <functional>
#include <string>
#include <vector>

struct TTreeNode {
    enum TKind { Field, Block };
    TKind Kind = Field;
    std::string Name;      // caption and field name (inside its block: "Block/Name")
    std::string Rule;      // rule text, see MakeTreeRule
    std::string Default;
    std::string Dep;       // a dependent field: the values of its parent field ("|") that enable it; "*" any
    bool CanEmpty = false; // "-" empties it
    int MinFw = 0;         // a block below this firmware is not there; a field is refused
    int Port = 0;          // a field of VPS port N: not there when the device has fewer ports
    std::vector<TTreeNode> Kids;  // a block's contents; a field's dependent fields (shown right after it)
};

struct TTreeSection {
    std::string Name;
    std::string Prefix;                // first words of the section's prompts
    char Records = 'N';                // 'N' the section's own fields, 'F' fixed keys, 'D' added and deleted
    std::string Word;                  // record caption: "<Word> No. [key]" ... "End of <Word>"
    std::vector<std::string> Keys;     // 'F': the keys
    bool KeysFromPorts = false;        // 'F': one record per VPS port
    std::string KeyRule;               // 'D': rule of a new record's key
    int MaxRecords = 0;                // 'D'
    std::string ShownIf;               // 'F': listed only while this field is set; made on first use
    std::vector<TTreeNode> Layout;
};

const std::vector<TTreeSection>& TreeSections();

struct TTreeHooks {
    // A further check of a value that passed its rule (path: the field's name in the record); false refuses it.
    std::function<bool(TConsole&, TRecord&, const std::string& path, const std::string& value)> Check;
    // After a value was stored (and the fields depending on it were emptied).
    std::function<void(TConsole&, TRecord&, const std::string& path, const std::string& value)> AfterSet;
    // Records of a device that has never held the section (before the defaults are filled in).
    std::function<void(TStateSection&)> Sample;
    // Lines shown between a field's old value and "New Value => " (the choices the firmware offers).
    std::function<std::vector<std::string>(TConsole&, const std::string& path)> Choices;
};

struct TTreeHooksRegistrar {
    TTreeHooksRegistrar(const std::string& section, TTreeHooks hooks);
};

// The value rules of the tables: "int:LO:HI", "choice:A|B", "chars:MAX:ALLOWED[:U]", "text:MAX", "digits:MIN:MAX",
// "time", "daytime", "dm", "yesno", "mailbox", "member", "mailboxlen", "ports", "trunks", "plan", "callerid",
// "routing", "greeting", "pbxtype", "mbxgroup", "extgroup", "ro" (never accepted). "by:V=RULE;..." is resolved
// by the caller from the parent field's value.
TRule MakeTreeRule(const std::string& rule, const std::string& section);

// Fills a record with the table's defaults where it is silent.
void FillTreeDefaults(const TTreeSection& s, TRecord& r);

// Shared with the hand-written list sections.
bool IsMailbox(TConsole& c, const std::string& number);
int PortCount(TConsole& c);

// The PBX type rule (PbxDialing.cpp): a type of the firmware's list, by its name or its number there.
std::optional<std::string> PbxTypeRule(TConsole& c, const std::string& typed);
