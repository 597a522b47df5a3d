// The "Holiday Listing" window: the twenty holiday entries, one row each (column 0 its number), with name, start
// and end dates (picked in the date dialog), service and its parameter, greeting, and the VPS ports and trunk
// groups they apply to. Delete resets an entry to the description's defaults; Apply makes a record for a filled
// entry and deletes the record of an entry that shows the defaults again. Below firmware 4.09 the end date and the
// greeting are locked.
#pragma once

#include "forms/base/BaseGrid.h"

class THolidayListingForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit THolidayListingForm(const TFormCreation& Creation);

    void DeleteRowButtonClick();
    void GridButtonClick();
    // What the date dialog's OK does for the date cell (Col, Row).
    void SetDate(int Col, int Row, const std::string& Text);
    bool ApplyChanges(bool Notify) override;

protected:
    void InitForm() override;
    void LoadRecordRows() override;
    void GetNodeValue(TXmlNode* Node, std::string& S) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void RecordNodeCreated(TXmlNode* Node) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;
    void BeforeWriteBack() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
    void ForgetReadSections(TFormServices& Services) override;
};
