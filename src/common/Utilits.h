// The program's message texts and the view parameters of its windows, both replaceable from the description
// document, plus the small dialog helpers that many windows share. Every text has an English default built in;
// LoadStringConstants replaces the texts of one group at start-up, ReadFormInfo reads a window's caption, help
// context name and geometry. Texts read from the description are only ever used through the safe Format
// (platform/StrUtil.h), never as printf formats. The Qt half (ApplyFormTexts, ShowContextHelp, centring a dialog)
// lies in common/ui/UtilitsUi.h.
//
// Threads: everything here runs in the main thread, except IsSignedIntText, TextBetween and NormalizeNumberList
// (plain text functions) and reads of the texts, which are written only at start-up before any long job runs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TXmlNode;

// --- Message texts of the group "Utilits Unit": key and English default --------------------------------------
#define ORLANTIS_UTILITS_TEXTS(X)                                                                                  \
    X(SError, "Error")                                                                                             \
    X(SWarning, "Warning")                                                                                         \
    X(SInformation, "Information")                                                                                 \
    X(SConfirmDelete, "Confirm delete")                                                                            \
    X(SErrorFormatDataFile, "Error format Orlantis.dat file.")                                                     \
    X(SErrorConnectionToVMU, "Error connection to VMU.")                                                           \
    X(SConnectionNotEstablished, "Connection is not established.")                                                 \
    X(SConnectionPasswordRefused,                                                                                  \
        "Connection is not established: the VMU refused the administrator password. Connect again and retype it.") \
    X(SConnectionNoAnswer,                                                                                         \
        "Connection is not established: the VMU did not answer. Check the cable, the port and its settings.")     \
    X(SConnectionPasswordCancelled,                                                                                \
        "Connection is not established: the administrator password was cancelled.")                               \
    X(SConnectionCorrupted, "Connection corrupted.")                                                               \
    X(SCantOpenRegKey, "Can not open registry key \"%s\".")                                                        \
    X(SLoadSystemInfoFromVMU, "Loading VMU system information ...")                                                \
    X(SLoadingVersionFromVMU, "Loading VMU firmware version ...")                                                  \
    X(SLoadingDataFromVMU, "Loading data from VMU ...")                                                            \
    X(SSavingDataToVMU, "Saving data to VMU ...")                                                                  \
    X(SErrorIncorrectVMUVersion1, "VMU Firmware Version: %s and ROM Version: %s")                                  \
    X(SErrorIncorrectVMUVersion2, "Orlantis has been tested with 4.09 VMU50 Firmware Version and higher")          \
    X(SErrorIncorrectVMUVersion3, "Do you want to continue?")                                                      \
    X(SErrorLoadFromVMU, "Error load data from VMU.")                                                              \
    X(SErrorSaveToVMU, "Error save data to VMU.")                                                                  \
    X(SLoadAllFromVMU, "Load all data from VMU")                                                                   \
    X(SSaveAllToVMU, "Save all data to VMU")                                                                       \
    X(SWarningLoadFromVMU1, "")                                                                                    \
    X(SWarningLoadFromVMU2, "")                                                                                    \
    X(SWarningSaveToVMU1, "")                                                                                      \
    X(SWarningSaveToVMU2, "")                                                                                      \
    X(SWarningSaveToVMU3, "")                                                                                      \
    X(SWarningSaveToVMU4, "")                                                                                      \
    X(SModifyQuestionBase, "Change in VMU parameters have not been saved. Do you want to save data?")              \
    X(SModifyQuestionForm, "Change in this form have not been saved. Do you want to save data?")                   \
    X(SConnectingToVMU, "Connecting to VMU system. Please wait ...")                                               \
    X(SGoUpToMenuVMU, "Go up to menu. Please wait ...")                                                            \
    X(SConvertSaveParamVMU, "Convert and save VMU parameters. Please wait ...")                                    \
    X(SBatchMode, "Batch Mode")                                                                                    \
    X(SInteractiveMode, "Interactive Mode")                                                                        \
    X(SConnected, "Connected")                                                                                     \
    X(SDisconnected, "Disconnected")                                                                               \
    X(SConfirmReconnect, "COM Port parameters were changed and the connection was broken. Do you want to restore " \
                         "connection with the new parameters?")                                                    \
    X(SErrorDataFileVersion1, "The data file version does not coincide with the program version")                 \
    X(SErrorDataFileVersion2, "Please load last version from our site.")                                           \
    X(SErrorChangeFlashVersion1, "The currently firmware version does not coincide with the new firmware version " \
                                 "in this data file or VMU.")                                                      \
    X(SErrorChangeFlashVersion2, "Please restart the program for work with new firmware version.")                 \
    X(SSetONLINE, "Set VPS in ON LINE Mode.")                                                                      \
    X(SSetOFFLINE, "Set OFF LINE Mode. Please wait while all VPS ports will be released.")                         \
    X(SErrorPasswVerification, "Incorrect password verification.")                                                 \
    X(SUnableDeleteManagerMailbox, "Unable to delete Message Manager's Mailbox.")                                  \
    X(SUnableCreateSystemMailbox, "Unable to create. This mailbox number is System Manager's Mailbox.")            \
    X(SErrorMailboxNumber, "Mailbox number must be length %d digits. ")                                            \
    X(SMailboxAlreadyExist, "Mailbox number %s already exist.")                                                    \
    X(SMailboxAlreadyExistIn, "Mailbox number %s already exist in %s.")                                            \
    X(SMailboxNotExist, "Mailbox number %s does not exist.")                                                       \
    X(SDuplicateMailboxInGroup, "Duplicate mailbox number in this group.")                                         \
    X(SDuplicateGroupNumber, "Duplicate group number.")                                                            \
    X(SDontUseInGroupManagerMbx, "Don't use in group Manager's Mailbox %s.")                                       \
    X(SDontUseSysManagerMbx, "Don't use System Manager's Mailbox %s.")                                             \
    X(SExtensionAlreadyExistIn, "Extension number %s already exist in \"%s\".")                                    \
    X(SDuplicateExtensionInGroup, "Duplicate extension number in group members.")                                  \
    X(STimeFrameError1, "Time Frame %d parameters are not set.")                                                   \
    X(STimeFrameError2, "End Time for Time Frame %d is not set.")                                                  \
    X(STimeFrameError3, "End Time must be greater than Start Time for Time Frame %d.")                             \
    X(STimeFrameError4, "Intervals for Time Frame 1 and Time Frame 2 must not intersect.")                         \
    X(SNotSetParameter, "You should to set value for parameter \"%s\".")                                           \
    X(SCloseFormsForSaving, "To save the data correctly you should to close the following forms: %s")              \
    X(SInvalidEntryChar, "Invalid entry. Symbols \"%s\" or \"%s\" should be entered as single character.")         \
    X(SInterviewMbxNotExist, "Interview Mailbox number %s does not exist.")                                        \
    X(SConfirmDeleteMailbox, "Do you want to delete mailbox number: %s ?")                                         \
    X(SErrorDatePeriod, "Date End must be greater than Date Begin.")                                               \
    X(STimePeriodError1, "Time period parameters are not set.")                                                    \
    X(STimePeriodError2, "Begin Time is not set.")                                                                 \
    X(STimePeriodError3, "End Time is not set.")                                                                   \
    X(STimePeriodError4, "End Time must be greater than Start Time")                                               \
    X(SUniquePromptSelection, "Duplicate entry with prompt number.")                                               \
    X(SCannotStartZeroInNumberingPlan, "Extension Numbering Plan cannot begin with 0.")                            \
    X(SInvalidNumberingPlan, "Invalid Extension Numbering Plan.")                                                  \
    X(SDuplicateExtensionInForm, "Duplicate extension number in this form.")                                       \
    X(SModeIsNotAvailable, "Integration Mode \"%s\" is not available for this PBX Type \"%s\".")                   \
    X(SInvalidParameter, "Invalid parameter \"%s\".")                                                              \
    X(SDuplicateEntryInForm, "Duplicate entry in this form.")                                                      \
    X(SNumberOutOfRange, "Number %d is out of range %d to %d.")

