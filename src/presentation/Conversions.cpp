#include "presentation/Conversions.h"

#include <cmath>

#include "protocol/ByteText.h"
#include "protocol/RegisterImages.h"

namespace qm::presentation {

namespace {
constexpr double kThresholdStep = 0.024;
} // namespace

float CodeTextToVolts(std::string_view codeText)
{
    return protocol::CodeToVolts(protocol::HexPrefixValue(codeText, 3));
}

float VuvVolts(std::uint8_t code)
{
    return static_cast<float>((static_cast<double>(code) + 1.0) * kThresholdStep - 0.768);
}

float VovVolts(std::uint8_t code)
{
    return static_cast<float>((static_cast<double>(code) - 32.0) * kThresholdStep);
}

float VuvCodeUnrounded(double volts)
{
    return static_cast<float>(volts / kThresholdStep + 31.0);
}

float VovCodeUnrounded(double volts)
{
    return static_cast<float>(volts / kThresholdStep + 32.0);
}

std::optional<std::uint8_t> RoundToCode(float unrounded)
{
    if (!std::isfinite(unrounded)) return std::nullopt;
    const double value = unrounded;
    double rounded = std::floor(value);
    const double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
    if (rounded < 0.0 || rounded > 255.0) return std::nullopt;
    return static_cast<std::uint8_t>(rounded);
}

std::optional<std::uint8_t> VuvCodeFromVolts(double volts)
{
    return RoundToCode(VuvCodeUnrounded(volts));
}

std::optional<std::uint8_t> VovCodeFromVolts(double volts)
{
    return RoundToCode(VovCodeUnrounded(volts));
}

} // namespace qm::presentation
