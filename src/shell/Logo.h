// The splash window shown while the main window is created: a borderless 401 x 155 picture centred on the screen
// with the program's major and minor version on it. It lives only during the main window's creation.
#pragma once

#include "platform/Dialogs.h"

#include <QWidget>

#include <memory>

class QLabel;

class TLogoForm : public QWidget {
    Q_OBJECT
public:
    explicit TLogoForm(QWidget* Owner = nullptr);

    QLabel* Image1;
    QLabel* LabelVersion;

private:
    void FormCreate();
};

// Boxes shown while the splash is up would open under it, and the program would look stuck: the splash goes
// before the first box.
class TSplashDialogs : public TDialogs {
public:
    TSplashDialogs(TDialogs& Target, std::unique_ptr<TLogoForm>& Logo) : FTarget(Target), FLogo(Logo) {}
    int MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
        TMsgDlgButtons Buttons) override
    {
        FLogo.reset();
        return FTarget.MessageBox(Text, Caption, Type, Buttons);
    }
    bool OpenFile(const TFileDialogRequest& Request, std::string& FileName) override
    {
        FLogo.reset();
        return FTarget.OpenFile(Request, FileName);
    }
    bool SaveFile(const TFileDialogRequest& Request, std::string& FileName) override
    {
        FLogo.reset();
        return FTarget.SaveFile(Request, FileName);
    }

private:
    TDialogs& FTarget;
    std::unique_ptr<TLogoForm>& FLogo;
};
