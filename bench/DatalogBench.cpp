// Cost of recording and of opening a record: writing one 10-board pass (to
// /dev/null, and to a real file), reading a twelve-hour 10-board record at
// one pass a second (432,000 rows), and opening it in the trend view
// offscreen (reading, series building, window construction and first paint).
#include <benchmark/benchmark.h>

#include <QApplication>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "datalog/CsvWriter.h"
#include "datalog/RecordReader.h"
#include "ui/trend/TrendWindow.h"

namespace {

using namespace qm;

constexpr int kBoards = 10;

datalog::RecordHeader Header()
{
    datalog::RecordHeader h;
    h.program = "qm_bench";
    h.started = datalog::UtcTime{std::chrono::milliseconds{1796652201300}};
    h.boardCount = kBoards;
    h.device = "simulated: boards=10";
    h.intervalSeconds = 1;
    for (int b = 1; b <= kBoards; ++b) {
        datalog::BoardSetup s;
        s.board = b;
        s.config = {"E1", "00", "00", "00", "71", "AB"};
        s.vuvVolts = 2.208f;
        s.vovVolts = 4.32f;
        h.boards.push_back(s);
    }
    return h;
}

// One pass of the ten boards, cells drifting slowly with a little noise,
// values on the chips' 1.5 mV steps.
std::vector<datalog::PassRecord> Pass(int pass, std::uint32_t& seed)
{
    std::vector<datalog::PassRecord> out(kBoards);
    const datalog::UtcTime utc = Header().started + std::chrono::seconds{pass};
    for (int b = 0; b < kBoards; ++b) {
        datalog::PassRecord& r = out[static_cast<std::size_t>(b)];
        r.utc = utc;
        r.sinceStartSeconds = pass;
        r.board = b + 1;
        for (std::size_t c = 0; c < 12; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const unsigned code = 2900 + static_cast<unsigned>(pass / 900) + static_cast<unsigned>(c) + (seed >> 29);
            r.cellVolts[c] = static_cast<float>((code - 512.0) * 0.0015);
            r.cellStatus[c] = 8;
        }
        r.temperatureVolts = {1.5f, 1.503f, 1.4985f};
        r.flags = {0, 0, 0};
        r.cellsValid = r.temperaturesValid = r.flagsValid = r.measuring = true;
        r.link.pecFailures = {0, static_cast<std::uint32_t>(pass / 5000), 0, 0, 0};
        r.link.sinceGoodReadSeconds = 0.1;
    }
    return out;
}

void BM_WritePass10Boards(benchmark::State& state)
{
    const bool realFile = state.range(0) == 1;
    const auto path = realFile ? std::filesystem::temp_directory_path() / ("qm-bench-pass-" + std::to_string(::getpid()) + ".csv")
                               : std::filesystem::path("/dev/null");
    std::uint32_t seed = 1;
    const auto pass = Pass(100, seed);
    datalog::CsvWriter writer;
    writer.open(path, Header());
    for (auto _ : state) benchmark::DoNotOptimize(writer.writePass(pass));
    writer.finish("benchmark done");
    if (writer.failed()) state.SkipWithError(writer.error().c_str());
    if (realFile) std::filesystem::remove(path);
}
BENCHMARK(BM_WritePass10Boards)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WritePass10Boards)->Arg(1)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// The twelve-hour record, written once per run of the benchmark program.
const std::filesystem::path& TwelveHourRecord()
{
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() / ("qm-bench-12h-" + std::to_string(::getpid()) + ".csv");
        datalog::CsvWriter writer;
        writer.open(p, Header());
        std::uint32_t seed = 7;
        for (int s = 0; s < 12 * 3600; ++s) writer.writePass(Pass(s, seed));
        writer.finish("the benchmark's twelve hours are over");
        std::atexit([] { std::filesystem::remove(TwelveHourRecord()); });
        return p;
    }();
    return path;
}

void BM_ReadTwelveHourRecord(benchmark::State& state)
{
    const auto& path = TwelveHourRecord();
    for (auto _ : state) {
        datalog::RecordReader reader(path);
        benchmark::DoNotOptimize(reader.readMore());
        if (reader.failed()) state.SkipWithError(reader.error().c_str());
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_ReadTwelveHourRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenTwelveHourRecordInTrendView(benchmark::State& state)
{
    const auto& path = TwelveHourRecord();
    for (auto _ : state) {
        ui::TrendWindow window;
        window.openFile(QString::fromStdString(path.string()));
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_OpenTwelveHourRecordInTrendView)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
