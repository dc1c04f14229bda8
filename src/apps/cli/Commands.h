#pragma once
// The subcommands of qm7410-cli. Each lives in a file of its own with one
// function that adds it to the command line and registers what it runs:
//
//   void AddSelfTest(CLI::App& app, Commands& commands)
//   {
//       auto* sub = app.add_subcommand("selftest", "Run the chips' self tests ...");
//       auto boards = std::make_shared<int>(1);
//       AddBoardsOption(*sub, *boards);
//       commands.add(sub, [boards](Context& ctx) { ...; return ctx.finish(status, report, text); });
//   }
//
// The function is declared below and called from qm7410-cli.cpp; the build
// picks up every file of this folder.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "apps/cli/Context.h"

namespace qm::cli {

// What a subcommand does once the command line has been read: its exit status.
using Action = std::function<int(Context&)>;

class Commands {
public:
    void add(CLI::App* subcommand, Action action) { commands_.push_back({subcommand, std::move(action)}); }
    // The registered subcommands in the order they were added, each by its
    // full name ("measure", "config read").
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& c : commands_) {
            const CLI::App* parent = c.subcommand->get_parent();
            const bool nested = parent != nullptr && parent->get_parent() != nullptr;
            out.push_back(nested ? parent->get_name() + " " + c.subcommand->get_name() : c.subcommand->get_name());
        }
        return out;
    }
    // The subcommand the command line chose, if any.
    const Action* chosen() const
    {
        for (const auto& c : commands_)
            if (c.subcommand->parsed()) return &c.action;
        return nullptr;
    }

private:
    struct Entry {
        CLI::App* subcommand;
        Action action;
    };
    std::vector<Entry> commands_;
};

void AddIdentify(CLI::App& app, Commands& commands);
void AddConfigRead(CLI::App& config, Commands& commands);  // under "config"
void AddConfigWrite(CLI::App& config, Commands& commands); // under "config"
void AddMeasure(CLI::App& app, Commands& commands);
void AddSelfTest(CLI::App& app, Commands& commands);
void AddDiagnose(CLI::App& app, Commands& commands);
void AddDccCheck(CLI::App& app, Commands& commands);

// Options several subcommands share.
// --boards N, 1..10 (the board count, as chosen in the window's list).
CLI::Option* AddBoardsOption(CLI::App& subcommand, int& boards, const std::string& what = "boards on the stack (1..10)");
// --config FILE: a configuration written before the run.
CLI::Option* AddConfigOption(CLI::App& subcommand, std::string& file);

// Starts the session, chooses the board count and writes the configuration
// when there is one, then reads it back (READ CONFIG). kExitOk or the exit
// status.
int Prepare(Context& ctx, int boards, const std::optional<config::StackConfiguration>& configuration);
// The same with the --config file, when one was given (read before anything
// reaches the board).
int Prepare(Context& ctx, int boards, const std::string& configFile);

// A subcommand that runs on the boards of --boards (default 1) after writing
// the --config file: both options added, and run registered with their values.
using PreparedRun = int (*)(Context& ctx, int boards, const std::string& configFile);
void AddPreparedCommand(CLI::App& subcommand, Commands& commands, PreparedRun run);

} // namespace qm::cli
