// The shape of a device report: the echoed command line and the device's prompt go, the report stays as it came.
#include "shell/ReportText.h"

#include <gtest/gtest.h>

TEST(ReportText, DropsTheEchoedCommandAndThePrompt)
{
    EXPECT_EQ(ReportTextOf("VERSION\r\nVMU VERSION REPORT\r\n\r\nFLASH 4.09\r\n$ "),
        "VMU VERSION REPORT\r\n\r\nFLASH 4.09");
    // Without the prompt only the command line goes; without any CR LF the text is taken whole.
    EXPECT_EQ(ReportTextOf("CUSTOM 1\r\nA\r\nB"), "A\r\nB");
    EXPECT_EQ(ReportTextOf("no line end at all"), "no line end at all");
    EXPECT_EQ(ReportTextOf("\r\n$ "), "");
    EXPECT_EQ(ReportTextOf(""), "");
}

TEST(ReportText, AnEmptyReportShowsNeitherTheEchoNorThePrompt)
{
    EXPECT_EQ(ReportTextOf("FAX CALLS\r\n$ "), "");
    // Just inside: one report line keeps it.
    EXPECT_EQ(ReportTextOf("FAX CALLS\r\nNo calls\r\n$ "), "No calls");
    // Just outside the prompt: a blank missing means no prompt, so the capture is a text without a report.
    EXPECT_EQ(ReportTextOf("FAX CALLS\r\n$"), "$");
}
