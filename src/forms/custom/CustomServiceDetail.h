// One custom service (voice menu) as a Description/Value list, opened from the Custom Service window on a row. The
// menu is in use while its name is set: without a name every row below is locked, and applying an emptied name
// resets the menu to the description's defaults. Each key's parameter row follows its assignment (locked unless
// the assignment needs a mailbox, extension or menu number, with that number's limits); Apply makes or removes
// the "Assignment Parameter" and "No DTMF Parameter" nodes to match, also on a reset, and makes the menu's node
// (with its twelve keypads) when the device has none yet.
#pragma once

#include "forms/base/BaseGrid.h"

class TCustomServiceDetailForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TCustomServiceDetailForm(const TFormCreation& Creation);

    // The key whose nodes are being placed; the "%s" of the keypad rows' captions.
    std::string CurrentKey;

    bool ApplyChanges(bool Notify) override;
    // FromRow < 0: every row, else only FromRow. Action (when given) stands for the row's assignment text.
    void UpdateParameterRows(int FromRow, const std::string* Action);
    void SetParameterRules(const std::string& Assignment, int Col, int Row);

protected:
    void InitForm() override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void FormatPropertyCaption(const std::string& S, std::string& R) override;
    void ShowProperties(const std::string& Section, const std::string& SubSection) override;
    void LoadPropertyRows() override;
    void RecordNodeCreated(TXmlNode* Node) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;
    void ForgetReadSections(TFormServices& Services) override;
    void showEvent(QShowEvent* Event) override;

private:
    void SetEditText(int ACol, int ARow, std::string& Value);
    // Makes or removes the parameter node under the action and under every key's assignment.
    void UpdateAllDependentNodes();
    bool FCreatingMenu = false;
    std::string FSection, FSubSection;
};
