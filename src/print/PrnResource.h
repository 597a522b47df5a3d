// The pens, brushes and fonts that recorded objects share. A resource table keeps one copy of each distinct
// resource with a reference count: adding an equal resource returns the kept copy, releasing the last reference
// takes it off the table. Objects keep what they refer to (TPrnCountedList::Hold), so loading or clearing the
// table never frees a resource an object still draws with. Plain C++.
#pragma once

#include "print/PrnStream.h"

#include <memory>
#include <string>
#include <vector>

enum TPrnBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TPrnPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPrnPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen, pmMaskNotPen,
    pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

struct TPrnBrush {
    TColor Color = clWhite;
    TPrnBrushStyle Style = bsSolid;
    bool operator==(const TPrnBrush&) const = default;
    // Nothing is filled: a clear style or the colour clNone.
    bool IsClear() const { return Style == bsClear || Color == clNone; }
    void SaveToValueList(TPrnValueList& L) const;
    void LoadFromValueList(const TPrnValueList& L);
};

struct TPrnFont {
    TColor Color = clBlack;
    TPrnFontStyles Style = 0;
    std::string Name = "Arial";
    int Size = 12;            // points
    Extended Angle = 0;       // degrees, counter-clockwise
    int Charset = 1;
    bool operator==(const TPrnFont&) const = default;
    // The size that is drawn and measured: never below 1 point (0 would mean "the default size" to a device).
    int EffectiveSize() const { return Size < 1 ? 1 : Size; }
    // Sets the size from a height in screen pixels at 96 to the inch (negative: the character height).
    void SetHeight(int Pixels);
    void SaveToValueList(TPrnValueList& L) const;
    void LoadFromValueList(const TPrnValueList& L);
};

struct TPrnPen {
    TColor Color = clBlack;
    int Width = 1;            // quarter points
    TPrnPenStyle Style = psSolid;
    TPrnPenMode Mode = pmCopy;
    bool operator==(const TPrnPen&) const = default;
    bool IsClear() const { return Style == psClear || Color == clNone; }
    // Device width: width x ppi / 72 / 4, rounded; 0 means a one-pixel (cosmetic) line.
    int DeviceWidth(Extended PixelsPerInch) const;
    void SaveToValueList(TPrnValueList& L) const;
    void LoadFromValueList(const TPrnValueList& L);
};

// "colour,width,style,mode"; StringToPen leaves fields it cannot read as they were.
std::string PenToString(const TPrnPen& Pen);
void StringToPen(const std::string& Text, TPrnPen& Pen);

// The reference counts of a resource list as a value list ("RC", then "RN1".."RNn"), and back (a count missing
// or below 1 keeps the given one).
void PrnSaveReferenceCounts(TPrnWriter& W, const std::vector<int>& Counts);
std::vector<int> PrnLoadReferenceCounts(TPrnReader& R, std::vector<int> Counts);

// Items owned with a reference count each: the common ground of the resource table's lists. Whoever refers to an
// item keeps it through Hold, so that the item outlives a load or a clear of the list as long as it is needed:
// recorded objects refer to their pen, brush and font, pages to their memos.
template <class T>
class TPrnCountedList {
public:
    int IndexOf(const T* Item) const
    {
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].get() == Item)
                return int(i);
        return -1;
    }
    T* Get(int Index) const
    {
        return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr;
    }
    // The item of the list for a holder to keep; nullptr for an item not in the list.
    std::shared_ptr<T> Hold(const T* Item) const
    {
        int i = IndexOf(Item);
        return i < 0 ? nullptr : FItems[size_t(i)];
    }
    // One reference less; the last one takes the item off the list (its holders still keep it). An item not in
    // the list is ignored.
    void Release(const T* Item)
    {
        int i = IndexOf(Item);
        if (i < 0)
            return;
        if (--FCounts[size_t(i)] <= 0) {
            FItems.erase(FItems.begin() + i);
            FCounts.erase(FCounts.begin() + i);
        }
    }
    int Count() const { return int(FItems.size()); }
    int RefCount(int Index) const { return Index >= 0 && Index < Count() ? FCounts[size_t(Index)] : 0; }
    void Clear()
    {
        FItems.clear();
        FCounts.clear();
    }
    // Loaded's items and counts in place of the list's own. An item of the list that a holder still keeps stays on
    // it, after the loaded ones and with its count, so that the objects referring to it can still be saved and
    // release it; the others go.
    void TakeLoaded(TPrnCountedList&& Loaded)
    {
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].use_count() > 1) {
                Loaded.FItems.push_back(FItems[i]);
                Loaded.FCounts.push_back(FCounts[i]);
            }
        FItems = std::move(Loaded.FItems);
        FCounts = std::move(Loaded.FCounts);
    }

