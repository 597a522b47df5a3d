#include "forms/base/BaseGrid.h"

#include "common/Utilits.h"
#include "common/ui/UtilitsUi.h"
#include "engine/SectionReconcile.h"
#include "forms/base/FormServices.h"
#include "platform/Dialogs.h"
#include "platform/ui/QtText.h"
#include "print/ui/PrintGrid.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

// The grid as the section logic sees it.
class TBaseGridForm::TWidgetGrid : public TFormGrid {
public:
    explicit TWidgetGrid(TXStringGrid* Grid) : G(Grid) {}
    TXStringGridModel& Model() override { return *G; }
    TGridOptions Options() const override { return G->Options(); }
    void SetOptions(TGridOptions Value) override { G->SetOptions(Value); }
    int FixedCols() const override { return G->FixedCols(); }
    void SetFixedCols(int Value) override { G->SetFixedCols(Value); }
    int HeaderHeight() const override { return G->HeaderHeight(); }
    void SetHeaderHeight(int Value) override { G->SetHeaderHeight(Value); }
    bool DoubleHeader() const override { return G->DoubleHeader(); }
    // The grid sits in a layout that keeps it on all four sides; the header grid places itself above the data.
    void SetDoubleHeader(bool Value) override { G->SetDoubleHeader(Value); }
    TXGridColumns* HeaderColumns() override { return G->GetHeaderColumns(); }
    void LinkHeaderColumn(int Col, int HeaderIndex) override { G->SetHeaderColumn(Col, HeaderIndex); }
    int CurrentCol() const override { return G->Col(); }
    int CurrentRow() const override { return G->Row(); }
    void SetCurrentRow(int Row) override { G->SetRow(Row); }
    bool EditorOpen() const override { return G->EditorShowing(); }
    void ReopenEditor(int Col, int Row, const std::string& Text) override { G->ReopenEditor(Col, Row, Text); }
    void InvalidateCell(int Col, int Row) override { G->InvalidateCell(Col, Row); }
    void SetTabStop(int Col, bool Value) override { G->Layout().SetTabStop(Col, Value); }
    void Repaint() override { G->viewport()->update(); }

private:
    TXStringGrid* G;
};

namespace {
constexpr TColor ReadOnlyGrey = 0xECECEC;   // red, green and blue 236

QToolButton* MakeToolButton(QWidget* Bar, const char* Name, const char* Text)
{
    auto* B = new QToolButton(Bar);
    B->setObjectName(Name);
    B->setText(Text);
    B->setAutoRaise(true);
    Bar->layout()->addWidget(B);
    return B;
}

QPushButton* MakeButton(QWidget* Panel, const char* Name, const char* Text)
{
    auto* B = new QPushButton(Text, Panel);
    B->setObjectName(Name);
    return B;
}
} // namespace

