#include "print/ui/PrintGrid.h"

#include "common/ui/UtilitsUi.h"
#include "platform/Dialogs.h"
#include "platform/ui/QtText.h"
#include "print/ui/PrnPreview.h"
#include "print/ui/PrnQtPrinter.h"
#include "print/ui/PrnXStringGrid.h"

#include <QAction>
#include <QFile>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

TPrintGridForm::TPrintGridForm(const TFormCreation& Creation, const TPrintData& Data)
    : TBaseMDIForm(Creation), FData(Data)
{
    setObjectName("PrintGridForm");
    resize(883, 628);
    auto* layout = new QVBoxLayout(Client());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar1 = new QToolBar(Client());
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setFixedHeight(29);
    QStyle* s = style();
    auto add = [&](const char* Name, const char* Text, QIcon Icon) {
        QAction* a = Icon.isNull() ? ToolBar1->addAction(Text) : ToolBar1->addAction(Icon, Text);
        a->setObjectName(Name);
        a->setToolTip(Text);
        if (QWidget* w = ToolBar1->widgetForAction(a))
            w->setObjectName(Name);   // so that the description's hints reach the buttons
        connect(a, &QAction::triggered, this, [this, a] { ButtonsClick(a); });
        return a;
    };
    ButtonFirstPage = add("ButtonFirstPage", "First page", s->standardIcon(QStyle::SP_MediaSkipBackward));
    ButtonPrevPage = add("ButtonPrevPage", "Previous page", s->standardIcon(QStyle::SP_MediaSeekBackward));
    ButtonNextPage = add("ButtonNextPage", "Next page", s->standardIcon(QStyle::SP_MediaSeekForward));
    ButtonLastPage = add("ButtonLastPage", "Last page", s->standardIcon(QStyle::SP_MediaSkipForward));
    ToolBar1->addSeparator();
    ButtonZoomPlus = add("ButtonZoomPlus", "Zoom in", QIcon::fromTheme("zoom-in"));
    ButtonZoomMinus = add("ButtonZoomMinus", "Zoom out", QIcon::fromTheme("zoom-out"));
    ButtonZoomNormal = add("ButtonZoomNormal", "100%", QIcon::fromTheme("zoom-original"));
    ToolBar1->addSeparator();
    ButtonPrint = add("ButtonPrint", "Print", QIcon::fromTheme("document-print"));
    layout->addWidget(ToolBar1);

    FPreview = new TPrnPreview(Client());
    FPreview->setObjectName("FPreview");
    FPreview->SetMinZoom(40);
    FPreview->SetZoom(100);
    // Half-inch margins, silver dotted pens in copy mode.
    FPreview->SetMarginValues("720,720,720,720,\"12632256,1,2,4\",\"12632256,1,2,4\"");
    FPreview->Margins().ClipMargins = true;
    FPreview->PageGrid.GridPen.Color = clSilver;
    for (TPrnHeaderFooter* band : {static_cast<TPrnHeaderFooter*>(&FPreview->Header()),
             static_cast<TPrnHeaderFooter*>(&FPreview->Footer())}) {
        band->Visible = true;
        for (int i = 0; i < 3; ++i) {
            TPrnFont& f = band->Caption(i).Font;
            f.Name = "Arial";
            f.SetHeight(-13);
            f.Style = band == &FPreview->Header() ? unsigned(fsBold) : 0u;
        }
    }
    FPreview->Header().CaptionRight().Caption = "{PAGE}/{NUMPAGES}";
    TPrnJobSettings& job = FPreview->PrnPrinter().Settings;
    job.Title = "<document>";
    job.Collate = false;
    job.Duplex = pnSimplex;
    job.PrintColor = pnColor;
    job.DitherType = pnGrayScale;
    job.PrintQuality = pnHigh;
    FPreview->OnPageChanged = [this] { UpdateButtons(); };
    layout->addWidget(FPreview, 1);

    FGridPrint.Preview = &FPreview->PageList();
    FGridPrint.FixedCellColor = cl3DLight;
    FGridPrint.MarkRowColor = clNone;
    FGridPrint.FitToPageWidth = true;
    FTextPrint.Preview = &FPreview->PageList();
    FTextPrint.TextFont = TPrnFont{clWindowText, 0, "Courier New", 10, 0, 1};
    FTextPrint.TextFont.SetHeight(-13);
    FTextPrint.TextColor = clBlack;
}

