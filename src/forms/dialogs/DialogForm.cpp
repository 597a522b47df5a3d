#include "forms/dialogs/DialogForm.h"

#include "common/Utilits.h"
#include "common/ui/UtilitsUi.h"
#include "platform/Exception.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

void ApplyDialogDescription(QDialog* Dialog, const char* ClassName)
{
    TFormParams Params;
    try {
        ReadFormInfo(FindFormDescription(ClassName), Params);
    } catch (const Exception&) {
        // A garbled position or size changes nothing of a dialog that sizes and centres itself.
    }
    if (!Params.Caption.empty())
        Dialog->setWindowTitle(ToQ(Params.Caption));
    if (!Params.HelpContextName.empty())
        SetHelpKeyword(Dialog, Params.HelpContextName);
    ApplyFormTexts(ClassName, Dialog);
    // A dialog whose layout fixes its size takes the width from the layout: wider side margins make the room.
    const int Need = TitleBarWidth(Dialog->windowTitle());
    if (QLayout* L = Dialog->layout(); L && L->sizeConstraint() == QLayout::SetFixedSize) {
        if (const int Short = Need - L->totalSizeHint().width(); Short > 0) {
            QMargins M = L->contentsMargins();
            M.setLeft(M.left() + Short / 2);
            M.setRight(M.right() + Short - Short / 2);
            L->setContentsMargins(M);
        }
    } else {
        Dialog->setMinimumWidth(std::max(Dialog->minimumWidth(), Need));
    }
}

int TitleBarWidth(const QString& Caption)
{
    // Window managers draw titles bold and often a point larger than the dialog's text; the window's icon and its
    // three buttons take about 130 pixels beside it.
    QFont Font = QApplication::font();
    Font.setBold(true);
    if (Font.pointSizeF() > 0)
        Font.setPointSizeF(Font.pointSizeF() + 1);
    constexpr int IconAndButtons = 130;
    return QFontMetrics(Font).horizontalAdvance(Caption) + IconAndButtons;
}

void CentreDialog(QDialog* Dialog)
{
    QWidget* Owner = Dialog->parentWidget() ? Dialog->parentWidget()->window() : nullptr;
    if (!Owner)
        for (QWidget* W : QApplication::topLevelWidgets())
            if (W->objectName() == "MainForm") {
                Owner = W;
                break;
            }
    CentreOverMainForm(Dialog, Owner);
}

void TDigitKeyFilter::Install(QLineEdit* Edit, int MaxDigits, bool EnterMovesFocus)
{
    const QString Pattern = MaxDigits > 0 ? QString("[0-9]{0,%1}").arg(MaxDigits) : QString("[0-9]*");
    Edit->setValidator(new QRegularExpressionValidator(QRegularExpression(Pattern), Edit));
    Edit->installEventFilter(new TDigitKeyFilter(Edit, EnterMovesFocus));
}

bool TDigitKeyFilter::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() != QEvent::KeyPress)
        return false;
    auto* Key = static_cast<QKeyEvent*>(Event);
    switch (Key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!FEnterMovesFocus)
            return false;
        if (auto* W = qobject_cast<QWidget*>(Watched))
            for (QWidget* Next = W->nextInFocusChain(); Next && Next != W; Next = Next->nextInFocusChain())
                if ((Next->focusPolicy() & Qt::TabFocus) && Next->isVisible() && Next->isEnabled()) {
                    Next->setFocus(Qt::TabFocusReason);
                    break;
                }
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    const QString Text = Key->text();
    if (Text.isEmpty() || Text[0] < QChar(' ') || Key->modifiers().testFlag(Qt::ControlModifier))
        return false;
    if (Text.size() == 1 && Text[0].isDigit())
        return false;
    QApplication::beep();
    return true;
}

QHBoxLayout* AddOkCancelRow(QDialog* Dialog, const QString& OkText, QPushButton*& OK, QPushButton*& Cancel)
{
    auto* Row = new QHBoxLayout;
    Row->addStretch(1);
    OK = new QPushButton(OkText, Dialog);
    OK->setObjectName("OKBtn");
    OK->setDefault(true);
    Cancel = new QPushButton("Cancel", Dialog);
    Cancel->setObjectName("CancelBtn");
    for (QPushButton* B : {OK, Cancel}) {
        B->setMinimumWidth(80);
        Row->addWidget(B);
    }
    QObject::connect(Cancel, &QPushButton::clicked, Dialog, &QDialog::reject);
    return Row;
}

QPushButton* AddClearButton(QDialog* Dialog, QHBoxLayout* Row)
{
    auto* Clear = new QPushButton("Clear", Dialog);
    Clear->setObjectName("ClearBtn");
    Clear->setMinimumWidth(80);
    Row->insertWidget(0, Clear);
    return Clear;
}
