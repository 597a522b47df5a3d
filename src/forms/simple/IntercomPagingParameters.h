// The "Intercom Paging Parameters" window: a property list from the section's view description in which one
// description row, "Paging Code for Group %T%", becomes the eight rows of paging groups 1 to 8. The access and
// cancel codes (rows 0 and 1) are shown and stored in capitals.
#pragma once

#include "forms/base/BaseGrid.h"

class TIntercomPagingParametersForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TIntercomPagingParametersForm(const TFormCreation& Creation);

    // The paging group whose row is being placed (1 to 8).
    int32_t GroupCounter = 1;

protected:
    void InitForm() override;
    bool NodeHandled(TXmlNode* Node, bool IsView) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void FormatPropertyCaption(const std::string& S, std::string& R) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void SetEditText(int ACol, int ARow, std::string& Value);
};
