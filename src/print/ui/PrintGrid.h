// The print preview window: an MDI child in which every printout of the program is shown before it is printed (a
// section window's grid, the terminal's screen text, a device report). The caller describes the printout in a
// TPrintData; the window lays it out once, at creation, and shows it in a TPrnPreview with page and zoom buttons
// and the caption "(page/pages)"; Print asks the print dialog (through the dialogs interface) for the pages,
// copies and printer and prints them. Later changes of the grid or text do not reach an open preview.
//
// A source has at most one open preview: OpenPrintPreview brings the one opened from a window to the front, and
// FindReportPreview finds a report's by its number (1 or more) or its name.
#pragma once

#include "common/ui/BaseMDI.h"
#include "print/PrnGridPrint.h"
#include "print/PrnTextPrint.h"

#include <functional>
#include <string>

class QAction;
class QToolBar;
class TPrnPreview;
class TXStringGrid;

struct TPrintData {
    std::string Title;           // appended to the window caption
    std::string HeaderCaption;   // left caption of the page header
    TPrnOrientation Orientation = pnPortrait;
    TXStringGrid* Grid = nullptr;   // the grid to print; used only while the window is created
    std::string Text;               // printed when there is no grid
    bool FitToPageWidth = true;
};

class TPrintGridForm : public TBaseMDIForm {
    Q_OBJECT
public:
    TPrintGridForm(const TFormCreation& Creation, const TPrintData& Data);
    ~TPrintGridForm() override;

    // Kinds usually {3}; kind 5 is added. OwnerForm: the window that asked (null for a report).
    static TPrintGridForm* CreatePreview(QMdiArea* Area, const TPrintData& Data, TBaseMDIForm* OwnerForm,
        const TFormParams& Params, const TFormKinds& Kinds);
    static TPrintGridForm* CreatePreviewIndexed(QMdiArea* Area, const TPrintData& Data, int32_t Index,
        TBaseMDIForm* OwnerForm, const TFormParams& Params, const TFormKinds& Kinds);

    TPrnPreview* FPreview = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* ButtonFirstPage = nullptr;
    QAction* ButtonPrevPage = nullptr;
    QAction* ButtonNextPage = nullptr;
    QAction* ButtonLastPage = nullptr;
    QAction* ButtonZoomPlus = nullptr;
    QAction* ButtonZoomMinus = nullptr;
    QAction* ButtonZoomNormal = nullptr;
    QAction* ButtonPrint = nullptr;
    TPrnGridPrint FGridPrint;
    TPrnTextPrint FTextPrint;
    std::string CaptionBase;
    // The report shown, '' for other printouts.
    std::string ReportName;

    void ButtonsClick(QObject* Sender);
    void UpdateButtons();
    void UpdatePageCaption();
    // The print dialog, then the chosen pages on the chosen printer. A cancelled dialog prints nothing.
    void PrintPages();

protected:
    void InitForm() override;

private:
    TPrintData FData;
};

// The preview opened from Source: an open one is brought to the front (and not refreshed); otherwise Fill
// describes the printout and a new preview is made with the view parameters of "TPrintGridForm".
TPrintGridForm* OpenPrintPreview(QMdiArea* Area, TBaseMDIForm* Source, const std::function<void(TPrintData&)>& Fill);
// The open preview of a report: by its number when that is 1 or more, else by its name; null when none is open.
TPrintGridForm* FindReportPreview(QMdiArea* Area, const std::string& Name, int32_t ReportID);
// Brings a child window to the front of its area.
void BringToFront(TBaseMDIForm* Form);
