// What the "Mailbox Group" and "Extension Group" windows decide, on the section logic of TGridFormCore and without
// a window: twenty rows of groups (row number, group number, name, twenty members), entered in order without gaps;
// which cells may be edited; what a cleared cell closes up; which entries are refused and why; and how Apply turns
// the rows into group nodes named, like the device's screens, after their group numbers ("Mailbox Group No. 500").
// TGroupSectionLogic puts these decisions into the hooks of the form logic, for the windows and the tests alike.
#pragma once

#include "forms/base/GridFormCore.h"
#include "forms/simple/SimpleFormRules.h"

#include <cstdint>
#include <string>
#include <vector>

class TFormServices;

enum TGroupKind { gkMailbox, gkExtension };

class TGroupTable {
public:
    static constexpr int NumberCol = 0;       // the row number 1 to 20, never edited
    static constexpr int GroupCol = 1;        // the group number, bound to the group's record node
    static constexpr int NameCol = 2;
    static constexpr int FirstMemberCol = 3;  // members 1 to 20 in columns 3 to 22
    static constexpr int MemberCount = 20;
    static constexpr int GroupCount = 20;
    static constexpr int LastCol = FirstMemberCol + MemberCount - 1;

    explicit TGroupTable(TGridFormCore& Core) : Core(Core) {}

    // "Mailbox Group No." / "Mailbox No." or "Extension Group No." / "Extension No.".
    void SetKind(TGroupKind AKind);
    TGroupKind Kind = gkMailbox;
    std::string GroupNoName = "Mailbox Group No.";
    std::string MemberName = "Mailbox No.";
    // The member placed while the description's row is loaded (1 to 20).
    int32_t MemberIndex = 1;

    // ---- the hooks of the form logic ----
    // A group node's name becomes exactly GroupNoName; the member template's name is numbered with MemberIndex.
    void NodeName(std::string& S) const;
    // A caption with "%.2d" numbers the member column ("01" ... "20").
    std::string ColumnCaption(const std::string& S) const;
    // The description node that makes a column's data node: the group, its name or a member; null otherwise.
    TXmlNode* ColumnTemplate(int Col) const;
    // While the data is placed: true for a node whose name names no cell of its row (a member past the twentieth,
    // a name the description does not know), so that it can never add a column; such a node is not shown.
    bool IsUnplaceable(TXmlNode* Node) const;
    // Twenty rows from the description, then one row per stored group, sorted by group number. Answers the
    // stored groups past the twentieth, which no row shows.
    std::vector<TXmlNode*> LoadRows();
    // A new group node (made from the description at Apply): named after its group number, with a member node
    // for each member of its row; the description's member template does not stay in the data.
    void GroupNodeCreated(TXmlNode* Node);
    // A group marked for deletion marks its members modified.
    void GroupNodeDeleted(TXmlNode* Node) const;
    // Apply, before the form logic writes back: groups without members go, new groups get their nodes (marked
    // "Insert"), groups whose number or members changed are deleted and made anew (their members closed up), and
    // members or names added to a kept group get their nodes. False (the message shown) when a node could not
    // be made: the description has no group template.
    bool BeforeApply();
    // After loading and after a successful Apply: rows sorted by group number, renumbered, editing rights again.
    void ArrangeRows();

    // ---- editing ----
    // Which cells of the rows from FromRow on may be edited: every filled cell, the first empty member after the
    // filled ones (the first member also right after a group number without name), the name of a row with a
    // group number, and the group number of the first row after the last group.
    void UpdateReadOnly(int FromRow);
    // After members moved left from Col: an empty member right after a filled one may be edited, the later ones
    // not.
    void UpdateMemberCells(int Col, int Row);
    // The Delete button: the row's group goes (its node is deleted at Apply) and the groups below move up.
    // False when the row holds no group.
    bool DeleteGroup(int Row);
    // The check of an entry in the group number column or a member column (other columns: accepted); empty or
    // unchanged texts pass.
    TCellDecision CheckEntry(int Col, int Row, const std::string& Text, TFormServices& Services) const;
    // The cell check after the grid took Value (the cell still shows the text the editor opened with): a refused
    // entry shows its message and Value goes back; what the accepted text opens or closes up follows.
    void CellEdited(int Col, int Row, std::string& Value);
    // The Delete key on an editable cell: the cell is cleared through the cell check. False when nothing changed.
    bool DeleteKey(int Col, int Row);

