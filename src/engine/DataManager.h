// The data manager binds the data document to the description document. It compiles the description's menu
// scripts into step lists (load scripts, save scripts with conditions and macros, the log-in script), parses
// captured screen text into data nodes by the description's parse attributes, and offers the small node services
// the forms share (name patterns, rows from templates, clearing a section, settling change marks after a save).
//
// Promises: the parser always ends and never reads outside the screen lines; a bad number or Boolean in the
// description raises EConvertError to the caller; values inserted into keystrokes by %ATTR% macros never carry
// control characters. The manager keeps no state between calls; it is used by one thread at a time.
#pragma once

#include "engine/StepParameters.h"
#include "engine/ValueCheck.h"
#include "xml/XmlDoc.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Signals of the save-script language: a plain step, %NOPARENT% (do not visit the node's children), %STOP%.
enum TScriptSignal : int { ssNone = 0, ssNoParent = 1, ssStop = 2 };

// --- Pure helpers of the screen-text parser (DataManagerFormat.cpp) -------------------------------------------

// The screen text split at CR LF, a single CR or a single LF.
std::vector<std::string> SplitScreenLines(const std::string& Text);
// The trimmed text after the first "[" up to the next "]" (when the line has "["), else after the first "(" up
// to the next ")", else ''; a missing closing bracket takes the rest of the line.
std::string BracketContent(const std::string& Line);
// The first line index in First..Last (clamped to the lines) whose text contains Text where no "[" stands before
// it (a value's text never counts); -1 when none or Text is ''.
int FindLine(const std::string& Text, const std::vector<std::string>& Lines, int First, int Last);
// The template list of a "TemplateAttr" text, item by item: the item at Index, false past the end. Ranges are
// not expanded into memory, so a wide range costs nothing until it is walked.
bool TemplateItem(const std::string& TemplateAttr, int64_t Index, std::string& Item);
// The whole list (for tests and small lists); at most Limit items.
std::vector<std::string> TemplateList(const std::string& TemplateAttr, size_t Limit = 100000);
// The format language of "FormatAttr" and "FormatValue": the fields read from Value. A width that is empty or
// only a sign raises EConvertError.
std::vector<std::string> ApplyFormat(const std::string& Format, const std::string& Value);
// The split rule of "ConvertToStrings" applied to Lines[First..Stop-1]; EConvertError on a bad number.
std::vector<std::string> ConvertToStrings(const std::string& Spec, const std::vector<std::string>& Lines, int First,
    int Stop);

// The first thing that keeps Data from being a document this description could have made, as a short text ('' when
// there is none): every node links to a description node of the same tag inside the subtree its parent links to
// (the root to the description's root), carries no script element, and a "Change" mark is one of "NoChange",
// "Modify", "Insert" and "Delete", and no two children of one node link to a description node that is no name
// pattern. A file that fails this must not be opened: its nodes would become device writes.
std::string CheckDataDocument(const TXmlDoc& Data, const TXmlDoc& Description);

// A value the parser could not take for the device's own (a line fault, most likely): where it stands and why.
struct TParseFault {
    const TXmlNode* Section = nullptr;  // the description node whose own load script reads it again
    std::string Name;                   // the value's (or record's) name, its template item put in
    std::string Record;                 // the record that holds it, FaultRecordName ('' at a section's top)
    std::string Text;                   // what the screen showed
    std::string Why;                    // a phrase that follows the value ("is no whole number")
};
// One line for a message box: 'the value "Last Name" of "Mailbox No. 201" reads "[AMES", which ...'.
std::string ParseFaultText(const TParseFault& Fault);
// What a fault names as the record of a value whose parent data node is Parent: the records it lies in, the nearest
// first ('1ST Device" of "Mailbox No. 101'), each as its window's caption names it ("Class of Service No. 2"), never
// only an item between ("Authorization for Auto Forwarding"); Parent's own name where it lies in no record.
std::string FaultRecordName(const TXmlNode* Parent);

