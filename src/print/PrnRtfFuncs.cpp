#include "print/PrnRtfFuncs.h"

#include "print/PrnDevice.h"

#include <algorithm>

void TPrnHiddenRichEdit::ReplaceSelection(const TPrnRichText& Text)
{
    if (Text.Paragraphs.empty())
        return;
    if (FText.Paragraphs.empty()) {
        FText = Text;
    } else {
        // The first inserted paragraph continues the last one; the others follow it.
        auto& last = FText.Paragraphs.back().Runs;
        last.insert(last.end(), Text.Paragraphs.front().Runs.begin(), Text.Paragraphs.front().Runs.end());
        FText.Paragraphs.insert(FText.Paragraphs.end(), Text.Paragraphs.begin() + 1, Text.Paragraphs.end());
    }
    if (MaxLength > 0) {
        // Beyond the limit nothing is kept, as an edit refuses input beyond its maximum length.
        size_t room = size_t(MaxLength);
        for (TPrnRtfParagraph& p : FText.Paragraphs)
            for (TPrnRtfRun& r : p.Runs) {
                if (r.Text.size() > room)
                    r.Text.resize(room);
                room -= r.Text.size();
            }
    }
    FText.Normalize();
}

void RtfStreamIn(TPrnRichEdit& Edit, const std::string& Rtf)
{
    if (!Edit.IsRichEdit() || Edit.PlainText)
        Edit.ReplaceSelection(RichTextFromPlain(Rtf, RtfDefaultFont()));
    else
        Edit.ReplaceSelection(RtfRead(Rtf));
}

std::string RtfStreamOut(const TPrnRichEdit& Edit)
{
    if (!Edit.IsRichEdit() || Edit.PlainText)
        return PrnLatin1(Edit.Text());   // plain text is single-byte text, as it is read
    return RtfWrite(Edit.Content());
}

void CopyRichText(const TPrnRichEdit& From, TPrnRichEdit& To)
{
    TPrnMemoryStream s;
    s.Data = RtfStreamOut(From);
    RtfStreamIn(To, s.Data);
}

std::unique_ptr<TPrnRichEdit> CreateHiddenRichEdit()
{
    auto e = std::make_unique<TPrnHiddenRichEdit>();
    e->Width = e->Height = 0;
    e->WordWrap = false;
    e->MaxLength = 1000000;
    return e;
}

TPrnRichEdit* TPrnCustomMemoList::AddMemo(const TPrnRichEdit& Source)
{
    std::unique_ptr<TPrnRichEdit> memo;
    if (Source.IsRichEdit())
        memo = CreateHiddenRichEdit();
    else
        memo = std::make_unique<TPrnPlainMemo>();
    memo->PlainText = Source.PlainText;
    memo->ReplaceSelection(Source.Content());
    return Append(std::move(memo));
}

void TPrnCustomMemoList::SaveToStream(TPrnWriter& W) const
{
    W.WriteInteger(Count());
    for (const auto& m : FItems) {
        W.WriteInteger(m->IsRichEdit() && !m->PlainText ? 0 : 1);
        TPrnMemoryStream text;
        text.Data = RtfStreamOut(*m);
        W.WriteStream(text);
    }
    PrnSaveReferenceCounts(W, FCounts);
}

void TPrnCustomMemoList::LoadFromStream(TPrnReader& R)
{
    std::vector<std::unique_ptr<TPrnRichEdit>> items;
    int n = R.ReadInteger();
    if (n < 0)
        throw EReadError("Stream read error");
    for (int i = 0; i < n; ++i) {
        int32_t plain = R.ReadInteger();
        TPrnMemoryStream text;
        R.ReadStream(text);
        std::unique_ptr<TPrnRichEdit> memo = OnNeedRichEdit ? OnNeedRichEdit() : nullptr;
        if (!memo)
            memo = CreateHiddenRichEdit();
        memo->Clear();
        // What a plain memo wrote is plain text: it goes in as such, never parsed as RTF.
        memo->PlainText = plain != 0;
        RtfStreamIn(*memo, text.Data);
        items.push_back(std::move(memo));
    }
    std::vector<int> counts = PrnLoadReferenceCounts(R, std::vector<int>(items.size(), 1));
    TPrnCustomMemoList loaded;
    for (size_t i = 0; i < items.size(); ++i)
        loaded.Append(std::move(items[i]), counts[i]);
    TakeLoaded(std::move(loaded));
}

