// The logic of every parameter-section window, kept apart from its widgets: it binds one section of the data
// document to a string grid (property mode: one "Description"/"Value" row per parameter; table mode: one row per
// record, one column per field), applies the section's view description, tracks added and deleted records, and
// on Apply writes the edits back into the data nodes with their "Change" marks and has the section stored.
// TBaseGridForm (BaseGrid.h) puts it into a window; tests drive it through a grid without a window.
//
// Cells are bound to data nodes by the nodes' handles: a node that has left the document resolves to nothing, so
// a stale binding can never reach freed memory; it only stops being written back.
//
// Failure contract: ShowSection raises the conversion errors of the view description (a bad number or Boolean)
// with the grid partly filled; the caller decides what to do with the window (the form closes it). ApplyChanges
// answers false and keeps Modified when a new record could not be made or the section could not be stored; the
// marks written up to that point stay in the document, so that the next Apply sends them again.
//
// Split by concern: GridFormCore.cpp (state, helpers, modified state), GridFormLoad.cpp (loading), GridFormApply.cpp
// (records and write-back), ViewDescription.cpp (the view-description interpreter).
#pragma once

#include "forms/base/FormGrid.h"
#include "xml/XmlDoc.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TDataManager;
struct TChangeSet;

// What the user reads when a number cell clamped or refused what was typed: the allowed values (Min..Max, both 0:
// any whole number; CanEmpty: or empty) and the text the cell now holds.
std::string RangeInputMessage(int32_t MinInteger, int32_t MaxInteger, bool CanEmpty, const std::string& Held);
// What the user reads when a window's check refused a text: why (Why), then the text the cell now holds (Held,
// the text it had before); with KeptInEditor also that the refused text waits in the cell's editor.
std::string RefusalMessage(const std::string& Why, const std::string& Held, bool KeptInEditor);

// A reference to a data or description node that survives the node: it holds the node's handle, and a node that
// has been freed resolves to null.
class TNodeRef {
public:
    TNodeRef() = default;
    TNodeRef(const TXmlNode* Node) : FHandle(Node ? Node->GetHandle() : 0) {}
    TXmlNode* Get() const { return FromHandle(FHandle); }
    operator TXmlNode*() const { return Get(); }
    TXmlNode* operator->() const { return Get(); }
    int32_t Handle() const { return FHandle; }
    static TXmlNode* FromHandle(int32_t Handle)
    {
        return dynamic_cast<TXmlNode*>(THandleObject::FromHandle(Handle));
    }

private:
    int32_t FHandle = 0;
};

class TGridFormCore {
public:
    TGridFormCore();
    virtual ~TGridFormCore();
    TGridFormCore(const TGridFormCore&) = delete;
    TGridFormCore& operator=(const TGridFormCore&) = delete;

    // ---- state ----
    TXmlDoc* DataDoc = nullptr;
    TXmlDoc* ViewDoc = nullptr;
    TNodeRef RecordNode;
    TNodeRef SectionNode;
    TNodeRef ViewNode;
    bool RowPropertyOn = true;
    bool PropertyMode = false;
    int32_t ColCountMade = 0;
    int32_t RowCountMade = 0;
    int32_t PlaceRow = -1;
    int32_t PlaceCol = -1;
    uint8_t PrintOrientation = 0;
    int32_t KeyColumn = 0;
    bool CopyOwnerSelection = false;
    bool Modified = false;
    bool TrackModified = false;
    bool AskOnClose = true;
    bool SaveOnClose = false;
    bool AppliedOnce = false;
    std::vector<TNodeRef> DeletedNodes;
    std::vector<int32_t> NewKeys;
    std::vector<TAlignment> RowAlignments;
    std::string EditStartText;
    bool Editing = false;
    bool CheckGuard = false;
    int32_t SortColumn = -1;
    // Depth of the placed description node below the node where the current walk started (caption indent).
    int32_t PlaceLevel = 0;
    // Data nodes that the last loads could not show (no cell describes them); each is also written to the trace.
    std::vector<std::string> LoadReport;
    // Set by windows whose cells are all laid out by the description pass: a data node whose expanded name no cell
    // carries is reported rather than given a row or column of its own.
    bool DataKeepsToCells = false;

