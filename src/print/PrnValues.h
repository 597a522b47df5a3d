// One measure held in inches (TPrnValue) and its pairs and quadruples. The owner learns of a change through a
// callback, and only when the value really changed. Plain C++.
#pragma once

#include "print/PrnFuncs.h"

#include <cmath>
#include <functional>

class TPrnValue {
public:
    explicit TPrnValue(Extended Inches = 0) : FValue(Inches) {}
    std::function<void()> OnChange;

    Extended Value() const { return FValue; }
    void SetValue(Extended Inches)
    {
        if (Inches == FValue)
            return;
        FValue = Inches;
        if (OnChange)
            OnChange();
    }
    void SetAsUnit(TPrnMeasurement Unit, Extended V) { SetValue(ConvertValue(V, Unit, pnInches)); }
    void SetAsMillimeters(Extended Mm) { SetAsUnit(pnMillimeters, Mm); }
    void SetAsTwips(int Twips) { SetAsUnit(pnTwips, Twips); }
    void SetAsIntProduct(int A, int B) { SetValue(Extended(A) * B); }
    Extended GetAsUnit(TPrnMeasurement Unit) const { return ConvertValue(FValue, pnInches, Unit); }
    int AsTwips() const { return int(std::llround(GetAsUnit(pnTwips))); }
    int ScaleToInt(Extended N) const { return int(std::llround(FValue * N)); }

private:
    Extended FValue;
};

class TPrnCustomValueSize {
public:
    TPrnValue& First() { return A; }
    TPrnValue& Second() { return B; }

protected:
    TPrnValue A, B;
};

class TPrnValueSize : public TPrnCustomValueSize {
public:
    TPrnValue& Width() { return A; }
    TPrnValue& Height() { return B; }
};

class TPrnValuePoint : public TPrnCustomValueSize {
public:
    TPrnValue& X() { return A; }
    TPrnValue& Y() { return B; }
};

// Edges 1 (left) to 4 (bottom).
class TPrnValueRect {
public:
    TPrnValue& Edge(int Index) { return FEdges[(Index < 1 ? 1 : Index > 4 ? 4 : Index) - 1]; }
    TPrnExtRect AsRect() const
    {
        return {FEdges[0].Value(), FEdges[1].Value(), FEdges[2].Value(), FEdges[3].Value()};
    }

private:
    TPrnValue FEdges[4];
};