// The values of Data that break their description node's rules (ValueCheck.h), as the screen parser checks them, and
// the empty values the device cannot be given: where the rule does not allow one, or where the value is to be sent
// (marked "Modify" or "Insert") by a store that has no way of its own to empty the field, since an empty line
// keeps the device's old value. Each as a fault whose Text is the value and Record its FaultRecordName.
std::vector<TParseFault> CheckDataValues(const TXmlDoc& Data);
// The digits of a mailbox number that Data's system information gives (its "Mailbox No. Length"); 0 when it gives
// none.
int MailboxNoLengthOf(const TXmlDoc& Data);
// Whether a save script of the description node Description types the node's own value as its last keys (a store).
bool ScriptStoresOwnValue(const TXmlNode* Description);
// Whether the device can never be given the value of Description's nodes empty: a store of it types the value, and
// no branch of its save script empties the field another way (an empty line keeps the device's old value) or deletes
// the record it is the key of (a window takes an emptied key for its record's deletion).
bool EmptyValueUnsendable(const TXmlNode* Description);

// --- The manager --------------------------------------------------------------------------------------------

class TDataManager {
public:
    TDataManager(TXmlDoc* Data, TXmlDoc* Description);
    TDataManager(const TDataManager&) = delete;
    TDataManager& operator=(const TDataManager&) = delete;

    TXmlDoc* Data;
    TXmlDoc* Description;

    // Menu scripts (DataManagerScripts.cpp).
    // The load script of the description node Node (or of the node named Name below it; Node nil = the whole
    // document): always a new list, empty when there is nothing to load.
    std::unique_ptr<TStepParameters> GetLoadSteps(TXmlNode* Node, const std::string& Name);
    // The save list along the path to Name (below Node): nullptr when there is nothing to start from. With
    // FromDescription the scripts run on description nodes, otherwise on the data nodes of that path. Only the
    // path's own nodes and the whole subtree of its last node are visited.
    std::unique_ptr<TStepParameters> GetSaveSteps(TXmlNode* Node, const std::string& Name, bool FromDescription);
    std::string ExpandMacros(TXmlNode* Node, const std::string& Text, int& Signal, bool ForKeys = false);
    std::string ExpandMacro(TXmlNode* Node, const std::string& Macro, int& Signal, bool ForKeys = false);
    // The "Name" values from Node (nil: from the description's root) down to the node named Name below it (Node
    // itself when Name is ''); empty when that node does not exist.
    std::vector<std::string> PathNames(TXmlNode* Node, const std::string& Name);

    // Screen-text parser (DataManagerParse.cpp). False when the section's path cannot be followed. With Faults,
    // every value that breaks its own rules (ValueCheck.h), every value, record end or section whose line the
    // screens lack, is added there; the values are parsed into the document all the same.
    bool LoadData(TXmlNode* StartNode, const std::string& Text, const std::string& SectionName,
        std::vector<TParseFault>* Faults = nullptr);

    // Node services (DataManagerNodes.cpp).
    static void SubstituteValue(const std::string& Template, const std::string& Value, std::string& Result,
        bool AllowValue, int PercentCount);
    static void SubstituteInNode(TXmlNode* Node, const std::string& Value, int PercentCount);
    TXmlNode* AddNodeFromTemplate(TXmlNode* Parent, TXmlNode* Template, bool Deep);
    static void ClearParamNodes(TXmlNode* Node);
    void CommitSavedChanges(const std::string& Name);
    // After a save that failed half-way: settles the marks of every data node whose own steps (and those of
    // everything below it) are among the first Done steps of Steps, so that a retry sends only what did not reach
    // the device. A node that made no step of its own is settled only with a node above it.
    static void CommitSentSteps(const TStepParameters& Steps, int Done);
    // What a save that stopped after Done steps carried: Total counts the changed values it was to send (data
    // nodes with steps of their own and none below them; a block that holds fields counts only when it is itself
    // made or deleted, since entering and leaving it stores nothing), Took those whose steps were all sent.
    static void CountSentChanges(const TStepParameters& Steps, int Done, int& Took, int& Total);
    // The deepest data node whose steps were under way when a save stopped after Done steps; null when none was.
    static const TXmlNode* NodeBeingSent(const TStepParameters& Steps, int Done);
    static void StripDescriptionAttrs(TXmlNode* Node);

private:
    // Inner steps of the script compiler.
    TXmlNode* FindLoadParam(TXmlNode* Start);
    // Scope: the description node whose subtree may supply the scripts of data nodes; nil when the nodes are the
    // description's own.
    int CollectSaveSteps(TXmlNode* Node, TStepParameters& Steps, size_t Level, const std::vector<std::string>& Path,
        TXmlNode* Scope);
    int ProcessSaveParam(TXmlNode* Node, TXmlNode* Script, TStepParameters& Steps);
    bool EvalCondition(TXmlNode* Node, TXmlNode* Condition);
    int AddMenuStep(TXmlNode* Node, TXmlNode* MenuStep, TStepParameters& Steps);
    static std::unique_ptr<TProgressParameter> MakeProgressMarker(TXmlNode* Node);
    std::string AttrMacro(TXmlNode* Node, const std::string& Reference);

