// The production TDialogs: real Qt message boxes, file dialogs and the print dialog, parented to the active window.
#pragma once

#include "platform/Dialogs.h"

#include <QString>

class TQtDialogs : public TDialogs {
public:
    int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
        TMsgDlgButtons Buttons) override;
    bool OpenFile(const TFileDialogRequest& Request, std::string& FileName) override;
    bool SaveFile(const TFileDialogRequest& Request, std::string& FileName) override;
    bool PrintDialog(const TPrintDialogRequest& Request, TPrintDialogAnswer& Answer) override;
    // "Text (*.txt)|*.txt|All files (*.*)|*.*" -> "Text (*.txt);;All files (*.*)"
    static QString QtFilter(const std::string& Filter);
};