    TFormGrid& FormGrid() const { return *FGrid; }
    TXStringGridModel& GridModel() const { return FGrid->Model(); }

    // Resets the state as a window's initialisation does (documents from the form services).
    void InitCore();

    // ---- hooks (descendants override; the base behaviour follows the name) ----
    virtual bool IsCellInfoNode(TXmlNode* Node);
    virtual void GetNodeValue(TXmlNode* Node, std::string& S);
    virtual void ShowTable(const std::string& Section, const std::string& SubSection);
    virtual void ShowProperties(const std::string& Section, const std::string& SubSection);
    virtual TXmlNode* FindColumnSubNode(int Col);
    virtual void LoadPropertyRows();
    virtual void LoadRecordRows();
    virtual void ShowSection(bool APropertyMode, const std::string& Section, const std::string& SubSection);
    virtual bool ApplyChanges(bool Notify);
    // The change set the write of an Apply keeps to after a cut (null: the whole section is the window's).
    virtual const TChangeSet* ChangesToWrite() { return nullptr; }
    virtual void BeforeWriteBack() {}
    virtual void AfterWriteBack() {}
    virtual void AfterDiscard() {}
    virtual void AfterSave() {}
    virtual bool SkipNode(TXmlNode* Node);
    virtual void GetNodeGroup(TXmlNode* Node, std::string& S);
    virtual void GetNodeName(TXmlNode* Node, std::string& S);
    virtual void FormatFormCaption(const std::string& S, std::string& R) { R = S; }
    virtual void FormatColumnCaption(const std::string& S, std::string& R) { R = S; }
    virtual void FormatPropertyCaption(const std::string& S, std::string& R) { R = S; }
    virtual bool NodeHandled(TXmlNode* Node, bool IsView);
    virtual void NodeDeleted(TXmlNode* Node) { (void)Node; }
    virtual void RecordNodeCreated(TXmlNode* Node) { (void)Node; }
    virtual bool RepeatTemplateNode(TXmlNode* Node);
    virtual void GetRowCaption(int Row, std::string& S);
    virtual void ValueToText(const std::string& Value, int Col, std::string& S, int Row);
    virtual void TextToValue(const std::string& Text, int Col, std::string& S, int Row);
    virtual void RowChanged(const std::vector<int>& Cols, int Row);
    virtual void GetRowSubSection(int Row, std::string& S);
    virtual void MarkNodesModified();

    // ---- the view description (ViewDescription.cpp) ----
    void ApplyViewParams(TXmlNode* Node, const std::string& Name, bool Flag);
    void ApplyViewAttribute(const std::string& Name, const std::string& Type, const std::string& Value, bool Flag);
    bool IsEditable() const;

    // ---- helpers for descendants ----
    TXmlNode* GetCellNode(int Col, int Row) const;
    void SetCellNode(int Col, int Row, TXmlNode* Node);
    void GetCellText(int Col, int Row, std::string& S) const;
    // A text set for the user (by a dialog): the cell takes it and the window counts as edited; false when the
    // cell is not there or already holds Text.
    bool SetEditedCell(int Col, int Row, const std::string& Text);
    void SetCellReadOnly(bool ReadOnly, int Col, int Row);
    void SetRowReadOnly(bool ReadOnly, int Row, int LastCol, int FirstCol);
    void SetColumnReadOnly(bool ReadOnly, int Col, int LastRow, int FirstRow);
    void EnsureRow(int Row);
    void EnsureColumn(int Col);
    int FindRowByKey(int Col, const std::string& Key) const;
    int FindColumnByKey(int Row, const std::string& Key) const;
    static bool FindNodeByID(const std::vector<TNodeRef>& List, TXmlNode* Node);
    bool IsNodeInColumn(int Col, TXmlNode* Node) const;
    static TXmlNode* FindNamedChild(TXmlNode* Parent, const std::string& Name, const std::string& SubName);
    void SetChildValue(TXmlNode* Parent, const std::string& Name, const std::string& Value);
    static void ExpandAttribute(TXmlNode* Node, const std::string& AttrName, const std::string& Arg);
    static void ExpandNodeName(TXmlNode* Node);
    void SetCellChange(int Col, int Row, bool AModified);
    void ClearCellNodes();
    void ClearComboItems();
    void RenameListItem(int Col, int Row, const std::string& NewText, const std::string& OldText);
    void RemoveListItem(int Col, int Row, const std::string& Text);
    void ShiftRowsUp(int FromRow, bool MoveNodes);
    void ShiftCellsLeft(int FromCol, int Row, bool MoveNodes);
    int AddRecordRow(const std::string& KeyText);
    void DeleteRecordRow(int Row);
    TXmlNode* CreateRecordNode(TXmlNode* Parent, TXmlNode* Template, bool Deep);
    void UpdateDependentNodes(int Col, int Row, bool Force, const std::vector<std::string>& Values);
    void RemoveDependentNodes(TXmlNode* Node, TXmlNode* Template, bool ShowDefaults);
    bool ShowsTemplateValues(TXmlNode* Node);

