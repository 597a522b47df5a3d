// The changes the main window makes in memory to the older firmware's parameter tree ("VMU Parameters 131") when
// it selects that tree: the description states what all firmware before 4.09 shares, these rows what depends on
// the firmware met (rows marked Before308Only only for firmware before 3.08). The rows are plain data so that a
// description test can check that each one finds the node it patches.
#pragma once

#include "xml/XmlDoc.h"

#include <string>
#include <vector>

struct TTreePatch {
    enum TOperation { tpDeleteChildren, tpDeleteAttributes, tpSetAttribute };
    int Row;                // 1 to 32, the order they are applied in (1, 2, 6, 11 and 18 are not used)
    TOperation Operation;
    TStringList Path;       // "Name"s from the document's root down to the patched node
    TStringList Names;      // the children or attributes to delete; the one attribute to set
    std::string Value;      // the value set
    bool Before308Only;
};

const std::vector<TTreePatch>& OlderTreePatches();

// Applies one row; false when its node (or one of the children or attributes it deletes) is not there, which
// leaves the document as the row found it except for the deletions that did find their target.
bool ApplyTreePatch(TXmlDoc& Doc, const TTreePatch& Patch);

// Applies the rows for a firmware before 3.08 or not, in row order; returns the rows that did not find their node.
std::vector<int> ApplyOlderTreePatches(TXmlDoc& Doc, bool Before308);
