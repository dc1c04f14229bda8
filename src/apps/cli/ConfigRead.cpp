// config read: every board's six configuration registers as read back
// ("READ CONFIG"), their data PEC verdict, and the fields they hold.
#include <cstdio>
#include <memory>

#include "apps/cli/Commands.h"
#include "config/ConfigFile.h"

namespace qm::cli {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string CellsText(const std::vector<int>& cells)
{
    if (cells.empty()) return "none";
    std::string text;
    for (int c : cells) text += (text.empty() ? "" : " ") + std::to_string(c);
    return text;
}

// The fields of a board's registers, named as the configuration file names them.
Json Fields(const protocol::ConfigRegisters& regs)
{
    const config::Settings s = config::Decode(regs);
    Json f;
    f["vuvVolts"] = s.vuvVolts;
    f["vovVolts"] = s.vovVolts;
    f["cdc"] = s.cdc;
    for (std::size_t i = 0; i < config::kCfgr0Bits.size(); ++i) f[std::string(config::kCfgr0Bits[i].key)] = s.bits[i];
    for (std::size_t i = 0; i < config::kCellLists.size(); ++i)
        f[std::string(config::kCellLists[i].key)] = s.cells[i];
    return f;
}

std::string Volts(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f V", static_cast<double>(v));
    return buf;
}

std::string FieldsText(const Json& f)
{
    auto yes = [&](const char* key) { return f[key].get<bool>() ? "1" : "0"; };
    return "  CDC " + std::to_string(f["cdc"].get<int>()) + ", VUV " + Volts(f["vuvVolts"].get<float>()) + ", VOV " +
           Volts(f["vovVolts"].get<float>()) + ", " + (f["tenCells"].get<bool>() ? "10" : "12") + " cells, WDTB " +
           yes("wdtb") + ", GPIO2 " + yes("gpio2") + ", GPIO1 " + yes("gpio1") + ", LVLPL " + yes("lvlpl") +
           "\n  discharge cells: " + CellsText(f["dischargeCells"].get<std::vector<int>>()) +
           "; masked cells: " + CellsText(f["maskedCells"].get<std::vector<int>>()) + "\n";
}

} // namespace

void AddConfigRead(CLI::App& config, Commands& commands)
{
    auto* sub = config.add_subcommand("read", "Read back every board's configuration registers");
    sub->footer("READ CONFIG, then for every board its six registers, whether their data passed its PEC check, and "
                "their fields: CDC, thresholds in volts, 10-cell mode, GPIO, watchdog and polling bits, discharge "
                "and masked cells.");
    auto boards = std::make_shared<int>(1);
    AddBoardsOption(*sub, *boards, "boards on the stack (1..10, default 1)");
    commands.add(sub, [boards](Context& ctx) {
        if (const int status = Prepare(ctx, *boards, std::nullopt); status != kExitOk) return status;
        ctx.session().OnCommandButton(6); // READ CONFIG
        const auto& images = ctx.state().images;
        Json list = Json::array();
        std::string text;
        for (int b = 0; b < ctx.boards(); ++b) {
            const auto& regs = images.readBack[U(b)];
            const bool pecOk = PecMatched(images.config, b);
            Json board{{"board", b + 1}, {"registers", RegistersJson(regs)}, {"pecOk", pecOk}};
            const Json fields = Fields(regs);
            for (const auto& [key, value] : fields.items()) board[key] = value;
            list.push_back(board);
            text += "board " + std::to_string(b + 1) + ": " + RegistersText(regs) +
                    (pecOk ? "  PEC ok\n" : "  PEC FAILED (the values below are not to be trusted)\n") +
                    FieldsText(fields);
        }
        return ctx.finish(kExitOk, Json{{"boards", list}}, text);
    });
}

} // namespace qm::cli
