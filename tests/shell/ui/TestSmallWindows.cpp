// The splash, the about box, the two password dialogs and the JPEG pictures behind them.
#include "common/Utilits.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/ui/ShellOpen.h"
#include "shell/JpegImage.h"
#include "shell/Logo.h"
#include "shell/MainVersion.h"
#include "shell/SetNewAdminPassword.h"
#include "shell/about.h"
#include "xml/XmlDoc.h"

#include "Version.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(JpegImage, DecodesThePicturesAndRefusesDamagedData)
{
    struct TPicture {
        QString Path;
        QSize Size;
    };
    for (const TPicture& P : {TPicture{SplashPicture, {401, 155}}, TPicture{AboutPicture, {290, 96}},
             TPicture{BackgroundPicture, {640, 480}}}) {
        QImage I = LoadJpeg(P.Path);
        ASSERT_FALSE(I.isNull()) << P.Path.toStdString();
        EXPECT_EQ(I.size(), P.Size);
    }
    // The splash is mostly dark blue: the colours came through in the right order.
    QImage Splash = LoadJpeg(SplashPicture);
    QRgb Corner = Splash.pixel(2, 2);
    EXPECT_GT(qBlue(Corner), qRed(Corner));

    QFile F(SplashPicture);
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    QByteArray Data = F.readAll();
    EXPECT_TRUE(DecodeJpeg({}).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture")).isNull());
    EXPECT_TRUE(DecodeJpeg(Data.left(200)).isNull());
    // A header claiming a giant picture is refused before anything is allocated for it.
    QByteArray Huge = Data;
    int Sof = Huge.indexOf(QByteArray("\xFF\xC0", 2));
    if (Sof < 0)
        Sof = Huge.indexOf(QByteArray("\xFF\xC2", 2));
    ASSERT_GT(Sof, 0);
    Huge[Sof + 5] = char(0xFF);
    Huge[Sof + 6] = char(0xFF);
    EXPECT_TRUE(DecodeJpeg(Huge).isNull());
    // Damage in the middle of the picture data still gives a picture or nothing, never a crash.
    QByteArray Noisy = Data;
    for (int i = int(Noisy.size()) / 2; i < Noisy.size() - 2; i += 7)
        Noisy[i] = char(Noisy[i] ^ 0x5A);
    (void)DecodeJpeg(Noisy);
    EXPECT_TRUE(LoadJpeg("/nonexistent/picture.jpg").isNull());
}

TEST(LogoForm, ShowsThePictureAndTheShortVersion)
{
    TLogoForm Logo;
    EXPECT_EQ(Logo.size(), QSize(401, 155));
    EXPECT_TRUE(Logo.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(Logo.Image1->pixmap().isNull());
    EXPECT_EQ(Logo.LabelVersion->text().toStdString(), "Version " + FormatVersionText());
}

TEST(AboutBox, ShowsTheVersionAndOpensItsLinks)
{
    std::vector<std::string> Urls;
    TUrlOpenerScope Scope([&](const std::string& Url) {
        Urls.push_back(Url);
        return false;   // a desktop without handlers: the box does not care
    });
    TAboutBox Box;
    EXPECT_EQ(Box.windowTitle(), "About");
    EXPECT_EQ(Box.size(), QSize(290, 320));
    EXPECT_EQ(Box.LabelVersion->text().toStdString(), std::string("Version ") + ORLANTIS_PRODUCT_VERSION);
    EXPECT_EQ(Box.LabelProductName->text(), "Orlantis");
    Box.show();
    QTest::mouseClick(Box.LabelWWW, Qt::LeftButton);
    QTest::mouseClick(Box.LabelEMail, Qt::LeftButton);
    ASSERT_EQ(Urls.size(), 2u);
    EXPECT_EQ(Urls[0], std::string("http://") + AboutWebAddress);
    EXPECT_EQ(Urls[1], "mailto:Orlantis%20Support%20%3Csupport@orlantis.example%3E");
    QTest::mouseClick(Box.OKButton, Qt::LeftButton);
    EXPECT_EQ(Box.result(), QDialog::Accepted);
}

TEST(AboutBox, TakesItsTextsFromTheDescription)
{
    TXmlDoc Doc;
    Doc.ShowErrors = false;
    Doc.XmlText = R"(<D><PARAM Name="Form Properties"><PARAM Name="TAboutBox">
        <VIEWPARAM Name="Form Controls Caption">
          <GATTR Name="FormCaption" Value="About Orlantis"/>
          <GATTR Name="LabelVersion" Value="Release "/>
          <GATTR Name="LabelContacts" Value="Contacts:"/>
        </VIEWPARAM></PARAM></PARAM></D>)";
    ASSERT_TRUE(Doc.ParseText());
    SetPropertiesNodes(Doc.FindNode(Doc.Root(), "Form Properties"), nullptr);
    TAboutBox Box;
    SetPropertiesNodes(nullptr, nullptr);
    EXPECT_EQ(Box.windowTitle(), "About Orlantis");
    EXPECT_EQ(Box.LabelVersion->text().toStdString(), std::string("Release ") + ORLANTIS_PRODUCT_VERSION);
    EXPECT_EQ(Box.LabelContacts->text(), "Contacts:");
}

TEST(SetAdminPasswordForm, TakesTenMaskedCharactersAndClosingCancels)
{
    TSetAdminPasswordForm Form;
    EXPECT_EQ(Form.LabelPassword->text(), "Administrator Password:");
    EXPECT_EQ(Form.EditPassword->echoMode(), QLineEdit::Password);
    Form.open();
    QTest::keyClicks(Form.EditPassword, "123456789012");
    EXPECT_EQ(Form.EditPassword->text(), "1234567890");
    QTest::mouseClick(Form.OKBtn, Qt::LeftButton);
    EXPECT_EQ(Form.result(), QDialog::Accepted);

    TSetAdminPasswordForm Closed;
    Closed.open();
    Closed.close();
    EXPECT_EQ(Closed.result(), QDialog::Rejected);
    TSetAdminPasswordForm Cancelled;
    Cancelled.open();
    QTest::mouseClick(Cancelled.CancelBtn, Qt::LeftButton);
    EXPECT_EQ(Cancelled.result(), QDialog::Rejected);
}

TEST(SetNewAdminPasswordForm, DifferentTextsKeepItOpenWithBothFieldsEmpty)
{
    TRecordingDialogs Dialogs;
    TDialogsScope Scope(&Dialogs);
    TSetNewAdminPasswordForm Form;
    EXPECT_EQ(Form.LabelPassword->text(), "New Administrator Password:");
    EXPECT_EQ(Form.LabelVerification->text(), "Password Verification:");
    Form.open();
    QTest::keyClicks(Form.EditPassword, "secret");
    QTest::keyClicks(Form.EditVerification, "Secret");
    QTest::mouseClick(Form.OKBtn, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_EQ(Dialogs.Boxes[0].Text, "Incorrect password verification.");
    EXPECT_EQ(Dialogs.Boxes[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Boxes[0].Type, mtError);
    EXPECT_TRUE(Form.isVisible());
    EXPECT_TRUE(Form.EditPassword->text().isEmpty());
    EXPECT_TRUE(Form.EditVerification->text().isEmpty());

    QTest::keyClicks(Form.EditPassword, "12345678901");
    QTest::keyClicks(Form.EditVerification, "1234567890");
    QTest::mouseClick(Form.OKBtn, Qt::LeftButton);
    EXPECT_EQ(Dialogs.Boxes.size(), 1u);
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_EQ(Form.EditPassword->text(), "1234567890");
}
