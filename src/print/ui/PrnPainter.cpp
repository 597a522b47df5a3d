#include "print/ui/PrnPainter.h"

#include "print/ui/PrnRichEdit.h"

#include "grid/XGridColors.h"
#include "platform/ui/QtText.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <cmath>

QFont PrnQFont(const TPrnFont& Font)
{
    QFont f(ToQ(Font.Name));
    f.setPixelSize(Font.EffectiveSize() * int(PrnReferenceDpi / 72));
    f.setBold(Font.Style & fsBold);
    f.setItalic(Font.Style & fsItalic);
    f.setUnderline(Font.Style & fsUnderline);
    // Unhinted outlines scale linearly, so the widths measured here are the widths painted on every device.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::ForceOutline | QFont::PreferMatch));
    return f;
}

QColor PrnQColor(TColor Color)
{
    TRGB c = ColorToRGB(Color);
    return QColor(c.R, c.G, c.B);
}

Extended TPrnQtMeasurer::TextWidth(const TPrnFont& Font, std::string_view Text)
{
    QFontMetricsF fm(PrnQFont(Font));
    return fm.horizontalAdvance(ToQ(std::string(Text))) / PrnReferenceDpi;
}

Extended TPrnQtMeasurer::LineHeight(const TPrnFont& Font)
{
    QFontMetricsF fm(PrnQFont(Font));
    return (fm.ascent() + fm.descent()) / PrnReferenceDpi;
}

Extended TPrnQtMeasurer::Ascent(const TPrnFont& Font)
{
    return QFontMetricsF(PrnQFont(Font)).ascent() / PrnReferenceDpi;
}

void TPrnQtMeasurer::Install()
{
    static TPrnQtMeasurer measurer;
    TPrnTextMeasurer::setInstance(&measurer);
    PrnInstallQtReaders();
}

TPrnPainterDevice::TPrnPainterDevice(QPainter& Painter, Extended PpiX, Extended PpiY, bool IsPrinter)
    : P(Painter), FPpiX(PpiX), FPpiY(PpiY), FIsPrinter(IsPrinter)
{
    P.setRenderHint(QPainter::Antialiasing, false);
    P.setPen(Qt::NoPen);
    P.setBrush(Qt::NoBrush);
}

TPrnTextMeasurer& TPrnPainterDevice::Measurer() { return TPrnTextMeasurer::instance(); }

void TPrnPainterDevice::SetPen(const TPrnPen* Pen)
{
    if (!Pen || Pen->IsClear()) {
        P.setPen(Qt::NoPen);
        return;
    }
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
        Qt::DashDotDotLine, Qt::NoPen, Qt::SolidLine};
    QPen pen(PrnQColor(Pen->Color));
    pen.setStyle(styles[std::clamp(int(Pen->Style), 0, 6)]);
    pen.setWidth(Pen->DeviceWidth(FPpiX));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    P.setPen(pen);
}

void TPrnPainterDevice::SetBrush(const TPrnBrush* Brush)
{
    if (!Brush || Brush->IsClear()) {
        P.setBrush(Qt::NoBrush);
        return;
    }
    static const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush, Qt::HorPattern, Qt::VerPattern,
        Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    P.setBrush(QBrush(PrnQColor(Brush->Color), styles[std::clamp(int(Brush->Style), 0, 7)]));
}

void TPrnPainterDevice::Line(int X1, int Y1, int X2, int Y2) { P.drawLine(X1, Y1, X2, Y2); }

void TPrnPainterDevice::Rectangle(const TPrnRect& R)
{
    QRect r(QPoint(std::min(R.Left, R.Right), std::min(R.Top, R.Bottom)),
        QPoint(std::max(R.Left, R.Right) - 1, std::max(R.Top, R.Bottom) - 1));
    if (P.brush().style() != Qt::NoBrush)
        P.fillRect(r, P.brush());
    if (P.pen().style() != Qt::NoPen) {
        QBrush keep = P.brush();
        P.setBrush(Qt::NoBrush);
        P.drawRect(r.adjusted(0, 0, -1, -1));   // a one-pixel outline covers the rectangle's last column and row
        P.setBrush(keep);
    }
}

