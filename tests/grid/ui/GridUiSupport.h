// Builds the grids the widget tests drive: a window holding a string grid, optionally the big 1,000 x 24 grid
// with a double header, a frozen column, drop-down, button, integer and read-only cells.
#pragma once

#include "grid/XStrGrid.h"
#include "support/Screenshots.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QToolButton>
#include <QWidget>
#include <memory>

struct TGridWindow {
    std::unique_ptr<QWidget> Window;
    TXStringGrid* Grid = nullptr;

    explicit TGridWindow(int Width = 800, int Height = 480)
    {
        Window = std::make_unique<QWidget>();
        Window->resize(Width, Height);
        Grid = new TXStringGrid(Window.get());
        Grid->setGeometry(0, 0, Width, Height);
    }
    void Show()
    {
        Window->show();
        QApplication::setActiveWindow(Window.get());
        Window->activateWindow();
        (void)QTest::qWaitForWindowExposed(Window.get(), 5000);
        Grid->setFocus();
        QApplication::processEvents();
    }
    QWidget* Viewport() const { return Grid->viewport(); }
    QPoint CellCenter(int ACol, int ADataRow) const { return Grid->CellRect(ACol, ADataRow + 1).center(); }
    // Sends a key to whatever has the focus inside the grid (the editor while it shows, the list while open).
    void Key(Qt::Key K, Qt::KeyboardModifiers M = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        if (!target || !(target == Grid || Grid->isAncestorOf(target)))
            target = Grid;
        QTest::keyClick(target, K, M);
    }
    void Type(const char* Text)
    {
        for (const char* p = Text; *p; ++p) {
            QWidget* target = QApplication::focusWidget();
            if (!target || !(target == Grid || Grid->isAncestorOf(target)))
                target = Grid;
            QTest::keyClicks(target, QString(QLatin1Char(*p)));
        }
    }
};

// Column layout of the big grid.
enum TBigCol { bcBox = 0, bcName = 1, bcNumber = 2, bcDay = 3, bcGreeting = 4, bcNote = 5, bcLocked = 6 };
constexpr int BigRows = 1000;
constexpr int BigCols = 24;

inline void BuildBigGrid(TXStringGrid& G)
{
    G.SetDoubleHeader(true);
    G.SetHeaderHeight(20);
    G.SetOptions(G.Options() | goEditing | goColSizing);
    G.SetAutoSort(false);
    const char* captions[BigCols] = {"Box", "Name", "Number", "Day", "Greeting", "Note", "Locked"};
    for (int c = 0; c < BigCols; ++c) {
        TXGridColumn* col = G.Columns().Add();
        col->SetCaption(c < 7 ? std::string(captions[c]) : "Param " + std::to_string(c));
        col->SetName("C" + std::to_string(c));
        col->SetWidth(c == bcBox ? 50 : (c == bcName ? 110 : 80));
        col->SetRowProperty(true);
    }
    G.SetFixedCols(1);
    G.SetRowCount(BigRows);
    for (int r = 0; r < BigRows; ++r) {
        G.SetCells(bcBox, r, std::to_string(100 + r));
        G.SetCells(bcName, r, "Subscriber " + std::to_string(r));
        G.SetCellValueType(bcNumber, r, vtRangeInteger);
        G.SetCellMinInteger(bcNumber, r, 1);
        G.SetCellMaxInteger(bcNumber, r, 99);
        G.SetCells(bcNumber, r, std::to_string(r % 99 + 1));
        G.SetCellValueOptions(bcDay, r, voComboBox);
        *G.GetCellItems(bcDay, r) = {"1=Monday", "2=Tuesday", "3=Wednesday", "4=Thursday", "5=Friday"};
        G.SetCells(bcDay, r, std::to_string(r % 5 + 1));
        G.SetCellValueOptions(bcGreeting, r, voButton);
        G.SetCells(bcGreeting, r, "Standard");
        G.SetCells(bcNote, r, "");
        G.SetCellValueOptions(bcLocked, r, voReadOnly);
        G.SetCells(bcLocked, r, "fixed");
        for (int c = 7; c < BigCols; ++c)
            G.SetCells(c, r, std::to_string(r * c % 1000));
    }
    // The second header: the frozen column alone, then groups of columns.
    int box = G.AddHeaderColumn();
    G.GetHeaderColumns()->GetItem(box)->SetCaption("Mailbox");
    G.SetHeaderColumn(bcBox, box);
    int person = G.AddHeaderColumn();
    G.GetHeaderColumns()->GetItem(person)->SetCaption("Subscriber");
    G.SetHeaderColumn(bcName, person);
    G.SetHeaderColumn(bcNumber, person);
    int schedule = G.AddHeaderColumn();
    G.GetHeaderColumns()->GetItem(schedule)->SetCaption("Schedule and greeting");
    G.SetHeaderColumn(bcDay, schedule);
    G.SetHeaderColumn(bcGreeting, schedule);
    int other = G.AddHeaderColumn();
    G.GetHeaderColumns()->GetItem(other)->SetCaption("Other");
    G.SetHeaderColumn(bcNote, other);
    G.SetHeaderColumn(bcLocked, other);
    for (int c = 7; c < BigCols; c += 2) {
        int h = G.AddHeaderColumn();
        G.GetHeaderColumns()->GetItem(h)->SetCaption("Group " + std::to_string(c / 2 - 2));
        G.SetHeaderColumn(c, h);
        if (c + 1 < BigCols)
            G.SetHeaderColumn(c + 1, h);
    }
}

// The look the section windows give their grid: the fonts and colours of the form base.
inline void ApplyFormBaseLook(TXStringGrid& G)
{
    TXFont font{"Tahoma", 8, false, false, false, clWindowText};
    TXFont bold = font;
    bold.Bold = true;
    G.SetFont(font);
    G.SetHeaderFont(bold);
    G.SetFixedFont(font);
    TXFont activeHeader = G.ActiveHeaderFont();
    activeHeader.Name = "Tahoma";
    G.SetActiveHeaderFont(activeHeader);
    TXFont activeFixed = G.ActiveFixedFont();
    activeFixed.Name = "Tahoma";
    G.SetActiveFixedFont(activeFixed);
    G.SetHeaderHeight(20);
    G.SetAutoSort(false);
    G.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect | goColSizing);
    G.SetActiveHeaderColor(clBtnFace);
    G.SetActiveFixedColor(clBtnFace);
    G.SetHeaderColor(clBtnFace);
    G.SetFixedColor(clBtnFace);
    G.SetActiveReadOnlyColor(clMoneyGreen);
    G.SetReadOnlyColor(15527148);
    G.SetActiveReadOnlyFontColor(clInactiveCaption);
    G.SetReadOnlyFontColor(clInactiveCaption);
    G.SetSelectedColor(clSkyBlue);
    G.SetSelectedFontColor(clDefault);
}