TPrintGridForm::~TPrintGridForm()
{
    if (FPreview)
        FPreview->OnPageChanged = nullptr;
}

TPrintGridForm* TPrintGridForm::CreatePreview(QMdiArea* Area, const TPrintData& Data, TBaseMDIForm* OwnerForm,
    const TFormParams& Params, const TFormKinds& Kinds)
{
    return CreateDetail<TPrintGridForm>(Area, Kinds, Params, OwnerForm, -1, Data);
}

TPrintGridForm* TPrintGridForm::CreatePreviewIndexed(QMdiArea* Area, const TPrintData& Data, int32_t Index,
    TBaseMDIForm* OwnerForm, const TFormParams& Params, const TFormKinds& Kinds)
{
    return CreateDetail<TPrintGridForm>(Area, Kinds, Params, OwnerForm, Index, Data);
}

void TPrintGridForm::InitForm()
{
    TBaseMDIForm::InitForm();
    FormMask.Include(5);
    FPreview->Header().CaptionLeft().Caption = FData.HeaderCaption;
    if (Area() && Area()->window() != Area())
        FPreview->Footer().CaptionCenter().Caption = FromQ(Area()->window()->windowTitle());
    CaptionBase = FromQ(windowTitle()) + FData.Title;
    FPreview->SetOrientation(FData.Orientation);
    // The preview is as wide as the window less its frame before the window is first shown.
    FPreview->resize(std::max(1, width() - 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth)),
        FPreview->height());
    FPreview->FitWidth();
    if (FData.Grid) {
        TPrnXStringGridSource source(*FData.Grid);
        FGridPrint.FitToPageWidth = FData.FitToPageWidth;
        FGridPrint.Grid = &source;
        FGridPrint.GridToPage();
        FGridPrint.Grid = nullptr;
    } else if (!FData.Text.empty()) {
        FTextPrint.Text = FData.Text;
        // A text wider than the page is shrunk to its width when the request asks for it, never cut off.
        FTextPrint.FitToPageWidth = FData.FitToPageWidth;
        FTextPrint.TextToPage();
    }
    FData.Grid = nullptr;
    FData.Text.clear();
    UpdateButtons();
    update();
}

void TPrintGridForm::ButtonsClick(QObject* Sender)
{
    const QString name = Sender ? Sender->objectName() : QString();
    if (name == "ButtonFirstPage")
        FPreview->FirstPage();
    else if (name == "ButtonPrevPage")
        FPreview->PrevPage();
    else if (name == "ButtonNextPage")
        FPreview->NextPage();
    else if (name == "ButtonLastPage")
        FPreview->LastPage();
    else if (name == "ButtonZoomPlus")
        FPreview->ZoomIn();
    else if (name == "ButtonZoomMinus")
        FPreview->ZoomOut();
    else if (name == "ButtonZoomNormal")
        FPreview->SetZoom(100);
    else if (name == "ButtonPrint")
        PrintPages();
    UpdateButtons();
}

void TPrintGridForm::UpdateButtons()
{
    if (!FPreview) {
        for (QAction* a : {ButtonFirstPage, ButtonPrevPage, ButtonNextPage, ButtonLastPage, ButtonZoomPlus,
                 ButtonZoomMinus, ButtonZoomNormal, ButtonPrint})
            a->setEnabled(false);
        return;
    }
    const int page = FPreview->CurrentPage(), count = FPreview->NumPages();
    ButtonFirstPage->setEnabled(page > 1);
    ButtonPrevPage->setEnabled(page > 1);
    ButtonNextPage->setEnabled(page < count);
    ButtonLastPage->setEnabled(page < count);
    ButtonZoomPlus->setEnabled(FPreview->Zoom() < FPreview->MaxZoom());
    ButtonZoomMinus->setEnabled(FPreview->Zoom() > FPreview->MinZoom());
    UpdatePageCaption();
}

