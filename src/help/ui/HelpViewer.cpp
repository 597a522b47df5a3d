#include "help/ui/HelpViewer.h"

#include "common/ui/UtilitsUi.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "platform/ui/ShellOpen.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int TopicRole = Qt::UserRole + 1;

std::string WindowKey(const std::string& Name) { return LowerCase(Name.empty() ? std::string("Main") : Name); }

// Topic files are single-byte text, as the help sources are written.
QString ReadTopic(const std::string& Path)
{
    QFile F(QFile::decodeName(QByteArray::fromStdString(Path)));
    if (!F.open(QIODevice::ReadOnly))
        return {};
    QByteArray B = F.readAll();
    return QString::fromLatin1(B);
}

// A window place from the help project, kept on the screen it is meant for (the first one when it names none).
QRect FitOnScreen(QRect R)
{
    QScreen* S = QGuiApplication::screenAt(R.center());
    if (!S)
        S = QGuiApplication::primaryScreen();
    if (!S)
        return R;
    QRect A = S->availableGeometry();
    R.setWidth(std::min(R.width(), A.width()));
    R.setHeight(std::min(R.height(), A.height()));
    R.moveLeft(std::clamp(R.left(), A.left(), A.right() + 1 - R.width()));
    R.moveTop(std::clamp(R.top(), A.top(), A.bottom() + 1 - R.height()));
    return R;
}

class TPopupCloser : public QObject {
public:
    explicit TPopupCloser(QWidget* Box) : QObject(Box), Box(Box) {}
    bool eventFilter(QObject*, QEvent* E) override
    {
        if (E->type() == QEvent::MouseButtonPress || E->type() == QEvent::KeyPress)
            Box->close();
        return false;
    }

private:
    QWidget* Box;
};

// The part of a link or resource name that is a path inside the folder ("x.htm", "sub/y.png").
std::string RelativePart(const QUrl& Url)
{
    if (Url.scheme().isEmpty() || Url.scheme() == "file")
        return FromQ(Url.path(QUrl::FullyDecoded));
    return {};
}
}

// --- Browser -------------------------------------------------------------------------------------------------

QVariant THelpBrowser::loadResource(int Type, const QUrl& Name)
{
    // Pictures and style sheets come from the help folder only.
    if (!Store)
        return {};
    std::string Rel = RelativePart(Name);
    std::string Folder = Store->Folder();
    if (Rel.rfind(Folder, 0) == 0)
        Rel = Rel.substr(Folder.size());
    std::string Path = Store->ResolveTopic(Rel);
    if (Path.empty())
        return {};
    QFile F(QFile::decodeName(QByteArray::fromStdString(Path)));
    if (!F.open(QIODevice::ReadOnly))
        return {};
    QByteArray B = F.readAll();
    if (Type == QTextDocument::HtmlResource || Type == QTextDocument::StyleSheetResource)
        return QString::fromLatin1(B);
    return B;
}

// --- Window --------------------------------------------------------------------------------------------------

THelpWindow::THelpWindow(const std::string& WindowName, const THelpStore& Store) : FStore(&Store)
{
    setObjectName(ToQ("HelpWindow_" + WindowName));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlag(Qt::Window);
    Split = new QSplitter(Qt::Horizontal, this);
    Tree = new QTreeWidget(Split);
    Tree->setObjectName("HelpContents");
    Tree->setHeaderHidden(true);
    Tree->setColumnCount(1);
    View = new THelpBrowser(Split);
    View->setObjectName("HelpTopic");
    View->setOpenLinks(false);
    View->Store = &Store;
    Split->setStretchFactor(1, 1);
    auto* L = new QVBoxLayout(this);
    L->setContentsMargins(0, 0, 0, 0);
    L->addWidget(Split);
    connect(View, &QTextBrowser::anchorClicked, this, &THelpWindow::LinkClicked);
    connect(Tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* I) { ItemChosen(I); });
    connect(Tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* I) { ItemChosen(I); });
    const THelpWindowType* Type = Store.Window(WindowName);
    std::string Title = Type && !Type->Title.empty() ? Type->Title : Store.Title();
    setWindowTitle(ToQ(Title.empty() ? std::string("Help") : Title));
    if (Type && Type->Width > 0)
        setGeometry(FitOnScreen(QRect(Type->X, Type->Y, Type->Width, Type->Height)));
    else
        resize(800, 560);
    FillContents();
}

void THelpWindow::SetStore(const THelpStore& Store)
{
    FStore = &Store;
    View->Store = &Store;
    FillContents();
}

