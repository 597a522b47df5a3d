// The "Custom Service" window: the 100 voice menus as a read-only table, one row per menu number whether the
// device has the menu or not, with the action and key assignments abbreviated. Double-click or Enter opens the
// menu in its detail window (CustomServiceDetail.h); the tree-report button runs the device's "Custom Service
// Report" of the current row's menu (connected, interactive mode only).
#pragma once

#include "forms/base/BaseGrid.h"

class QToolButton;

class TCustomServiceForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TCustomServiceForm(const TFormCreation& Creation);

    QToolButton* CustomServiceTreePreviewButton = nullptr;
    // The key whose nodes are being placed; the "%s" of the key columns' captions.
    std::string CurrentKey;

    void OpenDetail();
    void CustomServiceTreePreviewButtonClick();
    void GetRowCaption(int Row, std::string& S) override;
    void GetRowSubSection(int Row, std::string& S) override;
    void GetPrintData(TPrintData& Data) override;

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void FormatColumnCaption(const std::string& S, std::string& R) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void LoadRecordRows() override;

private:
    // The cells that a stored menu fills are drawn as such in every row, stored or not.
    void UnlockRow(int Row);
    // Row 0 placed from the description, once per key, with the defaults of a menu not in use.
    void LayOutFirstRow();
};
