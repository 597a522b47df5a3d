// The graphic and memo lists of the resource table and their stream form: pictures come back byte for byte, a
// picture of a kind we do not know is skipped by its stored position, equal pictures are shared; rich-text memos
// come back with their text and styles, plain memos as plain text; our RTF reader on text written elsewhere; and
// rich text placed on a page through the recording canvas.
#include "PrnTestSupport.h"

#include "print/PrnCanvas.h"
#include "print/PrnGraphic.h"
#include "print/PrnRtfFuncs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace std::string_literals;

namespace {
std::string ReadFile(const std::string& Path)
{
    std::ifstream f(Path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Jpeg() { return ReadFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/images/about.jpg"); }

// A 2 x 1 bitmap file, 24 bits a pixel: red, blue.
std::string Bitmap()
{
    const unsigned char b[] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1,
        0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF,
        0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

TPrnRtfRun StyledRun(std::string Text, std::string Font, int Size, TPrnFontStyles Style, TColor Color)
{
    return {std::move(Text), TPrnFont{Color, Style, std::move(Font), Size, 0, 1}};
}
}

TEST(PrnStreams, PicturesComeBackByteForByteAndAnUnknownKindIsSkipped)
{
    const std::string jpeg = Jpeg(), bmp = Bitmap(), wmf = "\xD7\xCD\xC6\x9A metafile bytes \x00\x01"s;
    ASSERT_GT(jpeg.size(), 1000u);
    TPrnGraphicList list;
    TPrnGraphic* j = list.AddGraphic(pgJpeg, jpeg);
    EXPECT_GT(j->Width, 0);
    list.AddGraphic(pgMetafile, wmf);
    list.AddGraphic(pgBitmap, bmp);
    list.AddGraphic(pgJpeg, jpeg);   // without CompareGraphics a second copy
    EXPECT_EQ(list.Count(), 4);
    list.Release(list.GetGraphic(3));
    list.CompareGraphics = true;
    EXPECT_EQ(list.AddGraphic(pgJpeg, jpeg), j);
    EXPECT_EQ(list.RefCount(0), 2);

    TPrnMemoryStream s;
    TPrnWriter w(s);
    list.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    TPrnGraphicList back;
    back.LoadFromStream(r);
    EXPECT_EQ(s.Position, s.Data.size());
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back.GetGraphic(0)->Data, jpeg);
    EXPECT_EQ(back.GetGraphic(0)->Width, j->Width);
    EXPECT_EQ(back.GetGraphic(1)->Data, wmf);
    EXPECT_EQ(back.GetGraphic(2)->Data, bmp);
    EXPECT_EQ(back.RefCount(0), 2);

    // A stream with a kind in the middle that this program does not know: the pictures around it load.
    TPrnMemoryStream odd;
    TPrnWriter ow(odd);
    ow.WriteInteger(3);
    auto picture = [&](uint8_t Kind, const std::string& Bytes) {
        odd.Write(&Kind, 1);
        ow.WriteInteger(int32_t(odd.Position + 4 + Bytes.size()));
        odd.Write(Bytes.data(), Bytes.size());
    };
    picture(pgBitmap, bmp);
    picture(9, "a picture of another kind");
    picture(pgJpeg, jpeg);
    PrnSaveReferenceCounts(ow, {1, 5, 3});
    const std::string after = "next";
    odd.Write(after.data(), after.size());
    odd.Rewind();
    TPrnReader orr(odd);
    back.LoadFromStream(orr);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetGraphic(0)->Data, bmp);
    EXPECT_EQ(back.GetGraphic(1)->Data, jpeg);
    EXPECT_EQ(back.RefCount(1), 3);
    EXPECT_EQ(odd.Data.substr(odd.Position), after);   // the reader stands just after the list

    // A position that points back into the stream or past its end is refused and the list stays as it was.
    for (int32_t bad : {3, 1 << 20}) {
        TPrnMemoryStream b;
        TPrnWriter bw(b);
        bw.WriteInteger(1);
        uint8_t kind = pgJpeg;
        b.Write(&kind, 1);
        bw.WriteInteger(bad);
        b.Rewind();
        TPrnReader br(b);
        EXPECT_THROW(back.LoadFromStream(br), EReadError) << bad;
        EXPECT_EQ(back.Count(), 2);
    }
    // A JPEG that libjpeg cannot read is not added.
    EXPECT_THROW(list.AddGraphic(pgJpeg, "not a picture"), EPrnError);
    EXPECT_EQ(list.Count(), 3);
}

TEST(PrnStreams, RichMemosKeepTextAndStylesAndPlainMemosStayPlain)
{
    TPrnRichText text;
    text.Paragraphs.push_back({{StyledRun("Hello ", "Arial", 10, fsBold, clBlack),
                                   StyledRun("W\xC3\xB6rld {1}\\", "Times New Roman", 14, fsItalic | fsUnderline, clRed)},
        taLeftJustify});
    text.Paragraphs.push_back({{StyledRun("\xE2\x82\xAC 5\t\xE2\x86\x92 \xF0\x9F\x93\x9E", "Courier New", 9, 0, clBlue)},
        taCenter});
    text.Paragraphs.push_back({{}, taRightJustify});   // an empty last paragraph is kept
    TPrnHiddenRichEdit rich;
    rich.ReplaceSelection(text);
    TPrnPlainMemo plain;
    plain.ReplaceSelection(RichTextFromPlain("{\\rtf1 taken as it stands}\r\nline 2 caf\xE9", RtfDefaultFont()));

    TPrnCustomMemoList memos;
    memos.AddMemo(rich);
    memos.AddMemo(plain);
    TPrnMemoryStream s;
    TPrnWriter w(s);
    memos.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    int made = 0;
    TPrnCustomMemoList back;
    back.OnNeedRichEdit = [&] {
        ++made;
        return std::make_unique<TPrnHiddenRichEdit>();
    };
    back.LoadFromStream(r);
    EXPECT_EQ(made, 2);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetMemo(0)->Content(), text);
    EXPECT_FALSE(back.GetMemo(0)->PlainText);
    EXPECT_TRUE(back.GetMemo(1)->PlainText);
    EXPECT_EQ(back.GetMemo(1)->Text(), "{\\rtf1 taken as it stands}\r\nline 2 caf\xC3\xA9");
    // Written again, the plain memo keeps its flag.
    TPrnMemoryStream again;
    TPrnWriter aw(again);
    back.SaveToStream(aw);
    EXPECT_EQ(again.Data, s.Data);

    // CopyRichText through the stream form; the hidden edit's limits.
    TPrnHiddenRichEdit copy;
    CopyRichText(rich, copy);
    EXPECT_EQ(copy.Content(), text);
    auto hidden = CreateHiddenRichEdit();
    EXPECT_FALSE(hidden->WordWrap);
    EXPECT_EQ(hidden->MaxLength, 1000000);
    EXPECT_EQ(hidden->Width + hidden->Height, 0);
}

TEST(PrnStreams, RtfWrittenElsewhereIsReadForItsTextAndStyles)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\froman{\\*\\panose 0}Times;}"
        "{\\colortbl;\\red255\\green0\\blue0;}{\\*\\generator Other 1.0;}{\\info{\\title T}}"
        "\\pard\\qr\\f1\\fs28 Caf\\'e9 \\b bold\\b0  \\cf1 red\\cf0\\par"
        "\\pard\\uc1\\u8364? \\u-4064? {\\pict\\wmetafile8 0102}x\\~y\\line z}";
    TPrnRichText t = RtfRead(rtf);
    ASSERT_EQ(t.Paragraphs.size(), 3u);
    EXPECT_EQ(t.PlainText(), "Caf\xC3\xA9 bold red\r\n\xE2\x82\xAC \xEF\x80\xA0 x\xC2\xA0y\r\nz");
    const auto& first = t.Paragraphs[0];
    EXPECT_EQ(first.Alignment, taRightJustify);
    ASSERT_EQ(first.Runs.size(), 4u);
    EXPECT_EQ(first.Runs[0].Font.Name, "Times");
    EXPECT_EQ(first.Runs[0].Font.Size, 14);
    EXPECT_EQ(first.Runs[1].Text, "bold");
    EXPECT_EQ(first.Runs[1].Font.Style, unsigned(fsBold));
    EXPECT_EQ(first.Runs[3].Font.Color, TColor(clRed));
    EXPECT_EQ(t.Paragraphs[1].Alignment, taLeftJustify);
    // A control character read from an escape is written as one again; a \u beyond 16 bits is no character.
    TPrnRichText odd = RtfRead("{\\rtf1 a\\'0db\\u99999?c\\fs99999999999999999999 big}");
    EXPECT_EQ(odd.PlainText(), "a\rbcbig");   // the blank ends the control word
    EXPECT_EQ(odd.Paragraphs[0].Runs.back().Font.Size, 1638);
    EXPECT_EQ(RtfRead(RtfWrite(odd)), odd);
    // A hex escape is its hex digits: one or two of them make a character, a sign or a blank none, and whatever is
    // read is written back the same.
    for (const char* escape : {"\\'e9", "\\'E9", "\\'9", "\\'-e", "\\' e", "\\'+e", "\\'g1", "\\'0x"}) {
        SCOPED_TRACE(escape);
        TPrnRichText e = RtfRead(std::string("{\\rtf1 a") + escape + "b}");
        EXPECT_EQ(RtfRead(RtfWrite(e)), e);
    }
    EXPECT_EQ(RtfRead("{\\rtf1 a\\'e9b}").PlainText(), "a\xC3\xA9" "b");
    EXPECT_EQ(RtfRead("{\\rtf1 a\\'-e9b}").PlainText(), "a9b");
    EXPECT_EQ(RtfRead("{\\rtf1 a\\' e9b}").PlainText(), "a9b");
    // Not RTF at all: plain text; an unclosed group ends the text without losing what came before.
    EXPECT_EQ(RtfRead("just text\nline").PlainText(), "just text\r\nline");
    EXPECT_EQ(RtfRead("{\\rtf1 open {\\b bold").PlainText(), "open bold");
}