TBaseGridForm::TBaseGridForm(const TFormCreation& Creation) : TBaseMDIForm(Creation)
{
    setObjectName("BaseGridForm");
    setMinimumSize(240, 210);
    // Grid, cells and buttons carry no help contexts; the window's topic explains them.
    setProperty(HelpTopicForControlsProperty, true);
    QWidget* C = Client();
    auto* Layout = new QVBoxLayout(C);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);

    // A plain panel rather than a tool bar, so that descendants show and hide the buttons themselves.
    ToolBar = new QWidget(C);
    ToolBar->setObjectName("ToolBar");
    auto* Tools = new QHBoxLayout(ToolBar);
    Tools->setContentsMargins(2, 2, 2, 2);
    Tools->setSpacing(2);
    PrintPreviewButton = MakeToolButton(ToolBar, "PrintPreviewButton", "Print Preview");
    NewRowButton = MakeToolButton(ToolBar, "NewRowButton", "New");
    DeleteRowButton = MakeToolButton(ToolBar, "DeleteRowButton", "Delete");
    Tools->addStretch(1);
    NewRowButton->hide();
    DeleteRowButton->hide();
    Layout->addWidget(ToolBar);

    FormSizeLabel = new QLabel(C);
    FormSizeLabel->setObjectName("FormSizeLabel");
    Col0SizeLabel = new QLabel(C);
    Col0SizeLabel->setObjectName("Col0SizeLabel");
    ColSizeLabel = new QLabel(C);
    ColSizeLabel->setObjectName("ColSizeLabel");
    for (QLabel* L : {FormSizeLabel, Col0SizeLabel, ColSizeLabel})
        L->hide();

    Grid = new TXStringGrid(C);
    Grid->setObjectName("Grid");
    Grid->SetFont(TXFont{"Tahoma", 8, false, false, false, clWindowText});
    Grid->SetHeaderFont(TXFont{"Tahoma", 8, true, false, false, clWindowText});
    Grid->SetFixedFont(TXFont{"Tahoma", 8, false, false, false, clWindowText});
    Grid->SetActiveHeaderFont(TXFont{"Tahoma", 8, true, false, false, clWhite});
    Grid->SetActiveFixedFont(TXFont{"Tahoma", 8, false, false, false, clWhite});
    Grid->SetHeaderHeight(20);
    Grid->SetAutoSort(false);
    Grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect | goColSizing);
    Grid->SetActiveHeaderColor(clBtnFace);
    Grid->SetActiveFixedColor(clBtnFace);
    Grid->SetHeaderColor(clBtnFace);
    Grid->SetFixedColor(clBtnFace);
    Grid->SetActiveReadOnlyColor(clMoneyGreen);
    Grid->SetReadOnlyColor(ReadOnlyGrey);
    Grid->SetActiveReadOnlyFontColor(clInactiveCaption);
    Grid->SetReadOnlyFontColor(clInactiveCaption);
    Grid->SetSelectedColor(clSkyBlue);
    Grid->SetSelectedFontColor(clDefault);
    Layout->addWidget(Grid, 1);

    BottomPanel = new QWidget(C);
    BottomPanel->setObjectName("BottomPanel");
    auto* Buttons = new QHBoxLayout(BottomPanel);
    Buttons->setContentsMargins(6, 6, 6, 6);
    Buttons->addStretch(1);
    ButtonOK = MakeButton(BottomPanel, "ButtonOK", "OK");
    ButtonApply = MakeButton(BottomPanel, "ButtonApply", "Apply");
    ButtonCancel = MakeButton(BottomPanel, "ButtonCancel", "Cancel");
    ButtonApply->setEnabled(false);
    for (QPushButton* B : {ButtonOK, ButtonApply, ButtonCancel})
        Buttons->addWidget(B);
    Layout->addWidget(BottomPanel);

    StatusBar = new QStatusBar(C);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    Layout->addWidget(StatusBar);

    connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
    connect(ButtonApply, &QPushButton::clicked, this, [this] { ButtonApplyClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
    connect(PrintPreviewButton, &QToolButton::clicked, this, [this] { PrintPreviewButtonClick(); });

    // FormCreate: at least two columns, no column sizing by the user.
    while (Grid->Columns().Count() < 2)
        Grid->Columns().Add();
    Grid->SetOptions(Grid->Options() & TGridOptions(~goColSizing));

    Grid->OnGetEditText = [this](int C, int R, std::string& V) { GridGetEditText(C, R, V); };
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { GridSetEditText(C, R, V); };
    Grid->OnActiveColChanged = [this](TXGridColumn*, TXGridColumn*) { GridActiveColChanged(); };
    Grid->OnGetCellProps = [this](int C, int R, TXCellProperties& P) { GridGetCellProps(C, R, P); };
    Grid->OnModified = [this] { GridModified(); };
    Grid->OnColumnResize = [this] { GridColumnResize(); };
    Grid->OnKeyUp = [this](int& Key, Qt::KeyboardModifiers Shift) { GridKeyUp(Key, Shift); };
    Grid->OnCancelEdit = [this](int, int, const std::string&) { Editing = false; };

    FWidgetGrid = std::make_unique<TWidgetGrid>(Grid);
    AttachGrid(FWidgetGrid.get());
}

TBaseGridForm::~TBaseGridForm()
{
    // The grid's handlers call into this window: it goes while the window is still whole.
    delete Grid;
    Grid = nullptr;
}

void TBaseGridForm::InitForm()
{
    TBaseMDIForm::InitForm();
    InitCore();
    ModalResult = 0;
    ApplyFormTexts("TBaseGridForm", this);
}

void TBaseGridForm::AfterInit()
{
    TBaseMDIForm::AfterInit();
    if (auto* Owner = qobject_cast<TBaseGridForm*>(OwnerForm.data()); Owner && CopyOwnerSelection) {
        int Row = Owner->Grid->Col();
        if (Row >= 0 && Row < Grid->RowCount())
            Grid->SetRow(Row);
    }
    Grid->ShowCellHint();
    // The tool bar is for the mouse and its keys (Insert, Delete): its buttons, a descendant's included, never
    // take the keyboard from the grid.
    for (QToolButton* B : ToolBar->findChildren<QToolButton*>())
        B->setFocusPolicy(Qt::NoFocus);
}

// ---- TGridFormCore -----------------------------------------------------------------------------------------------

std::string TBaseGridForm::FormCaption() const { return FromQ(windowTitle()); }

void TBaseGridForm::SetFormCaption(const std::string& Value) { setWindowTitle(ToQ(Value)); }

TGridFormCore* TBaseGridForm::OwnerGridForm() const { return qobject_cast<TBaseGridForm*>(OwnerForm.data()); }

void TBaseGridForm::ModifiedChanged() { ButtonApply->setEnabled(Modified); }

void TBaseGridForm::SectionLost()
{
    // The device took the changes but its section could not be read again (the load box has been shown): the
    // window goes, as one does whose section cannot be read when it opens. Closed once Apply has returned.
    QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void TBaseGridForm::ChildApplied()
{
    try {
        ReloadAfterChildApplied();
    } catch (const Exception& E) {
        ShowError(E.Message);
    }
}

void TBaseGridForm::ShowOKOnly()
{
    ButtonApply->hide();
    ButtonCancel->hide();
    // OK takes the place of Cancel: the last place in the row.
    auto* L = static_cast<QHBoxLayout*>(BottomPanel->layout());
    L->removeWidget(ButtonOK);
    L->addWidget(ButtonOK);
}

// ---- buttons and closing -----------------------------------------------------------------------------------------

void TBaseGridForm::AdjustParams(TWindowParams& Params)
{
    TBaseMDIForm::AdjustParams(Params);
    if (OwnerForm) {
        Params.X = OwnerForm->x() + 30;
        Params.Y = OwnerForm->y() + 30;
    }
}

void TBaseGridForm::ButtonApplyClick()
{
    // A button that takes no focus leaves the editor open: what is typed there belongs to this Apply.
    if (!CommitEditorForButton())
        return;
    if (ApplyFromWindow())
        AppliedOnce = true;
}

bool TBaseGridForm::ApplyFromWindow()
{
    TFormServices* S = FormServices();
    FWriting = {};
    if (S && !S->DeviceFacts().BatchMode)
        FApplyBefore = CopyOwnRecords();
    const bool Applied = ApplyChanges(true);
    FApplyBefore.reset();
    if (Applied) {
        FCutChanges = {};
        FCutOther.clear();
        return true;
    }
    // A write cut short: what it was to change, with what earlier cut Applies were, waits for a retry or a drop.
    if (!FWriting.Empty() && (WriteCutShort() || !FCutOther.empty()))
        FCutChanges = std::move(FWriting);
    return false;
}

void TBaseGridForm::KeepCutChanges(TChangeSet Changes)
{
    for (TChangeSet& Held : FCutOther)
        if (Held.Section == Changes.Section) {
            MergeChanges(Held, Changes);
            return;
        }
    FCutOther.push_back(std::move(Changes));
}

const TXmlNode* TBaseGridForm::OwnRecords() const { return RecordNode ? RecordNode.Get() : SectionNode.Get(); }

std::unique_ptr<TXmlNode> TBaseGridForm::CopyOwnRecords() const
{
    return CopyLeavingOut(OwnRecords(), [this](const TXmlNode* Node) { return EditedElsewhere(Node); });
}

TChangeSet TBaseGridForm::ChangesSinceCopy(const TXmlNode* Copy) const
{
    const TXmlNode* Section = SectionNode;
    const TXmlNode* Scope = OwnRecords();
    if (!Copy || !Section || !Scope)
        return {};
    const TFormServices* S = FormServices();
    return ChangesOfApply(Section->GetName(), Copy, Scope, ReconcileKindOf(Section->GetName()),
        S && FirmwareKeepsCase(S->DeviceFacts().FlashVersion));
}

const TChangeSet* TBaseGridForm::ChangesToWrite()
{
    if (!FApplyBefore || !SectionNode || !OwnRecords())
        return FCutChanges.Empty() ? nullptr : &FCutChanges;
    FWriting = FCutChanges;
    MergeChanges(FWriting, ChangesSinceCopy(FApplyBefore.get()));
    return &FWriting;
}

bool TBaseGridForm::WriteCutShort() const
{
    for (TXmlNode* N = SectionNode; N; N = N->Parent)
        if (N->Attrs.Find(UnsettledAttr))
            return true;
    return false;
}

bool TBaseGridForm::CommitEditorForButton()
{
    const int Told = RangeMessages;
    Grid->EndEditBeforeChange();
    // The grid had to change what was typed and said so: the user sees the cell before anything is written.
    return RangeMessages == Told;
}

void TBaseGridForm::ButtonOKClick()
{
    if (!CommitEditorForButton())
        return;
    AskOnClose = false;
    SaveOnClose = Modified;
    if (FormMask == TFormKinds{1}) {
        ModalResult = mrOk;
        close();
        return;
    }
    close();
}

void TBaseGridForm::ButtonCancelClick()
{
    SaveOnClose = false;
    AskOnClose = false;
    if (FormMask == TFormKinds{1})
        ModalResult = AppliedOnce ? mrOk : mrCancel;
    close();
}

void TBaseGridForm::GetPrintData(TPrintData& Data)
{
    Data.Title = Data.HeaderCaption = FormCaption();
    Data.Orientation = PrintOrientation == 1 ? pnLandscape : pnPortrait;
    Data.Grid = Grid;
    Data.Text.clear();
    Data.FitToPageWidth = true;
}

void TBaseGridForm::PrintPreviewButtonClick()
{
    OpenPrintPreview(Area(), this, [this](TPrintData& Data) {
        GetPrintData(Data);
        repaint();
    });
}

namespace {
const char* const DeadLineQuestion =
    "The connection to the VMU is lost, so the changes in this window cannot be written to it now.\r\n"
    "Yes: keep the window open with its changes, to apply them once the VMU is connected again.\r\n"
    "No: close the window and drop its changes.";
const char* const DeadLinePutBack =
    " A write of them was cut short, so the VMU may hold part of them: once it is connected again, it is brought "
    "back to what it held before they were applied.";
}

bool TBaseGridForm::LineLost() const
{
    TFormServices* S = FormServices();
    if (!S)
        return false;
    const TDeviceFacts F = S->DeviceFacts();
    return !F.BatchMode && !F.LineUp;
}

bool TBaseGridForm::FormCloseQuery()
{
    // Closing by the title bar leaves the editor open: its text counts as an edit of this window. Refused and
    // handed back to the editor for correction, it keeps the window open.
    const int Reopened = EditorsReopened;
    Grid->EndEditBeforeChange();
    if (EditorsReopened != Reopened)
        return false;
    TFormServices* S = FormServices();
    if (S) {
        if (!S->CloseOwnedForms(this))
            return false;
    } else {
        for (TBaseMDIForm* Detail : DetailForms())
            if (Detail->isVisible() && !Detail->close())
                return false;
    }
    bool CanClose = true;
    if (SaveOnClose || Modified) {
        int Answer = SaveOnClose ? mrYes : mrNo;
        if (AskOnClose) {
            if (Area())
                Area()->setActiveSubWindow(this);
            raise();
            if (LineLost()) {
                // Yes cannot write anything now: the question says what each answer does, and keeping the
                // window (to apply after reconnecting) stands where saving would.
                const std::string Question = std::string(DeadLineQuestion) + (FCutChanges.Empty() && FCutOther.empty() ? "" : DeadLinePutBack);
                if (TDialogs::instance().MessageBox(Question, Utilits::SWarning, mtWarning, mbYes | mbNo) != mrNo) {
                    AskOnClose = true;
                    SaveOnClose = false;
                    return false;
                }
                Answer = mrNo;
            } else {
                Answer = AskSaveFormChanges();
            }
        }
        if (Answer == mrCancel) {
            CanClose = false;
            AskOnClose = true;
        } else if (Answer == mrYes) {
            CanClose = ApplyFromWindow();
            if (CanClose)
                AfterSave();
            AskOnClose = true;
        } else {
            AfterDiscard();
            AskOnClose = false;
            // What a cut write left of the dropped edits on the device is taken back.
            // The window's own section first: a store of it may reset what the others hold.
            if (S) {
                if (!FCutChanges.Empty())
                    S->PutSectionBack(std::move(FCutChanges), SectionCaption());
                for (TChangeSet& Other : FCutOther)
                    S->PutSectionBack(std::move(Other), S->GetSectionCaption(Other.Section));
            }
            FCutChanges = {};
            FCutOther.clear();
        }
        SaveOnClose = false;
    }
    if (CanClose)
        TrackModified = false;
    return CanClose;
}

void TBaseGridForm::closeEvent(QCloseEvent* Event)
{
    if (!FormCloseQuery()) {
        Event->ignore();
        return;
    }
    TBaseMDIForm::closeEvent(Event);
    if (!Event->isAccepted())
        return;
    TFormServices* S = FormServices();
    if (!S)
        return;
    // A window of its own gives its section back: in interactive mode it is read afresh next time.
    if (!OwnerForm)
        if (TXmlNode* Section = SectionNode; Section)
            S->SectionFormClosed(Section->GetName());
    if (!S->DeviceFacts().BatchMode)
        ForgetReadSections(*S);
}

void TBaseGridForm::resizeEvent(QResizeEvent* Event)
{
    TBaseMDIForm::resizeEvent(Event);
    UpdateSizeLabels();
}

// ---- grid events -------------------------------------------------------------------------------------------------

void TBaseGridForm::GridGetEditText(int, int, std::string& Value)
{
    if (CheckGuard)
        return;
    EditStartText = Value;
    Editing = true;
}

void TBaseGridForm::GridSetEditText(int ACol, int ARow, std::string& Value)
{
    Editing = false;
    CommitCol = ACol;
    CommitRow = ARow;
    RefuseUnsendableEmpty(ACol, ARow, Value);
}

void TBaseGridForm::GridActiveColChanged() { UpdateSizeLabels(); }

void TBaseGridForm::GridColumnResize() { UpdateSizeLabels(); }

void TBaseGridForm::GridGetCellProps(int ACol, int ARow, TXCellProperties& Props)
{
    if (PropertyMode && ACol == 1 && ARow >= 0 && size_t(ARow) < RowAlignments.size())
        Props.Alignment = RowAlignments[size_t(ARow)];
}

void TBaseGridForm::GridModified() { SetModified(true); }

void TBaseGridForm::GridKeyUp(int& Key, Qt::KeyboardModifiers)
{
    // The editor decides alone: a cancelled edit never reaches GridSetEditText, so Editing may still be set.
    if (Grid->EditorShowing())
        return;
    // The keys do what the buttons do, and only while the button may be used: record limits live in the buttons.
    auto Fire = [](QToolButton* B) {
        if (!B->isHidden() && B->isEnabled())
            B->click();
    };
    if (Key == Qt::Key_Insert)
        Fire(NewRowButton);
    else if (Key == Qt::Key_Delete)
        Fire(DeleteRowButton);
}

void TBaseGridForm::UpdateSizeLabels()
{
    if (!FormSizeLabel || !Grid)
        return;
    FormSizeLabel->setText(QStringLiteral("W: %1 H: %2").arg(width()).arg(height()));
    if (Grid->ColumnCount() > 0)
        Col0SizeLabel->setText(QStringLiteral("Co0W: %1").arg(Grid->ColumnList()[0]->Width()));
    if (TXGridColumn* C = Grid->ActiveColumn())
        ColSizeLabel->setText(QStringLiteral("ColW: %1").arg(C->Width()));
}
