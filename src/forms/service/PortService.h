// The "Port Service" window (and, through TTrunkServiceForm, "Trunk Service"): one port or trunk group at a time,
// chosen in the combo box under the grid, with a row per time mode (Day, Night, Lunch, Break) and the service
// that answers calls in it. The service's number and the selective greeting are editable only where the service
// or prompt takes them; a greeting or number that is no number is refused with a message. While edits are
// unapplied the combo box is locked. Apply makes or removes the dependent parameters, after checking that every
// interview or custom service has its number.
#pragma once

#include "forms/base/BaseGrid.h"

class QComboBox;
class QLabel;

class TPortServiceForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TPortServiceForm(const TFormCreation& Creation);

    QLabel* LabelPortNo = nullptr;
    QComboBox* ComboPortNo = nullptr;

    void ComboPortNoChange();
    bool ApplyChanges(bool Notify) override;
    void SetServiceNumberRules(const std::string& Service, int Col, int Row);
    void GetPrintData(TPrintData& Data) override;

protected:
    void InitForm() override;
    void ShowTable(const std::string& Section, const std::string& SubSection) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;
    void ModifiedChanged() override;

    bool IsTrunk() const;
    std::string SectionName() const;
    std::string RecordPrefix() const;

private:
    void SetEditText(int ACol, int ARow, std::string& Value);
    void ShowChosen();
    std::string KeyOf(int Col, int Row) const;
};

class TTrunkServiceForm : public TPortServiceForm {
    Q_OBJECT
public:
    using TPortServiceForm::TPortServiceForm;
};
