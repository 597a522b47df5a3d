// The terminal on screen: a scroll area that paints a TSerTerminal's cells with a fixed-pitch font, shows its own
// caret (block, underline or none, blinking while focused), scrolls when the window is smaller than the screen,
// and hands typed characters and cursor keys to the terminal, which sends them to the line.
// The view owns its terminal; everything happens in the GUI thread.
#pragma once

#include "serial/SerPortCtl.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

#include <memory>

class TSerTerminalView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TSerTerminalView(QWidget* Parent = nullptr);
    ~TSerTerminalView() override;

    TSerTerminal& Terminal() { return *Model; }
    const TSerTerminal& Terminal() const { return *Model; }

    // A font without fixed pitch is replaced by the system's fixed font of the same size; underline is removed.
    void setTerminalFont(const QFont& Font);
    static bool IsFixedPitch(const QFont& Font);
    QFont terminalFont() const { return TermFont; }
    int CharWidth() const { return CW; }
    int CharHeight() const { return CH; }
    // The cell shown in the upper-left corner (column, row), from the scroll bars.
    int TopColumn() const;
    int TopRow() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void timerEvent(QTimerEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    bool focusNextPrevChild(bool Next) override;

private:
    void UpdateScrollBars();
    void CaretMoved();
    QRect CellsRect(int Column1, int Row1, int Column2, int Row2) const;
    QRect CaretRect() const;

    std::unique_ptr<TSerTerminal> Model;
    QFont TermFont;
    int CW = 8, CH = 16;
    QBasicTimer CaretTimer;
    bool CaretOn = false;
    QRect LastCaret;
};
