#include "shell/MainVersion.h"

#include "Version.h"
#include "common/ui/UtilitsUi.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <QApplication>
#include <QCoreApplication>

std::string GetVersionInfoString(int Index)
{
    switch (Index) {
    case 2:   // FileDescription
    case 8:   // ProductName
        return "Orlantis";
    case 3:   // FileVersion
    case 9:   // ProductVersion
        return ORLANTIS_PRODUCT_VERSION;
    case 4:   // InternalName
    case 7:   // OriginalFilename
        return "orlantis";
    default:  // CompanyName, LegalCopyright, LegalTrademarks, Comments and anything else
        return "";
    }
}

std::string GetProgramVersion() { return GetVersionInfoString(9); }

int32_t VersionToNumber(const std::string& Text)
{
    static constexpr int64_t Weights[4] = {1000000, 10000, 100, 1};
    int64_t Result = 0;
    size_t Start = 0;
    for (int Part = 0; Part < 4; ++Part) {
        size_t Dot = Part < 3 ? Text.find('.', Start) : std::string::npos;
        std::string Piece = Text.substr(Start, Dot == std::string::npos ? std::string::npos : Dot - Start);
        Result += int64_t(StrToInt(Piece)) * Weights[Part];
        if (Dot == std::string::npos)
            break;
        Start = Dot + 1;
    }
    // Wraps like the 32-bit arithmetic it stands for; real versions stay far below the limit.
    return int32_t(uint32_t(uint64_t(Result)));
}

bool TemplateVersionFits(const std::string& TemplateVersion, const std::string& ProductVersion)
{
    try {
        return VersionToNumber(TemplateVersion) / 100 == VersionToNumber(ProductVersion) / 100;
    } catch (const EConvertError&) {
        return false;
    }
}

std::string FormatVersionText()
{
    try {
        int32_t n = VersionToNumber(GetProgramVersion());
        return IntToStr(n / 1000000) + "." + IntToStr((n % 1000000) / 10000);
    } catch (const EConvertError&) {
        return "";
    }
}

void SetApplicationNames()
{
    QCoreApplication::setApplicationName("Orlantis");
    // Every window without an icon of its own (the main window first) shows the program's.
    QApplication::setWindowIcon(ProgramIcon());
}
