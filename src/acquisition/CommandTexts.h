#pragma once
// Texts the acquisition puts on its controls: the continuous cycle's tool tip
// per start command, the self-test tool tips per selector and the texts a
// self-test check expects, and the diagnostic fields.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/RegisterImages.h"

namespace qm::acquisition {

// Tool tip of "START CONTINUOUS READ CELLS" for start command 0..3.
std::string ContinuousToolTip(int startCommand);

// Self test options: 0 "0x555" (selector "E"), 1 "0xAAA" ("F"), 2 "0xFFF" ("D").
std::string SelfTestSelector(int option);
// The five start buttons' tool tips for an option, indexed by Command5 index
// (0, 1, 2, 5, 6 are set; 3 and 4 stay empty).
std::array<std::string, 7> SelfTestToolTips(int option);
// Expected texts of a cell / temperature box after a self test with selector.
std::string ExpectedCellSelfTestText(const std::string& selector);
std::string ExpectedTemperatureSelfTestText(const std::string& selector);

// The diagnostic result panel: fields 0..4 (DGNR0, DGNR1, revision,
// multiplexer check, reference voltage).
// A colour of nullopt leaves the field's colour as it is.
struct DiagnosticField {
    std::string text;
    std::optional<std::int32_t> back;
    std::optional<std::int32_t> fore;
};
using DiagnosticPanel = std::array<DiagnosticField, 5>;

DiagnosticPanel ShowDiagnostics(const protocol::RegisterImages& images, int currentBoard);
DiagnosticPanel ClearDiagnostics();

// "0.0000" + "V " of a reference voltage (minus sign in front when negative).
std::string ReferenceVoltsText(float volts);

} // namespace qm::acquisition
