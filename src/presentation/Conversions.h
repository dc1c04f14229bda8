#pragma once
// Conversions between register codes and volts.
//
// A 12-bit measurement code n (cells and the three temperature inputs alike)
// is (n - 512) * 0.0015 V. The 8-bit thresholds: VUV (CFGR4) is
// (k + 1) * 0.024 - 0.768 V, VOV (CFGR5) is (k - 32) * 0.024 V. Going back,
// VUV code = V / 0.024 + 31 and VOV code = V / 0.024 + 32, computed in double
// precision, held single precision, then rounded half to even.
#include <cstdint>
#include <optional>
#include <string_view>

namespace qm::presentation {

// Volts of a code text as held in the code text table. Only the leading hex
// digits count (at most three): a garbled or empty text reads its hex prefix,
// and no prefix at all reads as code 0.
float CodeTextToVolts(std::string_view codeText);

// Threshold code -> volts, single precision.
float VuvVolts(std::uint8_t code);
float VovVolts(std::uint8_t code);

// Volts -> threshold code before rounding, held single precision. The entry
// check of the threshold boxes compares these unrounded values.
float VuvCodeUnrounded(double volts);
float VovCodeUnrounded(double volts);

// Nearest integer, a value exactly halfway going to the even neighbour. A value
// that does not round into 0..255 (or is not a number) is no 8-bit code:
// nullopt, so an out-of-range entry can never be stored as a wrapped code.
std::optional<std::uint8_t> RoundToCode(float unrounded);

// Volts -> 8-bit threshold code (the two steps above together). -0.744..5.376 V
// are exactly the VUV codes 0..255, -0.768..5.352 V the VOV codes.
std::optional<std::uint8_t> VuvCodeFromVolts(double volts);
std::optional<std::uint8_t> VovCodeFromVolts(double volts);

} // namespace qm::presentation