std::string PrnLatin1(std::string_view Utf8)
{
    std::string out;
    for (size_t i = 0; i < Utf8.size();) {
        unsigned char c = Utf8[i];
        int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC0 && c < 0xE0 ? 1 : 0;
        if (extra == 0 || i + size_t(extra) >= Utf8.size()) {
            out += char(c);
            ++i;
            continue;
        }
        uint32_t cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
            cp = (cp << 6) | (uint8_t(Utf8[i + size_t(k)]) & 0x3F);
        out += cp < 0x100 ? char(cp) : '?';
        i += size_t(extra) + 1;
    }
    return out;
}

namespace {
struct TPiece {
    std::string Text;
    const TPrnFont* Font;
    Extended Width;
};
}

Extended DrawRichText(TPrnDevice& D, const TPrnRichText& Text, const TPrnExtRect& Box, bool WordWrap)
{
    TPrnTextMeasurer& m = D.Measurer();
    const TPrnFont fallback = RtfDefaultFont();
    const Extended width = RectWidth(Box);
    Extended y = Box.Top;
    D.SaveClip();
    D.IntersectClip(D.Pixels(Box));
    for (const TPrnRtfParagraph& para : Text.Paragraphs) {
        // Words with the blanks after them, each in its run's font.
        std::vector<TPiece> words;
        for (const TPrnRtfRun& r : para.Runs) {
            std::string t = ExpandTabs(PrnLatin1(r.Text));
            size_t pos = 0;
            while (pos < t.size()) {
                size_t blank = t.find(' ', pos);
                size_t end = blank == std::string::npos ? std::string::npos : t.find_first_not_of(' ', blank);
                if (end == std::string::npos)
                    end = t.size();
                std::string w = t.substr(pos, end - pos);
                words.push_back({w, &r.Font, m.TextWidth(r.Font, w)});
                pos = end;
            }
        }
        std::vector<std::vector<TPiece>> lines(1);
        Extended x = 0;
        for (TPiece& w : words) {
            if (WordWrap && !lines.back().empty() && x + w.Width > width + 1e-9L) {
                lines.emplace_back();
                x = 0;
            }
            lines.back().push_back(w);
            x += w.Width;
        }
        for (const auto& line : lines) {
            Extended ascent = 0, height = 0, lineWidth = 0;
            for (const TPiece& p : line) {
                ascent = MaxExtended(ascent, m.Ascent(*p.Font));
                height = MaxExtended(height, m.LineHeight(*p.Font));
                lineWidth += p.Width;
            }
            if (line.empty()) {
                const TPrnFont& f = para.Runs.empty() ? fallback : para.Runs.front().Font;
                height = m.LineHeight(f);
            } else {
                // Blanks at the end of a line take no room in its alignment.
                const TPiece& last = line.back();
                size_t keep = last.Text.find_last_not_of(' ');
                std::string trimmed = keep == std::string::npos ? std::string() : last.Text.substr(0, keep + 1);
                lineWidth -= last.Width - m.TextWidth(*last.Font, trimmed);
            }
            Extended left = Box.Left;
            if (para.Alignment == taCenter)
                left += (width - lineWidth) / 2;
            else if (para.Alignment == taRightJustify)
                left += width - lineWidth;
            for (const TPiece& p : line) {
                D.TextOut(*p.Font, left, y + ascent - m.Ascent(*p.Font), p.Text);
                left += p.Width;
            }
            y += height;
            if (y >= Box.Bottom)
                break;
        }
        if (y >= Box.Bottom)
            break;
    }
    D.RestoreClip();
    return y - Box.Top;
}
