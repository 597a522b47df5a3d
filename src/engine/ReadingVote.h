// Readings of one screen combined line by line: a line fault replaces a byte here and there, and a different one
// in each reading, so a line that two readings show alike is the device's. Lines are matched across readings by
// the lines they share, so a reading that also holds other screens (a whole tree's), or whose line a garbled line
// break split or joined, still lines up with the others.
#pragma once

#include <string>
#include <vector>

struct TCombinedReading {
    std::vector<std::string> Lines;   // the reading with the most lines agreed, each line put right where two others agree
    size_t Unsettled = 0;             // lines of it that no other reading shows alike (0: every line is the device's)
};

// Readings: the screen lines of each reading, the oldest first; at least one.
TCombinedReading CombineReadings(const std::vector<std::vector<std::string>>& Readings);

// For each line of A, the line of B at its place (-1: none): equal lines, and the differing lines between two
// places both share, one for one where both hold as many.
std::vector<int> AlignLines(const std::vector<std::string>& A, const std::vector<std::string>& B);
