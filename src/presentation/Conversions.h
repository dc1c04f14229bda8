#pragma once
// Measurement codes to volts as the presentation reads them from the code text
// table. A 12-bit code n (cells and the three temperature inputs alike) is
// (n - 512) * 0.0015 V. The threshold formulas live with the threshold editor
// (config/Thresholds.h).
#include <string_view>

namespace qm::presentation {

// Volts of a code text as held in the code text table. Only the leading hex
// digits count (at most three): a garbled or empty text reads its hex prefix,
// and no prefix at all reads as code 0.
float CodeTextToVolts(std::string_view codeText);

} // namespace qm::presentation
