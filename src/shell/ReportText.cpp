#include "shell/ReportText.h"

std::string ReportTextOf(const std::string& Captured)
{
    std::string text = Captured;
    static const std::string prompt = "\r\n$ ";
    bool prompted = false;
    if (text.size() >= prompt.size() && text.compare(text.size() - prompt.size(), prompt.size(), prompt) == 0) {
        text.erase(text.size() - prompt.size());
        prompted = true;
    }
    size_t echo = text.find("\r\n");
    if (echo != std::string::npos)
        text.erase(0, echo + 2);
    else if (prompted)
        text.clear();   // an empty report: the line break after the echo was the prompt's own
    return text;
}
