// Memos on Qt: RTF streamed into a QTextEdit and out again keeps text, paragraphs and styles; a memo list loads
// into the edits the need-rich-edit event supplies; bitmaps are read through QImage once the Qt readers are in.
#include "print/PrnGraphic.h"
#include "print/ui/PrnPainter.h"
#include "print/ui/PrnRichEdit.h"

#include <QBuffer>
#include <QImage>
#include <QTextEdit>
#include <gtest/gtest.h>

TEST(PrnRichEdit, RtfThroughAQTextEditKeepsTextParagraphsAndStyles)
{
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\colortbl ;\\red0\\green0\\blue255;}"
                            "\\pard\\qc\\f0\\fs24 Title \\b bold\\b0\\par"
                            "\\pard\\f1\\fs20\\i\\cf1 blue \\u8364?\\i0\\ul  under\\ulnone\\par}";
    TPrnRichText expected = RtfRead(rtf);
    ASSERT_EQ(expected.Paragraphs.size(), 2u);
    QTextEdit edit;
    TPrnQtRichEdit rich(&edit);
    RtfStreamIn(rich, rtf);
    EXPECT_EQ(edit.toPlainText().toStdString(), "Title bold\nblue \xE2\x82\xAC under");
    TPrnRichText back = RtfRead(RtfStreamOut(rich));
    EXPECT_EQ(back, expected);
    EXPECT_EQ(back.Paragraphs[0].Alignment, taCenter);

    // Streamed in again with the text selected: the selection is replaced, not added to.
    edit.selectAll();
    RtfStreamIn(rich, "{\\rtf1 only this}");
    EXPECT_EQ(edit.toPlainText().toStdString(), "only this");

    // A memo list loads into the edits its event hands out.
    TPrnCustomMemoList memos;
    TPrnHiddenRichEdit source;
    source.ReplaceSelection(expected);
    memos.AddMemo(source);
    TPrnMemoryStream s;
    TPrnWriter w(s);
    memos.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    QTextEdit target;
    TPrnCustomMemoList loaded;
    loaded.OnNeedRichEdit = [&] { return std::make_unique<TPrnQtRichEdit>(&target); };
    loaded.LoadFromStream(r);
    EXPECT_EQ(target.toPlainText().toStdString(), "Title bold\nblue \xE2\x82\xAC under");
}

TEST(PrnRichEdit, BitmapsAreReadThroughQImage)
{
    TPrnQtMeasurer::Install();
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "BMP"));
    TPrnGraphicList list;
    TPrnGraphic* g = list.AddGraphic(pgBitmap, bytes.toStdString());
    EXPECT_EQ(g->Width, 3);
    EXPECT_EQ(g->Height, 2);
    EXPECT_THROW(list.AddGraphic(pgBitmap, "BM but nothing else"), EPrnError);
    EXPECT_EQ(list.Count(), 1);
}
