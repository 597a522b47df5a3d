// Dialogs doubles for tests, fuzz targets and benchmarks: a recorder with scripted answers, and a silent one.
#pragma once

#include "platform/Dialogs.h"

#include <string>
#include <vector>

// Records every box and answers from a queue (then with Default).
class TRecordingDialogs : public TDialogs {
public:
    struct TBox {
        std::string Text, Caption;
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
    };
    std::vector<TBox> Boxes;
    std::vector<int> Answers;              // taken from the front
    int Default = mrOk;
    std::vector<std::string> FileAnswers;  // "" means the user cancelled
    std::vector<TFileDialogRequest> FileRequests;

    int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
        TMsgDlgButtons Buttons) override
    {
        Boxes.push_back({Text, Caption, Type, Buttons});
        if (!Answers.empty()) {
            int a = Answers.front();
            Answers.erase(Answers.begin());
            return a;
        }
        return Default;
    }
    bool OpenFile(const TFileDialogRequest& Request, std::string& FileName) override
    {
        FileRequests.push_back(Request);
        return TakeFile(FileName);
    }
    bool SaveFile(const TFileDialogRequest& Request, std::string& FileName) override
    {
        FileRequests.push_back(Request);
        return TakeFile(FileName);
    }
    std::string LastText() const { return Boxes.empty() ? std::string() : Boxes.back().Text; }

private:
    bool TakeFile(std::string& FileName)
    {
        if (FileAnswers.empty())
            return false;
        std::string a = FileAnswers.front();
        FileAnswers.erase(FileAnswers.begin());
        if (a.empty())
            return false;
        FileName = a;
        return true;
    }
};

// Shows nothing and keeps nothing: OK to every box, no file chosen. For runs with nobody to ask (fuzzing shows
// thousands of boxes, which the recording double would keep).
class TSilentDialogs : public TDialogs {
public:
    int MessageBox(const std::string&, const std::string&, TMsgDlgType, TMsgDlgButtons) override { return mrOk; }
    bool OpenFile(const TFileDialogRequest&, std::string&) override { return false; }
    bool SaveFile(const TFileDialogRequest&, std::string&) override { return false; }
};

