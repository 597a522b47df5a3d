// The print library's rich edit on Qt: a TPrnRichEdit over a QTextEdit, so that memos of a document can be shown
// and edited in a window and streamed as RTF. Paragraph alignment and each fragment's font family, point size,
// bold, italic, underline and colour go both ways; what the RTF model does not carry is not kept.
#pragma once

#include "print/PrnRtfFuncs.h"

class QTextEdit;

class TPrnQtRichEdit : public TPrnRichEdit {
public:
    explicit TPrnQtRichEdit(QTextEdit* Edit);   // not owned
    TPrnRichText Content() const override;
    void ReplaceSelection(const TPrnRichText& Text) override;
    void Clear() override;
    QTextEdit* Edit() const { return FEdit; }

private:
    QTextEdit* FEdit;
};

// Installs the Qt readers the print library's core uses (bitmaps through QImage). Needs a QGuiApplication.
void PrnInstallQtReaders();
