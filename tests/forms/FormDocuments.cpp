#include "FormDocuments.h"

#include "engine/DataManager.h"

#include <gtest/gtest.h>

TFormDocuments::TFormDocuments(const std::string& DescriptionText)
    : Manager(std::make_unique<TDataManager>(&Data, &View))
{
    View.ShowErrors = false;
    View.XmlText = DescriptionText;
    EXPECT_TRUE(View.ParseText()) << View.LastError;
    View.AssignIDs(View.Root());
    Data.Root()->SetTag("DATA");
}

TFormDocuments::~TFormDocuments() = default;

TXmlNode* TFormDocuments::AddRecord(TXmlNode* Parent, const std::string& TemplateName, bool Deep)
{
    TXmlNode* Template = View.FindNode(nullptr, TemplateName);
    EXPECT_NE(Template, nullptr) << TemplateName;
    return Manager->AddNodeFromTemplate(Parent, Template, Deep);
}
