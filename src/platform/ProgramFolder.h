// Where the program's files live. ProgramFolder() is the folder of the executable (Orlantis.dat and the help folder
// lie there); SettingsFolder() is where Orlantis.ini and the trace and step files go: the program folder when it is
// writable, otherwise $XDG_CONFIG_HOME/Orlantis (default ~/.config/Orlantis), created on first use.
// Both end with "/". TProgramFolderScope points both at one folder for the life of a scope (tests).
#pragma once

#include <string>

std::string ProgramFolder();
std::string SettingsFolder();
// SettingsFolder() followed by the file name.
std::string SettingsFilePath(const std::string& FileName);

// Makes ProgramFolder() and SettingsFolder() answer Folder (a trailing "/" is added when missing) until the scope
// ends; scopes nest. Not meant to be used while other threads ask for the folders.
class TProgramFolderScope {
public:
    explicit TProgramFolderScope(const std::string& Folder);
    ~TProgramFolderScope();
    TProgramFolderScope(const TProgramFolderScope&) = delete;
    TProgramFolderScope& operator=(const TProgramFolderScope&) = delete;

private:
    std::string Previous;
};