// One process-wide text per key, e.g. Utilits::SError. The namespace keeps the keys apart from other units'
// texts of the same name (the string grid has its own SCantOpenRegKey).
namespace Utilits {
#define ORLANTIS_DECLARE_TEXT(Key, Default) extern std::string Key;
ORLANTIS_UTILITS_TEXTS(ORLANTIS_DECLARE_TEXT)
#undef ORLANTIS_DECLARE_TEXT
}

// The four text groups, in the order in which the main window loads them.
inline constexpr const char* UtilitsUnitGroup = "Utilits Unit";
inline constexpr const char* SerPortUnitGroup = "SerPort Unit";
inline constexpr const char* XStrGridUnitGroup = "XStrGrid Unit";
inline constexpr const char* XYmodemUnitGroup = "XYmodem Unit";
inline constexpr const char* const StringGroupNames[] = {UtilitsUnitGroup, SerPortUnitGroup, XStrGridUnitGroup,
    XYmodemUnitGroup};

// Every key of "Utilits Unit" with its English default, in table order.
const std::vector<std::pair<std::string, std::string>>& UtilitsDefaultTexts();
// Sets one text of the store; false (nothing changed) for an unknown key.
bool SetUtilitsText(const std::string& Key, const std::string& Text);
// The current text of a key; empty for an unknown key.
std::string UtilitsText(const std::string& Key);
// Puts every text back to its default (tests, a reloaded description).
void ResetUtilitsTexts();

// --- Description nodes ---------------------------------------------------------------------------------------
// The main window keeps the description's "Form Properties" and "Unit Properties" nodes for these services; until
// it sets them (or when the description lacks them) they are null and every service leaves the defaults alone.
void SetPropertiesNodes(TXmlNode* FormPropertiesNode, TXmlNode* UnitPropertiesNode);
TXmlNode* FormPropertiesNode();
TXmlNode* UnitPropertiesNode();

