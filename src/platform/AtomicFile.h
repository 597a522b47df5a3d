// Whole-file reads and crash-safe whole-file writes for every file the program writes (data files, settings,
// the compiled description). A write goes to a temporary file in the same folder, is flushed to disk and then
// renamed over the old file: on any failure the old file stays exactly as it was and the temporary is removed.
// Temporaries that a killed write left beside the file are removed by the next write of it; a writer holds a lock
// on its temporary until the file is in place, and only a temporary whose lock is free goes, so a write under way
// in another process, PID namespace or machine sharing the folder keeps its file.
#pragma once

#include <string>
#include <string_view>

// Throws EFileError "Cannot create file \"<name>\". <reason>" or "Cannot write file ..." on failure.
void WriteFileAtomic(const std::string& FileName, std::string_view Data);
// Throws EFileError "Cannot open file \"<name>\". <reason>" on failure.
std::string ReadWholeFile(const std::string& FileName);
