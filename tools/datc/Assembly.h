// Assembly of the description sources into one document (docs/description.md, "Assembly rule", "Derived trees",
// "Node IDs"): the sources are read in the order given, their top-level elements merged into the first source's
// root, missing IDs given, and every <DERIVE> replaced by a copy of the tree it names, with the differences it
// states applied and every copied node's ID offset by the derivation's "IDOffset".
// Every step is linear in the number of elements (sibling lookups go through an index, never a scan).
// On any fault TAssemblyError is thrown with a message naming the file; the TAssembly is then of no further use.
#pragma once

#include "xml/XmlDoc.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

struct TAssemblyError {
    std::string Message;
};

// IDs written in the sources lie below this; a derived tree's IDs are its source's plus a multiple of it.
constexpr int32_t DerivedIDBase = 10000000;

class TAssembly {
public:
    struct TSourceText {
        std::string FileName;
        std::string Text;
    };

    // Assembles the sources (the first provides the root). FirstID > 0: new IDs go above the largest ID of the
    // block [FirstID, FirstID + 100000), else above the maximum.
    void Assemble(std::vector<TSourceText> Sources, int32_t FirstID = 0);

    // The sources that got new IDs, each as its text with the IDs written into the start tags (nothing else of
    // the text changes); each rewritten text is checked to read back as the same nodes with those IDs.
    std::vector<TSourceText> SourcesWithNewIDs() const;

    TXmlDoc Doc;
    int32_t MaxID = 0;

private:
    struct TSource {
        std::string FileName;
        std::string Text;
        std::unique_ptr<TXmlDoc> Doc;
        // Its elements in document order; nullptr for one that is no node of the result (a later source's root,
        // an element merged into another, the elements of a derivation but the nodes it adds).
        std::vector<TXmlNode*> Nodes;
    };
    struct TDerivation {
        TXmlNode* Element;   // the <DERIVE> as it stands in the assembled root until it is resolved
        size_t Source;
    };

    void LoadSource(TSource& S);
    void AddOrMerge(TXmlNode& Target, std::unique_ptr<TXmlNode> Node, size_t Source);
    TXmlNode* MergeTarget(TXmlNode& Target, const TXmlNode& Node);
    void MarkDirectives(TXmlNode& Element, size_t Source, bool Top);
    void GiveIDs(int32_t FirstID);
    void ResolveDerivations();
    std::unique_ptr<TXmlNode> CopyTree(const TXmlNode& From, int32_t Offset, size_t Source);
    void ApplyDifferences(TXmlNode& Target, TXmlNode& Directive, const std::string& Where, size_t Source);
    void CheckIDs();
    const std::string& FileOf(const TXmlNode* Node) const;

    std::vector<TSource> FSources;
    std::unordered_map<const TXmlNode*, size_t> FSourceOf;
    // Per parent: tag + '\0' + "Name" -> the first child with them, for the merge rule.
    std::unordered_map<const TXmlNode*, std::unordered_map<std::string, TXmlNode*>> FChildIndex;
    std::unordered_set<const TXmlNode*> FNoNode;   // merged elements and derivation elements
    std::vector<std::unique_ptr<TXmlNode>> FMerged;   // kept for the ID writer
    std::vector<TDerivation> FDerivations;
    std::vector<std::pair<TXmlNode*, int32_t>> FNewIDs;
};
