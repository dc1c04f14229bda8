#include "apps/cli/Commands.h"

#include <memory>

namespace qm::cli {

CLI::Option* AddBoardsOption(CLI::App& subcommand, int& boards, const std::string& what)
{
    return subcommand.add_option("--boards", boards, what)->check(CLI::Range(1, 10))->type_name("N");
}

CLI::Option* AddConfigOption(CLI::App& subcommand, std::string& file)
{
    return subcommand
        .add_option("--config", file,
                    "write this configuration file first, as 'config write' does (the chips convert "
                    "nothing in standby, CDC 0)")
        ->type_name("FILE");
}

int Prepare(Context& ctx, int boards, const std::string& configFile)
{
    std::optional<config::StackConfiguration> configuration;
    if (!configFile.empty()) {
        configuration = ReadConfiguration(configFile);
        if (!configuration) return kExitUsage;
    }
    return Prepare(ctx, boards, configuration);
}

int Prepare(Context& ctx, int boards, const std::optional<config::StackConfiguration>& configuration)
{
    if (const int status = ctx.start(); status != kExitOk) return status;
    ctx.chooseBoards(boards);
    if (!configuration) return kExitOk;
    if (const int status = ctx.writeConfiguration(*configuration); status != kExitOk) return status;
    ctx.session().OnCommandButton(6); // READ CONFIG, as the window's focus suggests after a write
    return kExitOk;
}

void AddPreparedCommand(CLI::App& subcommand, Commands& commands, PreparedRun run)
{
    auto boards = std::make_shared<int>(1);
    auto configFile = std::make_shared<std::string>();
    AddBoardsOption(subcommand, *boards, "boards on the stack (1..10, default 1)");
    AddConfigOption(subcommand, *configFile);
    commands.add(&subcommand, [boards, configFile, run](Context& ctx) { return run(ctx, *boards, *configFile); });
}

} // namespace qm::cli
