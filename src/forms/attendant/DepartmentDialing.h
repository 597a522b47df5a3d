// The "Department Dialing" window: the extension dialled for each of the departments 1 to 9, one description row
// placed once per department and named with its number, so that the window always shows nine rows whatever the
// device holds. An extension that is an extension group number is refused.
#pragma once

#include "forms/base/BaseGrid.h"

class TDepartmentDialingForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TDepartmentDialingForm(const TFormCreation& Creation);

    // The department number while the template rows are placed.
    int32_t DeptNo = 1;

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void LoadPropertyRows() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
    void ForgetReadSections(TFormServices& Services) override;
};
