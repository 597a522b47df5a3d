#include "common/ui/UtilitsUi.h"

#include "platform/ui/QtText.h"
#include "xml/XmlDoc.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <QWidget>

#include <cstring>
#include <functional>
#include <map>

void SetHelpKeyword(QWidget* Window, const std::string& Keyword)
{
    if (Window)
        Window->setProperty(HelpKeywordProperty, ToQ(Keyword));
}

std::string HelpKeyword(const QWidget* Window)
{
    return Window ? FromQ(Window->property(HelpKeywordProperty).toString()) : std::string();
}

namespace {
enum TControlKind { ckOther, ckGroup, ckPanel, ckCaption, ckHintOnly };

TControlKind KindOf(const QWidget* W)
{
    const char* name = W->metaObject()->className();
    auto is = [name](const char* c) { return std::strcmp(name, c) == 0; };
    if (is("QGroupBox"))
        return ckGroup;
    if (is("QFrame") || is("QWidget") || is("QToolBar"))
        return ckPanel;
    if (is("QPushButton") || is("QLabel") || is("QCheckBox") || is("QRadioButton"))
        return ckCaption;
    if (is("QToolButton"))
        return ckHintOnly;
    return ckOther;
}

void SetCaption(QWidget* W, const QString& Caption)
{
    if (auto* g = qobject_cast<QGroupBox*>(W))
        g->setTitle(Caption);
    else if (auto* l = qobject_cast<QLabel*>(W))
        l->setText(Caption);
    else if (auto* b = qobject_cast<QAbstractButton*>(W))
        b->setText(Caption);
}
}

void ApplyControlTexts(QWidget* Container, const std::string& Name, const std::string& Caption,
    const std::string& Hint)
{
    if (!Container)
        return;
    const QString name = ToQ(Name);
    for (QObject* child : Container->children()) {
        // A tool bar's buttons are its actions: the hint goes to the action, so that the button keeps it when
        // the action changes later (a button's tool tip is refreshed from its action on every change).
        if (auto* a = qobject_cast<QAction*>(child)) {
            if (a->objectName() == name && !Hint.empty())
                a->setToolTip(ToQ(Hint));
            continue;
        }
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        TControlKind kind = KindOf(w);
        if (kind == ckOther)
            continue;
        if (w->objectName() == name) {
            if (kind == ckGroup || kind == ckCaption)
                SetCaption(w, ToQ(Caption));
            if (!Hint.empty())
                w->setToolTip(ToQ(Hint));
        }
        if (kind == ckGroup || kind == ckPanel)
            ApplyControlTexts(w, Name, Caption, Hint);
    }
}

void ApplyActionTexts(const QList<QAction*>& ActionList, const std::string& ActionName, const std::string& Caption,
    const std::string& Hint)
{
    const QString name = ToQ(ActionName);
    for (QAction* a : ActionList) {
        if (!a || a->objectName() != name)
            continue;
        a->setText(ToQ(Caption));
        if (!Hint.empty()) {
            a->setToolTip(ToQ(Hint));
            a->setStatusTip(ToQ(Hint));
        }
    }
}

void ApplyFormTexts(const std::string& ClassName, QWidget* Form)
{
    ApplyFormTexts(FormPropertiesNode(), ClassName, Form);
}

void ApplyFormTexts(const TXmlNode* FormProperties, const std::string& ClassName, QWidget* Form)
{
    const TXmlNode* form = ResolveTemplate(LastChildNamed(FormProperties, ClassName));
    if (!form || !Form)
        return;
    const bool isMainForm = Form->objectName() == "MainForm";
    for (const auto& view : form->Nodes) {
        if (view->GetTag() != "VIEWPARAM" || view->GetName() != "Form Controls Caption")
            continue;
        for (const auto& attr : view->Nodes) {
            if (attr->GetTag() != "GATTR")
                continue;
            const std::string name = attr->GetName();
            const std::string caption = attr->GetValue();
            if (name == "FormCaption") {
                Form->setWindowTitle(ToQ(caption));
            } else if (name == "HelpContextName") {
                SetHelpKeyword(Form, caption);
            } else if (name == "ActionList" && isMainForm) {
                ApplyActionTexts(Form->findChildren<QAction*>(), attr->GetAttr("ActionName"), caption,
                    attr->GetAttr("Hint"));
            } else {
                ApplyControlTexts(Form, name, caption, attr->GetAttr("Hint"));
            }
        }
    }
}

void ShowContextHelpFor(QWidget* Window)
{
    if (!Window)
        return;
    if (std::strcmp(Window->metaObject()->className(), "TMainForm") == 0) {
        if (auto* area = Window->findChild<QMdiArea*>())
            if (QMdiSubWindow* child = area->currentSubWindow())
                Window = child;
    }
    ShowHelpForKeyword(HelpKeyword(Window));
}

void ShowContextHelp() { ShowContextHelpFor(QApplication::activeWindow()); }

