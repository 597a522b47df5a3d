// Where the program's files live. ProgramFolder() is the folder of the executable (Orlantis.dat and the help folder
// lie there); SettingsFolder() is where Orlantis.ini and the trace and step files go: the program folder when it is
// writable, otherwise $XDG_CONFIG_HOME/Orlantis (default ~/.config/Orlantis), created on first use.
// WorkingFolder() is the folder the program was started in: data files are the user's, and the file dialogs start
// there, not beside the executable, which a build tree's clean-up deletes.
// All end with "/". TProgramFolderScope points them all at one folder for the life of a scope (tests).
#pragma once

#include <string>

std::string ProgramFolder();
std::string SettingsFolder();
// The current folder at its first call (the program calls it at start); the program folder when it cannot be read.
std::string WorkingFolder();
// SettingsFolder() followed by the file name.
std::string SettingsFilePath(const std::string& FileName);

// Makes ProgramFolder(), SettingsFolder() and WorkingFolder() answer Folder (a trailing "/" is added when missing) until the scope
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
