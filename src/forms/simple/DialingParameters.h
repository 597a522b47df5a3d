// The "Dialing Parameters" window (how the device dials the PBX): a property list from the section's view
// description; the transfer dialing sequence (row 4) is shown and stored in capitals, as the device keeps it.
#pragma once

#include "forms/base/BaseGrid.h"

class TDialingParametersForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TDialingParametersForm(const TFormCreation& Creation);

    static constexpr int CapitalRow = 4;

protected:
    void InitForm() override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void SetEditText(int ACol, int ARow, std::string& Value);
};
