// The simulator's state file as the tests read it: section -> record key ("" for the section's own fields) ->
// field -> value. A record named in the file is there even when it holds no field, so that a test can tell an
// emptied record from a missing one.
#pragma once

#include <map>
#include <sstream>
#include <string>

using TState = std::map<std::string, std::map<std::string, std::map<std::string, std::string>>>;

// Calls Visit(Section, Record, Field, Value) for every field of the state file in its order, and Visit(Section,
// Record, "", "") where a record opens.
template <class TVisit>
void ReadStateLines(const std::string& Text, TVisit Visit)
{
    auto Trimmed = [](const std::string& S) {
        const size_t B = S.find_first_not_of(" \t\r");
        return B == std::string::npos ? std::string() : S.substr(B, S.find_last_not_of(" \t\r") - B + 1);
    };
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
            Visit(Section, Record, std::string(), std::string());
        } else if (size_t Eq = Line.find('='); Eq != std::string::npos) {
            Visit(Section, Record, Trimmed(Line.substr(0, Eq)), Trimmed(Line.substr(Eq + 1)));
        }
    }
}

inline TState ParseState(const std::string& Text)
{
    TState State;
    ReadStateLines(Text, [&State](const std::string& Section, const std::string& Record, const std::string& Field,
                             const std::string& Value) {
        auto& Fields = State[Section][Record];
        if (!Field.empty())
            Fields[Field] = Value;
    });
    return State;
}
