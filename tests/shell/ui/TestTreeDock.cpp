// Docking of the parameter tree, offscreen: tearing it off into its own window, the window remembering its place,
// closing it and bringing it back, the splitter, and docking again at the dragged width.
#include "ShellFixture.h"

#include "common/ui/UtilitsUi.h"
#include "shell/DockMDI.h"
#include "support/Screenshots.h"

#include <QDir>
#include <QHeaderView>
#include <QMdiArea>
#include <QScrollBar>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {
class TWorkForm : public TBaseMDIForm {
public:
    explicit TWorkForm(const TFormCreation& C) : TBaseMDIForm(C) {}
};

void Mouse(QWidget* W, QEvent::Type Type, QPoint Local, Qt::MouseButtons Buttons)
{
    QMouseEvent E(Type, Local, W->mapToGlobal(Local), Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
        Buttons, Qt::NoModifier);
    QApplication::sendEvent(W, &E);
}
}

class TreeDock : public TShellFixture {
protected:
    void SetUp() override
    {
        WriteDescription();
        TMainForm& M = Start();
        ASSERT_FALSE(M.Terminated());
        M.resize(1000, 700);
        M.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&M));
    }
    TMainForm& M() { return *Main; }
    TTreeDock& Dock() { return *M().TreeDock; }
    QList<TBaseMDIForm*> TreeWindows()
    {
        QList<TBaseMDIForm*> R;
        for (TBaseMDIForm* F : M().ChildForms())
            if (F->FormMask.Contains(42))
                R << F;
        return R;
    }
};

// A sixth of the window, or as wide as the tree's names need, up to a third.
TEST_F(TreeDock, StartsDockedInTheStripAtASixthOfTheWindowOrAsWideAsItsNames)
{
    ASSERT_NE(M().PanelTreeView, nullptr);
    EXPECT_FALSE(Dock().Floating());
    EXPECT_TRUE(M().PanelTreeView->isVisible());
    EXPECT_EQ(Dock().StripWidth(), M().TreeWidth);
    EXPECT_GT(Dock().WidthForNames(), 1000 / 6) << "the description's names are wider than a sixth";
    EXPECT_EQ(M().TreeWidth, std::min(Dock().WidthForNames(), 1000 / 3));
    M().DataTreeView->expandAll();
    QApplication::processEvents();
    EXPECT_LE(static_cast<QAbstractItemView*>(M().DataTreeView)->sizeHintForColumn(0),
        M().DataTreeView->viewport()->width());
    M().DataTreeView->collapseAll();
    EXPECT_TRUE(Dock().DockPanel->isAncestorOf(M().DataTreeView));
    EXPECT_GT(M().DataTreeView->topLevelItemCount(), 0);
}

TEST_F(TreeDock, TearOffRememberCloseAndShowAgainWhereItWas)
{
    QPointer<QTreeWidget> Tree = M().DataTreeView;
    M().PanelTreeView->FloatButton()->click();
    ASSERT_TRUE(Dock().Floating());
    ASSERT_EQ(TreeWindows().size(), 1);
    TBaseMDIForm* W = TreeWindows()[0];
    EXPECT_EQ(W->FormMask, (TFormKinds{2, 42}));
    EXPECT_EQ(W->windowTitle(), "Parameters");
    EXPECT_EQ(Dock().StripWidth(), 0) << "nothing docked: the strip takes no room";
    EXPECT_EQ(W->Client()->height(), 470) << "the first undock size";
    EXPECT_GT(W->Client()->width(), 260) << "widened for the names";
    EXPECT_EQ(M().PanelTreeView->FloatButton()->text(), "Dock");

    // Moved and sized by the user: remembered.
    W->setGeometry(120, 40, 300, 380);
    EXPECT_EQ(Dock().FloatRect, QRect(120, 40, 300, 380));
    EXPECT_EQ(M().TreeUndockWidth, W->Client()->width());
    // Maximised: not remembered.
    W->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(Dock().FloatRect, QRect(120, 40, 300, 380));
    W->showNormal();
    QApplication::processEvents();
    W->setGeometry(120, 40, 300, 380);

    // Closing the window unchecks the command and frees the tree.
    W->close();
    QApplication::processEvents();
    EXPECT_FALSE(M().FileShowTree1->isChecked());
    EXPECT_EQ(M().PanelTreeView, nullptr);
    EXPECT_EQ(M().DataTreeView, nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Tree.isNull());
    EXPECT_TRUE(TreeWindows().isEmpty());

    // The command brings a new tree back, floating at its last place, filled.
    M().FileShowTree1->trigger();
    EXPECT_TRUE(M().FileShowTree1->isChecked());
    ASSERT_NE(M().DataTreeView, nullptr);
    EXPECT_GT(M().DataTreeView->topLevelItemCount(), 0);
    ASSERT_EQ(TreeWindows().size(), 1);
    EXPECT_EQ(TreeWindows()[0]->geometry(), QRect(120, 40, 300, 380));

    // Unchecked while floating: the window closes.
    M().FileShowTree1->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(TreeWindows().isEmpty());
    EXPECT_FALSE(M().FileShowTree1->isChecked());
}

