// The preview control's own behaviour offscreen: sheets of two and four pages (shown, and printed to PDF counted
// with pdfinfo), the printer's margin border, the listener messages and events, "MarginValues", the page and
// object mouse events with the highlight, mouse enter and leave, dragging over and dropping on a page, wheel,
// drag and keys, the zoom cursors, and what a job's colour, dithering and quality ask of the printer.
#include "support/PrintDialogs.h"
#include "support/Screenshots.h"

#include "grid/XStrGrid.h"
#include "print/ui/PrintGrid.h"
#include "print/ui/PrnPainter.h"
#include "print/ui/PrnPreview.h"
#include "print/ui/PrnQtPrinter.h"

#include <QMimeData>
#include <QDropEvent>
#include <QApplication>
#include <QMdiArea>
#include <QPdfWriter>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cstdio>

namespace {
std::string RunCommand(const std::string& Command)
{
    std::string out;
    if (FILE* f = popen(Command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        pclose(f);
    }
    return out;
}

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null") == 0; }

class TListener : public QObject {
public:
    std::vector<int> Messages;
    bool event(QEvent* E) override
    {
        if (E->type() != TPrnPreviewMessage::EventType())
            return QObject::event(E);
        Messages.push_back(static_cast<TPrnPreviewMessage*>(E)->Msg);
        return true;
    }
};

class PrnPreviewControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        TPrnQtMeasurer::Install();
        Area.resize(1000, 800);
        Area.show();
        Params.Caption = "Print Preview - ";
    }
    TPrintGridForm* OpenGrid(int Rows)
    {
        for (int i = 0; i < 4; ++i)
            Grid.Columns().Add()->SetCaption("Column " + std::to_string(i));
        Grid.Loaded();
        Grid.SetRowCount(Rows);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < 4; ++c)
                Grid.SetCells(c, r, "cell " + std::to_string(r) + "." + std::to_string(c));
        TPrintData d;
        d.Title = d.HeaderCaption = "Mailbox Listing";
        d.Grid = &Grid;
        return TPrintGridForm::CreatePreview(&Area, d, nullptr, Params, TFormKinds{3});
    }
    TPrintDialogsDouble Dialogs;
    TDialogsScope Scope{&Dialogs};
    QMdiArea Area;
    TFormParams Params;
    TXStringGrid Grid;
    QTemporaryDir Dir;
};

int Pages(const std::string& Pdf)
{
    std::string info = RunCommand("pdfinfo '" + Pdf + "' 2>/dev/null");
    size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}
}

TEST_F(PrnPreviewControl, AGridPrintedTwoAndFourPagesToASheet)
{
    if (!HavePoppler())
        GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) not installed";
    TPrintGridForm* f = OpenGrid(400);
    ASSERT_NE(f, nullptr);
    TPrnPreview& p = *f->FPreview;
    const int n = p.NumPages();
    ASSERT_GE(n, 7);
    for (auto [per, sheets, name] : {std::tuple{pnOnePage, n, "one.pdf"}, std::tuple{pnTwoPage, (n + 1) / 2, "two.pdf"},
             std::tuple{pnFourPage, (n + 3) / 4, "four.pdf"}}) {
        const std::string file = Dir.filePath(name).toStdString();
        {
            QPdfWriter writer(QString::fromStdString(file));
            TPrnQtPrintBackend backend(&writer);
            p.PrnPrinter().Backend = &backend;
            p.SetPagesPerSheet(per);
            ASSERT_TRUE(p.PrintRange(1, n));
            p.PrnPrinter().Backend = nullptr;
        }
        EXPECT_EQ(Pages(file), sheets) << name;
        std::string first = RunCommand("pdftotext -f 1 -l 1 -layout '" + file + "' - 2>/dev/null");
        const int onFirst = per == pnOnePage ? 1 : per == pnTwoPage ? 2 : 4;
        for (int k = 1; k <= onFirst; ++k)
            EXPECT_NE(first.find(std::to_string(k) + "/" + std::to_string(n)), std::string::npos) << name << k;
        EXPECT_EQ(first.find(std::to_string(onFirst + 1) + "/" + std::to_string(n)), std::string::npos) << name;
        std::string info = RunCommand("pdfinfo '" + file + "' 2>/dev/null");
        // Two pages stand on a landscape sheet, four on a portrait one.
        EXPECT_NE(info.find(per == pnTwoPage ? "842 x 595 pts" : "595 x 842 pts"), std::string::npos) << info;
    }
    EXPECT_TRUE(Dialogs.Boxes.empty()) << Dialogs.LastText();
}