int TreeWidthForNames(const QTreeWidget* Tree)
{
    // Measured as the tree view measures a column, over every item rather than only the opened ones.
    QStyleOptionViewItem Option;
    Option.initFrom(Tree);
    Option.widget = Tree;
    Option.font = Tree->font();
    Option.fontMetrics = Tree->fontMetrics();
    const int Icon = Tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, Tree);
    Option.decorationSize = Tree->iconSize().isValid() ? Tree->iconSize() : QSize(Icon, Icon);
    Option.decorationPosition = QStyleOptionViewItem::Left;
    Option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    QAbstractItemModel* Model = Tree->model();
    const int Indent = Tree->indentation();
    int Widest = 0;
    std::function<void(const QModelIndex&, int)> Walk = [&](const QModelIndex& Parent, int Level) {
        for (int Row = 0; Row < Model->rowCount(Parent); ++Row) {
            QModelIndex Index = Model->index(Row, 0, Parent);
            const int Width = Tree->itemDelegateForIndex(Index)->sizeHint(Option, Index).width();
            Widest = std::max(Widest, Width + Indent * (Level + (Tree->rootIsDecorated() ? 1 : 0)));
            Walk(Index, Level + 1);
        }
    };
    Walk(QModelIndex(), 0);
    return Widest + 2 * Tree->frameWidth() + Tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Tree);
}

void CentreOverMainForm(QWidget* Form, QWidget* Owner)
{
    if (!Form || !Owner)
        return;
    // The owner's outer rectangle on the screen; for an MDI child that is its own geometry mapped from the area.
    QRect owner = Owner->isWindow() ? Owner->frameGeometry() : QRect(Owner->mapToGlobal(QPoint(0, 0)), Owner->size());
    QSize size = Form->isVisible() ? Form->frameGeometry().size() : Form->size();
    TScreenRect screen;
    if (QScreen* s = Owner->screen()) {
        QRect a = s->availableGeometry();
        screen = TScreenRect{a.x(), a.y(), a.width(), a.height()};
    }
    auto [x, y] = CentredPosition(TScreenRect{owner.x(), owner.y(), owner.width(), owner.height()}, size.width(),
        size.height(), screen);
    if (Form->isWindow())
        Form->move(x, y);
    else if (QWidget* parent = Form->parentWidget())
        Form->move(parent->mapFromGlobal(QPoint(x, y)));
}

void InitFormMetricsFromStyle()
{
    QStyle* style = QApplication::style();
    if (!style)
        return;
    TFormMetrics m;
    m.VScrollWidth = style->pixelMetric(QStyle::PM_ScrollBarExtent);
    m.CaptionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight);
    SetFormMetrics(m);
}

namespace {
class TProgramStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap Which, const QStyleOption* Option, const QWidget* Widget) const override
    {
        // Only the frame's buttons, asked without an option: they depend neither on the widget nor on its
        // direction, and the style makes them from the same files each time.
        if (Option || Which < SP_TitleBarMenuButton || Which > SP_TitleBarContextHelpButton)
            return QProxyStyle::standardIcon(Which, Option, Widget);
        auto Found = TitleBarIcons.find(Which);
        if (Found == TitleBarIcons.end())
            Found = TitleBarIcons.emplace(Which, QProxyStyle::standardIcon(Which, Option, Widget)).first;
        return Found->second;
    }

private:
    mutable std::map<StandardPixmap, QIcon> TitleBarIcons;
};
} // namespace

void InstallProgramStyle()
{
    if (dynamic_cast<TProgramStyle*>(QApplication::style()))
        return;
    QApplication::setStyle(new TProgramStyle(QApplication::style()->name()));
}

const QIcon& ProgramIcon()
{
    static const QIcon icon = [] {
        QIcon made;
        for (int side : {16, 24, 32, 48, 64}) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            const double r = side * 0.38;
            const QPointF c(side * 0.56, side * 0.44);
            QPolygonF tail;
            tail << c + QPointF(-r * 0.75, r * 0.35) << c + QPointF(-r * 1.0, r * 1.2) << c + QPointF(-r * 0.2, r * 0.85);
            p.setBrush(QColor(236, 150, 40));
            p.drawPolygon(tail);
            QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
            g.setColorAt(0, QColor(255, 214, 120));
            g.setColorAt(1, QColor(232, 140, 30));
            p.setBrush(g);
            p.drawEllipse(c, r, r);
            p.setBrush(QColor(20, 44, 92));
            const double bw = r * 0.22, gap = r * 0.12, heights[3] = {0.55, 1.0, 0.7};
            for (int i = 0; i < 3; ++i) {
                double h = r * heights[i];
                p.drawRoundedRect(QRectF(c.x() - 1.5 * bw - gap + i * (bw + gap), c.y() - h / 2, bw, h), bw / 2, bw / 2);
            }
            p.end();
            made.addPixmap(pixmap);
        }
        return made;
    }();
    return icon;
}
