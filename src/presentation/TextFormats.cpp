#include "presentation/TextFormats.h"

#include <cmath>
#include <cstdio>

namespace qm::presentation {

namespace {
constexpr std::size_t kCodeDigits = 3;
constexpr std::size_t kByteDigits = 2;
} // namespace

std::string VisibleText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) c = '?';
    }
    return out;
}

std::string FormatVolts(float volts)
{
    if (!std::isfinite(volts)) return " -.----";
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.4f", std::fabs(static_cast<double>(volts)));
    const bool showsZero = std::string_view(digits) == "0.0000";
    const char sign = (volts < 0.0f && !showsZero) ? '-' : ' ';
    return sign + std::string(digits);
}

std::string FormatCellVolts(float volts)
{
    return FormatVolts(volts) + std::string(kCellSuffix);
}

std::string FormatTemperatureVolts(float volts)
{
    return FormatVolts(volts) + std::string(kTemperatureSuffix);
}

std::string CellCodeText(std::string_view codeText)
{
    return "0x" + VisibleText(codeText.substr(0, kCodeDigits)) + " ";
}

std::string TemperatureCodeText(std::string_view codeText)
{
    return " 0x" + VisibleText(codeText.substr(0, kCodeDigits)) + " ";
}

std::string FlagDisplayText(std::string_view flagText)
{
    if (flagText.empty()) return {};
    return "  " + VisibleText(flagText.substr(0, kByteDigits)) + "   ";
}

} // namespace qm::presentation