void TPrnPainterDevice::SetPixel(int X, int Y, TColor Color) { P.fillRect(QRect(X, Y, 1, 1), PrnQColor(Color)); }

void TPrnPainterDevice::TextOut(const TPrnFont& Font, Extended X, Extended Top, std::string_view Text)
{
    QFont f = PrnQFont(Font);
    QFontMetricsF fm(f);
    P.save();
    P.setRenderHint(QPainter::TextAntialiasing, SmoothText);
    QTransform t = P.transform();
    t.scale(double(FPpiX / PrnReferenceDpi), double(FPpiY / PrnReferenceDpi));
    t.translate(double(X * PrnReferenceDpi), double(Top * PrnReferenceDpi));
    if (Font.Angle != 0)
        t.rotate(-double(Font.Angle));
    P.setTransform(t);
    P.setFont(f);
    P.setPen(PrnQColor(Font.Color));
    P.drawText(QPointF(0, fm.ascent()), ToQ(std::string(Text)));
    P.restore();
}

void TPrnPainterDevice::SaveClip() { FClips.push_back({P.hasClipping(), P.clipRegion()}); }

void TPrnPainterDevice::RestoreClip()
{
    if (FClips.empty())
        return;
    TClip c = FClips.back();
    FClips.pop_back();
    if (c.Enabled)
        P.setClipRegion(c.Region);
    else
        P.setClipping(false);
}

void TPrnPainterDevice::IntersectClip(const TPrnRect& R)
{
    QRect r(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1));
    P.setClipRect(r, P.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TPrnPainterDevice::ExcludeClip(const TPrnRect& R)
{
    // Without a clip the whole plane is drawable; the window may be stale after a page of another orientation.
    QRegion current = P.hasClipping() ? P.clipRegion() : QRegion(-(1 << 20), -(1 << 20), 1 << 21, 1 << 21);
    P.setClipRegion(current.subtracted(QRegion(QRect(QPoint(R.Left, R.Top), QPoint(R.Right - 1, R.Bottom - 1)))));
}

namespace {
// Moves the painter for the life of a placed device and puts it back afterwards.
struct TPainterMove {
    TPainterMove(QPainter& Painter, QPointF By) : P(Painter)
    {
        P.save();
        P.translate(By);
    }
    ~TPainterMove() { P.restore(); }
    QPainter& P;
};

class TPlacedPainterDevice : private TPainterMove, public TPrnPainterDevice {
public:
    TPlacedPainterDevice(QPainter& Painter, QPointF By, Extended Ppi, bool IsPrinter)
        : TPainterMove(Painter, By), TPrnPainterDevice(Painter, Ppi, Ppi, IsPrinter)
    {
    }
};
}

std::unique_ptr<TPrnDevice> TPrnPainterDevice::Placed(Extended Scale, TPrnExtPoint Offset)
{
    auto d = std::make_unique<TPlacedPainterDevice>(P,
        QPointF(double(Offset.X * FPpiX), double(Offset.Y * FPpiY)), FPpiX * Scale, FIsPrinter);
    d->SmoothText = SmoothText;
    return d;
}

QImage PrnRenderPage(TPrnPageList& List, int N, double Ppi, bool IsPrinter)
{
    TPrnPage& page = List.GetPage(N);
    QImage image(int(std::lround(page.Width() * Ppi)), int(std::lround(page.Height() * Ppi)),
        QImage::Format_RGB32);
    image.setDotsPerMeterX(int(std::lround(Ppi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(Ppi / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    TPrnPainterDevice device(painter, Ppi, Ppi, IsPrinter);
    List.DrawPage(N, device, List.Margins.ClipMargins);
    return image;
}
