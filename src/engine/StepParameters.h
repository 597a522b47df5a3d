// Step lists, the compiled form of the description's menu scripts and the input of the dialogue engine, with the
// step-info text that documents them, and the trace and step files that record a device dialogue for diagnosis.
// A list owns its steps and a step owns its progress markers. Trace and step files go to the settings folder;
// writing them never fails a device job: a file that cannot be written is skipped.
#pragma once

#include "engine/ValueCheck.h"
#include "platform/Exception.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

// The index error of the program's lists: "List index out of bounds (%d)".
ORLANTIS_EXCEPTION(EListError, Exception);

class TProgressParameter {
public:
    std::string FindStr;   // text that marks a point in the device's output
    std::string InfoMsg;   // status text shown when it is found (may be empty)
    int32_t DeltaPos = 1;  // progress steps to add
};

class TProgressParameters {
public:
    int Count() const { return int(FItems.size()); }
    TProgressParameter* GetItem(int Index) const;   // EListError out of range
    void Add(std::unique_ptr<TProgressParameter> Item) { FItems.push_back(std::move(Item)); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<TProgressParameter>> FItems;
};

class TStepParameter {
public:
    std::string Send;            // keystrokes, macros already expanded
    std::string StopAnswer;      // ends the step when everything received so far ends with it; '' = none
    std::string PasswordAnswer;  // prompt after which the administrator password is sent; '' = none
    std::string ErrorAnswer;     // fails the step wherever it shows in the step's output; '' = none
    bool SaveAnswer = false;     // the step's output goes to the captured text
    bool BreakSteps = false;     // sent without waiting; the list ends there with success
    TProgressParameters Progress;
    int32_t WaitTimeoutMsec = 0; // 0 (or below): the engine's default
    // A store of a data node's value: the step is done only when the device's answer confirms Stored (see
    // StoreAnswerConfirms in ManagerVMU.h). StoredScreen: the short form the screen shows it in ('' = as sent);
    // StoredForm: the form the device shows a number or a date in.
    bool Store = false;
    std::string Stored;
    std::string StoredScreen;
    TDeviceForm StoredForm = dfAsTyped;
};

class TXmlNode;
// The steps one data node's save made, its own scripts and everything below it: [First, End) in list order.
struct TNodeSteps {
    TXmlNode* Node = nullptr;
    int First = 0;
    int End = 0;
};

class TStepParameters {
public:
    // Filled by a save along data nodes, in the order the nodes were visited (a parent before its children), so
    // that a run which failed half-way can settle what reached the device.
    std::vector<TNodeSteps> NodeSteps;

    int Count() const { return int(FItems.size()); }
    TStepParameter* GetItem(int Index) const;   // EListError out of range
    TStepParameter* Add(std::unique_ptr<TStepParameter> Step);
    TStepParameter* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
    // The first store of an empty value (-1: none). Such a store can never be sent: an empty line at a value prompt
    // keeps the device's old value, so a write that holds one is refused before its first key.
    int FirstEmptyStore() const;
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    // Every step in the step-info text form, in list order. Each text in Secrets (when not empty) is written
    // as "*****" wherever it occurs in a "Send" text.
    std::string StepInfoText(const std::vector<std::string>& Secrets = {}) const;
    // Creates (truncates) the file and writes StepInfoText. Raises EFileError when the file cannot be written.
    void SaveToFile(const std::string& FileName, const std::vector<std::string>& Secrets = {}) const;

private:
    std::vector<std::unique_ptr<TStepParameter>> FItems;
};

// The three trace switches of the program, all off at start; set from the command line.
struct TTraceSwitches {
    bool SaveSteps = false;       // "save_steps": the exchange text after every run
    bool SaveStepsInfo = false;   // "save_stepsinfo": the step lists after every run
    bool SaveTraceInfo = false;   // "save_traceinfo": the running trace
};
TTraceSwitches& TraceSwitches();
// Switches on the trace switch named by a command-line word (ASCII case ignored); false for any other word.
bool ApplyTraceSwitch(const std::string& Argument);

// The fixed file names, all in the settings folder.
extern const char* const TraceFileName;   // "SaveTraceInfo.txt"

// Replaces each occurrence of every non-empty secret with "*****".
std::string MaskSecrets(std::string Text, const std::vector<std::string>& Secrets);

// The running trace "SaveTraceInfo.txt". Every operation does nothing while the switch is off; a file that
// cannot be opened is skipped silently (the trace must never break a device job).
class TEngineTrace {
public:
    void DeleteFile();                 // an old trace goes when the engine is created
    void Open();                       // at the start of a run: existing file appended to, else created
    void Close();
    void Append(const std::string& Text);   // opens the file first when it is closed
    bool IsOpen() const { return FFile.is_open(); }

private:
    std::ofstream FFile;
};
