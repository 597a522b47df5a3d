// The "Operator's Parameters" window: one row per time mode (two before firmware 3.08, four from then on) and,
// for each of the three operators, an extension, a mailbox and the two coverage modes. The operator's fields of
// the description are placed three times, named with the operator's number, and each operator's data lands in the
// columns named with its number (column layout: AttendantRules.h). An extension used elsewhere, the System
// Manager's mailbox and unknown mailboxes are refused; Delete empties operator 2's or 3's extension or mailbox.
#pragma once

#include "forms/base/BaseGrid.h"
#include "forms/base/NumberInUseQuery.h"

class TOperatorParametersForm : public TBaseGridForm, public TNumberInUseQuery {
    Q_OBJECT
public:
    explicit TOperatorParametersForm(const TFormCreation& Creation);

    int32_t OperatorNo = 1;
    int32_t ModeCount = 4;

    // True when a mode row holds Value as one of the operators' extensions.
    bool ExtensionInUse(const std::string& Value) const;
    bool NumberInUse(TNumberUse Use, const std::string& Number) const override;

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void FormatColumnCaption(const std::string& S, std::string& R) override;
    bool NodeHandled(TXmlNode* Node, bool IsView) override;
    void LoadRecordRows() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
    void KeyUp(int& Key, Qt::KeyboardModifiers Shift);
    void ForgetReadSections(TFormServices& Services) override;
};