TEST_F(TreeDock, TheSplitterSetsTheWidthThatARedockUses)
{
    QWidget* Splitter = Dock().VSplitter;
    int Start = Dock().StripWidth();
    Mouse(Splitter, QEvent::MouseButtonPress, QPoint(2, 50), Qt::LeftButton);
    EXPECT_TRUE(Dock().SplitterLine->isVisible());
    Mouse(Splitter, QEvent::MouseMove, QPoint(2 + 90, 50), Qt::LeftButton);
    Mouse(Splitter, QEvent::MouseButtonRelease, QPoint(2 + 90, 50), Qt::NoButton);
    EXPECT_FALSE(Dock().SplitterLine->isVisible());
    EXPECT_EQ(M().TreeWidth, Start + 90);
    EXPECT_EQ(Dock().StripWidth(), Start + 90);

    // Torn off by dragging the title into the client area, then dropped on its left edge: docked at that width.
    QWidget* Header = M().PanelTreeView->Header();
    QPoint Into = Header->mapFromGlobal(M().MdiArea->viewport()->mapToGlobal(QPoint(300, 100)));
    Mouse(Header, QEvent::MouseButtonPress, QPoint(10, 5), Qt::LeftButton);
    Mouse(Header, QEvent::MouseButtonRelease, Into, Qt::NoButton);
    ASSERT_TRUE(Dock().Floating());
    EXPECT_EQ(Dock().StripWidth(), 0);
    Header = M().PanelTreeView->Header();
    Mouse(Header, QEvent::MouseButtonPress, QPoint(10, 5), Qt::LeftButton);
    QPoint Edge = Header->mapFromGlobal(M().MdiArea->viewport()->mapToGlobal(QPoint(4, 100)));
    Mouse(Header, QEvent::MouseMove, Edge, Qt::LeftButton);
    Mouse(Header, QEvent::MouseButtonRelease, Edge, Qt::NoButton);
    QApplication::processEvents();
    EXPECT_FALSE(Dock().Floating());
    EXPECT_EQ(Dock().StripWidth(), Start + 90);
    EXPECT_TRUE(TreeWindows().isEmpty()) << "the empty floating window closed";
    ASSERT_NE(M().DataTreeView, nullptr) << "docking keeps the tree";
    EXPECT_TRUE(M().FileShowTree1->isChecked());
}

TEST_F(TreeDock, HiddenWhileDockedKeepsTheTree)
{
    QPointer<QTreeWidget> Tree = M().DataTreeView;
    M().FileShowTree1->trigger();
    EXPECT_EQ(Dock().StripWidth(), 0);
    EXPECT_FALSE(M().PanelTreeView->isVisible());
    M().FileShowTree1->trigger();
    EXPECT_EQ(M().DataTreeView, Tree.data());
    EXPECT_TRUE(M().PanelTreeView->isVisible());
    EXPECT_EQ(Dock().StripWidth(), M().TreeWidth);
}

// A picture of the floating tree window for a person to look at (build/screenshots/).
TEST_F(TreeDock, ScreenshotOfTheFloatingTree)
{
    M().PanelTreeView->FloatButton()->click();
    ASSERT_TRUE(Dock().Floating());
    Dock().FloatingForm()->move(160, 30);
    M().DataTreeView->expandAll();
    M().DataTreeView->setCurrentItem(M().DataTreeView->topLevelItem(0));
    QApplication::processEvents();
    QString Dir = QString(ORLANTIS_BIN_DIR) + "/../screenshots";
    QDir().mkpath(Dir);
    EXPECT_TRUE(M().grab().save(Dir + "/floating-tree.png"));
}