    // The recursive parser; see DataManagerParse.cpp.
    struct TParseState;
    // FirstCall: the node's first search within its parent's record, where its line must be found.
    bool ParseNode(TXmlNode* Parent, TXmlNode* Desc, int& TemplateIndex, int LastLine, int& Line, int& FieldIndex,
        std::vector<std::string>& Fields, const std::string& ParentItem, const std::vector<std::string>& Lines,
        int Depth, bool FirstCall, bool* Listed = nullptr);
    // One record of a node. A repeated record ("RepeatSearch" with "StartStr") ends where the next one starts;
    // NextRecord receives that line (-1: none), and Continued parses such a further record at Line.
    struct TRecordState {
        bool Continued = false;
        std::string Item;   // the template item of the first record, kept by the further ones
        int NextRecord = -1;
        bool Listed = false;   // the record's start line was found (or it has none)
    };
    bool ParseRecord(TXmlNode* Parent, TXmlNode* Desc, int& TemplateIndex, int LastLine, int& Line, int& FieldIndex,
        std::vector<std::string>& Fields, const std::string& ParentItem, const std::vector<std::string>& Lines,
        int Depth, bool FirstCall, TRecordState& Record);

    // The values the running GetSaveSteps sends as if marked "Modify": a store before them resets them.
    std::unordered_set<const TXmlNode*> FSendAnyway;
    // A save along data nodes is being compiled: steps that type a node's value are marked as stores.
    bool FCompilingStores = false;
    // Where the running LoadData notes its faults (nil: not asked for), and the value rules met so far.
    std::vector<TParseFault>* FFaults = nullptr;
    // The screen lines of the running parse, which of them a node read, and the lines each section's record took:
    // a value line that no node read belonged to a record whose own line the line garbled.
    const std::vector<std::string>* FScreen = nullptr;
    std::vector<char> FLineRead;
    struct TSectionLines {
        int First, Last;
        const TXmlNode* Section;
    };
    std::vector<TSectionLines> FSectionLines;
    void MarkRead(const std::vector<std::string>& Lines, int First, int Last);
    void NoteUnreadLines();
    // The instances of a numbered item (Desc) in Record whose lines the screen lacks; Listed: per instance from
    // FirstIndex on, whether its line was found.
    void NoteMissingInstances(const TXmlNode* Desc, const TXmlNode* Record, const std::string& RecordItem,
        int FirstIndex, const std::vector<char>& Listed);
    std::unordered_map<const TXmlNode*, TValueRule> FRules;
    int FMailboxNoLength = 0;   // of the document being parsed into, for the mailbox numbers' rules
    const TValueRule& RuleOf(const TXmlNode* Desc);
    void NoteFault(const TXmlNode* Desc, const TXmlNode* Parent, const std::string& Name, const std::string& Text,
        const std::string& Why);

    // The empty tag filter of the parser's linked copies; never filled.
    const TStringList FEmptyFilter;
};