void THelpWindow::FillContents()
{
    Tree->clear();
    std::vector<QTreeWidgetItem*> Parents;
    for (const THelpContentsItem& I : FStore->Contents()) {
        int Level = std::min<int>(I.Level, int(Parents.size()));
        Parents.resize(size_t(Level));
        auto* Item = Parents.empty() ? new QTreeWidgetItem(Tree) : new QTreeWidgetItem(Parents.back());
        Item->setText(0, ToQ(I.Name));
        Item->setData(0, TopicRole, ToQ(I.Local));
        Parents.push_back(Item);
    }
    Tree->expandToDepth(0);
    // The contents as wide as their names need, so that none is cut short; the topic keeps the rest.
    constexpr int ContentsWidth = 230, TopicWidth = 400;
    const int Names = std::max(ContentsWidth, TreeWidthForNames(Tree));
    if (width() < Names + Split->handleWidth() + TopicWidth)
        resize(Names + Split->handleWidth() + TopicWidth, height());
    Split->setSizes({Names, width() - Names - Split->handleWidth()});
}

bool THelpWindow::ShowTopic(const std::string& Topic)
{
    std::string Path = FStore->ResolveTopic(Topic);
    if (Path.empty())
        return false;
    FTopic = Topic.substr(0, Topic.find('#'));
    View->setHtml(ReadTopic(Path));
    size_t Hash = Topic.find('#');
    if (Hash != std::string::npos)
        View->scrollToAnchor(ToQ(Topic.substr(Hash + 1)));
    SelectInContents(FTopic);
    return true;
}

void THelpWindow::SelectInContents(const std::string& Topic)
{
    // A heading opens the first topic of its group; the topic's own entry below it is the better mark.
    QTreeWidgetItem* Found = nullptr;
    for (QTreeWidgetItemIterator It(Tree); *It; ++It)
        if (FromQ((*It)->data(0, TopicRole).toString()) == Topic && (!Found || Found->childCount() > 0))
            Found = *It;
    if (!Found)
        return;
    for (QTreeWidgetItem* P = Found->parent(); P; P = P->parent())
        P->setExpanded(true);
    Tree->setCurrentItem(Found);
}

void THelpWindow::ItemChosen(QTreeWidgetItem* Item)
{
    if (Item)
        ShowTopic(FromQ(Item->data(0, TopicRole).toString()));
}

void THelpWindow::LinkClicked(const QUrl& Url)
{
    // Web and mail links go to the desktop; anything else is a topic of this folder or nothing.
    if (Url.scheme() == "http" || Url.scheme() == "https" || Url.scheme() == "mailto") {
        ShellOpenUrl(FromQ(Url.toString()));
        return;
    }
    std::string Rel = RelativePart(Url);
    if (Rel.empty() && Url.hasFragment()) {
        View->scrollToAnchor(Url.fragment());
        return;
    }
    // Relative to the topic on show.
    size_t Slash = FTopic.find_last_of('/');
    if (Slash != std::string::npos && !Rel.empty() && Rel[0] != '/')
        Rel = FTopic.substr(0, Slash + 1) + Rel;
    if (Url.hasFragment())
        Rel += "#" + FromQ(Url.fragment());
    ShowTopic(Rel);
}

// --- Viewer ---------------------------------------------------------------------------------------------------

THelpViewer::THelpViewer() = default;

THelpViewer::~THelpViewer() { CloseAll(); }

void THelpViewer::CloseAll()
{
    for (auto& [Name, W] : Windows)
        delete W.data();
    Windows.clear();
    delete FPopup.data();
}

std::pair<int32_t, int32_t> THelpViewer::MousePos() const
{
    QPoint P = QCursor::pos();
    return {P.x(), P.y()};
}

const THelpStore* THelpViewer::StoreFor(const std::string& ChmFile)
{
    auto& S = Stores[ChmFile];
    if (!S) {
        S = std::make_unique<THelpStore>();
        S->Load(ChmFile);
        // A damaged folder is told once, in one box, when it is first read; what could be read is shown.
        if (S->Valid() && !S->Problems().empty()) {
            std::string Text = "The help folder " + S->Folder() + " is damaged:";
            for (const std::string& P : S->Problems())
                Text += "\n" + P;
            MessageDlg(Text, mtWarning, mbOK);
        }
    }
    return S->Valid() ? S.get() : nullptr;
}

THelpWindow* THelpViewer::Window(const std::string& Name) const
{
    auto It = Windows.find(WindowKey(Name));
    return It == Windows.end() ? nullptr : It->second.data();
}

