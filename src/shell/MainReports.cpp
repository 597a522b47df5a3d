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
#include <QMdiSubWindow>

namespace {
// The parameter a report preview was read with, kept on its window.
const char* const ReportParamProperty = "OrlantisReportParam";

// The open preview of a report read with Param. A report read with different parameters (each custom service's
// tree) shares one report number, so the number alone would bring another parameter's preview to the front.
TPrintGridForm* FindReportPreviewWith(QMdiArea* Area, const std::string& Name, int32_t ReportID,
    const std::string& Param)
{
    for (QMdiSubWindow* W : Area->subWindowList()) {
        auto* F = qobject_cast<TPrintGridForm*>(W);
        if (!F || F->isHidden() || F->OwnerForm || F->ReportName.empty())
            continue;
        if ((ReportID >= 1 ? F->Index == ReportID : F->ReportName == Name) &&
            FromQ(F->property(ReportParamProperty).toString()) == Param)
            return F;
    }
    return nullptr;
}
} // namespace

bool TMainForm::ShowReport(const std::string& Name, const std::string& Param)
{
    TXmlNode* Reports = TemplateDoc ? TemplateDoc->FindNode(TemplateDoc->Root(), "VMU Reports") : nullptr;
    TXmlNode* Report = Reports ? TemplateDoc->FindNode(Reports, Name) : nullptr;
    if (!Report)
        return false;
    const int32_t ReportID = StrToIntDef(Report->GetAttr("ReportID"), 0);
    if (!Param.empty() && Report->Attrs.Find("ReportParam"))
        Report->SetAttr("ReportParam", Param);
    // The parameter the report's script reads (a report that takes none ignores one given).
    const std::string UsedParam = Report->GetAttr("ReportParam");
    if (TPrintGridForm* Open = FindReportPreviewWith(MdiArea, Name, ReportID, UsedParam)) {
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
    Form->setProperty(ReportParamProperty, ToQ(UsedParam));
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