TEST_F(PrnPreviewControl, SheetsAreShownAsPrintedAndPagesFoundUnderTheMouse)
{
    TPrintGridForm* f = OpenGrid(400);
    TPrnPreview& p = *f->FPreview;
    const QSize single = p.PaperRect().size();
    p.SetPagesPerSheet(pnFourPage);
    EXPECT_EQ(p.PaperRect().size(), single);   // four pages share a sheet of the page's size
    p.SetPagesPerSheet(pnTwoPage);
    EXPECT_EQ(p.PaperRect().size(), single.transposed());
    p.SetCurrentPage(4);
    QRect paper = p.PaperRect();
    TPrnExtPoint at;
    // Page 3 on the left half, page 4 on the right; the page's corner maps to (0, 0) on the page.
    EXPECT_EQ(p.PageAt(paper.topLeft() + QPoint(paper.width() / 4, paper.height() / 2), at), 3);
    EXPECT_EQ(p.PageAt(paper.topLeft() + QPoint(paper.width() * 3 / 4, paper.height() / 2), at), 4);
    EXPECT_NEAR(double(at.X), double(p.PageList().GetPage(4).Width()) / 2, 0.1);
    EXPECT_EQ(p.PageAt(paper.topLeft() - QPoint(5, 5), at), 0);
    QImage shot = f->grab().toImage();
    shot.save(ScreenshotPath("print-preview-two-per-sheet.png"));
}

TEST_F(PrnPreviewControl, PrinterMarginsAreDrawnAroundThePrintableArea)
{
    TPrintGridForm* f = OpenGrid(30);
    TPrnPreview& p = *f->FPreview;
    p.SetZoom(100);
    QImage before = p.viewport()->grab().toImage();
    p.Margins().PrinterMarginPen = TPrnPen{clRed, 1, psSolid, pmCopy};
    p.Margins().ShowPrinterMargins = true;
    p.Margins().Visible = true;
    p.MarginsChanged();
    QImage after = p.viewport()->grab().toImage();
    f->grab().save(ScreenshotPath("print-preview-printer-margins.png"));
    // No printer: the default device's border, 65/300 in from the left and 50/300 in from the top.
    QRect paper = p.PaperRect();
    const int x = paper.left() + int(std::lround(65.0 / 300 * 96)), y = paper.top() + int(std::lround(50.0 / 300 * 96));
    auto red = [&](const QImage& I, int X, int Y) {
        QColor c = I.pixelColor(X, Y);
        return c.red() > 200 && c.green() < 80 && c.blue() < 80;
    };
    const int below = paper.top() + 300;   // within the viewport
    EXPECT_TRUE(red(after, x, below));                                 // left border line
    EXPECT_TRUE(red(after, paper.left() + paper.width() / 2, y));      // top border line
    EXPECT_FALSE(red(before, x, below));
    EXPECT_FALSE(red(after, x + 3, below));
}

