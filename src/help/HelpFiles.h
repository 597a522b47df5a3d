// Reading the files of a help folder so that a damaged folder costs a message and never a hang, a crash or the
// machine's memory: only regular files of a bounded size are read (a FIFO, a device or a folder is refused with a
// reason), paths are checked to stay inside the folder also through symbolic links, and lines end at CR, LF or
// CR LF alike. Plain C++, no Qt; nothing here shows a box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The largest help file read (project, include, contents, popups, topic): far above any real one.
inline constexpr std::uintmax_t MaxHelpFileSize = 16u * 1024 * 1024;

// Reads a whole file into Text. False with Why set ("is not a regular file", "is larger than ...", "cannot be
// read") when it is anything but a readable regular file of at most MaxHelpFileSize bytes; never blocks on a
// FIFO.
bool ReadHelpFile(const std::string& Path, std::string& Text, std::string& Why);

// The lines of Text, ends CR, LF or CR LF; a last line without an end counts.
std::vector<std::string_view> HelpLines(std::string_view Text);

// True when Path (a file or folder, existing or not) lies inside Folder once every symbolic link of both is
// followed; Folder must exist.
bool PathInsideFolder(const std::string& Path, const std::string& Folder);

// Decodes the character entities of a contents file in one pass: &lt; &gt; &amp; &quot; &apos; and &#NN; or
// &#xNN; below 256. Anything else stays as it stands (the result of a decode is never decoded again).
std::string DecodeHelpEntities(std::string_view S);