    // ---- loading (GridFormLoad.cpp) ----
    // Walks Start's subtree (Start first) placing the cells of its Cell Info nodes; see the .cpp.
    void LoadNodes(TXmlDoc* Document, TXmlNode* Start, bool ShowValues, bool ApplyCellInfo);
    // Puts Node on its cell (by its expanded name) and makes that cell PlaceCol/PlaceRow.
    void PlaceNode(TXmlNode* Node);
    // Whether a cell already carries Node's expanded name (in PlaceCol in property mode, in PlaceRow in a table).
    bool HasCellFor(TXmlNode* Node);
    void ShowNodeValue(TXmlNode* Node, bool MakeEditable, bool Bind);
    // Locates SectionNode, RecordNode and ViewNode (only while RecordNode is unset); false when they are missing.
    bool LocateSection(const std::string& Section, const std::string& SubSection);
    // The record template of a table section when no stored record shows one: the first Cell Info child of the
    // section's description node.
    TXmlNode* RecordTemplate();

    // The grid clamped a number or refused a text in a number cell: the user is told the allowed values and what
    // the cell now holds, before anything is written.
    void RangeInputRefused(int Col, int Row);
    int RangeMessages = 0;   // how many such messages, and refusals of a window's checks, were shown
    // The cell whose edit is being committed (data coordinates; -1 none), recorded by the base edit handler.
    int CommitCol = -1;
    int CommitRow = -1;
    // An empty text committed to a cell whose value the device can never be given empty (EmptyValueUnsendable):
    // the user is told so and Value goes back to the text the cell held. True when it was refused.
    bool RefuseUnsendableEmpty(int Col, int Row, std::string& Value);
    // Opens the editor again on the cell being committed, holding Text (a refused text, to be corrected).
    void ReopenEditor(const std::string& Text);
    int EditorsReopened = 0;   // how many times; a close that sees it grow stays open for the correction

    // ---- modified state ----
    void SetModified(bool Value);
    // Compares two data rows by the first sorted column, numerically, empty last.
    int CompareRows(const TXGridColumnList& Sorted, int Row1, int Row2) const;
    void SortRows();
    // The owner's reaction to a detail window's Apply: reload unless there are unapplied edits here.
    void ReloadAfterChildApplied();
    // The cells bound to a node that show its value: those not edited since they were shown.
    std::vector<std::pair<int, int>> UneditedCells();
    // Cells (column, row) show their nodes' values again: the document changed under them.
    void ShowNodeValues(const std::vector<std::pair<int, int>>& Cells);
    // Shows the section again from the data document, located afresh by the names it was first shown with (the
    // section may have been read again from the device in the meantime).
    void ReshowSection();
    // The caption without the modified mark: the name of the section as messages quote it.
    std::string SectionCaption() const;

protected:
    // The grid this logic works on; set once by the window (or the test) before InitCore.
    // Also installs the numeric row comparison for sorting.
    void AttachGrid(TFormGrid* Grid);

    // ---- what the window supplies (tests override what they need) ----
    virtual std::string FormCaption() const { return FCaption; }
    virtual void SetFormCaption(const std::string& Value) { FCaption = Value; }
    // The opening section window and the row it was opened for; null and -1 for a window of its own.
    virtual TGridFormCore* OwnerGridForm() const { return nullptr; }
    virtual int32_t OwnerIndex() const { return -1; }
    virtual void NotifyOwner() {}
    // Modified changed: caption mark and the Apply button follow.
    virtual void ModifiedChanged() {}
    // A data node that no cell shows; the base writes it to the load report and the trace.
    virtual void ReportUnshownNode(TXmlNode* Node, const std::string& Why);
    // The section was written but could not be read back from the device: the window shows data that is gone.
    virtual void SectionLost() {}