TEST_F(PrnPreviewControl, ListenersAndEventsHearOfEveryChange)
{
    TPrnPreview p;
    p.resize(600, 500);
    TListener l;
    p.AddListener(&l);
    p.AddListener(&l);   // once only
    int newPages = 0, turned = 0, cleared = 0, headers = 0;
    p.OnNewPage = [&] { ++newPages; };
    p.OnOrientationChanged = [&] { ++turned; };
    p.OnClear = [&] { ++cleared; };
    p.OnDrawHeader = [&](TPrnDevice&, const TPrnExtRect&, int) { ++headers; };
    p.SetZoom(120);
    p.SetPagesPerSheet(pnTwoPage);
    p.SetOrientation(pnLandscape);
    p.SetOrientation(pnLandscape);   // no change, no message
    p.SetPaperSize(pnLetter);
    EXPECT_NEAR(double(p.GetPageSize(pnInches).Width), 11, 1e-9);
    p.BeginUpdate();
    p.NewPage();
    p.EndUpdate();
    EXPECT_TRUE(p.SetMarginValues("1440,720,720,720"));
    p.Clear();
    EXPECT_EQ(l.Messages, (std::vector<int>{pmZoomChanged, pmPagesPerSheetChanged, pmOrientationChanged,
                              pmPaperSizeChanged, pmBeginUpdate, pmCurrentPageChanged, pmPageCountChanged,
                              pmEndUpdate, pmMarginsChanged, pmCurrentPageChanged, pmPageCountChanged,
                              pmCleared}));
    EXPECT_EQ(newPages, 2);   // the appended page and the fresh one of the cleared document
    EXPECT_EQ(turned, 1);
    EXPECT_EQ(cleared, 1);
    p.Header().Visible = true;
    PrnRenderPage(p.PageList(), 1, 20, false);
    EXPECT_EQ(headers, 1);
    p.RemoveListener(&l);
    p.SetZoom(80);
    EXPECT_EQ(l.Messages.back(), pmCleared);
    // A listener that is gone is not told.
    {
        TListener gone;
        p.AddListener(&gone);
    }
    p.SetZoom(100);
    EXPECT_NE(p.About().find("TPrnPreview v2"), std::string::npos);
}

TEST_F(PrnPreviewControl, MarginValuesAsTheFormStoresThem)
{
    TPrintGridForm* f = OpenGrid(3);
    TPrnPreview& p = *f->FPreview;
    EXPECT_EQ(p.MarginValues(), "720,720,720,720,\"12632256,1,2,4\",\"12632256,1,2,4\"");
    EXPECT_TRUE(p.SetMarginValues("1440,360,720,0,\"255,2,0,4\",\"16711680,1,1,4\""));
    EXPECT_NEAR(double(p.Margins().Left.Value()), 1, 1e-12);
    EXPECT_NEAR(double(p.Margins().Bottom.Value()), 0, 1e-12);
    EXPECT_EQ(p.Margins().Pen.Color, TColor(255));
    EXPECT_EQ(p.Margins().PrinterMarginPen.Style, psDash);
    const std::string kept = p.MarginValues();
    for (const char* bad : {"1440,360,720", "1,2,3,4,5", "1,2,x,4", "1,2,3,4,\"5,6", ""})
        EXPECT_FALSE(p.SetMarginValues(bad)) << bad;
    EXPECT_EQ(p.MarginValues(), kept);
}

TEST_F(PrnPreviewControl, MouseOnAPageReportsPageCoordinatesAndHighlightsTheObject)
{
    TPrnPreview p;
    p.resize(900, 700);
    p.show();
    p.SetZoom(100);
    p.Canvas().TextBox(pnInches, 2, 2, 4, 3, "target", taLeftJustify, pnTop, 0);
    int downPage = 0;
    TPrnExtPoint down;
    TPrnVisibleObject* hit = nullptr;
    p.OnPageMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, int Page, TPrnExtPoint At) {
        downPage = Page;
        down = At;
    };
    p.OnObjectMouseDown = [&](TPrnVisibleObject* O, Qt::MouseButton, int) { hit = O; };
    QRect paper = p.PaperRect();
    QPoint inBox = paper.topLeft() + QPoint(3 * 96, int(2.5 * 96));
    QTest::mouseClick(p.viewport(), Qt::LeftButton, {}, inBox);
    EXPECT_EQ(downPage, 1);
    EXPECT_NEAR(double(down.X), 3, 0.02);
    EXPECT_NEAR(double(down.Y), 2.5, 0.02);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(p.Highlighted(), hit);
    QImage shot = p.viewport()->grab().toImage();
    // The outline stands 10 pixels (at 100 %) outside the box.
    QColor c = shot.pixelColor(paper.left() + 2 * 96 - 10, paper.top() + int(2.5 * 96));
    EXPECT_GT(c.red(), 200);
    EXPECT_LT(c.green(), 80);
    hit = nullptr;
    QTest::mouseClick(p.viewport(), Qt::LeftButton, {}, paper.topLeft() + QPoint(96, 96));
    EXPECT_EQ(hit, nullptr);   // nothing recorded there
}

