#include "protocol/TransferPanel.h"

#include "protocol/ByteText.h"
#include "protocol/Colours.h"
#include "protocol/Pec.h"

namespace qm::protocol {

namespace {

struct ReadView {
    const char* caption;
    std::string sent;
    const char* equal;
    const char* unequal;
};

// "  " + PEC + "  |  ": the sent column of the reads with a one-byte command.
std::string SentColumn(std::string_view command) { return "  " + CommandPec(command) + "  |  "; }

ReadView ViewOf(ReadKind kind)
{
    switch (kind) {
    case ReadKind::Config: return {"Command = 0x02 RDCFG", "  CE  | ", " ==  ", "  !=  "};
    case ReadKind::Flags: return {"Command = 0x0C RDFLG", SentColumn("0C"), " == ", " != "};
    case ReadKind::Temperatures: return {"Command = 0x0E RDTMP", SentColumn("0E"), " == ", " != "};
    case ReadKind::Cells: return {"Command = 0x04 RDCV", SentColumn("04"), " == ", " != "};
    case ReadKind::CellsA: return {"Command = 0x06 RDCVA", SentColumn("06"), " == ", " != "};
    case ReadKind::CellsB: return {"Command = 0x08 RDCVB", SentColumn("08"), " == ", " != "};
    case ReadKind::CellsC: return {"Command = 0x0A RDCVC", SentColumn("0A"), " == ", " != "};
    case ReadKind::Diagnostics: return {"Command = 0x54 RDDGNR", SentColumn("54"), " == ", " != "};
    }
    return {"", "", "", ""};
}

bool IsReadKind(std::int16_t kind) { return kind >= 3 && kind <= 10; }

} // namespace

TransferPanel::TransferPanel()
    : direction("R D"),
      headerTop("| SENT | REC'D |  GUI    |"),
      headerBottom("|  Cmd  | 7410  |  CALC |"),
      caption("Command = 0x54 RDDGNR"),
      value("  8B  |  40  !=  1B   "),
      valueBack(colour::kWhite)
{
    ovalFill.fill(colour::kWhite);
}

std::int32_t OvalColour(std::int16_t pecStatus)
{
    switch (pecStatus) {
    case kPecMatched: return colour::kGreen;
    case kPecMismatch: return colour::kRed;
    case kPecThermalMark: return colour::kOrange;
    default: return colour::kWhite;
    }
}

void ShowSendOnly(TransferPanel& panel, std::string_view mnemonic, std::string_view commandByteText,
                  std::string_view pecText)
{
    panel.direction = "W R";
    panel.headerTop = "| SENT |";
    panel.headerBottom = "|  Cmd  |";
    panel.valueBack = colour::kWhite;
    panel.value = "  " + std::string(pecText) + "  |";
    panel.caption = "Command = 0x" + std::string(commandByteText) + " " + std::string(mnemonic);
}

void ShowConfigurationWrite(TransferPanel& panel, const RegisterImages& images, int currentBoard)
{
    panel.direction = "W R";
    panel.headerTop = "| SENT | SENT  |";
    panel.headerBottom = "|  Cmd  | DATA |";
    panel.caption = "Command = 0x01 WRCFG";
    panel.valueBack = colour::kWhite;
    panel.value = "  C7  |  " + HexNoPad(images.writtenDataPec[static_cast<std::size_t>(currentBoard)]) + "  |";
    panel.lastKind = kPanelWrite;
}

void ShowRead(TransferPanel& panel, const RegisterImages& images, ReadKind kind, int currentBoard, int groupCode)
{
    const ReadView view = ViewOf(kind);
    panel.direction = "R D";
    panel.headerTop = "| SENT | REC'D |  GUI    |";
    panel.headerBottom = "|  Cmd  | 7410  |  CALC |";
    panel.caption = view.caption;
    const auto& set = images.set(kind);
    const auto b = static_cast<std::size_t>(currentBoard);
    const std::string received = ByteText(set.pec[b]);
    const std::string computed = ByteText(set.computed[b]);
    const bool equal = set.pec[b] == set.computed[b];
    panel.valueBack = equal ? colour::kWhite : colour::kRed;
    panel.value = view.sent + received + (equal ? view.equal : view.unequal) + computed;
    panel.lastKind = static_cast<std::int16_t>(kind);
    if (kind == ReadKind::Cells || kind == ReadKind::CellsA || kind == ReadKind::CellsB || kind == ReadKind::CellsC)
        panel.lastGroupCode = static_cast<std::uint8_t>(groupCode);
}

void ResetTransferPanel(TransferPanel& panel, int lastBoardIndex)
{
    panel.caption.clear();
    panel.valueBack = colour::kSysWindow;
    panel.value.clear();
    for (int b = 0; b <= lastBoardIndex && b < kBoardSlots; ++b) panel.ovalFill[static_cast<std::size_t>(b)] = colour::kSysWindow;
}

void RedrawTransferPanel(TransferPanel& panel, const RegisterImages& images, int currentBoard, int lastBoardIndex)
{
    if (panel.lastKind == kPanelNone) {
        ResetTransferPanel(panel, lastBoardIndex);
    } else if (panel.lastKind == kPanelWrite) {
        ShowConfigurationWrite(panel, images, currentBoard);
    } else if (IsReadKind(panel.lastKind)) {
        ShowRead(panel, images, static_cast<ReadKind>(panel.lastKind), currentBoard, panel.lastGroupCode);
    }
}

} // namespace qm::protocol