THelpWindow* THelpViewer::OpenWindow(const THelpStore& Store, const std::string& Name)
{
    std::string Key = WindowKey(Name);
    QPointer<THelpWindow>& W = Windows[Key];
    if (!W)
        W = new THelpWindow(Name.empty() ? "Main" : Name, Store);
    else if (W->Store() != &Store)
        W->SetStore(Store);
    return W;
}

void THelpViewer::KeepUsable(THelpWindow* W)
{
    QWidget* Modal = QApplication::activeModalWidget();
    if (Modal && Modal != W && W->parentWidget() != Modal) {
        QRect G = W->geometry();
        W->setParent(Modal, Qt::Window);
        W->setGeometry(G);
        Modal->installEventFilter(this);
    }
    W->show();
    W->raise();
    W->activateWindow();
}

bool THelpViewer::eventFilter(QObject* Watched, QEvent* Event)
{
    // A dialog that goes gives its help windows back, so they outlive it.
    if (Event->type() == QEvent::Hide || Event->type() == QEvent::Close) {
        for (auto& [Name, W] : Windows)
            if (W && W->parentWidget() == Watched) {
                QRect G = W->geometry();
                bool Shown = !W->isHidden();   // hidden with the dialog, not by the user
                W->setParent(nullptr, Qt::Window);
                W->setGeometry(G);
                if (Shown)
                    W->show();
            }
        Watched->removeEventFilter(this);
    }
    return QObject::eventFilter(Watched, Event);
}

void THelpViewer::ShowPopupText(const std::string& Text, int32_t X, int32_t Y)
{
    delete FPopup.data();
    auto* Box = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    Box->setObjectName("HelpPopup");
    Box->setAttribute(Qt::WA_DeleteOnClose);
    Box->setAttribute(Qt::WA_QuitOnClose, false);
    Box->setWordWrap(true);
    Box->setTextFormat(Qt::PlainText);
    Box->setText(ToQ(Text));
    Box->setMargin(8);
    Box->setFrameShape(QFrame::Box);
    Box->setStyleSheet("QLabel { background: #ffffe1; color: black; }");
    Box->setMaximumWidth(360);
    Box->adjustSize();
    QRect R(QPoint(X, Y), Box->sizeHint());
    if (QScreen* S = QApplication::screenAt(QPoint(X, Y))) {
        QRect A = S->availableGeometry();
        R.moveRight(std::min(R.right(), A.right()));
        R.moveBottom(std::min(R.bottom(), A.bottom()));
    }
    Box->move(R.topLeft());
    Box->show();
    // Any click or key closes it, as a popup of help does; the closer goes with the box.
    qApp->installEventFilter(new TPopupCloser(Box));
    FPopup = Box;
}

intptr_t THelpViewer::HtmlHelp(const std::string& File, uint32_t Command, const THelpData& Data,
    const THHPopup* Popup)
{
    if (Command == HH_CLOSE_ALL) {
        CloseAll();
        return 1;
    }
    THelpFileSpec Spec = SplitHelpFileName(File);
    if (Command == HH_DISPLAY_TEXT_POPUP) {
        if (!Popup)
            return 0;
        std::string Text = Popup->Text;
        if (Popup->IdString != 0 && !Spec.File.empty())
            if (const THelpStore* S = StoreFor(Spec.File))
                Text = S->PopupText(Popup->IdString);
        // An item without help says so; an empty box would say nothing.
        if (Trim(Text).empty())
            Text = NoHelpTopicText;
        ShowPopupText(Text, Popup->X, Popup->Y);
        return 1;
    }
    const THelpStore* S = StoreFor(Spec.File);
    if (!S)
        return 0;
    std::string Topic;
    switch (Command) {
    case HH_DISPLAY_TOPIC:
        Topic = Data.Text;
        break;
    case HH_HELP_CONTEXT:
        Topic = S->TopicOfContext(Data.Value);
        break;
    case HH_DISPLAY_TOC:
    case HH_DISPLAY_INDEX: {
        const THelpWindowType* T = S->Window(Spec.Window.empty() ? "Main" : Spec.Window);
        Topic = T && !T->Home.empty() ? T->Home : S->DefaultTopic();
        break;
    }
    default:
        return 0;
    }
    if (S->ResolveTopic(Topic).empty())
        return 0;
    THelpWindow* W = OpenWindow(*S, Spec.Window);
    W->ShowTopic(Topic);
    KeepUsable(W);
    return 1;
}
