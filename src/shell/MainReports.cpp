// The main window's device reports: each report is a node below "VMU Reports" in the description with its own
// script; ShowReport reads it through the engine and shows the captured text in a print preview. One report has
// at most one open preview, which keeps the text it was made with until it is closed.
#include "shell/main.h"

#include "common/Utilits.h"
#include "engine/ManagerVMU.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "print/ui/PrintGrid.h"
#include "shell/ReportText.h"
#include "shell/Terminal.h"
#include "xml/XmlDoc.h"

#include <QAction>
#include <QMdiArea>

bool TMainForm::ShowReport(const std::string& Name, const std::string& Param)
{
    TXmlNode* Reports = TemplateDoc ? TemplateDoc->FindNode(TemplateDoc->Root(), "VMU Reports") : nullptr;
    TXmlNode* Report = Reports ? TemplateDoc->FindNode(Reports, Name) : nullptr;
    if (!Report)
        return false;
    const int32_t ReportID = StrToIntDef(Report->GetAttr("ReportID"), 0);
    if (!Param.empty() && Report->Attrs.Find("ReportParam"))
        Report->SetAttr("ReportParam", Param);
    if (TPrintGridForm* Open = FindReportPreview(MdiArea, Name, ReportID)) {
        BringToFront(Open);
        return true;
    }
    if (!ManagerVMU || !LoadSectionFromVMU(Reports, Name, doReport, "")) {
        if (ManagerVMU)
            ManagerVMU->ClearAnswers();
        return false;
    }
    std::string Hint, Caption;
    GetNodeDisplayInfo(Report, Hint, Caption);
    TPrintData Data;
    Data.Title = Caption;
    Data.HeaderCaption = Caption;
    Data.Orientation = pnPortrait;
    Data.Text = ReportTextOf(ManagerVMU->SavedAnswers);
    Data.FitToPageWidth = true;
    ManagerVMU->ClearAnswers();
    TFormParams Params;
    try {
        ReadFormInfo(Report, Params);
    } catch (const Exception& E) {
        ShowError(E.Message);
    }
    TPrintGridForm* Form =
        TPrintGridForm::CreatePreviewIndexed(MdiArea, Data, ReportID >= 1 ? ReportID : -1, nullptr, Params, TFormKinds{3});
    if (!Form)
        return false;
    Form->ReportName = Name;
    return true;
}

void TMainForm::ConnectReportActions()
{
    const std::pair<QAction*, const char*> Reports[] = {
        {ReportsMailboxAssignments1, "Mailbox Assignments"},
        {ReportsCOSAssignments1, "COS Assignments"},
        {ReportsSystemServiceReport1, "System Service Report"},
        {ReportsCallAccountReport1, "Call Account Report"},
        {ReportsPortUsageReport1, "Port Usage Report"},
        {ReportsFlashMemoryUsageReport1, "Flash Memory Usage Report"},
        {ReportsMailboxUsageReport1, "Mailbox Usage Report"},
        {ReportsFaxCallReport1, "Fax Call Report"},
        {ReportVMUVersion1, "VMU Version Report"},
    };
    for (const auto& [Action, Name] : Reports)
        connect(Action, &QAction::triggered, this, [this, Report = std::string(Name)] { ShowReport(Report, ""); });
}

void TMainForm::PreviewTerminal(TTerminalForm& Form)
{
    OpenPrintPreview(MdiArea, &Form, [&Form](TPrintData& Data) {
        Data.Title = Data.HeaderCaption = FromQ(Form.windowTitle());
        Data.Orientation = pnPortrait;
        Form.GetTerminalText(Data.Text);
        Data.FitToPageWidth = true;
    });
}