// The last direct child of Parent whose "Name" is exactly Name (null when Parent is null or none matches).
TXmlNode* LastChildNamed(const TXmlNode* Parent, const std::string& Name);
// The node a "TemplateID" of Node links to, or Node itself.
TXmlNode* ResolveTemplate(TXmlNode* Node);

// Replaces the texts of one group ("Utilits Unit" here, the other three through their registered setters, see
// common/StringGroups.h) from the last child of the "Unit Properties" node with that exact name. A missing node or
// group changes nothing; an unknown key is ignored; a GATTR without "Value" sets the empty text.
void LoadStringConstants(const std::string& SectionName);
void LoadStringConstants(const TXmlNode* UnitPropertiesNode, const std::string& SectionName);

// --- View parameters -----------------------------------------------------------------------------------------
struct TFormParams {
    std::string Caption;
    std::string HelpContextName;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The platform's scroll-bar width and caption height, against which the description's sizes were written as 16
// and 19. The Qt layer sets the real ones (InitFormMetricsFromStyle); the defaults change nothing.
struct TFormMetrics {
    int VScrollWidth = 16;
    int CaptionHeight = 19;
};
void SetFormMetrics(const TFormMetrics& Metrics);
TFormMetrics FormMetrics();

// Stores one "Form Info" value. A position or size that is not a decimal integer raises EConvertError
// "'<text>' is not a valid integer value" and leaves that field as it was.
void SetFormParam(const std::string& Name, const std::string& Value, TFormParams& Params);
// Fills Params from the "Form Info" of a form description (FormNode null: Params unchanged). Only fields whose
// GATTR is present change; on a conversion error the fields set before it keep their new values.
void ReadFormInfo(const TXmlNode* FormNode, TFormParams& Params);
// The form description of a window class: the last child of "Form Properties" named ClassName, or null.
TXmlNode* FindFormDescription(const std::string& ClassName);

// --- Context help --------------------------------------------------------------------------------------------
// What context help needs of the help router (help/HelpRouter implements it and installs itself while it lives).
// With no router installed help requests do nothing.
class THelpRouting {
public:
    virtual ~THelpRouting() = default;
    virtual void SetHelpWindow(const std::string& Name) = 0;
    virtual void ShowContents() = 0;
    virtual bool ShowKeyword(const std::string& Keyword) = 0;

    static THelpRouting& instance();
    static THelpRouting* setInstance(THelpRouting* Router);   // not owned; returns the previous one
};

class THelpRoutingScope {
public:
    explicit THelpRoutingScope(THelpRouting* Router) : Previous(THelpRouting::setInstance(Router)) {}
    ~THelpRoutingScope() { THelpRouting::setInstance(Previous); }
    THelpRoutingScope(const THelpRoutingScope&) = delete;
    THelpRoutingScope& operator=(const THelpRoutingScope&) = delete;

private:
    THelpRouting* Previous;
};

// Opens help for a window's help keyword: empty opens the contents in the help window "Main", "-" opens nothing,
// anything else opens the topic Keyword + ".htm" in the help window "GridForm".
void ShowHelpForKeyword(const std::string& Keyword);

// --- Dialog helpers ------------------------------------------------------------------------------------------
// True for an optional "+" or "-" followed by at least one decimal digit, with a value that fits 32 bits.
bool IsSignedIntText(const std::string& S);
// The text after the first StartMark up to the next EndMark; empty when either is missing or StartMark is empty.
std::string TextBetween(const std::string& S, const std::string& StartMark, const std::string& EndMark);
// "Do you want to save data?" questions (Yes, No, Cancel); return mrYes, mrNo or mrCancel.
int AskSaveVMUChanges();
int AskSaveFormChanges();
// The error boxes of the time-frame (codes 1-4, FrameNo in the text) and time-period (codes 1-4) dialogs, titled
// SError; another code shows an empty box. Return the button that closed the box.
int ShowTimeFrameError(int32_t Code, int32_t FrameNo);
int ShowTimePeriodError(int32_t Code);

// Canonical form of a number list such as "5,1-3,3" -> "1-3,5": numbers and ranges separated by "," (a "-" ends a
// range's start; a second "-" starts a new range at its number, so "1-3-5" gives "1,3-5"), sorted, without
// repeats, runs joined as "a-b". A reversed range ("7-2") counts as "2-7". Blanks around a number are allowed.
// Raises EConvertError for a token that is not a number ("'<token>' is not a valid integer value") and for a number
// outside Min..Max (SNumberOutOfRange); Result is then left empty. Reversed bounds Min > Max are swapped.
void NormalizeNumberList(const std::string& Text, int32_t Min, int32_t Max, std::string& Result);

// Where a dialog of size Width x Height goes to be centred on an owner at OwnerX, OwnerY (screen coordinates) of
// size OwnerWidth x OwnerHeight, kept inside the screen area given (an empty area: no limit). A dialog larger than
// its owner overhangs it evenly on both sides.
struct TScreenRect {
    int X = 0, Y = 0, Width = 0, Height = 0;
};
std::pair<int, int> CentredPosition(const TScreenRect& Owner, int Width, int Height, const TScreenRect& Screen);