    // ---- what the main window asks an open group window ----
    bool GroupNumberExists(const std::string& Value) const;
    // Any member cell other than (ExceptCol, ExceptRow) holds Value; -1 excepts nothing.
    bool MemberExists(const std::string& Value, int ExceptCol, int ExceptRow) const;
    bool MemberInRow(const std::string& Value, int ExceptCol, int Row) const;

    // The group number of a row, or "".
    std::string GroupNumber(int Row) const;

private:
    TXStringGridModel& Grid() const { return Core.GridModel(); }
    void Renumber();
    TGridFormCore& Core;
    bool FDataPass = false;
};

// The checks of an entered group number or member, as the windows make them (Table answers the questions about
// the other rows and cells). Mailbox groups: a group number may be no mailbox, stored or in the open Mailbox
// Listing, and no other group's number; a member may be neither manager's mailbox, must exist, and may stand
// once in its group. Extension groups: a number (group or member) may be no owner's or operator's extension,
// stored or in their open windows, no group number and no member of any group.
TCellDecision CheckMailboxGroupNumber(const std::string& Text, const TGroupTable& Table, TFormServices& Services);
TCellDecision CheckMailboxGroupMember(const std::string& Text, int Col, int Row, const TGroupTable& Table,
    TFormServices& Services);
TCellDecision CheckExtensionGroupEntry(const std::string& Text, int Col, int Row, const TGroupTable& Table,
    TFormServices& Services);

// The section logic with the group decisions in its hooks. TBase is the window's base (TBaseGridForm) or, in
// tests, the form logic on a model grid.
template <class TBase>
class TGroupSectionLogic : public TBase {
public:
    using TBase::TBase;
    TGroupTable Groups{*this};

    bool ApplyChanges(bool Notify) override
    {
        if (!Groups.BeforeApply() || !TBase::ApplyChanges(Notify))
            return false;
        Groups.ArrangeRows();
        // Sorting and renumbering rewrite cells, which a tracking grid reports as edits: they are none.
        const bool Tracking = this->TrackModified;
        this->TrackModified = true;
        this->SetModified(false);
        this->TrackModified = Tracking;
        return true;
    }

protected:
    void GetNodeName(TXmlNode* Node, std::string& S) override
    {
        TBase::GetNodeName(Node, S);
        Groups.NodeName(S);
    }
    void FormatColumnCaption(const std::string& S, std::string& R) override { R = Groups.ColumnCaption(S); }
    TXmlNode* FindColumnSubNode(int Col) override { return Groups.ColumnTemplate(Col); }
    bool SkipNode(TXmlNode* Node) override
    {
        if (TBase::SkipNode(Node))
            return true;
        if (!Groups.IsUnplaceable(Node))
            return false;
        this->ReportUnshownNode(Node, "no cell of its group has this name");
        return true;
    }
    void LoadRecordRows() override
    {
        for (TXmlNode* Node : Groups.LoadRows())
            this->ReportUnshownNode(Node, "the window shows twenty groups");
    }
    void RecordNodeCreated(TXmlNode* Node) override
    {
        TBase::RecordNodeCreated(Node);
        Groups.GroupNodeCreated(Node);
    }
    void NodeDeleted(TXmlNode* Node) override
    {
        TBase::NodeDeleted(Node);
        Groups.GroupNodeDeleted(Node);
    }
};
