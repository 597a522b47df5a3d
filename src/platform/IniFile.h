// The program's settings files: a small INI reader and writer. Section and key names compare without regard to
// case; everything the program does not touch (other sections, comments, blank lines, lines it cannot read) is
// written back as it was read. Changes stay in memory until UpdateFile(), which writes a temporary file beside the
// target and renames it over the old one: a failed write leaves the old file as it was and raises EFileError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
    // Reads FileName; a missing file reads as an empty one. A file that exists but cannot be read raises EFileError.
    explicit TIniFile(std::string FileName);
    TIniFile() = default;   // an empty document with no file behind it (SetText / Text)

    const std::string& FileName() const { return Name; }
    // Replaces the whole content from text (no file access), and gives the text UpdateFile would write.
    void SetText(std::string_view Text);
    std::string Text() const;

    bool SectionExists(std::string_view Section) const;
    bool ValueExists(std::string_view Section, std::string_view Key) const;
    // The value with surrounding blanks removed (and one pair of matching quotes, as settings files have them);
    // Default when the section or key is absent.
    std::string ReadString(std::string_view Section, std::string_view Key, const std::string& Default) const;
    // A decimal integer; Default when absent or not a valid integer text.
    int32_t ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const;
    // "1"/"0", "Yes"/"No", "True"/"False" in any case; Default otherwise.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;
    std::vector<std::string> ReadSections() const;                  // section names in file order
    std::vector<std::string> ReadSection(std::string_view Section) const;   // key names in file order

    // Adds the section and key when missing (the key keeps its spelling when present). Line breaks and NUL
    // characters in Value become blanks, so a value can never start a line of its own.
    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, int32_t Value);
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);   // "1" / "0"
    void DeleteKey(std::string_view Section, std::string_view Key);
    void EraseSection(std::string_view Section);

    bool Modified() const { return Changed; }
    // Writes the document to FileName atomically (temporary file, then rename). Raises EFileError on failure.
    void UpdateFile();

private:
    struct TLine {
        std::string Raw;    // the line as read or as we wrote it, without its line break
        std::string Key;    // empty for comments, blanks and lines that are no key
        std::string Value;
    };
    struct TSection {
        std::string Name;           // empty for the lines before the first header
        bool HasHeader = false;
        std::string Header;         // raw header line
        std::vector<TLine> Lines;
    };
    std::string Name;
    std::vector<TSection> Sections = std::vector<TSection>(1);   // [0]: the lines before the first header
    std::string LineBreak = "\n";
    bool Changed = false;

    const TSection* findSection(std::string_view Section) const;
    TSection* findSection(std::string_view Section);
    static const TLine* findKey(const TSection& S, std::string_view Key);
};
