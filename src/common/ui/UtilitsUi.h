// The Qt half of Utilits: puts the description's captions, hints and help keywords onto a window's widgets
// (controls are found by objectName, kinds by their exact Qt class), opens context help for the window in front,
// and centres dialogs over their owners. Main thread only.
//
// Class kinds (a subclass that declares its own Q_OBJECT is another class and does not match):
//   QGroupBox                          caption (title) and hint; its children are visited
//   QFrame, QWidget, QToolBar          hint only (panels); their children are visited
//   QPushButton, QLabel, QCheckBox, QRadioButton   caption (text) and hint
//   QToolButton                        hint only
//   anything else (grids, tab widgets, ...)        left alone, and so are its children
// An empty hint never clears an existing one.
#pragma once

#include "common/Utilits.h"

#include <QList>

#include <string>

class QAction;
class QIcon;
class QTreeWidget;
class QWidget;

// The program's own icon (the splash's mark: a ring with a speech-bubble tail and three bars), drawn once in the
// usual sizes; the main window and every child window show it instead of the toolkit's logo.
const QIcon& ProgramIcon();

// The window's help keyword lives in this dynamic property, so that any window can carry one.
inline constexpr const char* HelpKeywordProperty = "HelpKeyword";
void SetHelpKeyword(QWidget* Window, const std::string& Keyword);
std::string HelpKeyword(const QWidget* Window);
// A window whose controls have no help of their own but share its topic (the section windows) sets this dynamic
// property: "What's this?" on such a control opens the window's topic, as F1 does there.
inline constexpr const char* HelpTopicForControlsProperty = "HelpTopicForControls";

// Applies the "Form Controls Caption" texts of the form description named ClassName (last match, template
// resolved) under FormProperties (or FormPropertiesNode()). Missing nodes change nothing.
void ApplyFormTexts(const std::string& ClassName, QWidget* Form);
void ApplyFormTexts(const TXmlNode* FormProperties, const std::string& ClassName, QWidget* Form);
// The recursive part: every direct child of Container (in child order) named Name gets Caption/Hint as its kind
// allows; containers of the panel and group kinds are visited whether they matched or not.
void ApplyControlTexts(QWidget* Container, const std::string& Name, const std::string& Caption,
    const std::string& Hint);
// Every action named ActionName gets Caption and, when not empty, Hint (tool tip and status tip).
void ApplyActionTexts(const QList<QAction*>& ActionList, const std::string& ActionName, const std::string& Caption,
    const std::string& Hint);

// Opens the help topic of the window in front (the active MDI child when that is the main window, "TMainForm").
// Nothing happens when no window of the program is active.
void ShowContextHelp();
// The same for a given window (tests, and callers that know it).
void ShowContextHelpFor(QWidget* Window);

// The width at which a tree view shows every name whole, its branches all opened: the widest item as the view
// measures a column, with its indentation, plus the view's frame and room for its vertical scroll bar.
int TreeWidthForNames(const QTreeWidget* Tree);

// Moves Form so that it is centred on Owner and stays on Owner's screen. Owner null: nothing changes.
void CentreOverMainForm(QWidget* Form, QWidget* Owner);

// Takes the style's scroll-bar width and MDI caption height for the description's sizes (SetFormMetrics).
void InitFormMetricsFromStyle();
// Puts the application's style (the one Qt chose, or the one asked for on the command line) behind a proxy that
// makes the title-bar icons once: every section window is an MDI child whose frame asks for them anew, and
// decoding them was a fifth of opening a small window. Everything else is the style's own. Main thread, once,
// after the QApplication is made.
void InstallProgramStyle();
