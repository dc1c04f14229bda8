#pragma once
// The pending configuration of the chain as the window edits it, and the bit
// editors of CFGR0..CFGR3.
//
// The pending register texts live in protocol::RegisterImages::pending (two
// upper-case hex digits each); what the editors keep besides them lives in
// ConfigState: per board the two CFGR0 nibbles, the CDC value and the VUV/VOV
// codes, plus the chain-wide global modes and option choices.
//
// Register layout as edited here (bit 0 least significant):
//   CFGR0  7 WDTB, 6 GPIO2, 5 GPIO1, 4 LVLPL, 3 10CELLS, 2..0 CDC   Check0(k) = bit k
//   CFGR1  7..0 DCC8..DCC1                                         Check1(k) = bit k
//   CFGR2  7..4 MCI4..MCI1, 3..0 DCC12..DCC9                       Check2(k) = bit k
//   CFGR3  7..0 MCI12..MCI5                                        Check3(k) = bit k
//   CFGR4  VUV code, CFGR5 VOV code
#include <array>
#include <cstdint>
#include <optional>

#include "config/Looks.h"
#include "protocol/RegisterImages.h"

namespace qm::config {

inline constexpr int kBoards = protocol::kMaxBoards; // boards 0..9
inline constexpr int kTenCellsBit = 3;

// Selected element of an option pair (Option1 thresholds, Option3 CFGR0).
enum OptionChoice : std::int16_t {
    kOptionNone = -1,
    kOptionCustom = 0,
    kOptionGlobal = 1,
};

struct BoardConfig {
    int cfgr0High = 0xE; // bits 7..4 of CFGR0
    int cfgr0Low = 0;    // bits 3..0 of CFGR0
    int cdc = 0;         // comparator duty cycle 0..7
    int vuvCode = 0;     // source of CFGR4
    int vovCode = 0;     // source of CFGR5
    friend bool operator==(const BoardConfig&, const BoardConfig&) = default;
};

struct ConfigState {
    protocol::PerBoard<BoardConfig> boards{};
    std::int16_t globalCfgr0Mode = 1;     // 1: one CFGR0 for all boards
    std::int16_t globalThresholdMode = 1; // 1: one VUV/VOV pair for all boards
    std::int16_t cfgr0Option = kOptionGlobal;     // Option3
    std::int16_t thresholdOption = kOptionGlobal; // Option1
    // 1 while a pending register of the current board differs from its
    // written copy; starts at 1 because nothing has been written yet.
    std::int16_t configChanged = 1;
};

// What every editing operation works on: the images, the editor state, the
// board shown in detail and the last board in use. Board numbers outside 0..9
// are brought into range, so a bad index never reaches past the arrays.
struct ConfigContext {
    protocol::RegisterImages& images;
    ConfigState& state;
    int currentBoard = 0;
    int lastBoard = 0;

    int current() const;
    int last() const;
};

using Boxes = std::array<bool, 8>;

// ---- Plain register arithmetic -------------------------------------------

// Register value of eight boxes: sum of 2^k over the ticked boxes k.
std::uint8_t ByteFromBoxes(const Boxes& boxes);
// Box k ticked exactly when bit k is set.
Boxes BoxesFromByte(std::uint8_t value);

struct Nibbles {
    int high = 0; // boxes 7..4
    int low = 0;  // boxes 3..0
    friend bool operator==(const Nibbles&, const Nibbles&) = default;
};
Nibbles NibblesFromBoxes(const Boxes& boxes);
// CFGR0 is always rebuilt as the hex digit of the high nibble followed by
// that of the low nibble.
std::string Cfgr0Text(const Nibbles& nibbles);

// The register value of a pending register text (0 when empty or not hex).
std::uint8_t PendingByte(const protocol::RegisterImages& images, int board, int reg);

// ---- Cell panel boxes ----------------------------------------------------

// A box of the CFGR1..CFGR3 editors: Check1..Check3 (array 1..3), element 0..7.
struct BoxRef {
    int array = 0;
    int index = 0;
    friend bool operator==(const BoxRef&, const BoxRef&) = default;
};
// The "DCC" box of cell n: Check1(n-1) for n <= 8, Check2(n-9) for n >= 9.
std::optional<BoxRef> DischargeBoxOf(int cell);
// The "Mask" box of cell n: Check2(n+3) for n <= 4, Check3(n-5) for n >= 5.
std::optional<BoxRef> MaskBoxOf(int cell);

// ---- Defaults ------------------------------------------------------------

// Start-up: every board 0..9 back to CFGR0 "E0", CFGR1..CFGR5 "00", CDC 0,
// codes 0; both global modes and both options global; changed flag 1.
void ResetConfiguration(protocol::RegisterImages& images, ConfigState& state);

// ---- Register storage ----------------------------------------------------

// Stores a CFGR0 value for a board: the text and both nibbles.
void StoreCfgr0(ConfigContext& ctx, int board, std::uint8_t value);

// Sets (ten cells) or clears (twelve cells) bit 3 of CFGR0 of every board
// 0..last, whatever the global CFGR0 mode.
void ApplyTenCellBit(ConfigContext& ctx, bool tenCells);

// Copies the current board's CFGR0 to boards 0..last when the global CFGR0
// mode is 1, and its CFGR4/CFGR5 registers (not the codes) when the global
// threshold mode is 1.
void Propagate(ConfigContext& ctx);

} // namespace qm::config
