// The "Input/Output" window: the digit translation tables, one row per table (column 0 its number), with the
// input code in column 1 and the output code in column 2, both in capitals. An output code belongs to an input
// code: column 2 is editable only while column 1 holds text, and emptying column 1 empties column 2.
//
// The device empties a table's output code whenever its input code changes, and refuses an output code while the
// input code is empty; so an applied change of an input code sends the output code shown beside it again
// (instead of leaving the device without it), and an emptied input code sends no output code.
#pragma once

#include "forms/base/BaseGrid.h"

#include <set>

class TInputOutputForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TInputOutputForm(const TFormCreation& Creation);

    static constexpr int InputCol = 1;
    static constexpr int OutputCol = 2;

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void AfterWriteBack() override;
    void SetEditText(int ACol, int ARow, std::string& Value);

private:
    // Rows whose input code was changed since the last apply.
    std::set<int> FInputChanged;
};
