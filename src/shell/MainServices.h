// The main window's side of the services the section windows use (forms/FormServices.h): device facts from its
// fields, reading and writing sections through its device roads, the lookups into other sections and into their
// open windows. The main window makes one when it is created and installs it; it removes it before it goes.
//
// In interactive mode a section that a lookup needs and the data document lacks is read from the device first;
// when that read fails its error box has been shown and the section counts as absent (every value free).
#pragma once

#include "forms/base/FormServices.h"

#include <memory>

class TMainForm;

std::unique_ptr<TFormServices> MakeMainServices(TMainForm& Main);