void TPrintGridForm::UpdatePageCaption()
{
    setWindowTitle(ToQ(CaptionBase + " (" + std::to_string(FPreview->CurrentPage()) + "/" +
        std::to_string(FPreview->NumPages()) + ")"));
}

void TPrintGridForm::PrintPages()
{
    const int count = FPreview->NumPages();
    TPrintDialogRequest request;
    request.MinPage = 1;
    request.MaxPage = count;
    request.FromPage = 1;
    request.ToPage = count;
    request.AllowSelection = true;
    request.AllowPageNumbers = true;
    request.Landscape = FPreview->Orientation() == pnLandscape;
    TPrnPrinter& printer = FPreview->PrnPrinter();
    printer.SetOrientation(FPreview->Orientation());
    TPrintDialogAnswer answer;
    if (!TDialogs::instance().PrintDialog(request, answer))
        return;
    int from = request.MinPage, to = request.MaxPage;
    if (answer.Range == prSelection)
        from = to = FPreview->CurrentPage();
    else if (answer.Range == prPageNums) {
        from = answer.FromPage;
        to = answer.ToPage;
    }
    printer.SetPrintCopies(answer.Copies);
    printer.SetCollate(answer.Collate);
    QPrinter device(QPrinter::HighResolution);
    if (!answer.PrinterName.empty())
        device.setPrinterName(ToQ(answer.PrinterName));
    if (!answer.OutputFileName.empty()) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QFile::decodeName(answer.OutputFileName.c_str()));
    }
    TPrnQtPrintBackend backend(&device);
    printer.Backend = &backend;
    printer.Settings.Title = CaptionBase.empty() ? "<document>" : CaptionBase;
    FPreview->PrintRange(from, to);
    printer.Backend = nullptr;
}

void BringToFront(TBaseMDIForm* Form)
{
    if (Form->isMinimized())
        Form->showNormal();
    Form->show();
    if (Form->Area())
        Form->Area()->setActiveSubWindow(Form);
    Form->raise();
}

namespace {
QList<TPrintGridForm*> OpenPreviews(QMdiArea* Area)
{
    QList<TPrintGridForm*> out;
    if (!Area)
        return out;
    for (QMdiSubWindow* w : Area->subWindowList())
        if (auto* f = qobject_cast<TPrintGridForm*>(w); f && !f->isHidden())
            out.append(f);
    return out;
}
}

TPrintGridForm* OpenPrintPreview(QMdiArea* Area, TBaseMDIForm* Source, const std::function<void(TPrintData&)>& Fill)
{
    for (TPrintGridForm* f : OpenPreviews(Area))
        if (f->OwnerForm == Source && TFormKinds({3, 5}).IsSubsetOf(f->FormMask)) {
            BringToFront(f);
            return f;
        }
    TPrintData data;
    Fill(data);
    TFormParams params;
    try {
        ReadFormInfo(FindFormDescription("TPrintGridForm"), params);
    } catch (const Exception& E) {
        ShowError(E.Message);
    }
    return TPrintGridForm::CreatePreview(Area, data, Source, params, TFormKinds{3});
}

TPrintGridForm* FindReportPreview(QMdiArea* Area, const std::string& Name, int32_t ReportID)
{
    // A number shared by several reports (0 when absent) or a negative one would find another report's window.
    for (TPrintGridForm* f : OpenPreviews(Area)) {
        if (f->OwnerForm || f->ReportName.empty())
            continue;
        if (ReportID >= 1 ? f->Index == ReportID : f->ReportName == Name)
            return f;
    }
    return nullptr;
}