namespace {
// The deepest item with the longest name: the one a narrow tree is most likely to cut.
QTreeWidgetItem* LongestNamed(QTreeWidget* Tree)
{
    QTreeWidgetItem* Best = nullptr;
    for (QTreeWidgetItemIterator It(Tree); *It; ++It)
        if (!Best || (*It)->text(0).size() > Best->text(0).size())
            Best = *It;
    return Best;
}

// A section name shows from its start: the item begins inside the view, the view is not scrolled sideways, and a
// name too long for the width is shortened at its end.
void ExpectNamesShowFromTheirStart(QTreeWidget* Tree, QTreeWidgetItem* Item)
{
    QRect R = Tree->visualItemRect(Item);
    EXPECT_GE(R.left(), 0) << Item->text(0).toStdString();
    EXPECT_LE(R.right(), Tree->viewport()->width());
    EXPECT_EQ(Tree->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(Tree->textElideMode(), Qt::ElideRight);
}
}

TEST_F(TreeDock, LongSectionNamesShowFromTheirStartDockedAndFloating)
{
    QTreeWidget* Tree = M().DataTreeView;
    Tree->expandAll();
    QTreeWidgetItem* Item = LongestNamed(Tree);
    ASSERT_NE(Item, nullptr);
    Tree->setCurrentItem(Item);
    Tree->setFocus();
    QTest::keyClick(Tree, Qt::Key_Left);
    QTest::keyClick(Tree, Qt::Key_Right);
    Tree->setCurrentItem(Item);
    QApplication::processEvents();
    EXPECT_TRUE(M().grab().save(ScreenshotPath("docked-tree-long-names.png")));
    ExpectNamesShowFromTheirStart(Tree, Item);

    // Torn off while a window is being worked in: beside that window, as wide as the names need.
    TFormParams P;
    P.Width = 420;
    P.Height = 300;
    auto* Work = TBaseMDIForm::Create<TWorkForm>(M().MdiArea, TFormKinds{2}, P);
    M().MdiArea->setActiveSubWindow(Work);
    M().PanelTreeView->FloatButton()->click();
    ASSERT_TRUE(Dock().Floating());
    EXPECT_FALSE(Dock().FloatingForm()->geometry().intersects(Work->geometry()));
    Tree->setCurrentItem(Item);
    QApplication::processEvents();
    EXPECT_TRUE(M().grab().save(ScreenshotPath("floating-tree-long-names.png")));
    ExpectNamesShowFromTheirStart(Tree, Item);
    EXPECT_LE(static_cast<QAbstractItemView*>(Tree)->sizeHintForColumn(0), Tree->viewport()->width());
}

TEST_F(TreeDock, HelpOnTheFloatingTreeIsTheContents)
{
    M().PanelTreeView->FloatButton()->click();
    ASSERT_TRUE(Dock().Floating());
    M().MdiArea->setActiveSubWindow(Dock().FloatingForm());
    ShowContextHelpFor(&M());
    ASSERT_EQ(HelpHost.Calls.size(), 1u);
    EXPECT_EQ(HelpHost.Calls[0].Command, HH_DISPLAY_TOC);
}

// The main window goes while its tree floats in its own window: the tree's last events reach the main window's
// filter while the tree is half destroyed, and nothing of it is called then (the sanitizer run checks the calls).
TEST_F(TreeDock, TheMainWindowGoesWithItsTreeFloating)
{
    M().PanelTreeView->FloatButton()->click();
    ASSERT_TRUE(Dock().Floating());
    QPointer<QTreeWidget> Tree = M().DataTreeView;
    QPointer<QWidget> Floating = Dock().FloatingForm();
    M().MdiArea->setActiveSubWindow(Dock().FloatingForm());
    Tree->setFocus();
    QApplication::processEvents();
    Main.reset();
    EXPECT_TRUE(Tree.isNull());
    EXPECT_TRUE(Floating.isNull());
}
