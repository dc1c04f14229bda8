// qm7410-cli, the real program: every subcommand against qm7410-sim on a pseudo-terminal and the
// built-in simulation with faults; bad input refused before the chips are written; records that stay
// well formed when the board goes away or the run is interrupted. (Its config write against the
// window's frames: tests/ui.)
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "e2e/Programs.h"

using namespace qm::test;
using ::testing::HasSubstr;
using nlohmann::json;

namespace {

// The record's data rows (neither '#' lines nor the column row).
std::vector<std::string> Rows(const std::string& csv)
{
    std::vector<std::string> rows = Lines(csv);
    std::erase_if(rows, [](const std::string& l) { return l.empty() || l[0] == '#' || l.rfind("utc_time,", 0) == 0; });
    return rows;
}

class CliProgram : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        WriteText(dir / name, text);
        return (dir / name).string();
    }
    TempDir dir;
    const std::string stack = Write("stack.json", R"({"format": "qm7410-configuration", "version": 1, "boards": [
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2, "dischargeCells": [3]},
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2, "gpio1": false, "maskedCells": [11, 12]}]})");
};

} // namespace

TEST_F(CliProgram, EverySubcommandAgainstTheSimulatorOnAPseudoTerminal)
{
    SimulatorOnTty sim("boards=2,seed=3");
    ASSERT_EQ(sim.tty.rfind("/dev/", 0), 0u) << sim.tty;
    const std::string device = sim.device();
    Result r = Cli({device, "identify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "QM7410-1: supported\n");
    r = Cli({device, "config", "write", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("board 2: wrote C2 00 00 C0 9C CF, read C2 00 00 C0 9C CF: same"));
    r = Cli({device, "--json", "config", "read", "--boards", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto read = json::parse(r.out);
    const json& b = read["boards"];
    EXPECT_EQ(json::array({b[0]["registers"]["CFGR1"], b[0]["dischargeCells"], b[1]["maskedCells"], b[1]["vovVolts"],
                           b[1]["pecOk"]}), json::parse(R"(["04", [3], [11, 12], 4.2, true])"));
    r = Cli({device, "selftest", "--boards", "2", "--config", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "board 1: PASS\nboard 2: PASS\nself test passed\n");
    r = Cli({device, "diagnose", "--boards", "2", "--config", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("board 2: PASS revision C, multiplexer PASS, reference 2.3"));
    // Records to standard output as JSON lines, the summary on standard error.
    r = Cli({device, "measure", "--boards", "2", "--count", "2", "--format", "jsonl", "--config", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<json> records;
    for (const auto& line : Lines(r.out)) records.push_back(json::parse(line));
    ASSERT_EQ(records.size(), 1u + 2 * 2 + 1);
    EXPECT_EQ(json::array({records[0]["boards"][1]["config"][0], records[4]["board"], records[4]["flagsValid"],
                           records.back()["recordingEnded"]}), json::parse(R"(["C2", 2, true, "2 passes recorded as asked"])"));
    EXPECT_THAT(r.err, HasSubstr("measure: 2 passes of 2 boards"));
    sim.sim.signal(SIGTERM);
    EXPECT_EQ(sim.sim.wait(), 0);
}

TEST_F(CliProgram, FaultsFailTheirChecksWithStatusThreeNamingBoardAndCell)
{
    const std::string config = "--config=" + stack;
    Result r = Cli({"--simulate=boards=2,selftest-fault=1:7", "selftest", "--boards", "2", config});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_THAT(r.out, HasSubstr("board 1: PASS\nboard 2: FAIL cell 7: answered 0x554 for 0x555, 0xAAB for 0xAAA"));
    r = Cli({"--simulate=boards=2,mux-fail=0", "--json", "diagnose", "--boards", "2", config});
    EXPECT_EQ(r.status, 3) << r.err;
    const json diag = json::parse(r.out)["boards"];
    EXPECT_EQ(json::array({diag[0]["multiplexer"], diag[1]["multiplexer"]}), json::array({"FAIL", "PASS"}));
    // A board that is not there reads back nothing the check could trust.
    r = Cli({"--simulate=boards=1", "config", "write", "--default", "--boards", "2"});
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_THAT(r.out, HasSubstr("board 2: wrote E0 00 00 00 00 00, read FF FF FF FF FF FF: the read-back failed its "
                                 "PEC"));
    // PEC failures are counted from the link's health and bounded on request.
    const std::vector<std::string> pecRead{"--simulate=boards=2,pec-errors=1:1", "config", "read", "--boards", "2"};
    auto withArg = [&](const std::string& arg) { auto a = pecRead; a.push_back(arg); return a; };
    r = Cli(withArg("--json"));
    EXPECT_EQ(r.status, 0) << r.err;
    const auto counted = json::parse(r.out);
    const int failures = counted["pecFailures"];
    EXPECT_GE(failures, 2); // board 2 fails every read: at start, with the board count, and this one
    EXPECT_EQ(counted["boards"][1]["pecOk"], false);
    r = Cli(withArg("--max-pec-errors=" + std::to_string(failures - 1)));
    EXPECT_EQ(r.status, 3);
    EXPECT_THAT(r.err, HasSubstr("PEC failures, more than --max-pec-errors"));
    EXPECT_EQ(Cli(withArg("--max-pec-errors=" + std::to_string(failures))).status, 0);
}

TEST_F(CliProgram, UnplugDuringMeasureKeepsEveryRecordAndEndsTheFile)
{
    const auto out = dir / "night.csv";
    const Result r = Cli({"--simulate=boards=3,unplug-after=1", "--json", "measure", "--boards", "3", "--out",
                          out.string(), "--config", stack});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("stopped answering"));
    const int passes = json::parse(r.out)["passes"];
    const std::string csv = FileText(out);
    EXPECT_GE(passes, 1);
    EXPECT_EQ(Rows(csv).size(), 3u * static_cast<std::size_t>(passes));
    EXPECT_EQ(LastLine(csv), "# recording ended: the controller board stopped answering");
}

TEST_F(CliProgram, InterruptEndsTheRecordCleanlyWithStatusZero)
{
    const auto out = dir / "soak.csv";
    ChildProcess cli(kCli, {"--simulate=boards=2", "measure", "--boards", "2", "--out", out.string(), "--config", stack});
    // Wait for a few passes, then Ctrl-C.
    for (int i = 0; i < 200 && Rows(FileText(out)).size() < 4; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cli.signal(SIGINT);
    EXPECT_EQ(cli.wait(), 0) << cli.errorText();
    const std::string csv = FileText(out);
    EXPECT_EQ(LastLine(csv), "# recording ended: interrupted by SIGINT");
    const auto rows = Rows(csv);
    EXPECT_TRUE(rows.size() >= 4 && rows.size() % 2 == 0) << rows.size(); // whole passes of both boards
    EXPECT_THAT(cli.outputText(), HasSubstr("measure: " + std::to_string(rows.size() / 2) + " passes"));
}

TEST_F(CliProgram, BadCommandLinesAndFilesAreRefusedBeforeTheChipsAreWritten)
{
    const std::string header = R"({"format": "qm7410-configuration", "version": 1, "boards": [)";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{ // arguments, words of stderr
        {{"frobnicate"}, "unknown subcommand 'frobnicate'"}, {{"identify", "--frobnicate"}, "--frobnicate"},
        {{}, "a subcommand is needed"}, {{"config"}, "config needs 'read' or 'write'"},
        {{"config", "write"}, "needs a configuration file or --default"},
        {{"config", "write", (dir / "missing.json").string()}, "missing.json"},
        {{"config", "write", Write("broken.json", "{\"format\": \"qm7410-configuration\",\n \"boards\": [}")}, "line 2: boards"},
        {{"config", "write", Write("range.json", header + R"(
            {"registers": {"CFGR0": "E2", "CFGR1": "100", "CFGR2": "00", "CFGR3": "00", "CFGR4": "9C", "CFGR5": "CF"}}]})")},
         "line 2: boards[0].registers.CFGR1"},
        {{"config", "write", Write("order.json", header + R"({"vuvVolts": 4.3, "vovVolts": 4.2, "cdc": 2}]})")}, "boards[0]"},
        {{"config", "write", Write("cells.json", header + R"({"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2, "tenCells": true},
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2}]})")}, "10-cell mode is one setting"},
        {{"config", "read", "--boards", "0"}, "--boards"}, {{"config", "write", stack, "--boards", "11"}, "--boards"},
        {{"measure", "--count", "2"}, "--boards"}, {{"measure", "--boards", "2", "--format", "xml"}, "xml"},
        {{"measure", "--boards", "2", "--count", "2", "--duration", "5"}, "--duration"},
        {{"measure", "--boards", "2", "--out", (dir / "no/such/dir.csv").string()}, "no/such/dir.csv"},
        {{"--device=usb", "identify"}, "--device"}, {{"--simulate=boards=11", "identify"}, "boards"},
        {{"--simulate", "--device=serial:/dev/ttyUSB0", "identify"}, "--device"},
        {{"--simulate", "dcc-check", "--cells", "13", "--config=" + stack}, "--cells"},
        {{"--simulate", "dcc-check"}, "--config"}, // no configuration to measure with
    };
    const auto traffic = dir / "traffic.jsonl";
    for (const auto& [given, needle] : cases) {
        std::vector<std::string> args{"--record=" + traffic.string()};
        if (given.empty() || given[0].rfind("--simulate", 0) != 0) args.push_back("--simulate=boards=2");
        args.insert(args.end(), given.begin(), given.end());
        const Result r = Cli(args);
        const std::string what = given.empty() ? "(nothing)" : given.back();
        EXPECT_EQ(r.status, 2) << what << ": " << r.err;
        EXPECT_THAT(r.err, HasSubstr(needle)) << what;
        EXPECT_TRUE(ConfigWrites(traffic).empty()) << what;
        std::filesystem::remove(traffic);
    }
    const Result help = Cli({"--help-all"});
    for (const char* word : {"selftest", "--max-pec-errors", "--count", "Exit status"})
        EXPECT_THAT(help.out, HasSubstr(word));
    EXPECT_THAT(Cli({"config", "write", "--help"}).out, HasSubstr("bit 7 (WDTB)"));
}

TEST_F(CliProgram, DischargeCheckNamesTheBrokenPathAndPutsTheConfigurationBack)
{
    SimulatorOnTty sim("boards=2,dcc-open=0:4"); // cell 3 of board 1 is discharging already
    ASSERT_EQ(sim.tty.rfind("/dev/", 0), 0u) << sim.tty;
    const auto traffic = dir / "dcc.jsonl";
    const Result r = Cli({sim.device(), "--record=" + traffic.string(), "--json", "dcc-check", "--boards", "2",
                          "--cells", "3-5", "--config=" + stack});
    EXPECT_EQ(r.status, 3) << r.err; // a path failed
    EXPECT_THAT(r.out, HasSubstr("discharging")); // skipped, and said so
    // The last configuration written is the one the check found.
    const auto writes = ConfigWrites(traffic);
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes.front(), writes.back());
}
