// Step lists, the step-info text form and the trace file.
#include "engine/StepParameters.h"

#include "platform/ProgramFolder.h"
#include "platform/StrUtil.h"

#include <cstdio>

namespace {
[[noreturn]] void indexError(int Index)
{
    throw EListError(Format("List index out of bounds (%d)", {int64_t(Index)}));
}

const char* yesNo(bool b) { return b ? "Yes" : "No"; }
}

const char* const TraceFileName = "SaveTraceInfo.txt";

TProgressParameter* TProgressParameters::GetItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        indexError(Index);
    return FItems[size_t(Index)].get();
}

TStepParameter* TStepParameters::GetItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        indexError(Index);
    return FItems[size_t(Index)].get();
}

TStepParameter* TStepParameters::Add(std::unique_ptr<TStepParameter> Step)
{
    FItems.push_back(std::move(Step));
    return FItems.back().get();
}

int TStepParameters::FirstEmptyStore() const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Store && FItems[i]->Stored.empty())
            return int(i);
    return -1;
}

std::string MaskSecrets(std::string Text, const std::vector<std::string>& Secrets)
{
    for (const std::string& s : Secrets) {
        if (s.empty())
            continue;
        size_t p = 0;
        while ((p = Text.find(s, p)) != std::string::npos) {
            Text.replace(p, s.size(), "*****");
            p += 5;
        }
    }
    return Text;
}

std::string TStepParameters::StepInfoText(const std::vector<std::string>& Secrets) const
{
    std::string out;
    const std::string eol = "\r\n";
    for (const auto& s : FItems) {
        out += std::string(31, '=') + eol;
        out += "Send = '" + MaskSecrets(s->Send, Secrets) + "'" + eol;
        out += "StopAnswer = '" + s->StopAnswer + "'" + eol;
        out += "PasswordAnswer = '" + s->PasswordAnswer + "'" + eol;
        out += "ErrorAnswer = '" + s->ErrorAnswer + "'" + eol;
        out += std::string("SaveAnswer = ") + yesNo(s->SaveAnswer) + eol;
        out += "WaitTimeoutMsec = " + IntToStr(s->WaitTimeoutMsec) + eol;
        out += std::string("BreakSteps = ") + yesNo(s->BreakSteps) + eol;
        for (const auto& m : s->Progress) {
            out += std::string(27, '.') + eol;
            out += "FindStr = '" + m->FindStr + "'" + eol;
            out += "InfoMsg = '" + m->InfoMsg + "'" + eol;
            out += "DeltaPos = " + IntToStr(m->DeltaPos) + eol;
        }
    }
    return out;
}

void TStepParameters::SaveToFile(const std::string& FileName, const std::vector<std::string>& Secrets) const
{
    std::ofstream f(FileName, std::ios::binary | std::ios::trunc);
    if (!f)
        throw EFileError("Cannot create file \"" + FileName + "\".");
    std::string text = StepInfoText(Secrets);
    f.write(text.data(), std::streamsize(text.size()));
    if (!f)
        throw EFileError("Cannot write file \"" + FileName + "\".");
}

TTraceSwitches& TraceSwitches()
{
    static TTraceSwitches switches;
    return switches;
}

bool ApplyTraceSwitch(const std::string& Argument)
{
    std::string a = LowerCase(Argument);
    TTraceSwitches& s = TraceSwitches();
    if (a == "save_steps")
        s.SaveSteps = true;
    else if (a == "save_stepsinfo")
        s.SaveStepsInfo = true;
    else if (a == "save_traceinfo")
        s.SaveTraceInfo = true;
    else
        return false;
    return true;
}

void TEngineTrace::DeleteFile()
{
    if (!TraceSwitches().SaveTraceInfo)
        return;
    Close();
    std::remove(SettingsFilePath(TraceFileName).c_str());
}

void TEngineTrace::Open()
{
    if (!TraceSwitches().SaveTraceInfo || FFile.is_open())
        return;
    FFile.open(SettingsFilePath(TraceFileName), std::ios::binary | std::ios::app);
}

void TEngineTrace::Close()
{
    if (FFile.is_open())
        FFile.close();
}

void TEngineTrace::Append(const std::string& Text)
{
    if (!TraceSwitches().SaveTraceInfo)
        return;
    Open();
    if (!FFile.is_open())
        return;
    FFile.write(Text.data(), std::streamsize(Text.size()));
    FFile.flush();
}
