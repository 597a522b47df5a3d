// Documents for the section-logic tests, kept apart from the grid's headers (the data manager's header and the
// grid's share enumerator names).
#pragma once

#include "xml/XmlDoc.h"

#include <memory>
#include <string>

class TDataManager;

// A description parsed from text, and a data document whose sections are made from it (FormDocuments.cpp: the
// data manager's header does not go with the grid's).
struct TFormDocuments {
    TXmlDoc View;
    TXmlDoc Data{&View};
    std::unique_ptr<TDataManager> Manager;

    explicit TFormDocuments(const std::string& DescriptionText);
    ~TFormDocuments();
    // A data copy of the description node named Name (with its parameters) under the data root.
    TXmlNode* AddSection(const std::string& Name) { return AddRecord(Data.Root(), Name); }
    // A data copy of the description node named TemplateName under Parent.
    TXmlNode* AddRecord(TXmlNode* Parent, const std::string& TemplateName, bool Deep = true);
};
