// Fuzz target: whatever the controller answers to the register reads.
//
// Input layout:
//   byte 0      boards in the chain, 1 + (byte % 10)
//   byte 1      current board, byte % boards
//   byte 2      options: bit 0 every board measuring after the configuration
//               read; bit 1 the current board marked in thermal shutdown;
//               bit 2 the pending registers are raw characters, not bytes;
//               bit 3 no configuration write first; bit 4 the rules of a
//               single command instead of those of a continuous-cycle step
//   byte 3      the cell group code the cell reads start with (byte % 6)
//   bytes 4-15  pending register material: six registers of two characters
//               (raw), or the first six bytes as register values
//   the rest    the controller's replies, one per read, separated by line
//               ends and taken in turn
//
// The target writes the configuration, then reads configuration, flags,
// temperatures and diagnostics, the six forms of the cell-voltage read, and
// flags and temperatures again, with the classification after each read and
// every invariant of the robustness checks: received bytes and verdicts as cut
// from the reply, validity flags following the verdicts, decoded values, boards
// beyond the chain untouched, status codes 0..10, display texts printable and
// of their widths.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "protocol/ByteText.h"
#include "robustness/Rig.h"

using namespace qm;
using namespace qm::robustness;

namespace {

constexpr std::size_t kHeader = 16;

enum Option : std::uint8_t {
    kAllMeasuring = 1 << 0,
    kThermalMark = 1 << 1,
    kRawRegisters = 1 << 2,
    kNoWrite = 1 << 3,
    kCommandRules = 1 << 4,
};

void SetPending(Rig& rig, std::string_view material, bool raw)
{
    for (int b = 0; b <= rig.last(); ++b) {
        auto& regs = rig.images.pending[static_cast<std::size_t>(b)];
        for (std::size_t k = 0; k < regs.size(); ++k) {
            if (raw) {
                // Two characters each, shifted per board so boards differ.
                std::string text(material.substr(2 * k, 2));
                for (char& c : text) c = static_cast<char>(c + b);
                regs[k] = text;
            } else {
                regs[k] = protocol::ByteText(static_cast<std::uint8_t>(material[k] + b));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeader) return 0;
    fuzz::InputReader input(data, size);
    const int boards = 1 + input.byte() % 10;
    const int current = input.byte() % boards;
    const std::uint8_t options = input.byte();
    const int firstGroup = input.byte() % 6;
    const std::string_view material = input.text(12);

    fuzz::ReplyingController controller(input.rest());
    Rig rig(controller, boards, current);
    const Classify classify = (options & kCommandRules) ? Classify::Command : Classify::ContinuousStep;
    rig.checkDisplays = false; // once, at the end

    SetPending(rig, material, (options & kRawRegisters) != 0);
    if (!(options & kNoWrite)) fuzz::Require(WriteAndClassify(rig), "the configuration write");

    fuzz::Require(ReadAndClassify(rig, ConfigurationRead(), classify), "the configuration read");
    if (options & kAllMeasuring)
        for (int b = 0; b < boards; ++b) rig.images.configReadValid[static_cast<std::size_t>(b)] = 1;
    if (options & kThermalMark) rig.images.thermalMark[static_cast<std::size_t>(current)] = 1;

    fuzz::Require(ReadAndClassify(rig, FlagRead(), classify), "a flag read");
    fuzz::Require(ReadAndClassify(rig, TemperatureRead(), classify), "a temperature read");
    fuzz::Require(ReadAndClassify(rig, DiagnosticRead(), classify), "a diagnostic read");
    for (int i = 0; i < 6; ++i)
        fuzz::Require(ReadAndClassify(rig, CellRead((firstGroup + i) % 6), classify), "a cell-voltage read");
    fuzz::Require(ReadAndClassify(rig, FlagRead(), classify), "the second flag read");
    fuzz::Require(ReadAndClassify(rig, TemperatureRead(), classify), "the second temperature read");

    Report displays;
    CheckDisplays(displays, rig.images, rig.state);
    fuzz::Require(displays, "the reads");

    // The panel redrawn for every board in use, as a change of board focus does.
    for (int b = 0; b < boards; ++b) {
        protocol::RedrawTransferPanel(rig.panel, rig.images, b, rig.last());
        fuzz::Require(Printable(rig.panel.value) && Printable(rig.panel.caption), "panel texts printable on redraw");
    }
    return 0;
}
