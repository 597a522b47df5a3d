// The simulator's state file as the tests read it: section -> record key ("" for the section's own fields) ->
// field -> value. A record named in the file is there even when it holds no field, so that a test can tell an
// emptied record from a missing one.
#pragma once

#include <map>
#include <sstream>
#include <string>

using TState = std::map<std::string, std::map<std::string, std::map<std::string, std::string>>>;

inline TState ParseState(const std::string& Text)
{
    auto Trimmed = [](const std::string& S) {
        const size_t B = S.find_first_not_of(" \t\r");
        return B == std::string::npos ? std::string() : S.substr(B, S.find_last_not_of(" \t\r") - B + 1);
    };
    TState State;
    std::istringstream In(Text);
    std::string Line, Section, Record;
    while (std::getline(In, Line)) {
        Line = Trimmed(Line);
        if (Line.empty() || Line[0] == '#')
            continue;
        if (Line[0] == '[') {
            Section = Line.substr(1, Line.size() - 2);
            Record.clear();
        } else if (Line[0] == '<') {
            Record = Line.substr(1, Line.size() - 2);
            State[Section][Record];
        } else if (size_t Eq = Line.find('='); Eq != std::string::npos) {
            State[Section][Record][Trimmed(Line.substr(0, Eq))] = Trimmed(Line.substr(Eq + 1));
        }
    }
    return State;
}
