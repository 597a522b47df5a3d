// The shape of a device report as it is shown and printed: the captured dialogue of the report command without
// the echoed command line (everything up to and including the first CR LF) and without the device's prompt
// (a trailing CR LF "$ "). A capture without any CR LF is taken whole; an echo followed only by the prompt is an
// empty report.
#pragma once

#include <string>

std::string ReportTextOf(const std::string& Captured);
