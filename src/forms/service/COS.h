// The "Class of Service" window: the classes as a read-only table; double-click or Enter opens one class in its
// detail window (COSDetail.h).
#pragma once

#include "forms/base/BaseGrid.h"

class TCOSForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TCOSForm(const TFormCreation& Creation);

    void OpenDetail();
    void GetRowCaption(int Row, std::string& S) override;
    void GetRowSubSection(int Row, std::string& S) override;
    void GetPrintData(TPrintData& Data) override;

protected:
    void InitForm() override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
};
