// Host time of one pass of qm7410-cli measure on 10 simulated boards: the
// three timer ticks of a continuous-cycle pass (each with its identification,
// the cycle step and the rules) and the recording of the pass (ten records)
// into a file in /tmp, as CSV and as JSON lines. The simulated chain answers
// at once, so this is what the host spends of the 100 ms each tick may take.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "acquisition/Session.h"
#include "sim/SimulatedDevice.h"

namespace {

using namespace qm;

void MeasurePass(benchmark::State& state, datalog::RecordFormat format)
{
    const auto file = std::filesystem::temp_directory_path() /
                      (std::string("qm7410-bench-measure.") + std::string(datalog::FormatName(format)));
    auto clock = std::make_shared<sim::ManualClock>();
    sim::Scenario scenario;
    scenario.boards = 10;
    sim::SimulatedDevice device(scenario, clock);
    acquisition::NullDisplay display;
    acquisition::Session session(device, display);
    if (!session.OnLoad()) return state.SkipWithError("no simulated board");
    session.OnBoardCountChosen(9);
    const config::StackConfiguration measuring{
        std::vector<protocol::ConfigRegisters>(10, {"E2", "00", "00", "00", "9C", "CF"})};
    if (!session.LoadConfiguration(measuring).empty()) return state.SkipWithError("configuration refused");
    session.OnCommandButton(5);
    acquisition::RecordingSetup setup;
    setup.file = file;
    setup.program = "qm_bench";
    setup.device = "simulated: boards=10";
    setup.format = format;
    if (!session.StartRecording(setup)) return state.SkipWithError("cannot record");

    for (auto _ : state) {
        for (int tick = 0; tick < 3; ++tick) {
            clock->advance(100);
            session.OnTimerTick();
        }
    }
    state.counters["passes_recorded"] = static_cast<double>(session.view().recording.passes);
    state.SetItemsProcessed(state.iterations());
    session.StopRecording();
    std::filesystem::remove(file);
}
BENCHMARK_CAPTURE(MeasurePass, csv, datalog::RecordFormat::Csv)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MeasurePass, jsonl, datalog::RecordFormat::JsonLines)->Unit(benchmark::kMicrosecond);

} // namespace
