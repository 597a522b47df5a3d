// The terminal's view: painting of cells and caret, keys to the line, scroll bars when the window is small.
#include "serial/ui/SerTerminalView.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct TFakeLine : TSerTermLine {
    std::string Sent;
    bool Connected() const override { return true; }
    void Send(const std::string& Bytes) override { Sent += Bytes; }
};

// Whether any pixel of the cell differs from the background.
bool CellInked(const QImage& Img, const TSerTerminalView& V, int Column, int Row)
{
    QPoint Origin = V.viewport()->mapTo(&V, QPoint(0, 0));
    QColor Back(0, 0, 0);
    for (int y = 0; y < V.CharHeight(); ++y)
        for (int x = 0; x < V.CharWidth(); ++x) {
            QPoint p = Origin + QPoint((Column - 1) * V.CharWidth() + x, (Row - 1) * V.CharHeight() + y);
            if (Img.pixelColor(p) != Back)
                return true;
        }
    return false;
}

}  // namespace

TEST(SerTerminalView, PaintsCellsWithAFixedFont)
{
    TSerTerminalView V;
    V.resize(V.sizeHint());
    V.show();
    QApplication::processEvents();
    EXPECT_EQ(V.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(V.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(TSerTerminalView::IsFixedPitch(V.terminalFont()));
    EXPECT_GT(V.CharWidth(), 0);
    V.Terminal().WriteStr("\x1b[2J\x1b[HOrlantis terminal\r\n\x1b[7m inverse \x1b[m \x1b[1mbold\x1b[m \x1b[4munder\x1b[m"
                          "\x1b[24;1HEnter password: ");
    QApplication::processEvents();
    QImage Img = V.grab().toImage();
    QString Shot = QDir(QString::fromLatin1(ORLANTIS_BIN_DIR)).filePath("serial-terminal-view.png");
    Img.save(Shot);
    EXPECT_TRUE(CellInked(Img, V, 1, 1));      // "O"
    EXPECT_FALSE(CellInked(Img, V, 40, 10));   // nothing there
    EXPECT_TRUE(CellInked(Img, V, 1, 2));      // inverse blank: background in the font colour
    EXPECT_TRUE(CellInked(Img, V, 1, 24));
    // A non-fixed font is replaced by a fixed one.
    QFont Prop("DejaVu Sans");
    ASSERT_FALSE(TSerTerminalView::IsFixedPitch(Prop));
    Prop.setUnderline(true);
    V.setTerminalFont(Prop);
    EXPECT_TRUE(TSerTerminalView::IsFixedPitch(V.terminalFont()));
    EXPECT_FALSE(V.terminalFont().underline());
}

TEST(SerTerminalView, KeysGoToTheLine)
{
    TSerTerminalView V;
    TFakeLine L;
    V.Terminal().SetLine(&L);
    V.show();
    V.setFocus();
    QTest::keyClicks(&V, "ab");
    QTest::keyClick(&V, Qt::Key_Return);
    QTest::keyClick(&V, Qt::Key_Up);
    QTest::keyClick(&V, Qt::Key_Home);
    QTest::keyClick(&V, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(L.Sent, "ab\r\x1b[A\x1b[H\x03");
    // Tab moves the focus unless the terminal wants it.
    L.Sent.clear();
    V.Terminal().WantTab = true;
    QTest::keyClick(&V, Qt::Key_Tab);
    EXPECT_EQ(L.Sent, "\t");
    V.Terminal().SetLine(nullptr);
}

TEST(SerTerminalView, ScrollBarsFollowTheScreenAndTheCaret)
{
    TSerTerminalView V;
    V.resize(20 * V.CharWidth(), 6 * V.CharHeight());
    V.show();
    QApplication::processEvents();
    EXPECT_GT(V.verticalScrollBar()->maximum(), 0);
    EXPECT_GT(V.horizontalScrollBar()->maximum(), 0);
    V.Terminal().WriteStr("\x1b[20;70Hx");
    EXPECT_GT(V.TopRow(), 1);
    EXPECT_GT(V.TopColumn(), 1);
    EXPECT_LE(V.TopRow(), 20);
    V.resize(V.sizeHint() + QSize(40, 40));
    QApplication::processEvents();
    EXPECT_EQ(V.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(V.TopRow(), 1);
    // A screen size change from the line reaches the scroll range.
    V.Terminal().WriteStr("\x1b[?3h");
    QApplication::processEvents();
    EXPECT_EQ(V.Terminal().Columns(), 132);
    EXPECT_GT(V.horizontalScrollBar()->maximum(), 0);
}
