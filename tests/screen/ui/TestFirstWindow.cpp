// The first start's window on a small laptop's screen of 1280 x 800 (this executable's one offscreen screen):
// its menu bar shows every menu without the overflow button, the docked tree shows its names whole, and a section
// window opens with its buttons where they can be seen. Both as the window opens maximised and as it stands
// where nothing maximises it (a desktop without a window manager), which is also the size it is restored to.
#include "shell/ui/ShellFixture.h"

#include "common/ui/BaseMDI.h"
#include "engine/DataManager.h"
#include "platform/ui/QtText.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// Before the application starts: the offscreen platform is given one screen of 1280 x 800, described in a file
// that lives as long as the executable.
struct TLaptopScreen {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("orlantis-screen-" + std::to_string(getpid()) + ".json");
    TLaptopScreen()
    {
        std::ofstream(Path) << R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": 1280, "height": 800}]})";
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + Path.string()).c_str(), 1);
    }
    ~TLaptopScreen()
    {
        std::error_code Ignored;
        std::filesystem::remove(Path, Ignored);
    }
};
const TLaptopScreen Screen;

class FirstWindow : public TShellFixture {
protected:
    // The menus the menu bar shows whole: every visible top-level menu lies inside the bar, and the button that
    // gathers the menus that do not fit is hidden.
    static std::string MenusCut(TMainForm& M)
    {
        QMenuBar* Bar = M.menuBar();
        std::string Cut;
        if (auto* Ext = Bar->findChild<QToolButton*>("qt_menubar_ext_button"); Ext && Ext->isVisible())
            Cut += "[the overflow button shows] ";
        for (QAction* A : Bar->actions())
            if (A->isVisible() && !Bar->rect().contains(Bar->actionGeometry(A)))
                Cut += FromQ(A->text()) + " ";
        return Cut;
    }
    // Every name of the fully opened tree fits the tree's width.
    static void ExpectTreeNamesWhole(TMainForm& M)
    {
        QTreeWidget* T = M.DataTreeView;
        ASSERT_NE(T, nullptr);
        T->expandAll();
        QApplication::processEvents();
        EXPECT_LE(static_cast<QAbstractItemView*>(T)->sizeHintForColumn(0), T->viewport()->width())
            << "strip " << M.TreeWidth;
        T->collapseAll();
    }
    static void Save(QWidget& W, const char* Name)
    {
        QApplication::processEvents();
        EXPECT_TRUE(W.grab().save(ScreenshotPath(Name)));
    }
};

} // namespace

TEST_F(FirstWindow, ShowsItsMenusTreeNamesAndASectionWindowsButtonsOnA1280x800Screen)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1280, 800));
    WriteDescription();
    TMainForm& M = Start();
    ASSERT_FALSE(M.Terminated()) << BoxTexts();
    M.ShowAtStart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&M));
    EXPECT_TRUE(M.isMaximized());
    EXPECT_EQ(M.frameGeometry(), QRect(0, 0, 1280, 800));
    EXPECT_EQ(MenusCut(M), "");
    ExpectTreeNamesWhole(M);
    Save(M, "first-window-maximised.png");

    // Where nothing maximises it: the normal size, within the screen.
    M.showNormal();
    QApplication::processEvents();
    EXPECT_FALSE(M.isMaximized());
    EXPECT_TRUE(QRect(0, 0, 1280, 800).contains(M.frameGeometry())) << M.width() << "x" << M.height();
    EXPECT_GE(M.width(), 1280 * 3 / 4);
    EXPECT_EQ(MenusCut(M), "");
    ExpectTreeNamesWhole(M);
    Save(M, "first-window-normal.png");

    // A section window wider than the area left beside the tree opens inside it, OK button and all.
    M.SetMode(true);
    TXmlNode* Described = M.TemplateDoc->FindNode(M.ParamsNode, "Custom Service");
    ASSERT_NE(Described, nullptr);
    ASSERT_NE(M.DataDoc->Root(), nullptr);
    ASSERT_NE(M.DataManager->AddNodeFromTemplate(M.DataDoc->Root(), Described, false), nullptr);
    M.OpenNodeForm(Described);
    QApplication::processEvents();
    ASSERT_EQ(M.ChildForms().size(), 1) << BoxTexts();
    TBaseMDIForm* F = M.ChildForms()[0];
    EXPECT_EQ(F->windowTitle(), "Custom Service");
    const QRect Visible = M.MdiArea->viewport()->rect();
    EXPECT_TRUE(Visible.contains(F->geometry())) << F->geometry().x() << "," << F->geometry().y() << " "
                                                 << F->width() << "x" << F->height() << " in " << Visible.width()
                                                 << "x" << Visible.height();
    int Buttons = 0;
    for (QPushButton* B : F->findChildren<QPushButton*>()) {
        if (!B->isVisible())
            continue;
        ++Buttons;
        const QRect At(B->mapTo(M.MdiArea->viewport(), QPoint(0, 0)), B->size());
        EXPECT_TRUE(Visible.contains(At)) << FromQ(B->text());
    }
    EXPECT_EQ(Buttons, 1) << "the overview shows OK only";
    Save(M, "first-window-custom-service.png");
}
