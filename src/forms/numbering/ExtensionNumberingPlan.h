// The "Extension Numbering Plan" window: one description row, "Numbering Plan %T%", becomes the rows of plans 1 to
// 16, shown in capitals. Filled plans are kept together from the first row: only the first empty row can take a new
// plan, and emptying a plan moves the ones below it up. A text that is no plan, begins with 0 or repeats another
// row is refused with its message and the cell returns to its text before the edit.
#pragma once

#include "forms/base/BaseGrid.h"

class TExtensionNumberingPlanForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TExtensionNumberingPlanForm(const TFormCreation& Creation);

    static constexpr int32_t PlanCount = 16;
    // The plan whose row is being placed (1 to 16).
    int32_t PlanCounter = 1;

    // Locks every row after the first empty plan; the rows up to it can be edited.
    void UpdateReadOnly();

protected:
    void InitForm() override;
    void LoadPropertyRows() override;
    bool NodeHandled(TXmlNode* Node, bool IsView) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void FormatPropertyCaption(const std::string& S, std::string& R) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void SetEditText(int ACol, int ARow, std::string& Value);

private:
    std::vector<std::string> Plans() const;
};
