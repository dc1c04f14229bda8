#include "config/ChangeIndication.h"

#include <algorithm>

#include "protocol/ByteText.h"

namespace qm::config {

namespace {
std::size_t Slot(int board) { return static_cast<std::size_t>(std::clamp(board, 0, kBoards - 1)); }
} // namespace

WriteButtonLook WriteButtonLookFor(bool configChanged)
{
    if (configChanged) return {"WRITECONFIG", 804, 168, 81, 20, true};
    return {"WRITE CONFIG", 796, 168, 97, 20, false};
}

std::string RegisterFieldText(const std::string& registerText) { return "   " + registerText + "   "; }

bool PendingDiffersFromWritten(const protocol::RegisterImages& images, int board)
{
    const auto& pending = images.pending[Slot(board)];
    const auto& written = images.written[Slot(board)];
    for (std::size_t k = 0; k < 6; ++k)
        if (pending[k] != written[k]) return true;
    return false;
}

ConfigDisplay RefreshConfigurationDisplay(ConfigContext& ctx)
{
    const int cur = ctx.current();
    const auto& pending = ctx.images.pending[Slot(cur)];
    const auto& written = ctx.images.written[Slot(cur)];

    ConfigDisplay d;
    d.changed = PendingDiffersFromWritten(ctx.images, cur);
    ctx.state.configChanged = d.changed ? 1 : 0;

    for (std::size_t k = 0; k < 6; ++k) d.registerTexts[k] = RegisterFieldText(pending[k]);
    d.registerLook = LookFor(d.changed);

    // The CDC bits of the board's CFGR0 against those written.
    const int pendingCdc = protocol::ByteFromText(pending[0]) & 7;
    const int writtenCdc = protocol::ByteFromText(written[0]) & 7;
    d.cdcLook = LookFor(pendingCdc != writtenCdc);
    d.vuvLook = LookFor(pending[4] != written[4]);
    d.vovLook = LookFor(pending[5] != written[5]);
    d.writeButton = WriteButtonLookFor(d.changed);
    return d;
}

ReadBackRow ReadBackTexts(const protocol::RegisterImages& images, int currentBoard)
{
    ReadBackRow row;
    if (images.configReadBackFlag != 1) {
        row.background = colour::kSysWindow;
        return row;
    }
    const auto& readBack = images.readBack[Slot(currentBoard)];
    for (std::size_t k = 0; k < 6; ++k) row.texts[k] = RegisterFieldText(readBack[k]);
    return row;
}

std::array<Colour, 6> ReadBackMarks(const protocol::RegisterImages& images, int currentBoard)
{
    const auto& readBack = images.readBack[Slot(currentBoard)];
    const auto& pending = images.pending[Slot(currentBoard)];
    std::array<Colour, 6> marks{};
    for (std::size_t k = 0; k < 6; ++k) {
        const bool differs = protocol::ByteFromText(readBack[k]) != protocol::ByteFromText(pending[k]);
        marks[k] = differs ? colour::kRed : colour::kSysWindow;
    }
    return marks;
}

} // namespace qm::config
