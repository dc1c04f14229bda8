#pragma once
// Content of the "PACKET ERROR CODE " panel: the last transfer as an engineer
// would check it on a logic analyser (direction, command, the PEC sent, and for
// reads the PEC the current board returned next to the PEC computed). The
// window's view copies this onto its controls; the per-board ovals above the
// overview grid are kept here too, since reads and resets both fill them.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/RegisterImages.h"

namespace qm::protocol {

// Last-command kinds the panel can redraw: 0 none, 2 configuration write,
// 3..10 the read kinds (see ReadKind).
inline constexpr std::int16_t kPanelNone = 0;
inline constexpr std::int16_t kPanelWrite = 2;

struct TransferPanel {
    std::string direction;     // Label25: "W R" or "R D"
    std::string headerTop;     // Label8(2)
    std::string headerBottom;  // Label8(0)
    std::string caption;       // Label8(1)
    std::string value;         // Text8 text
    std::int32_t valueBack = 0; // Text8 background colour number
    std::int16_t lastKind = kPanelNone;
    std::uint8_t lastGroupCode = 0;
    PerBoard<std::int32_t> ovalFill{}; // Shape12(b) fill colour numbers

    // The window's design-time content, before any transfer.
    TransferPanel();
};

// Oval colour for a PEC status code 0..3.
std::int32_t OvalColour(std::int16_t pecStatus);

void ShowSendOnly(TransferPanel& panel, std::string_view mnemonic, std::string_view commandByteText,
                  std::string_view pecText);
void ShowConfigurationWrite(TransferPanel& panel, const RegisterImages& images, int currentBoard);
// groupCode matters only for the cell-voltage reads.
void ShowRead(TransferPanel& panel, const RegisterImages& images, ReadKind kind, int currentBoard,
              int groupCode = 0);
void ResetTransferPanel(TransferPanel& panel, int lastBoardIndex);
// Repeats the view of the last-command kind for the (new) current board.
void RedrawTransferPanel(TransferPanel& panel, const RegisterImages& images, int currentBoard, int lastBoardIndex);

} // namespace qm::protocol
