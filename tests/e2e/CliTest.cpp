// qm7410-cli, the real program: every subcommand against qm7410-sim on a
// pseudo-terminal and against the built-in simulation with faults; bad
// command lines and files refused before the chips are written; records that
// stay well formed when the board goes away or the run is interrupted.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "config/ConfigFile.h"
#include "link/TrafficReader.h"
#include "support/ChildProcess.h"
#include "support/SessionRig.h"

using qm::test::ChildProcess;
namespace fs = std::filesystem;

namespace {

const std::string kCli = QM_BINARY_DIR "/qm7410-cli";
const std::string kSim = QM_BINARY_DIR "/qm7410-sim";

struct Result {
    int status;
    std::string out, err;
};

Result Cli(std::vector<std::string> args)
{
    ChildProcess cli(kCli, std::move(args));
    const int status = cli.wait(60'000);
    return {status, cli.outputText(), cli.errorText()};
}

std::string Text(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The record's data rows (neither '#' lines nor the column row).
std::vector<std::string> Rows(const std::string& csv)
{
    std::vector<std::string> rows;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#' && line.rfind("utc_time,", 0) != 0) rows.push_back(line);
    return rows;
}

std::string LastLine(const std::string& text)
{
    std::string t = text;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
    return t.substr(t.find_last_of('\n') + 1);
}

// Every command text a traffic recording shows written to the board.
std::vector<std::string> Written(const fs::path& traffic)
{
    std::vector<std::string> frames;
    const auto read = qm::link::ReadTrafficFile(traffic);
    if (!read.recording) return frames;
    for (const auto& t : read.recording->transactions)
        for (const auto& op : t.ops)
            if (op.kind == qm::link::TrafficOperation::Kind::Write) frames.push_back(op.bytes);
    return frames;
}

bool IsConfigWrite(const std::string& frame) { return frame.rfind("MSxT01", 0) == 0; }

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/qm7410-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
        Write("stack.json", R"({"format": "qm7410-configuration", "version": 1, "boards": [
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2, "dischargeCells": [3]},
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2, "gpio1": false, "maskedCells": [11, 12]}]})");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(dir_ / name) << text;
        return (dir_ / name).string();
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

} // namespace

