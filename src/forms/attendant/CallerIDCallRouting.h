// The "Caller ID Call Routing" window: the twenty routing entries, one row each (column 0 its number), mapping a
// caller ID to a routing and its number. "o" and "p" are shown as "Out of Area" and "Private", an empty routing as
// "None"; the parameter cell follows its routing (locked for "None", a mailbox, extension or custom service number
// otherwise) and Apply makes or removes the entry's parameter node. Delete resets an entry to the defaults.
#pragma once

#include "forms/base/BaseGrid.h"

class TCallerIDCallRoutingForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TCallerIDCallRoutingForm(const TFormCreation& Creation);

    void DeleteRowButtonClick();

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;
    bool ApplyChanges(bool Notify) override;
    void SetEditText(int ACol, int ARow, std::string& Value);
    void ForgetReadSections(TFormServices& Services) override;

private:
    // Limits of the parameter cell of Row for Routing; locked for "None".
    void SetParameterRules(const std::string& Routing, int Row);
};
