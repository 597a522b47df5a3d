// The recorded drawing objects: what a page holds instead of pixels, so that it can be drawn again at any zoom
// and on any device. Each object saves itself to a value list (its type id first, each class after its parent's
// keys) and refers to shared pens, brushes and fonts of its resource table, which it keeps for as long as it refers
// to them. Plain C++.
#pragma once

#include "print/PrnDevice.h"

#include <functional>
#include <memory>
#include <string>

class TPrnBaseObject {
public:
    explicit TPrnBaseObject(TPrnResourceTable& Table) : FTable(Table) {}
    virtual ~TPrnBaseObject() = default;
    TPrnBaseObject(const TPrnBaseObject&) = delete;
    TPrnBaseObject& operator=(const TPrnBaseObject&) = delete;

    virtual int32_t ObjectID() const { return 0; }
    bool Printable = true;      // false: drawn on the screen only
    int32_t UserValue = -1;
    std::function<void()> OnChange;
    void Changed()
    {
        if (OnChange)
            OnChange();
    }

    // Leaves out screen-only objects on a printer, then draws.
    void DrawToCanvas(TPrnDrawContext& C)
    {
        if (!Printable && C.Device.IsPrinter())
            return;
        Draw(C);
    }
    virtual void Draw(TPrnDrawContext&) {}
    virtual void LoadFromValueList(const TPrnValueList& L);
    virtual void SaveToValueList(TPrnValueList& L) const;
    // The type id, then the value list in its stream form.
    void SaveToStream(TPrnWriter& W) const;
    void LoadFromStream(TPrnReader& R);   // reads the value list that follows an already-read type id
    virtual void OffsetObject(TPrnMeasurement, Extended, Extended) {}
    TPrnResourceTable& Table() const { return FTable; }

private:
    TPrnResourceTable& FTable;
};

class TPrnVisibleObject : public TPrnBaseObject {
public:
    using TPrnBaseObject::TPrnBaseObject;
    bool Visible = true;
    // Hit testing for the preview: the object's bounds contain the point (inches).
    virtual bool ContainsPoint(TPrnExtPoint) const { return false; }
};

class TPrnOutlineShape : public TPrnVisibleObject {
public:
    using TPrnVisibleObject::TPrnVisibleObject;
    ~TPrnOutlineShape() override;
    TPrnPen* Pen() const { return FPen.get(); }
    void SetPen(const TPrnPen& P);
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;

private:
    std::shared_ptr<TPrnPen> FPen;
};

class TPrnSolidShape : public TPrnOutlineShape {
public:
    using TPrnOutlineShape::TPrnOutlineShape;
    ~TPrnSolidShape() override;
    TPrnBrush* Brush() const { return FBrush.get(); }
    void SetBrush(const TPrnBrush& B);
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;

private:
    std::shared_ptr<TPrnBrush> FBrush;
};

class TPrnBaseSolidShape : public TPrnSolidShape {
public:
    using TPrnSolidShape::TPrnSolidShape;
    TPrnExtRect Rect;   // inches
    Extended GetLeft(TPrnMeasurement U) const { return ConvertValue(Rect.Left, pnInches, U); }
    Extended GetTop(TPrnMeasurement U) const { return ConvertValue(Rect.Top, pnInches, U); }
    Extended GetRight(TPrnMeasurement U) const { return ConvertValue(Rect.Right, pnInches, U); }
    Extended GetBottom(TPrnMeasurement U) const { return ConvertValue(Rect.Bottom, pnInches, U); }
    void SetLeft(TPrnMeasurement U, Extended V) { Rect.Left = ConvertValue(V, U, pnInches); }
    void SetTop(TPrnMeasurement U, Extended V) { Rect.Top = ConvertValue(V, U, pnInches); }
    void SetRight(TPrnMeasurement U, Extended V) { Rect.Right = ConvertValue(V, U, pnInches); }
    void SetBottom(TPrnMeasurement U, Extended V) { Rect.Bottom = ConvertValue(V, U, pnInches); }
    void OffsetObject(TPrnMeasurement U, Extended DX, Extended DY) override;
    bool ContainsPoint(TPrnExtPoint P) const override;
};

class TPrnSimpleSolidShape : public TPrnBaseSolidShape {
public:
    using TPrnBaseSolidShape::TPrnBaseSolidShape;
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;
};