TEST_F(CliProgram, EverySubcommandAgainstTheSimulatorOnAPseudoTerminal)
{
    ChildProcess sim(kSim, {"boards=2,seed=3"});
    const std::string tty = sim.readLine();
    ASSERT_EQ(tty.rfind("/dev/", 0), 0u) << tty;
    const std::string device = "--device=serial:" + tty;
    const std::string stack = Path("stack.json");

    Result r = Cli({device, "identify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "QM7410-1: supported\n");

    r = Cli({device, "config", "write", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("board 2: wrote C2 00 00 C0 9C CF, read C2 00 00 C0 9C CF: same"), std::string::npos) << r.out;

    r = Cli({device, "--json", "config", "read", "--boards", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto read = nlohmann::json::parse(r.out);
    EXPECT_EQ(read["boards"][0]["registers"]["CFGR1"], "04");
    EXPECT_EQ(read["boards"][0]["dischargeCells"], nlohmann::json::array({3}));
    EXPECT_EQ(read["boards"][1]["maskedCells"], nlohmann::json::array({11, 12}));
    EXPECT_EQ(read["boards"][1]["vovVolts"], 4.2);
    EXPECT_EQ(read["boards"][1]["pecOk"], true);

    r = Cli({device, "selftest", "--boards", "2", "--config", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "board 1: PASS\nboard 2: PASS\nself test passed\n");

    r = Cli({device, "diagnose", "--boards", "2", "--config", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("board 2: PASS revision C, multiplexer PASS, reference 2.3"), std::string::npos) << r.out;

    // Records to standard output as JSON lines, the summary on standard error.
    r = Cli({device, "measure", "--boards", "2", "--count", "2", "--format", "jsonl", "--config", stack});
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<nlohmann::json> records;
    for (std::string line; std::getline(lines, line);) records.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(records.size(), 1u + 2 * 2 + 1);
    EXPECT_EQ(records[0]["boards"][1]["config"][0], "C2");
    EXPECT_EQ(records[4]["board"], 2);
    EXPECT_EQ(records[4]["flagsValid"], true);
    EXPECT_EQ(records.back()["recordingEnded"], "2 passes recorded as asked");
    EXPECT_NE(r.err.find("measure: 2 passes of 2 boards"), std::string::npos) << r.err;

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
}

TEST_F(CliProgram, FaultsFailTheirChecksWithStatusThreeNamingBoardAndCell)
{
    const std::string config = "--config=" + Path("stack.json");
    Result r = Cli({"--simulate=boards=2,selftest-fault=1:7", "selftest", "--boards", "2", config});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.out.find("board 1: PASS\nboard 2: FAIL cell 7: answered 0x554 for 0x555, 0xAAB for 0xAAA"),
              std::string::npos) << r.out;

    r = Cli({"--simulate=boards=2,mux-fail=0", "--json", "diagnose", "--boards", "2", config});
    EXPECT_EQ(r.status, 3) << r.err;
    const auto diag = nlohmann::json::parse(r.out);
    EXPECT_EQ(diag["boards"][0]["multiplexer"], "FAIL");
    EXPECT_EQ(diag["boards"][1]["multiplexer"], "PASS");

    // A board that is not there reads back nothing the check could trust.
    r = Cli({"--simulate=boards=1", "config", "write", "--default", "--boards", "2"});
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_NE(r.out.find("board 2: wrote E0 00 00 00 00 00, read FF FF FF FF FF FF: the read-back failed its PEC"),
              std::string::npos) << r.out;

    // PEC failures are counted from the link's health and bounded on request.
    r = Cli({"--simulate=boards=2,pec-errors=1:1", "--json", "config", "read", "--boards", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto counted = nlohmann::json::parse(r.out);
    const int failures = counted["pecFailures"];
    EXPECT_GE(failures, 2); // board 2 fails every read: at start, with the board count, and this one
    EXPECT_EQ(counted["boards"][1]["pecOk"], false);
    r = Cli({"--simulate=boards=2,pec-errors=1:1", "config", "read", "--boards", "2",
             "--max-pec-errors=" + std::to_string(failures - 1)});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("PEC failures, more than --max-pec-errors"), std::string::npos) << r.err;
    r = Cli({"--simulate=boards=2,pec-errors=1:1", "config", "read", "--boards", "2",
             "--max-pec-errors=" + std::to_string(failures)});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliProgram, UnplugDuringMeasureKeepsEveryRecordAndEndsTheFile)
{
    const std::string out = Path("night.csv");
    const Result r = Cli({"--simulate=boards=3,unplug-after=1", "--json", "measure", "--boards", "3", "--out", out,
                          "--config", Path("stack.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("stopped answering"), std::string::npos) << r.err;
    const auto summary = nlohmann::json::parse(r.out);
    const std::string csv = Text(out);
    const int passes = summary["passes"];
    EXPECT_GE(passes, 1);
    EXPECT_EQ(Rows(csv).size(), 3u * static_cast<std::size_t>(passes));
    EXPECT_EQ(LastLine(csv), "# recording ended: the controller board stopped answering");
}

TEST_F(CliProgram, InterruptEndsTheRecordCleanlyWithStatusZero)
{
    const std::string out = Path("soak.csv");
    ChildProcess cli(kCli, {"--simulate=boards=2", "measure", "--boards", "2", "--out", out, "--config",
                            Path("stack.json")});
    // Wait for a few passes, then Ctrl-C.
    for (int i = 0; i < 200 && Rows(Text(out)).size() < 4; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cli.signal(SIGINT);
    EXPECT_EQ(cli.wait(), 0) << cli.errorText();
    const std::string csv = Text(out);
    EXPECT_EQ(LastLine(csv), "# recording ended: interrupted by SIGINT");
    const std::string summary = cli.outputText();
    const auto rows = Rows(csv);
    EXPECT_GE(rows.size(), 4u);
    EXPECT_EQ(rows.size() % 2, 0u);
    EXPECT_NE(summary.find("measure: " + std::to_string(rows.size() / 2) + " passes"), std::string::npos) << summary;
}

TEST_F(CliProgram, BadCommandLinesAndFilesAreRefusedBeforeTheChipsAreWritten)
{
    const std::string stack = Path("stack.json");
    struct Case {
        std::vector<std::string> args;
        std::string needle; // in stderr
    };
    const std::vector<Case> cases{
        {{"frobnicate"}, "unknown subcommand 'frobnicate'"},
        {{"identify", "--frobnicate"}, "--frobnicate"},
        {{}, "a subcommand is needed"},
        {{"config"}, "config needs 'read' or 'write'"},
        {{"config", "write"}, "needs a configuration file or --default"},
        {{"config", "write", Path("missing.json")}, "missing.json"},
        {{"config", "write", Write("broken.json", "{\"format\": \"qm7410-configuration\",\n \"boards\": [}")},
         "line 2: boards"},
        {{"config", "write", Write("range.json", R"({"format": "qm7410-configuration", "version": 1, "boards": [
            {"registers": {"CFGR0": "E2", "CFGR1": "100", "CFGR2": "00", "CFGR3": "00", "CFGR4": "9C", "CFGR5": "CF"}}]})")},
         "line 2: boards[0].registers.CFGR1"},
        {{"config", "write", Write("order.json", R"({"format": "qm7410-configuration", "version": 1,
            "boards": [{"vuvVolts": 4.3, "vovVolts": 4.2, "cdc": 2}]})")},
         "boards[0]"},
        {{"config", "write", Write("cells.json", R"({"format": "qm7410-configuration", "version": 1, "boards": [
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2, "tenCells": true},
            {"vuvVolts": 3.0, "vovVolts": 4.2, "cdc": 2}]})")},
         "10-cell mode is one setting"},
        {{"config", "read", "--boards", "0"}, "--boards"},
        {{"config", "write", stack, "--boards", "11"}, "--boards"},
        {{"measure", "--count", "2"}, "--boards"},
        {{"measure", "--boards", "2", "--count", "2", "--duration", "5"}, "--duration"},
        {{"measure", "--boards", "2", "--format", "xml"}, "xml"},
        {{"measure", "--boards", "2", "--out", Path("no/such/dir.csv")}, "no/such/dir.csv"},
        {{"--device=usb", "identify"}, "--device"},
        {{"--simulate=boards=11", "identify"}, "boards"},
        {{"--simulate", "--device=serial:/dev/ttyUSB0", "identify"}, "--device"},
    };
    for (const Case& c : cases) {
        const std::string traffic = Path("traffic.jsonl");
        std::vector<std::string> args{"--simulate=boards=2", "--record=" + traffic};
        if (!c.args.empty() && c.args[0].rfind("--simulate", 0) == 0) args = {"--record=" + traffic};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Cli(args);
        const std::string what = c.args.empty() ? "(nothing)" : c.args.back();
        EXPECT_EQ(r.status, 2) << what << ": " << r.err;
        EXPECT_NE(r.err.find(c.needle), std::string::npos) << what << ": " << r.err;
        for (const auto& frame : Written(traffic)) EXPECT_FALSE(IsConfigWrite(frame)) << what;
        fs::remove(traffic);
    }
    const Result help = Cli({"--help-all"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"selftest", "--max-pec-errors", "--count", "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_NE(Cli({"config", "write", "--help"}).out.find("bit 7 (WDTB)"), std::string::npos);
    EXPECT_EQ(Cli({"--version"}).out, "qm7410-cli 0.1.0\n");
}

TEST_F(CliProgram, ConfigWriteSendsTheFramesTheSessionSendsForTheSameFile)
{
    const std::string traffic = Path("write.jsonl");
    const Result r = Cli({"--simulate=boards=3", "--record=" + traffic, "config", "write", Path("stack.json"),
                          "--boards", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> cli;
    for (const auto& frame : Written(traffic))
        if (IsConfigWrite(frame)) cli.push_back(frame);

    qm::test::SessionRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(2);
    const auto file = qm::config::ReadConfigFile(Path("stack.json"));
    ASSERT_TRUE(file.configuration);
    ASSERT_EQ(rig.session.LoadConfiguration(*file.configuration), "");
    rig.markWrites();
    rig.session.OnCommandButton(5);
    EXPECT_EQ(cli, rig.writesSinceMark());
    ASSERT_EQ(cli.size(), 1u);
}

TEST_F(CliProgram, DischargeCheckNamesTheBrokenPathAndPutsTheConfigurationBack)
{
    ChildProcess sim(kSim, {"boards=2,dcc-open=0:4"}); // cell 3 of board 1 is discharging already
    const std::string tty = sim.readLine();
    ASSERT_EQ(tty.rfind("/dev/", 0), 0u) << tty;
    const std::string traffic = Path("dcc.jsonl");
    Result r = Cli({"--device=serial:" + tty, "--record=" + traffic, "--json", "dcc-check", "--boards", "2",
                    "--cells", "3-5", "--config=" + Path("stack.json")});
    EXPECT_EQ(r.status, 3) << r.err;
    const auto report = nlohmann::json::parse(r.out);
    EXPECT_EQ(report["exitStatus"], 3);
    EXPECT_NE(r.out.find("FAIL"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("discharging"), std::string::npos) << r.out; // skipped, and said so
    // The last configuration written is the one the check found.
    const auto frames = Written(traffic);
    std::vector<std::string> writes;
    std::copy_if(frames.begin(), frames.end(), std::back_inserter(writes), IsConfigWrite);
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes.front(), writes.back());

    r = Cli({"--simulate", "dcc-check", "--cells", "13", "--config=" + Path("stack.json")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--cells"), std::string::npos) << r.err;
    r = Cli({"--simulate", "dcc-check"}); // no configuration to measure with
    EXPECT_EQ(r.status, 2);
}
