// The program's own version block, compiled in from the build (in place of a version resource), and the version
// arithmetic of the start-up check: "a.b.c.d" -> a*1000000 + b*10000 + c*100 + d, so that dividing by 100 keeps
// the first three parts. Part of the main window's unit; kept apart so the splash and about box can use it.
#pragma once

#include <cstdint>
#include <string>

// The Index-th of the ten standard version-block strings ("CompanyName" 1 ... "ProductVersion" 9, "Comments" 10);
// '' for another index or a string the program does not carry.
std::string GetVersionInfoString(int Index);
// "ProductVersion": four numeric parts separated by points.
std::string GetProgramVersion();

// Splits Text at "." into at most four parts (missing parts count 0; the fourth part takes the rest) and converts
// each as a strict integer text. Raises EConvertError "'<part>' is not a valid integer value" for an empty text or
// a part that is no integer, so a missing version never compares equal to anything by accident.
int32_t VersionToNumber(const std::string& Text);

// Whether a description document's "TemplateVersion" fits the program: equal in the first three parts. A text
// that VersionToNumber refuses does not fit.
bool TemplateVersionFits(const std::string& TemplateVersion, const std::string& ProductVersion);

// The version as the splash shows it: major "." minor ("1.1.0.4" -> "1.1"); '' when the version is unreadable.
std::string FormatVersionText();

// The application's name "Orlantis" as the system sees it (settings, task lists). No display name is set: the window
// system would append it to every window title ("Orlantis program - Orlantis", "Error - Orlantis"). Also gives every
// window the program's icon.
void SetApplicationNames();
