// The base window of every parameter section: a tool bar (print preview, new row, delete row), the string grid,
// OK / Apply / Cancel and a status bar for the cell hints, around the section logic of TGridFormCore. Section
// windows derive from it, override the hooks they need and end their InitForm with ShowSection.
//
// A window whose section cannot be shown (a bad view description, a section missing from the data document) is
// closed while it is created: the error is shown and no half-built window stays (TBaseMDIForm::Create answers
// null). The caption carries "*" while there are unapplied edits; Apply is enabled exactly then.
#pragma once

#include "common/ui/BaseMDI.h"
#include "engine/ChangeSet.h"
#include "forms/base/GridFormCore.h"
#include "grid/XStrGrid.h"

struct TPrintData;
class TFormServices;
class QLabel;
class QPushButton;
class QStatusBar;
class QToolButton;
class QWidget;

class TBaseGridForm : public TBaseMDIForm, public TGridFormCore {
    Q_OBJECT
public:
    explicit TBaseGridForm(const TFormCreation& Creation);
    ~TBaseGridForm() override;

    // ---- components (objectNames as named here) ----
    QWidget* ToolBar = nullptr;
    QToolButton* PrintPreviewButton = nullptr;
    QToolButton* NewRowButton = nullptr;
    QToolButton* DeleteRowButton = nullptr;
    QLabel* FormSizeLabel = nullptr;
    QLabel* Col0SizeLabel = nullptr;
    QLabel* ColSizeLabel = nullptr;
    TXStringGrid* Grid = nullptr;
    QWidget* BottomPanel = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonApply = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QStatusBar* StatusBar = nullptr;

    // What OK or Cancel left behind in a dialog-style window (kind 1 alone).
    int ModalResult = 0;

    // Hides Apply and Cancel; OK takes Cancel's place (windows that only open detail windows).
    void ShowOKOnly();
    // The owner's side of a detail window's Apply.
    void ChildApplied() override;

    // ---- events (public so that tests and descendants can fire them) ----
    void ButtonOKClick();
    void ButtonApplyClick();
    // Commits text still in the editor for OK or Apply; false when the grid changed it and told the user.
    bool CommitEditorForButton();
    void ButtonCancelClick();
    void PrintPreviewButtonClick();
    // What the print preview shows: the caption, the print orientation and the grid, fitted to the page width.
    virtual void GetPrintData(TPrintData& Data);
    // The close question; true when the window may close. On a lost line in interactive mode it asks whether to
    // keep the window with its changes or to drop them, since saving cannot reach the device.
    bool FormCloseQuery();

    // The window's own records as an Apply copies them before it writes (in batch mode none is made), and the
    // change set of what the window changed in them since.
    std::unique_ptr<TXmlNode> CopyOwnRecords() const;
    TChangeSet ChangesSinceCopy(const TXmlNode* Copy) const;

protected:
    void InitForm() override;
    // A detail window opens beside its owner rather than over it.
    void AdjustParams(TWindowParams& Params) override;
    void AfterInit() override;
    // The grid's current cell: keys typed at once go where the user aims them.
    QWidget* FirstFocusWidget() const override { return Grid; }
    void closeEvent(QCloseEvent* Event) override;
    // What a window closing in interactive mode gives back beside its own section: the sections its checks read
    // from the device, so that they are read afresh next time. Nothing by default.
    virtual void ForgetReadSections(TFormServices&) {}
    void resizeEvent(QResizeEvent* Event) override;

    // ---- grid events ----
    void GridGetEditText(int ACol, int ARow, std::string& Value);
    void GridSetEditText(int ACol, int ARow, std::string& Value);
    void GridActiveColChanged();
    void GridGetCellProps(int ACol, int ARow, TXCellProperties& Props);
    void GridModified();
    void GridColumnResize();
    void GridKeyUp(int& Key, Qt::KeyboardModifiers Shift);

    // ---- TGridFormCore ----
    std::string FormCaption() const override;
    void SetFormCaption(const std::string& Value) override;
    TGridFormCore* OwnerGridForm() const override;
    int32_t OwnerIndex() const override { return Index; }
    void NotifyOwner() override { NotifyOwnerApplied(); }
    void ModifiedChanged() override;
    void SectionLost() override;

private:
    class TWidgetGrid;
    bool LineLost() const;
    // Apply from a button or the close question. What the Applies whose write failed part-way were to change is
    // kept until an Apply succeeds: a retry sends only what of it the device lacks, and dropping the edits puts the
    // device back where it holds what they left.
    bool ApplyFromWindow();
    const TChangeSet* ChangesToWrite() override;
    // What the Applies cut short changed in other sections (a PBX type's tone codes): dropped with the window.
    std::vector<TChangeSet> FCutOther;

protected:
    // A part of the window's records that it neither shows nor changes, edited by a window of its own: an Apply
    // does not copy it (the copy of a large section would cost more than the Apply's own work). None by default.
    virtual bool EditedElsewhere(const TXmlNode*) const { return false; }
    // An Apply's second write, of another section, was cut short: its change set is dropped with the window's.
    void KeepCutChanges(TChangeSet Changes);
    bool WriteCutShort() const;

private:
    // The record the window shows, or its whole section.
    const TXmlNode* OwnRecords() const;
    // The window's own records as they were before the Apply under way: their difference is its change set.
    std::unique_ptr<TXmlNode> FApplyBefore;
    TChangeSet FCutChanges, FWriting;
    void UpdateSizeLabels();
    std::unique_ptr<TWidgetGrid> FWidgetGrid;
};
