// Configurations loaded from and saved to files: the pending configuration of
// every board filled as the editors would fill it, and read out as the
// configuration write would send it.
#include <algorithm>

#include "acquisition/Session.h"
#include "protocol/ByteText.h"

namespace qm::acquisition {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::uint8_t Byte(const protocol::ConfigRegisters& regs, int k) { return protocol::ByteFromText(regs[U(k)]); }

// Why a configuration cannot be loaded; empty when it can.
std::string Refusal(const config::StackConfiguration& c)
{
    // The file writer refuses exactly what the file reader would: no boards
    // or more than ten, registers that are not two hex digits, VUV above VOV.
    if (const config::ConfigFileWrite check = config::WriteConfigText(c); !check.text)
        return config::DescribeConfigFileError(check.error);
    for (int b = 1; b < c.boardCount(); ++b)
        if (protocol::TenCells(c.boards[U(b)]) != protocol::TenCells(c.boards[0]))
            return "boards[" + std::to_string(b) + "].tenCells: board " + std::to_string(b + 1) + " has " +
                   (protocol::TenCells(c.boards[U(b)]) ? "10" : "12") + " cells and board 1 has " +
                   (protocol::TenCells(c.boards[0]) ? "10" : "12") +
                   ", but the 10-cell mode is one setting for the whole stack";
    return {};
}

// A board's CFGR0 (of regs) as its box and duty-cycle editors hold it.
void StoreCfgr0AndCdc(config::ConfigContext& ctx, int board, const protocol::ConfigRegisters& regs)
{
    config::StoreCfgr0(ctx, board, Byte(regs, 0));
    ctx.state.boards[U(board)].cdc = protocol::CdcOf(regs);
}

// A board's thresholds as its threshold boxes hold them: the codes and CFGR4/CFGR5.
void StoreThresholds(config::ConfigContext& ctx, int board, std::uint8_t vuv, std::uint8_t vov)
{
    auto& cfg = ctx.state.boards[U(board)];
    cfg.vuvCode = vuv;
    cfg.vovCode = vov;
    ctx.images.pending[U(board)][4] = protocol::ByteText(vuv);
    ctx.images.pending[U(board)][5] = protocol::ByteText(vov);
}

} // namespace

std::string Session::LoadConfiguration(const config::StackConfiguration& configuration)
{
    if (closed_) return "the session has ended";
    if (std::string why = Refusal(configuration); !why.empty()) return why;
    Scope scope(*this);
    const auto& boards = configuration.boards;
    const int count = configuration.boardCount();
    if (count - 1 > last()) OnBoardCountChosen(count - 1);

    auto differ = [&](std::initializer_list<int> regs) {
        return std::any_of(boards.begin(), boards.end(), [&](const protocol::ConfigRegisters& b) {
            return std::any_of(regs.begin(), regs.end(), [&](int k) { return Byte(b, k) != Byte(boards[0], k); });
        });
    };
    if (differ({0}) && s_.config.globalCfgr0Mode == 1) OnCfgr0Option(0);
    if (differ({4, 5}) && s_.config.globalThresholdMode == 1) OnThresholdOption(0);

    auto ctx = configContext();
    for (int b = 0; b < count; ++b) {
        const auto& regs = boards[U(b)];
        StoreCfgr0AndCdc(ctx, b, regs);
        for (int k = 1; k <= 3; ++k) s_.images.pending[U(b)][U(k)] = protocol::ByteText(Byte(regs, k));
        StoreThresholds(ctx, b, Byte(regs, 4), Byte(regs, 5));
    }
    // A mode still global gives every board on the stack the one value.
    for (int b = count; b <= last(); ++b) {
        if (s_.config.globalCfgr0Mode == 1) StoreCfgr0AndCdc(ctx, b, boards[0]);
        if (s_.config.globalThresholdMode == 1) StoreThresholds(ctx, b, Byte(boards[0], 4), Byte(boards[0], 5));
    }

    // The 10CELLS box, for the whole stack; then the editors of the current board.
    s_.view.config.editors[0][config::kTenCellsBit] = protocol::TenCells(boards[0]);
    ApplyCellCountLayout();
    RefreshCdcTable();
    LoadEditors();
    RefreshThresholds();
    return {};
}

config::StackConfiguration Session::CurrentConfiguration() const
{
    protocol::RegisterImages images = s_.images;
    config::ConfigState state = s_.config;
    config::ConfigContext ctx{images, state, current(), last()};
    config::Propagate(ctx);
    config::StackConfiguration c;
    for (int b = 0; b <= last(); ++b) c.boards.push_back(images.pending[U(b)]);
    return c;
}

} // namespace qm::acquisition