TEST(PrnStreams, RichTextOnAPageIsWrappedIntoItsRectangleAndReleasedWithThePage)
{
    TPrnPageList list;
    TPrnHiddenRichEdit edit;
    TPrnRichText t;
    t.Paragraphs.push_back({{StyledRun("one two three four", "Arial", 10, 0, clBlack)}, taLeftJustify});
    t.Paragraphs.push_back({{StyledRun("end", "Arial", 20, fsBold, clBlack)}, taRightJustify});
    edit.ReplaceSelection(t);
    // The fixed measurer: 10 pt characters are 1/12 in wide; "one two " fits 0.75 in, "three " does not.
    Extended h = list.Canvas().RichText(pnInches, 1, 1, 1.75L, 3, edit);
    EXPECT_EQ(list.Resources.Memos().Count(), 1);
    TRecordingDevice d;
    list.DrawPage(1, d, false);
    std::vector<std::string> texts;
    for (const auto& x : d.Texts)
        texts.push_back(x.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"one ", "two ", "three ", "four", "end"}));
    EXPECT_NEAR(double(d.Texts[2].Top), 1 + 10 * 1.2 / 72, 1e-9);   // "three" starts the second line
    EXPECT_NEAR(double(d.Texts[4].X), 1.75 - 3 * 20 * 0.6 / 72, 1e-9);   // right aligned
    EXPECT_NEAR(double(h), 3 * 10 * 1.2 / 72 + 20 * 1.2 / 72, 1e-9);
    list.Clear();
    EXPECT_EQ(list.Resources.Memos().Count(), 0);
}