// The mouse entering and leaving reaches the host; dragging over a page reports the page and the point on it (in
// inches) and is taken only where the host accepts it; a drop on a page is reported, one beside it is not.
TEST_F(PrnPreviewControl, EnterDragOverDropAndLeaveReportThePage)
{
    TPrnPreview p;
    p.resize(900, 700);
    p.show();
    p.SetZoom(100);
    int entered = 0, left = 0;
    p.OnMouseEnter = [&] { ++entered; };
    p.OnMouseLeave = [&] { ++left; };
    struct THit {
        int Page;
        TPrnExtPoint At;
    };
    std::vector<THit> over, dropped;
    p.OnPageDragOver = [&](const QMimeData* D, int Page, TPrnExtPoint At, bool& Accept) {
        over.push_back({Page, At});
        Accept = D->hasText();
    };
    p.OnPageDragDrop = [&](const QMimeData*, int Page, TPrnExtPoint At) { dropped.push_back({Page, At}); };

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QApplication::sendEvent(&p, &enter);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 0);

    QMimeData text, none;
    text.setText("note");
    const QRect paper = p.PaperRect();
    const QPoint onPage = paper.topLeft() + QPoint(2 * 96, 3 * 96), beside = paper.topLeft() - QPoint(10, 10);
    auto move = [&](QPoint At, const QMimeData& Data) {
        QDragMoveEvent e(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.viewport(), &e);
        return e.isAccepted();
    };
    QDragEnterEvent start(onPage, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p.viewport(), &start);
    EXPECT_TRUE(start.isAccepted());
    EXPECT_TRUE(move(onPage + QPoint(96, 0), text));
    EXPECT_FALSE(move(onPage, none));   // the host does not take it
    EXPECT_FALSE(move(beside, text));   // no page there: the host is not asked
    ASSERT_EQ(over.size(), 3u);
    EXPECT_EQ(over[1].Page, 1);
    EXPECT_NEAR(double(over[1].At.X), 3, 0.02);
    EXPECT_NEAR(double(over[1].At.Y), 3, 0.02);

    for (QPoint at : {onPage, beside}) {
        QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.viewport(), &drop);
        EXPECT_EQ(drop.isAccepted(), at == onPage);
    }
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].Page, 1);
    EXPECT_NEAR(double(dropped[0].At.X), 2, 0.02);
    EXPECT_NEAR(double(dropped[0].At.Y), 3, 0.02);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&p, &leave);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(entered, 1);
}