    TDataManager* Manager() const;

private:
    // PlaceNode and HasCellFor for a node whose name, group and expanded key are known.
    void PlaceKeyed(const std::string& Name, const std::string& Group, const std::string& Key);
    bool HasCellKeyed(const std::string& Group, const std::string& Key);
    // The first cell carrying Key: in a table the column in the placing row, in property mode the row in the placing
    // column; -1 without one.
    int KeyedCell(const std::string& Group, const std::string& Key);
    bool PlaceInProperty(const std::string& Name, const std::string& Group, const std::string& Key);
    bool PlaceInTable(const std::string& Name, const std::string& Group, const std::string& Key);
    void LinkColumnUnderHeader(const std::string& Caption);
    void ReportDataPass(TXmlNode* Node);
    bool StoreNewRecords();
    void WriteBackCells();
    void SettleDeletedNodes();
    // Whether a record or dependent node made since the last Apply still has an empty value: the device fills it.
    bool DeviceFillsMadeNodes() const;
    // Whether any bound cell shows another text than its node holds.
    bool CellsDifferFromNodes();
    // Calls Test with each cell bound to a value node and that value as the cell would show it, until Test returns
    // true; whether it did.
    bool FindValueCell(const std::function<bool(int Col, int Row, const std::string& Shown)>& Test);

    // ---- the view description while a section loads (ViewDescription.cpp) ----
    enum class TViewKey : uint8_t;
    static TViewKey ViewKeyOf(const std::string& Name);
    void ApplyViewRule(TViewKey Key, const std::string& Type, const std::string& Value, bool Flag);
    // One "GATTR" of a view description, its name looked up once.
    struct TViewRule {
        TViewKey Key;
        std::string Type, Value;
    };
    // What a description node says for the cells it places: whether it has a "Cell Info", and that one's rules.
    struct TCellView {
        bool CellInfo = false;
        std::vector<TViewRule> Rules;
    };
    // A table places each record's cells from the same description nodes, so while a section loads each node's
    // "Cell Info" is read once, not once per record. Keyed by the node's handle (never another node's, unlike
    // its address); the description does not change during a load, and the cache is dropped when it ends.
    const TCellView& CellViewOf(TXmlNode* Described);
    std::unordered_map<int32_t, TCellView> FCellViews;
    int FLoading = 0;
    struct TLoadScope;

    // ---- placing in property mode (GridFormLoad.cpp) ----
    // Each node is looked for among all rows of the value column. While a walk of LoadNodes places nodes without a
    // group (keys then compare as they stand), the rows of the keys are kept in a map; only that walk's own
    // placing writes keys into the column, and a column or row count other than the map's rebuilds it.
    struct TKeyRows {
        bool Valid = false;
        const TXGridColumn* Column = nullptr;
        int Rows = 0;
        std::unordered_map<std::string, int> First;   // key -> the first row that carries it
        std::set<int> Empty;                          // rows without a key
    };
    bool PlaceByKeyRows(const TXGridColumn* Column, const std::string& Name);
    TKeyRows FKeyRows;
    int FWalking = 0;

    TFormGrid* FGrid = nullptr;
    std::string FCaption;
    bool FOwnerCaptionAdded = false;
    // The names the section was located by, for a reload after the section was read again.
    std::string FSectionName, FSubSectionName;
    // Nodes made from templates since the last Apply.
    std::vector<TNodeRef> FMadeNodes;
    // The window had no unapplied edits when the rows still pending were added.
    bool FCleanBeforeAdds = false;
};

// Value type, value option, grid option and alignment named by the view description's texts; false when the text
// names none (the value type then is vtString).
TCellValueType ViewValueType(const std::string& Text);
bool ViewValueOption(const std::string& Text, TCellValueOptions& Option);
bool ViewGridOption(const std::string& Text, TGridOptions& Option);
bool ViewAlignment(const std::string& Text, TAlignment& Alignment);
