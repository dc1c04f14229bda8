#include "config/ConfigModel.h"

#include <algorithm>

#include "protocol/ByteText.h"

namespace qm::config {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsBoard(int board) { return board >= 0 && board < kBoards; }
} // namespace

int ConfigContext::current() const { return std::clamp(currentBoard, 0, kBoards - 1); }
int ConfigContext::last() const { return std::clamp(lastBoard, 0, kBoards - 1); }

std::uint8_t ByteFromBoxes(const Boxes& boxes)
{
    unsigned value = 0;
    for (int k = 0; k < 8; ++k)
        if (boxes[static_cast<std::size_t>(k)]) value |= 1u << k;
    return static_cast<std::uint8_t>(value);
}

Boxes BoxesFromByte(std::uint8_t value)
{
    Boxes boxes{};
    for (int k = 0; k < 8; ++k) boxes[static_cast<std::size_t>(k)] = ((value >> k) & 1) != 0;
    return boxes;
}

Nibbles NibblesFromBoxes(const Boxes& boxes)
{
    const std::uint8_t value = ByteFromBoxes(boxes);
    return {value >> 4, value & 0x0F};
}

std::string Cfgr0Text(const Nibbles& nibbles)
{
    return {kHexDigits[nibbles.high & 0x0F], kHexDigits[nibbles.low & 0x0F]};
}

std::uint8_t PendingByte(const protocol::RegisterImages& images, int board, int reg)
{
    if (board < 0 || board >= protocol::kBoardSlots || reg < 0 || reg > 5) return 0;
    return protocol::ByteFromText(images.pending[static_cast<std::size_t>(board)][static_cast<std::size_t>(reg)]);
}

std::optional<BoxRef> DischargeBoxOf(int cell)
{
    if (cell < 1 || cell > 12) return std::nullopt;
    if (cell <= 8) return BoxRef{1, cell - 1};
    return BoxRef{2, cell - 9};
}

std::optional<BoxRef> MaskBoxOf(int cell)
{
    if (cell < 1 || cell > 12) return std::nullopt;
    if (cell <= 4) return BoxRef{2, cell + 3};
    return BoxRef{3, cell - 5};
}

void ResetConfiguration(protocol::RegisterImages& images, ConfigState& state)
{
    state = ConfigState{};
    for (int b = 0; b < kBoards; ++b) images.pending[static_cast<std::size_t>(b)] = protocol::DefaultConfiguration();
}

void StoreCfgr0(ConfigContext& ctx, int board, std::uint8_t value)
{
    if (!IsBoard(board)) return;
    const Nibbles nibbles{value >> 4, value & 0x0F};
    auto& cfg = ctx.state.boards[static_cast<std::size_t>(board)];
    cfg.cfgr0High = nibbles.high;
    cfg.cfgr0Low = nibbles.low;
    ctx.images.pending[static_cast<std::size_t>(board)][0] = Cfgr0Text(nibbles);
}

void ApplyTenCellBit(ConfigContext& ctx, bool tenCells)
{
    constexpr std::uint8_t bit = 1u << kTenCellsBit;
    for (int b = 0; b <= ctx.last(); ++b) {
        const std::uint8_t old = PendingByte(ctx.images, b, 0);
        StoreCfgr0(ctx, b, static_cast<std::uint8_t>(tenCells ? (old | bit) : (old & ~bit)));
    }
}

void Propagate(ConfigContext& ctx)
{
    const auto cur = static_cast<std::size_t>(ctx.current());
    const protocol::ConfigRegisters source = ctx.images.pending[cur];
    const std::uint8_t cfgr0 = PendingByte(ctx.images, ctx.current(), 0);
    for (int b = 0; b <= ctx.last(); ++b) {
        auto& regs = ctx.images.pending[static_cast<std::size_t>(b)];
        if (ctx.state.globalCfgr0Mode == 1) StoreCfgr0(ctx, b, cfgr0);
        if (ctx.state.globalThresholdMode == 1) {
            regs[4] = source[4];
            regs[5] = source[5];
        }
    }
}

} // namespace qm::config
