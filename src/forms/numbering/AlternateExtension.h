// The "Alternate Extension" window: entries 1 to 32 of a list without gaps, one extension each. Only the first
// empty entry takes a new extension; emptying an entry (also with the Delete key) moves the ones below it up. A
// changed extension is written as a new entry and its old one deleted, since the device addresses entries by
// place; every Apply works out those places again from the marks (NumberAlternateEntries), so that a later
// edit or a retry after a failed store addresses the entry it means.
#pragma once

#include "forms/base/BaseGrid.h"

class TAlternateExtensionForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TAlternateExtensionForm(const TFormCreation& Creation);

    static constexpr int32_t EntryCount = 32;
    // The entry whose row is being placed (1 to 32).
    int32_t EntryIndex = 1;

    // From FromRow on: a filled entry and the first row are editable, an empty one only after a filled one.
    void UpdateReadOnly(int FromRow);
    // Column 0 shows the entry numbers again after rows moved.
    void RenumberRows(int FromRow);
    int32_t MaxEntryNumber() const;
    void SetEntryName(TXmlNode* Node, int32_t Entry);
    bool ApplyChanges(bool Notify) override;

protected:
    void InitForm() override;
    void LoadPropertyRows() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    bool SkipNode(TXmlNode* Node) override;
    TXmlNode* FindColumnSubNode(int Col) override;
    void RecordNodeCreated(TXmlNode* Node) override;
    void NodeDeleted(TXmlNode* Node) override;
    void AfterWriteBack() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
    void KeyUp(int& Key, Qt::KeyboardModifiers Shift);
};