protected:
    T* Append(std::shared_ptr<T> Item, int RefCount = 1)
    {
        FItems.push_back(std::move(Item));
        FCounts.push_back(RefCount);
        return FItems.back().get();
    }
    std::vector<std::shared_ptr<T>> FItems;
    std::vector<int> FCounts;
};

template <class T>
class TPrnResourceList : public TPrnCountedList<T> {
    using TPrnCountedList<T>::FItems;
    using TPrnCountedList<T>::FCounts;

public:
    using TPrnCountedList<T>::Count;
    // The kept copy equal to R with one more reference, or a new copy with one reference.
    T* Add(const T& R)
    {
        for (size_t i = 0; i < FItems.size(); ++i)
            if (*FItems[i] == R) {
                ++FCounts[i];
                return FItems[i].get();
            }
        return this->Append(std::make_unique<T>(R));
    }

    // The count, each item's value list, then the counts as "RC" and "RN1".."RNn".
    void SaveToStream(TPrnWriter& W) const
    {
        W.WriteInteger(Count());
        for (const auto& item : FItems) {
            TPrnValueList l;
            item->SaveToValueList(l);
            l.SaveToStream(W);
        }
        PrnSaveReferenceCounts(W, FCounts);
    }
    // Replaces the list (items still held stay, after the loaded ones); on a short stream (EReadError) the list is
    // left as it was.
    void LoadFromStream(TPrnReader& R)
    {
        TPrnResourceList<T> loaded;
        int n = R.ReadInteger();
        for (int i = 0; i < n; ++i) {
            TPrnValueList l;
            l.LoadFromStream(R);
            T item;
            item.LoadFromValueList(l);
            loaded.Add(item);
        }
        loaded.FCounts = PrnLoadReferenceCounts(R, loaded.FCounts);
        this->TakeLoaded(std::move(loaded));
    }
};

class TPrnBrushList : public TPrnResourceList<TPrnBrush> {
public:
    TPrnBrush* AddBrush(const TPrnBrush& B) { return Add(B); }
    int IndexOfBrush(const TPrnBrush* B) const { return IndexOf(B); }
    TPrnBrush* GetBrush(int I) const { return Get(I); }
};
class TPrnFontList : public TPrnResourceList<TPrnFont> {
public:
    TPrnFont* AddFont(const TPrnFont& F) { return Add(F); }
    int IndexOfFont(const TPrnFont* F) const { return IndexOf(F); }
    TPrnFont* GetFont(int I) const { return Get(I); }
};
class TPrnPenList : public TPrnResourceList<TPrnPen> {
public:
    TPrnPen* AddPen(const TPrnPen& P) { return Add(P); }
    int IndexOfPen(const TPrnPen* P) const { return IndexOf(P); }
    TPrnPen* GetPen(int I) const { return Get(I); }
};

class TPrnGraphicList;
class TPrnCustomMemoList;

// The shared resources of a document; streamed in the order brushes, fonts, pens, graphics, memos. Loading
// replaces all five only when the whole stream could be read.
class TPrnResourceTable {
public:
    TPrnResourceTable();
    ~TPrnResourceTable();
    TPrnBrushList Brushes;
    TPrnFontList Fonts;
    TPrnPenList Pens;
    TPrnGraphicList& Graphics() { return *FGraphics; }
    TPrnCustomMemoList& Memos() { return *FMemos; }

    void SaveToStream(TPrnWriter& W) const;
    void LoadFromStream(TPrnReader& R);

private:
    std::unique_ptr<TPrnGraphicList> FGraphics;
    std::unique_ptr<TPrnCustomMemoList> FMemos;
};
