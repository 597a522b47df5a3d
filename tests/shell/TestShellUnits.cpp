// The shell's logic that needs no window: version arithmetic, the form registry, and composing a mail.
#include "platform/Exception.h"
#include "platform/ui/ShellOpen.h"
#include "shell/FormRegistry.h"
#include "shell/MailAPI.h"
#include "shell/MainVersion.h"
#include "xml/XmlDoc.h"

#include "Version.h"

#include <gtest/gtest.h>

#include <set>

TEST(VersionToNumber, WeighsFourPartsAndRefusesWhatIsNoNumber)
{
    EXPECT_EQ(VersionToNumber("1.1.0.4"), 1010004);
    EXPECT_EQ(VersionToNumber("4.09"), 4090000);
    EXPECT_EQ(VersionToNumber("1"), 1000000);
    EXPECT_EQ(VersionToNumber("1.0.0"), VersionToNumber("1.0.0.0"));
    EXPECT_EQ(VersionToNumber("12.34.56.78"), 12345678);
    for (const char* Bad : {"", "1..0", "1.0.x", "1.0.0.", " .1", "1.0.0.1.2", "v1"})
        EXPECT_THROW(VersionToNumber(Bad), EConvertError) << Bad;
}

TEST(VersionToNumber, TemplateVersionFitsInTheFirstThreePartsOnly)
{
    const std::string Product = ORLANTIS_PRODUCT_VERSION;
    EXPECT_TRUE(TemplateVersionFits(ORLANTIS_TEMPLATE_VERSION, Product));
    EXPECT_TRUE(TemplateVersionFits(std::string(ORLANTIS_TEMPLATE_VERSION) + ".77", Product));
    EXPECT_FALSE(TemplateVersionFits("1.0.1", "1.0.0.1"));
    EXPECT_FALSE(TemplateVersionFits("2.0.0", "1.0.0.1"));
    // A missing or garbled version is a mismatch, never an exception.
    EXPECT_FALSE(TemplateVersionFits("", "1.0.0.1"));
    EXPECT_FALSE(TemplateVersionFits("1.0.zero", "1.0.0.1"));
    EXPECT_EQ(GetVersionInfoString(9), Product);
    EXPECT_EQ(GetVersionInfoString(0), "");
    EXPECT_EQ(GetVersionInfoString(11), "");
    EXPECT_EQ(FormatVersionText(),
        std::to_string(ORLANTIS_VERSION_MAJOR) + "." + std::to_string(ORLANTIS_VERSION_MINOR));
}

TEST(FormRegistry, KnowsTheThirtyTwoSectionsByExactName)
{
    const auto& Table = SectionForms();
    ASSERT_EQ(Table.size(), 32u);
    std::set<int> Kinds;
    std::set<std::string> Classes;
    for (const TSectionForm& F : Table) {
        EXPECT_GE(F.Kind, 6);
        EXPECT_LE(F.Kind, 41);
        Kinds.insert(F.Kind);
        Classes.insert(F.FormClass);
        auto Info = MakeFormInfo(F.Section);
        ASSERT_NE(Info, nullptr) << F.Section;
        EXPECT_EQ(Info->FormMask, TFormKinds{F.Kind});
        EXPECT_EQ(Info->FormClass, F.FormClass);
    }
    EXPECT_EQ(Kinds.size(), 32u);
    EXPECT_EQ(Classes.size(), 32u);
    // The detail kinds belong to no section.
    for (int Detail : {7, 8, 10, 17})
        EXPECT_EQ(Kinds.count(Detail), 0u);
    EXPECT_EQ(MakeFormInfo("mailbox listing"), nullptr);
    EXPECT_EQ(MakeFormInfo("Mailbox Setting"), nullptr);
    EXPECT_EQ(MakeFormInfo(""), nullptr);
}

TEST(FormRegistry, ClassesJoinLaterAndStaleAttributesResolveToNothing)
{
    auto Info = MakeFormInfo("Call Hold");
    ASSERT_NE(Info, nullptr);
    EXPECT_FALSE(Info->Factory());
    int Made = 0;
    TFormFactory Previous = RegisterFormClass("TCallHoldForm", [&](QMdiArea*, const TFormKinds&, const TFormParams&) {
        ++Made;
        return static_cast<TBaseMDIForm*>(nullptr);
    });
    ASSERT_TRUE(Info->Factory());
    Info->Factory()(nullptr, TFormKinds{2}, TFormParams{});
    EXPECT_EQ(Made, 1);
    RegisterFormClass("TCallHoldForm", Previous);
    EXPECT_FALSE(Info->Factory());

    TXmlNode Node("PARAM");
    Node.Attrs.SetValue("FormInfo", "0")->SetAsPointer(Info.get());
    EXPECT_EQ(FormInfoOf(&Node), Info.get());
    Info.reset();
    EXPECT_EQ(FormInfoOf(&Node), nullptr);
    EXPECT_EQ(FormInfoOf(nullptr), nullptr);
}

TEST(MailAPI, BuildsAMailtoUrlWithEveryFieldItCanCarry)
{
    TMailMessage Msg;
    Msg.RecipientAddress = "support@orlantis.example";
    EXPECT_EQ(MailtoUrl(Msg), "mailto:support@orlantis.example");
    Msg.RecipientName = "Orlantis Support";
    Msg.Subject = "Q&A: 50% = half?";
    Msg.Body = "line 1\r\nline 2 #x";
    Msg.OriginatorAddress = "me@here.example";   // the mail program uses the user's own identity
    Msg.Attachments = {"/tmp/a b.vps"};
    EXPECT_EQ(MailtoUrl(Msg),
        "mailto:Orlantis%20Support%20%3Csupport@orlantis.example%3E"
        "?subject=Q%26A%3A%2050%25%20%3D%20half%3F&body=line%201%0D%0Aline%202%20%23x"
        "&attach=file%3A%2F%2F%2Ftmp%2Fa%20b.vps");
}

TEST(MailAPI, AttachmentNamesAndResultTexts)
{
    EXPECT_EQ(AttachmentFileName("C:\\data\\prompt.vps"), "prompt.vps");
    EXPECT_EQ(AttachmentFileName("D:prompt.vps"), "prompt.vps");
    EXPECT_EQ(AttachmentFileName("/home/u/prompt.vps"), "prompt.vps");
    EXPECT_EQ(AttachmentFileName("prompt.vps"), "prompt.vps");
    EXPECT_EQ(MailErrorText(1), "The user canceled one of the dialog boxes.");
    EXPECT_EQ(MailErrorText(25), "One or more recipients were invalid or did not resolve to any address.");
    EXPECT_EQ(MailErrorText(0), "");
    EXPECT_EQ(MailErrorText(4), "");
}

TEST(MailAPI, SendingHandsTheUrlToTheDesktopAndReportsARefusal)
{
    std::vector<std::string> Opened;
    bool Accept = true;
    TUrlOpenerScope Scope([&](const std::string& Url) {
        Opened.push_back(Url);
        return Accept;
    });
    TMailMessage Msg;
    Msg.RecipientAddress = "a@b.example";
    std::string Error = "unchanged";
    EXPECT_EQ(SendMailMessage(Msg, true, Error), mailSuccess);
    EXPECT_EQ(Error, "unchanged");
    Accept = false;
    EXPECT_EQ(SendMailMessage(Msg, false, Error), mailFailure);
    EXPECT_EQ(Error, "One or more unspecified errors occurred.");
    EXPECT_EQ(Opened, (std::vector<std::string>{"mailto:a@b.example", "mailto:a@b.example"}));
}
