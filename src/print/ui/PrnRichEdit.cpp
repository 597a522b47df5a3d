#include "print/ui/PrnRichEdit.h"

#include "print/PrnGraphic.h"
#include "print/ui/PrnPainter.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cmath>

TPrnQtRichEdit::TPrnQtRichEdit(QTextEdit* Edit) : FEdit(Edit) {}

namespace {
TAlignment AlignmentOf(Qt::Alignment A)
{
    if (A & Qt::AlignHCenter)
        return taCenter;
    if (A & Qt::AlignRight)
        return taRightJustify;
    return taLeftJustify;
}

QTextCharFormat FormatOf(const TPrnFont& F)
{
    QTextCharFormat c;
    c.setFontFamilies({QString::fromUtf8(F.Name.c_str())});
    c.setFontPointSize(F.EffectiveSize());
    c.setFontWeight(F.Style & fsBold ? QFont::Bold : QFont::Normal);
    c.setFontItalic(F.Style & fsItalic);
    c.setFontUnderline(F.Style & fsUnderline);
    c.setForeground(PrnQColor(F.Color));
    return c;
}

TPrnFont FontOf(const QTextCharFormat& C, const QFont& Base)
{
    TPrnFont f = RtfDefaultFont();
    QFont q = C.font();
    QStringList families = C.fontFamilies().toStringList();
    f.Name = (families.isEmpty() ? Base.family() : families.front()).toStdString();
    double pt = C.fontPointSize() > 0 ? C.fontPointSize() : Base.pointSizeF();
    f.Size = std::max(1, int(std::lround(pt)));
    f.Style = (C.fontWeight() >= QFont::Bold ? unsigned(fsBold) : 0u) | (C.fontItalic() ? unsigned(fsItalic) : 0u) |
        (C.fontUnderline() ? unsigned(fsUnderline) : 0u);
    QColor col = C.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : C.foreground().color();
    f.Color = TColor(col.red() | (col.green() << 8) | (col.blue() << 16));
    return f;
}
}

TPrnRichText TPrnQtRichEdit::Content() const
{
    TPrnRichText t;
    QTextDocument* doc = FEdit->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        TPrnRtfParagraph p;
        p.Alignment = AlignmentOf(b.blockFormat().alignment());
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment f = it.fragment();
            if (f.isValid())
                p.Runs.push_back({f.text().toStdString(), FontOf(f.charFormat(), doc->defaultFont())});
        }
        t.Paragraphs.push_back(std::move(p));
    }
    t.Normalize();
    return t;
}

void TPrnQtRichEdit::ReplaceSelection(const TPrnRichText& Text)
{
    QTextCursor c = FEdit->textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    for (size_t i = 0; i < Text.Paragraphs.size(); ++i) {
        const TPrnRtfParagraph& p = Text.Paragraphs[i];
        QTextBlockFormat bf = c.blockFormat();
        bf.setAlignment(p.Alignment == taCenter ? Qt::AlignHCenter
                : p.Alignment == taRightJustify ? Qt::AlignRight
                                                : Qt::AlignLeft);
        if (i > 0)
            c.insertBlock(bf);
        else
            c.setBlockFormat(bf);
        for (const TPrnRtfRun& r : p.Runs)
            c.insertText(QString::fromUtf8(r.Text.c_str(), int(r.Text.size())), FormatOf(r.Font));
    }
    c.endEditBlock();
    FEdit->setTextCursor(c);
}

void TPrnQtRichEdit::Clear() { FEdit->clear(); }

void PrnInstallQtReaders()
{
    SetPrnBitmapReader([](const std::string& Data, int& Width, int& Height) {
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar*>(Data.data()), int(Data.size()), "BMP"))
            return false;
        Width = image.width();
        Height = image.height();
        return true;
    });
}