TEST_F(PrnPreviewControl, WheelDragAndKeysScroll)
{
    TPrnPreview p;
    p.resize(400, 300);
    p.show();
    p.SetZoom(200);
    QScrollBar* v = p.verticalScrollBar();
    QScrollBar* h = p.horizontalScrollBar();
    ASSERT_GT(v->maximum(), 300);
    ASSERT_GT(h->maximum(), 300);
    const int step = v->singleStep();
    auto wheel = [&](int Delta) {
        QWheelEvent e(QPointF(50, 50), p.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, Delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(p.viewport(), &e);
    };
    wheel(-120);   // toward the user: down one step
    EXPECT_EQ(v->value(), step);
    wheel(120);
    EXPECT_EQ(v->value(), 0);

    // Dragging moves the page with the mouse: the bars move the other way.
    v->setValue(200);
    h->setValue(200);
    QTest::mousePress(p.viewport(), Qt::LeftButton, {}, QPoint(200, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 170), p.viewport()->mapToGlobal(QPointF(150, 170)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(p.viewport(), &move);
    QTest::mouseRelease(p.viewport(), Qt::LeftButton, {}, QPoint(150, 170));
    EXPECT_EQ(h->value(), 250);
    EXPECT_EQ(v->value(), 230);
    EXPECT_FALSE(p.viewport()->testAttribute(Qt::WA_SetCursor));   // the cursor is given back

    p.setFocus();
    v->setValue(0);
    QTest::keyClick(&p, Qt::Key_PageDown);
    EXPECT_EQ(v->value(), 10 * step);
    QTest::keyClick(&p, Qt::Key_PageUp);
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(&p, Qt::Key_Down);
    EXPECT_EQ(v->value(), step);
    QTest::keyClick(&p, Qt::Key_Up);
    QTest::keyClick(&p, Qt::Key_Up);   // at the start: stays
    EXPECT_EQ(v->value(), 0);
    const int hx = h->value();
    QTest::keyClick(&p, Qt::Key_Right);
    EXPECT_EQ(h->value(), hx + step);
    QTest::keyClick(&p, Qt::Key_Left);
    EXPECT_EQ(h->value(), hx);
    QTest::keyClick(&p, Qt::Key_End);
    EXPECT_EQ(v->value(), v->maximum());
    EXPECT_EQ(h->value(), h->maximum());
    QTest::keyClick(&p, Qt::Key_Home);
    EXPECT_EQ(v->value(), 0);
    EXPECT_EQ(h->value(), 0);

    // Without a vertical bar the wheel and Page Down move the horizontal one.
    p.resize(400, 3000);
    p.SetZoom(200);
    ASSERT_EQ(v->maximum(), 0);
    ASSERT_GT(h->maximum(), 0);
    wheel(-120);
    EXPECT_EQ(h->value(), step);
    QTest::keyClick(&p, Qt::Key_PageDown);
    EXPECT_EQ(h->value(), 11 * step);
}

TEST_F(PrnPreviewControl, ZoomCursorsAndWhatAJobAsksOfThePrinter)
{
    QPixmap in = PrnZoomCursor(crZoomIn).pixmap(), out = PrnZoomCursor(crZoomOut).pixmap();
    ASSERT_FALSE(in.isNull());
    ASSERT_FALSE(out.isNull());
    EXPECT_NE(in.toImage(), out.toImage());
    EXPECT_EQ(PrnZoomCursor(5).shape(), Qt::ArrowCursor);

    TPrnJobSettings s;
    s.PrintQuality = pnHigh;
    EXPECT_EQ(PrnQtJobOptions(s, {}).Resolution, 1200);
    s.PrintQuality = pnDraft;
    EXPECT_EQ(PrnQtJobOptions(s, {}).Resolution, 150);
    s.PrintQuality = pnMedium;
    EXPECT_EQ(PrnQtJobOptions(s, {300, 600, 1200}).Resolution, 600);
    EXPECT_EQ(PrnQtJobOptions(s, {300, 601, 1200}).Resolution, 300);   // the nearest below
    EXPECT_EQ(PrnQtJobOptions(s, {720, 1440}).Resolution, 720);        // none below: the lowest
    s.PrintColor = pnColor;
    s.DitherType = pnLineArt;
    EXPECT_FALSE(PrnQtJobOptions(s, {}).GrayScale);
    EXPECT_TRUE(PrnQtJobOptions(s, {}).Smooth);   // a colour job is not dithered
    s.PrintColor = pnMonochrome;
    EXPECT_TRUE(PrnQtJobOptions(s, {}).GrayScale);
    EXPECT_FALSE(PrnQtJobOptions(s, {}).Smooth);
    s.DitherType = pnGrayScale;
    EXPECT_TRUE(PrnQtJobOptions(s, {}).Smooth);

    // Handed to a QPrinter writing a file.
    TPrnPageList list;
    list.Canvas().TextBox(pnInches, 1, 1, 3, 2, "x", taLeftJustify, pnTop, 0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Dir.filePath("mono.pdf"));
    TPrnQtPrintBackend backend(&printer);
    list.Printer.Backend = &backend;
    list.Printer.Settings.PrintColor = pnMonochrome;
    list.Printer.SetPrintQuality(pnLow);
    ASSERT_TRUE(list.PrintRange(1, 1));
    EXPECT_EQ(printer.colorMode(), QPrinter::GrayScale);
    EXPECT_EQ(printer.resolution(), 300);
}
