#include "config/OptionState.h"

#include "config/BitEditors.h"

namespace qm::config {

namespace {
void StoreCdc(ConfigContext& ctx, int cdc)
{
    if (ctx.state.cfgr0Option == kOptionCustom) {
        ctx.state.boards[static_cast<std::size_t>(ctx.current())].cdc = cdc;
    } else if (ctx.state.cfgr0Option == kOptionGlobal) {
        for (int b = 0; b <= ctx.last(); ++b) ctx.state.boards[static_cast<std::size_t>(b)].cdc = cdc;
    }
}

// Sets the mode and option of a pair; true when the global element was chosen.
std::optional<bool> Choose(int element, std::int16_t& mode, std::int16_t& option)
{
    if (element != kOptionCustom && element != kOptionGlobal) return std::nullopt;
    mode = static_cast<std::int16_t>(element);
    option = static_cast<std::int16_t>(element);
    return element == kOptionGlobal;
}
} // namespace

OptionRefresh ApplyOptionState(ConfigContext& ctx, std::string_view vuvText, std::string_view vovText)
{
    const auto& board = ctx.state.boards[static_cast<std::size_t>(ctx.current())];
    const int vuv = VuvCodeOfText(vuvText).value_or(board.vuvCode);
    const int vov = VovCodeOfText(vovText).value_or(board.vovCode);
    StoreThresholdCode(ctx, Threshold::Vuv, vuv);
    StoreThresholdCode(ctx, Threshold::Vov, vov);

    OptionRefresh r;
    r.thresholds = RefreshThresholds(ctx);
    StoreCdc(ctx, PendingByte(ctx.images, ctx.current(), 0) & 7);
    r.cdc = RefreshCdcTable(ctx);
    return r;
}

std::optional<OptionRefresh> SelectCfgr0Option(ConfigContext& ctx, int element, std::string_view vuvText,
                                               std::string_view vovText)
{
    const auto global = Choose(element, ctx.state.globalCfgr0Mode, ctx.state.cfgr0Option);
    if (!global || !*global) return std::nullopt;
    return PropagateAndApply(ctx, vuvText, vovText);
}

std::optional<OptionRefresh> SelectThresholdOption(ConfigContext& ctx, int element, std::string_view vuvText,
                                                   std::string_view vovText)
{
    const auto global = Choose(element, ctx.state.globalThresholdMode, ctx.state.thresholdOption);
    if (!global || !*global) return std::nullopt;
    return PropagateAndApply(ctx, vuvText, vovText);
}

OptionRefresh PropagateAndApply(ConfigContext& ctx, std::string_view vuvText, std::string_view vovText)
{
    Propagate(ctx);
    return ApplyOptionState(ctx, vuvText, vovText);
}

std::optional<OptionRefresh> ClickCdcArrow(ConfigContext& ctx, int arrowIndex, std::string_view vuvText,
                                           std::string_view vovText)
{
    if (arrowIndex != 0 && arrowIndex != 1) return std::nullopt;
    auto& board = ctx.state.boards[static_cast<std::size_t>(ctx.current())];
    board.cdc = arrowIndex == 1 ? IncrementCdc(board.cdc) : DecrementCdc(board.cdc);
    RefreshCdcTable(ctx);
    return PropagateAndApply(ctx, vuvText, vovText);
}

StandbyRefresh ApplyStandbyDefaults(ConfigContext& ctx)
{
    ChangeCfgr0Box(ctx, kTenCellsBit, false);
    StandbyRefresh r;
    for (int b = 0; b <= ctx.last(); ++b) {
        auto& board = ctx.state.boards[static_cast<std::size_t>(b)];
        auto& regs = ctx.images.pending[static_cast<std::size_t>(b)];
        StoreCfgr0(ctx, b, 0xE0);
        board.cdc = 0;
        regs[1] = regs[2] = regs[3] = "00";
        board.vuvCode = 0;
        regs[4] = "00";
        board.vovCode = 0;
        regs[5] = "00";
    }
    r.cdc = RefreshCdcTable(ctx);
    r.thresholds = RefreshThresholds(ctx);
    r.editors = LoadEditors(ctx);
    return r;
}

BoardFocusRefresh RefreshForCurrentBoard(ConfigContext& ctx, bool tenCellsBox)
{
    BoardFocusRefresh r;
    ApplyTenCellBit(ctx, tenCellsBox);
    r.cdc = RefreshCdcTable(ctx);
    r.editors = LoadEditors(ctx);
    r.thresholds = RefreshThresholds(ctx);
    r.readBackMarks = ReadBackMarks(ctx.images, ctx.current());
    r.config = RefreshConfigurationDisplay(ctx);
    r.readBack = ReadBackTexts(ctx.images, ctx.current());
    return r;
}

} // namespace qm::config
