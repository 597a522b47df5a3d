// THelpContextMap: help context names mapped to context numbers, read from the [MAP] section of a help project
// file (with "#define" and "#include" lines) and kept as a table of (name hash, number) records sorted by hash.
// FindContext answers 0 for a name it does not know. The table can be stored and read back as "FileData"
// (a 4-byte little-endian byte count, then the 8-byte records).
//
// Failure contract: SetFileName on a missing project file raises "File <name> not found." and keeps the old
// name and table; includes that cannot be read (missing, not a regular file, too large, outside the project's
// folder, including themselves) are skipped and named together in one warning box; each file is read at most
// once per reading and the records are bounded, so that no project, however damaged, costs more than one box and
// a bounded time. ReadFileData refuses data whose count does not fit and keeps the old table. Reading never
// changes the process's working folder.
// Main thread only (the warning goes through the dialogs interface).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Bounds of one reading of a project with its includes.
inline constexpr size_t MaxContextRecords = 100000;
inline constexpr size_t MaxProjectFiles = 1000;

class THelpContextMap {
public:
    struct TRecord {
        int32_t Hash;
        int32_t Context;
    };

    const std::string& FileName() const { return FFileName; }
    // Reads Value's [MAP] section into the table. Empty Value (or Loading): only the name is stored.
    void SetFileName(const std::string& Value);
    // True while the owner is being restored from a stream: a new file name is then stored without reading it.
    bool Loading = false;

    int32_t FindContext(std::string_view Name) const;
    const std::vector<TRecord>& Records() const { return Table; }

    std::string FileData() const;
    bool ReadFileData(std::string_view Data);

    // The name What's-this looks up for a control: Form + "." + Control for a ".hpj" project, Form + "_" +
    // Control otherwise; the form's name alone when Control is empty.
    std::string LookupName(const std::string& Form, const std::string& Control) const;

    // Parses a project file into (name, number) pairs without hashing, in file order (the help store uses the
    // names). Same rules and messages as SetFileName; raises the not-found message for a missing file. With
    // Problems the files that could not be read are handed back there instead of being shown.
    static std::vector<std::pair<std::string, int32_t>> ParseProjectFile(const std::string& File,
        std::vector<std::string>* Problems = nullptr);

private:
    std::string FFileName;
    std::vector<TRecord> Table;
};

// One line of a [MAP] section: "#define NAME 10", "NAME=10", "NAME 10 ; comment", "NAME = 10 // comment".
// True and Name/Id set when the line holds a name and a signed decimal number.
bool ParseMapLine(std::string_view Line, std::string& Name, int32_t& Id);
