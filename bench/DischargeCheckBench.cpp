// The whole discharge check of a full stack, 10 boards x 12 cells with the
// default settling time, over the in-process simulated chain on a manual
// clock: how long it takes in the stack's own time (simulated_s, the figure
// an operator waits on real boards, set by the ticks it needs), and what it
// costs the host (the iteration time, and the mean host time of one tick as
// host_us_per_tick, which must stay well under the 100 ms tick).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "BenchSupport.h"
#include "acquisition/Session.h"
#include "sim/SimulatedDevice.h"

namespace {

using namespace qm;

void BM_DischargeCheck10Boards12Cells(benchmark::State& state)
{
    double simulatedSeconds = 0;
    double tickMicroseconds = 0;
    long allTicks = 0;
    int ticks = 0;
    int passed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto clock = std::make_shared<sim::ManualClock>();
        sim::Scenario scenario;
        scenario.boards = 10;
        sim::SimulatedDevice device(scenario, clock);
        acquisition::NullDisplay display;
        auto session = std::make_unique<acquisition::Session>(device, display);
        session->OnLoad();
        bench::StartCycle(*session, 10, false);
        state.ResumeTiming();

        if (!session->StartDischargeCheck({})) state.SkipWithError("the check did not start");
        ticks = 0;
        while (session->dischargeCheckRunning()) {
            clock->advance(acquisition::dcc::kTickMs);
            const auto t0 = std::chrono::steady_clock::now();
            session->OnTimerTick();
            const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - t0;
            tickMicroseconds += took.count();
            ++ticks;
            ++allTicks;
        }
        const auto& result = session->view().dischargeCheck.result;
        simulatedSeconds = static_cast<double>(result.elapsedMs) / 1000.0;
        passed = result.count(acquisition::CellVerdict::Pass);

        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    state.counters["simulated_s"] = simulatedSeconds;
    state.counters["ticks"] = ticks;
    state.counters["host_us_per_tick"] = allTicks > 0 ? tickMicroseconds / static_cast<double>(allTicks) : 0.0;
    state.counters["cells_passed"] = passed;
}
BENCHMARK(BM_DischargeCheck10Boards12Cells)->Unit(benchmark::kMillisecond);

} // namespace
