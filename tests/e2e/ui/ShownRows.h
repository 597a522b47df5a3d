// What a window's screenshot shows, checked beside it: every row carries its label (the description column of a
// property window, the key column of a table window), and no label of a property window stands twice, so a row
// that lost its template (an unlabelled, editable copy of a value) is seen, not only photographed.
#pragma once

#include "forms/base/BaseGrid.h"
#include "platform/StrUtil.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

inline void ExpectLabelledRows(TBaseGridForm* F, int Rows)
{
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(F->Grid->RowCount(), Rows) << F->windowTitle().toStdString();
    std::set<std::string> Seen;
    for (int Row = 0; Row < F->Grid->RowCount(); ++Row) {
        const std::string Label = Trim(F->Grid->Cells(0, Row));
        EXPECT_FALSE(Label.empty()) << F->windowTitle().toStdString() << ", row " << Row;
        if (F->PropertyMode) {
            EXPECT_TRUE(Seen.insert(Label).second) << F->windowTitle().toStdString() << ": \"" << Label << "\" twice";
        }
    }
}
