// The splash window shown while the main window is created: a borderless 401 x 155 picture centred on the screen
// with the program's major and minor version on it. It lives only during the main window's creation.
#pragma once

#include <QWidget>

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
