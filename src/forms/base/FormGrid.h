// What the settings-form logic needs of its grid beyond the cells: the grid options, the fixed columns, the
// header height and the second header grid. The form's widget implements it over its TXStringGrid; tests use a
// plain implementation over the grid's data model, so that loading, the view description and Apply run without a
// window. Cells, columns, rows and their rules are reached through Model().
#pragma once

#include "grid/XStrGridModel.h"

class TFormGrid {
public:
    virtual ~TFormGrid() = default;

    virtual TXStringGridModel& Model() = 0;
    virtual TGridOptions Options() const = 0;
    virtual void SetOptions(TGridOptions Value) = 0;
    virtual int FixedCols() const = 0;
    virtual void SetFixedCols(int Value) = 0;
    virtual int HeaderHeight() const = 0;
    virtual void SetHeaderHeight(int Value) = 0;
    virtual bool DoubleHeader() const = 0;
    // Switching the second header on also frees the grid from its parent's layout and anchors it on all sides.
    virtual void SetDoubleHeader(bool Value) = 0;
    // The header grid's columns; null while the double header is off.
    virtual TXGridColumns* HeaderColumns() = 0;
    // Links data column Col (index in Model().Columns()) under header column HeaderIndex.
    virtual void LinkHeaderColumn(int Col, int HeaderIndex) = 0;
    // The current cell in data coordinates (-1 when there is none).
    virtual int CurrentCol() const = 0;
    virtual int CurrentRow() const = 0;
    virtual void SetCurrentRow(int Row) = 0;
    // Whether the in-place editor is open.
    virtual bool EditorOpen() const { return false; }
    virtual void InvalidateCell(int Col, int Row) { (void)Col; (void)Row; }
    // Once the commit under way is over: makes (Col, Row) current and opens its editor holding Text.
    virtual void ReopenEditor(int Col, int Row, const std::string& Text) { (void)Col; (void)Row; (void)Text; }
    virtual void Repaint() {}
    // Whether Tab and Shift+Tab stop in column Col (index in Model().Columns()).
    virtual void SetTabStop(int Col, bool Value) { (void)Col; (void)Value; }
};
