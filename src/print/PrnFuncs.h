// Small helpers of the print library: unit conversion through inches, paper sizes, font styles as letters, the
// header and footer tokens, rectangle arithmetic, the library's error box and its version text. Plain C++.
#pragma once

#include "print/PrnTypes.h"

#include <array>
#include <ctime>
#include <string>
#include <string_view>

// Converts through inches; equal units return the value unchanged.
Extended ConvertValue(Extended Value, TPrnMeasurement From, TPrnMeasurement To);
TPrnExtRect ConvertRect(const TPrnExtRect& R, TPrnMeasurement From, TPrnMeasurement To);
TPrnExtPoint ConvertPoint(const TPrnExtPoint& P, TPrnMeasurement From, TPrnMeasurement To);
// Inches per unit (pnPixels counts 96 to the inch).
Extended InchesPerUnit(TPrnMeasurement Unit);

// Portrait width and height in inches; false (Size untouched) for pnCustom, which keeps the current size.
bool PaperSizeDimensions(TPrnPaperSize Paper, TPrnExtSize& Size);
// Width and height swapped as the orientation asks: landscape is the wider way.
TPrnExtSize OrientedSize(TPrnExtSize Size, TPrnOrientation Orientation);

enum TPrnFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4 };
using TPrnFontStyles = unsigned;
std::string FontStyleToStr(TPrnFontStyles Style);   // "b", "i", "u" in that order
TPrnFontStyles StrToFontStyle(std::string_view Text);

std::string ReplaceAllText(std::string Text, std::string_view Old, std::string_view New);

// "{DATE}" (dd/mm/yyyy with the locale's date separator), "{TIME}" (hh:mm, 24 hours), "{PAGE}", "{NUMPAGES}",
// every occurrence. Header and footer captions and text boxes are expanded; text taken from data (grid cells,
// report and terminal lines) is printed as it was given.
std::string ExpandHeaderFooterTokens(std::string Text, int Page, int PageCount, const std::tm& Now);
// The separator between day, month and year in the LC_TIME locale's date format; "/" when it names none.
char LocaleDateSeparator();

inline Extended MaxExtended(Extended A, Extended B) { return A > B ? A : B; }
inline Extended MinExtended(Extended A, Extended B) { return A < B ? A : B; }
inline int MaxInt(int A, int B) { return A > B ? A : B; }
inline int MinInt(int A, int B) { return A < B ? A : B; }
inline Extended RectWidth(const TPrnExtRect& R) { return R.Right - R.Left; }
inline Extended RectHeight(const TPrnExtRect& R) { return R.Bottom - R.Top; }
void SwapExtended(Extended& A, Extended& B);
TPrnExtRect OffsetExtendedRect(TPrnExtRect R, Extended DX, Extended DY);
// Inches to device pixels: each edge x pixels per inch, rounded to the nearest pixel.
int ScaleToPixels(Extended Inches, Extended PixelsPerInch);
TPrnRect ScaleRect(const TPrnExtRect& R, Extended FactorX, Extended FactorY);
// A font size scaled for a shrunk printout, never below 1 point: a size of 0 would be printed at full size.
int ScaleFontSize(int Size, Extended Scale);

// The four corners: top left, top right, bottom right, bottom left.
std::array<TPrnExtPoint, 4> RectCorners(const TPrnExtRect& R);

// The library's error box: the component's class name, " Error!", two line breaks and the message.
void ShowPrnError(const std::string& ClassName, const std::string& Message);
// "<class> v2.96.6", the decimal separator as the locale writes it; the About text of every component.
std::string PrnVersionString(const std::string& ClassName);
// The name and release of the operating system the program runs on ("Linux 6.1.0"); "" when it cannot be told.
std::string GetSystemVersionName();
