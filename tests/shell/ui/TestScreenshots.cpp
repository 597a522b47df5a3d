// Pictures of the shell's windows for a person to look at: written to build/screenshots/ on every test run.
#include "ShellFixture.h"

#include "shell/Logo.h"
#include "shell/SetNewAdminPassword.h"
#include "shell/about.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace {
QString ScreenshotDir()
{
    QString Dir = QString(ORLANTIS_BIN_DIR) + "/../screenshots";
    QDir().mkpath(Dir);
    return QDir(Dir).absolutePath();
}

void Save(QWidget& W, const char* Name)
{
    QString Path = ScreenshotDir() + "/" + Name + ".png";
    QApplication::processEvents();
    ASSERT_TRUE(W.grab().save(Path)) << Path.toStdString();
}
}

class Screenshots : public TShellFixture {};

TEST_F(Screenshots, MainWindowSplashAboutAndPasswordDialogs)
{
    WriteDescription();
    TMainForm& M = Start();
    ASSERT_FALSE(M.Terminated());
    M.resize(1024, 700);
    M.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&M));
    M.DataTreeView->expandAll();
    M.DataTreeView->setCurrentItem(M.DataTreeView->topLevelItem(0));
    Save(M, "main-window");

    TLogoForm Logo;
    Logo.show();
    Save(Logo, "splash");

    TAboutBox About(&M);
    About.show();
    Save(About, "about-box");

    TSetAdminPasswordForm Password(&M);
    Password.show();
    QTest::keyClicks(Password.EditPassword, "1234");
    Save(Password, "admin-password");

    TSetNewAdminPasswordForm NewPassword(&M);
    NewPassword.show();
    QTest::keyClicks(NewPassword.EditPassword, "abcd");
    Save(NewPassword, "new-admin-password");
}
