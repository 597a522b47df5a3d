#include "print/PrnCanvas.h"

#include "print/PrnGraphic.h"
#include "print/PrnPageList.h"
#include "print/PrnRtfFuncs.h"

#include <cmath>

TPrnCanvas::TPrnCanvas(TPrnPageList& Owner) : FOwner(Owner) {}

void TPrnCanvas::Add(std::unique_ptr<TPrnBaseObject> Object)
{
    FLastObject = Object.get();
    FOwner.AddObject(std::move(Object), CoordsRelativeTo);
}

void TPrnCanvas::Line(TPrnMeasurement Unit, Extended X1, Extended Y1, Extended X2, Extended Y2)
{
    auto o = std::make_unique<TPrnLineObject>(FOwner.Resources);
    o->Rect = ConvertRect({X1, Y1, X2, Y2}, Unit, pnInches);
    o->SetPen(Pen);
    o->SetBrush(Brush);
    Add(std::move(o));
}

void TPrnCanvas::Rectangle(TPrnMeasurement Unit, Extended X1, Extended Y1, Extended X2, Extended Y2)
{
    auto o = std::make_unique<TPrnRectangleShape>(FOwner.Resources);
    o->Rect = ConvertRect({X1, Y1, X2, Y2}, Unit, pnInches);
    o->SetPen(Pen);
    o->SetBrush(Brush);
    Add(std::move(o));
}

void TPrnCanvas::TextBox(TPrnMeasurement Unit, Extended Left, Extended Top, Extended Right, Extended Bottom,
    const std::string& Text, TAlignment Alignment, TPrnVertAlignment VertAlignment, Extended InnerMargin)
{
    auto o = std::make_unique<TPrnTextBoxObject>(FOwner.Resources);
    o->Rect = ConvertRect({Left, Top, Right, Bottom}, Unit, pnInches);
    o->InnerMargin = ConvertValue(InnerMargin, Unit, pnInches);
    o->Text = Text;
    o->Alignment = Alignment;
    o->VertAlignment = VertAlignment;
    o->WordBreak = WordBreak;
    o->SetPen(Pen);
    o->SetBrush(Brush);
    o->SetFont(Font);
    if (RectHeight(o->Rect) == 0 || VertAlignment != pnTop) {
        o->TextHeight = TextHeight(FOwner.GetMeasurer(), Font, Text, RectWidth(o->Rect) - 2 * o->InnerMargin,
            WordBreak);
        if (RectHeight(o->Rect) == 0)
            o->Rect.Bottom = o->Rect.Top + o->TextHeight + 2 * o->InnerMargin;
    }
    Add(std::move(o));
}

int TPrnCanvas::TextPage(TPrnMeasurement Unit, Extended Left, Extended Top, Extended Right, Extended Bottom,
    const std::string& Text, TAlignment Alignment, Extended InnerMargin, int Block)
{
    auto o = std::make_unique<TPrnTextPageObject>(FOwner.Resources);
    o->Block = Block;
    o->Rect = ConvertRect({Left, Top, Right, Bottom}, Unit, pnInches);
    o->InnerMargin = ConvertValue(InnerMargin, Unit, pnInches);
    o->Text = Text;
    o->Alignment = Alignment;
    o->WordBreak = WordBreak;
    o->SetPen(Pen);
    o->SetBrush(Brush);
    o->SetFont(Font);
    size_t lines = o->Lines(FOwner.GetMeasurer()).size();
    size_t per = size_t(o->LinesPerPage(FOwner.GetMeasurer()));
    Add(std::move(o));
    return int((lines + per - 1) / per);
}

void TPrnCanvas::ExcludeClipRect(TPrnMeasurement Unit, Extended X1, Extended Y1, Extended X2, Extended Y2)
{
    auto o = std::make_unique<TPrnExcludeClipRectObject>(FOwner.Resources);
    o->Rect = ConvertRect({X1, Y1, X2, Y2}, Unit, pnInches);
    Add(std::move(o));
}

Extended TPrnCanvas::RichText(TPrnMeasurement Unit, Extended Left, Extended Top, Extended Right, Extended Bottom,
    const TPrnRichEdit& Source)
{
    TPrnExtRect r = ConvertRect({Left, Top, Right, Bottom}, Unit, pnInches);
    TPrnExtPoint o = FOwner.OriginOffset(CoordsRelativeTo);
    r = OffsetExtendedRect(r, o.X, o.Y);
    TPrnCustomMemoList& memos = FOwner.Resources.Memos();
    std::shared_ptr<TPrnRichEdit> memo = memos.Hold(memos.AddMemo(Source));
    FOwner.Current().RtfInfo.Items.push_back({memo, r});
    // Measured as it will be drawn, on a device that only measures.
    struct TMeasuring : TPrnDevice {
        explicit TMeasuring(TPrnTextMeasurer& M) : Meas(M) {}
        TPrnTextMeasurer& Meas;
        Extended PixelsPerInchX() const override { return 7200; }
        Extended PixelsPerInchY() const override { return 7200; }
        bool IsPrinter() const override { return false; }
        TPrnTextMeasurer& Measurer() override { return Meas; }
        void SetPen(const TPrnPen*) override {}
        void SetBrush(const TPrnBrush*) override {}
        void Line(int, int, int, int) override {}
        void Rectangle(const TPrnRect&) override {}
        void SetPixel(int, int, TColor) override {}
        void TextOut(const TPrnFont&, Extended, Extended, std::string_view) override {}
        void SaveClip() override {}
        void RestoreClip() override {}
        void IntersectClip(const TPrnRect&) override {}
        void ExcludeClip(const TPrnRect&) override {}
        std::unique_ptr<TPrnDevice> Placed(Extended, TPrnExtPoint) override { return nullptr; }
    } measuring(FOwner.GetMeasurer());
    Extended h = DrawRichText(measuring, memo->Content(), {r.Left, r.Top, r.Right, 1e9L}, true);
    FOwner.Changed();
    return ConvertValue(h, pnInches, Unit);
}

bool TPrnCanvas::CompareGraphics() const { return FOwner.Resources.Graphics().CompareGraphics; }

void TPrnCanvas::SetCompareGraphics(bool C) { FOwner.Resources.Graphics().CompareGraphics = C; }

Extended TPrnCanvas::TextHeightUnit(const std::string& Text, TPrnMeasurement Unit, Extended Width)
{
    Extended h = TextHeight(FOwner.GetMeasurer(), Font, Text, ConvertValue(Width, Unit, pnInches), true);
    return ConvertValue(h, pnInches, Unit);
}

void TPrnCanvas::SaveValues() { FSaved = {Pen, Brush, Font}; }

void TPrnCanvas::RestoreValues()
{
    Pen = FSaved.Pen;
    Brush = FSaved.Brush;
    Font = FSaved.Font;
}