class TPrnLineObject : public TPrnSimpleSolidShape {
public:
    using TPrnSimpleSolidShape::TPrnSimpleSolidShape;
    int32_t ObjectID() const override { return 1; }
    void Draw(TPrnDrawContext& C) override;
};

class TPrnRectangleShape : public TPrnSimpleSolidShape {
public:
    using TPrnSimpleSolidShape::TPrnSimpleSolidShape;
    int32_t ObjectID() const override { return 2; }
    void Draw(TPrnDrawContext& C) override;
};

// Text objects keep their box in Rect: (left, top) is the text position "XY", (right, bottom) the second point.
class TPrnBaseTextObject : public TPrnBaseSolidShape {
public:
    using TPrnBaseSolidShape::TPrnBaseSolidShape;
    ~TPrnBaseTextObject() override;
    std::string Text;
    TPrnExtRect ClipRect{-1, -1, -1, -1};   // -1: none
    TPrnFont* Font() const { return FFont.get(); }
    void SetFont(const TPrnFont& F);
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;

protected:
    // The font the object draws with: its own, or the default font when it has none.
    const TPrnFont& DrawFont() const;

private:
    std::shared_ptr<TPrnFont> FFont;
};

// A text box draws its text with "{PAGE}", "{NUMPAGES}", "{DATE}" and "{TIME}" put in for the page it is drawn
// on, as the header and footer do. A box holding text taken from data (a grid cell) has ExpandTokens off and prints
// its text as it stands; it is stored as "XT=0".
class TPrnTextBoxObject : public TPrnBaseTextObject {
public:
    using TPrnBaseTextObject::TPrnBaseTextObject;
    int32_t ObjectID() const override { return 14; }
    Extended InnerMargin = 0;   // inches
    Extended TextHeight = 0;    // inches, the laid-out text
    TAlignment Alignment = taLeftJustify;
    TPrnVertAlignment VertAlignment = pnTop;
    bool ClipText = true;
    bool WordBreak = true;
    bool ExpandTokens = true;
    void Draw(TPrnDrawContext& C) override;
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;
};

// One page's share of a text that runs over several pages: block b holds lines b x L + 1 to (b + 1) x L, L being
// the lines that fit the box; without a block of its own (-1) an object draws the block of the page it stands on
// (page n: block n - 1). With WordBreak lines are wrapped at blanks to the box's width; what is still too long
// is cut at the box's right edge.
class TPrnTextPageObject : public TPrnBaseTextObject {
public:
    using TPrnBaseTextObject::TPrnBaseTextObject;
    int32_t ObjectID() const override { return 14; }
    Extended InnerMargin = 0;
    TAlignment Alignment = taLeftJustify;
    bool WordBreak = true;
    int Block = -1;
    // Lines of the text that fit the box (at least 1).
    int LinesPerPage(TPrnTextMeasurer& M) const;
    // The whole text as it is laid out in the box, all pages' lines.
    std::vector<std::string> Lines(TPrnTextMeasurer& M) const;
    void Draw(TPrnDrawContext& C) override;
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;
};

class TPrnBaseClipObject : public TPrnBaseObject {
public:
    using TPrnBaseObject::TPrnBaseObject;
    TPrnExtRect Rect;
    void OffsetObject(TPrnMeasurement U, Extended DX, Extended DY) override;
    void LoadFromValueList(const TPrnValueList& L) override;
    void SaveToValueList(TPrnValueList& L) const override;
};

// Later objects of the page are not drawn inside the rectangle.
class TPrnExcludeClipRectObject : public TPrnBaseClipObject {
public:
    using TPrnBaseClipObject::TPrnBaseClipObject;
    int32_t ObjectID() const override { return 20; }
    void Draw(TPrnDrawContext& C) override;
};

// Draws the lines of a laid-out text inside Box (inches), aligned, one below the other from Box.Top.
void DrawTextLines(TPrnDevice& D, const TPrnFont& Font, const std::vector<std::string>& Lines,
    const TPrnExtRect& Box, TAlignment Alignment);

// An empty object of a stored type id (14 gives a text box), or nullptr for an unknown id.
std::unique_ptr<TPrnBaseObject> CreatePrnObject(int32_t ObjectID, TPrnResourceTable& Table);
