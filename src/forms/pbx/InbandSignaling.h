// The "Inband Signaling" window: the tone codes the PBX sends for each call-progress signal, one row each, shown
// and stored in capitals. A change of the PBX type rewrites them from the PBX window, which refuses to do so
// while this window is open.
#pragma once

#include "forms/base/BaseGrid.h"

class TInbandSignalingForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TInbandSignalingForm(const TFormCreation& Creation);

protected:
    void InitForm() override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void SetEditText(int ACol, int ARow, std::string& Value);
};
