// The rich edits behind the print library's memos, and the functions that move RTF in and out of them. A rich
// edit is anything that holds rich text (the Qt layer gives one over QTextEdit, the core a hidden one that needs no
// window); a plain memo holds text only and takes what it is given as plain text. The memo list keeps the memos of
// a document with reference counts and stores each as a flag and its text; loading makes the memos again through
// the list's need-rich-edit event, or as hidden rich edits. Plain C++.
#pragma once

#include "print/PrnRtf.h"
#include "print/PrnStream.h"

#include <functional>
#include <memory>

class TPrnRichEdit {
public:
    virtual ~TPrnRichEdit() = default;
    // False for a plain memo: it takes any text, RTF included, as plain text.
    virtual bool IsRichEdit() const { return true; }
    // A rich edit in plain-text mode takes and gives plain text, as a plain memo does.
    bool PlainText = false;
    bool WordWrap = true;
    int MaxLength = 0;   // characters; 0: no limit
    int Width = 0, Height = 0;

    virtual TPrnRichText Content() const = 0;
    // Puts Text in place of the selection (an edit without a selection: at its end).
    virtual void ReplaceSelection(const TPrnRichText& Text) = 0;
    virtual void Clear() = 0;
    // The content as plain text (paragraphs joined by CR LF), and plain text in place of the selection.
    std::string Text() const { return Content().PlainText(); }
};

// A rich edit without a window: the model itself. Its caret stands at the end of the text.
class TPrnHiddenRichEdit : public TPrnRichEdit {
public:
    TPrnRichText Content() const override { return FText; }
    void ReplaceSelection(const TPrnRichText& Text) override;
    void Clear() override { FText = {}; }

private:
    TPrnRichText FText;
};

// A plain memo: one font, no styles.
class TPrnPlainMemo : public TPrnHiddenRichEdit {
public:
    bool IsRichEdit() const override { return false; }
};

// RTF into the edit in place of its selection; a plain memo or an edit in plain-text mode gets Rtf as plain text.
void RtfStreamIn(TPrnRichEdit& Edit, const std::string& Rtf);
// The edit's content as RTF; the plain text (single-byte; beyond Latin-1 "?") of a plain memo or an edit in
// plain-text mode.
std::string RtfStreamOut(const TPrnRichEdit& Edit);
// From one edit to the other (in place of the other's selection).
void CopyRichText(const TPrnRichEdit& From, TPrnRichEdit& To);
// Width and height 0, no word wrap, at most 1,000,000 characters.
std::unique_ptr<TPrnRichEdit> CreateHiddenRichEdit();

class TPrnCustomMemoList : public TPrnCountedList<TPrnRichEdit> {
public:
    // Supplies the edit a loaded memo is made in (the preview's OnNeedRichEdit); none: a hidden rich edit.
    std::function<std::unique_ptr<TPrnRichEdit>()> OnNeedRichEdit;

    // A memo of its own holding a copy of Source's content, with one reference.
    TPrnRichEdit* AddMemo(const TPrnRichEdit& Source);
    TPrnRichEdit* GetMemo(int Index) const { return Get(Index); }
    int IndexOfMemo(const TPrnRichEdit* Memo) const { return IndexOf(Memo); }

    // The count; per memo a 32-bit flag (1 for a plain memo or plain-text mode) and its text (RTF, or plain for a plain memo) in a
    // length-prefixed block; then the reference counts ("RC", "RN1".."RNn"). A memo written as plain loads as
    // plain text, a rich one as RTF. On a short stream (EReadError) the list is left as it was.
    void SaveToStream(TPrnWriter& W) const;
    void LoadFromStream(TPrnReader& R);
};

class TPrnDevice;
// Rich text laid out in Box (inches) on a device: paragraphs one below the other, each wrapped at blanks to the
// box's width when WordWrap is set, aligned as the paragraph says, runs standing on a common base line. What does
// not fit the box is cut. Characters beyond Latin-1 are drawn as "?". Answers the height used, in inches.
Extended DrawRichText(TPrnDevice& D, const TPrnRichText& Text, const TPrnExtRect& Box, bool WordWrap = true);
// The text as the device draws it: UTF-8 to single bytes.
std::string PrnLatin1(std::string_view Utf8);
