// Host cost of the window: one full continuous-cycle pass (three ticks, with
// the repaint of the offscreen window) for 1 and 10 boards against the
// in-process simulated chain, and start-up to a shown window. The resident
// memory of the process after start-up is reported as a counter.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>

#include <fstream>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "sim/SimulatedDevice.h"
#include "ui/MainWindow.h"

namespace {

using namespace qm;

double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
        std::getline(status, key);
    }
    return 0;
}

struct Stack {
    explicit Stack(int boards)
        : clock(std::make_shared<sim::ManualClock>()), device(Scenario(boards), clock), window(device)
    {
        window.start();
        window.form().Timer1->stop();
        window.show();
        bench::StartCycle(window.session(), boards); // the cycle runs
        QApplication::processEvents();
    }
    static sim::Scenario Scenario(int boards)
    {
        sim::Scenario s;
        s.boards = boards;
        return s;
    }
    void pass()
    {
        for (int i = 0; i < 3; ++i) {
            clock->advance(100);
            window.session().OnTimerTick();
        }
        QApplication::processEvents(); // paint what changed, as the event loop does between ticks
    }

    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    ui::MainWindow window;
};

void BM_ContinuousCyclePass(benchmark::State& state)
{
    Stack stack(static_cast<int>(state.range(0)));
    for (auto _ : state) stack.pass();
    state.counters["resident_MB"] = ResidentMegabytes();
}
BENCHMARK(BM_ContinuousCyclePass)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_StartupToShownWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto clock = std::make_shared<sim::ManualClock>();
        sim::SimulatedDevice device(Stack::Scenario(4), clock);
        ui::MainWindow window(device);
        window.start();
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.form().isVisible());
    }
    state.counters["resident_MB"] = ResidentMegabytes();
}
BENCHMARK(BM_StartupToShownWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
