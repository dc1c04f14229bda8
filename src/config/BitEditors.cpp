#include "config/BitEditors.h"

#include "protocol/ByteText.h"

namespace qm::config {

namespace {
std::uint8_t WithBit(std::uint8_t value, int bit, bool set)
{
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    return static_cast<std::uint8_t>(set ? (value | mask) : (value & ~mask));
}
} // namespace

std::array<Boxes, 4> LoadEditors(ConfigContext& ctx)
{
    const int cur = ctx.current();
    std::array<Boxes, 4> boxes{};
    for (int reg = 0; reg < 4; ++reg)
        boxes[static_cast<std::size_t>(reg)] = BoxesFromByte(PendingByte(ctx.images, cur, reg));
    StoreCfgr0(ctx, cur, PendingByte(ctx.images, cur, 0));
    return boxes;
}

ConfigDisplay ChangeCfgr0Box(ConfigContext& ctx, int bit, bool ticked)
{
    const int cur = ctx.current();
    if (bit >= 0 && bit < 8) {
        const std::uint8_t value = WithBit(PendingByte(ctx.images, cur, 0), bit, ticked);
        StoreCfgr0(ctx, cur, value);
        ApplyTenCellBit(ctx, ((value >> kTenCellsBit) & 1) != 0);
    }
    return RefreshConfigurationDisplay(ctx);
}

ConfigDisplay ChangeRegisterBox(ConfigContext& ctx, int array, int bit, bool ticked)
{
    if (array >= 1 && array <= 3 && bit >= 0 && bit < 8) {
        const int cur = ctx.current();
        const std::uint8_t value = WithBit(PendingByte(ctx.images, cur, array), bit, ticked);
        ctx.images.pending[static_cast<std::size_t>(cur)][static_cast<std::size_t>(array)] = protocol::ByteText(value);
    }
    return RefreshConfigurationDisplay(ctx);
}

ConfigDisplay ChangeDischargeBox(ConfigContext& ctx, int cell, bool ticked)
{
    const auto box = DischargeBoxOf(cell);
    if (!box) return RefreshConfigurationDisplay(ctx);
    return ChangeRegisterBox(ctx, box->array, box->index, ticked);
}

ConfigDisplay ChangeMaskBox(ConfigContext& ctx, int cell, bool ticked)
{
    const auto box = MaskBoxOf(cell);
    if (!box) return RefreshConfigurationDisplay(ctx);
    return ChangeRegisterBox(ctx, box->array, box->index, ticked);
}

} // namespace qm::config
