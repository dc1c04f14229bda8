// Ticks per second of the window against qm7410-sim on a pseudo-terminal: the
// real program's code path (tty back end, identification every tick, the
// 100 ms Timer1 in a running event loop), idle and with the continuous cycle
// running, for 1 and 10 boards. Timer1 itself asks for 10 per second; a tick
// whose transactions take longer delays the next one.
#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <string>

#include "BenchSupport.h"
#include "link/SerialDevice.h"
#include "support/ChildProcess.h"
#include "ui/MainWindow.h"

namespace {

using namespace qm;

constexpr int kSecondsPerRun = 5;

void BM_TicksPerSecondOverPty(benchmark::State& state)
{
    const int boards = static_cast<int>(state.range(0));
    const bool cycle = state.range(1) != 0;
    const test::SimulatorOnTty sim("boards=" + std::to_string(boards));
    const std::string& path = sim.tty;
    if (path.empty()) {
        state.SkipWithError("qm7410-sim did not start");
        return;
    }
    link::SerialDevice device(path);
    ui::MainWindow window(device);
    if (!window.start()) {
        state.SkipWithError("no board on the pseudo-terminal");
        return;
    }
    auto& m = window.session();
    if (cycle) bench::StartCycle(m, boards);
    long ticks = 0;
    QObject::connect(window.form().Timer1, &QTimer::timeout, [&ticks] { ++ticks; });
    double seconds = 0;
    for (auto _ : state) {
        ticks = 0;
        QEventLoop loop;
        QTimer::singleShot(kSecondsPerRun * 1000, &loop, &QEventLoop::quit);
        const auto start = std::chrono::steady_clock::now();
        loop.exec();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["ticks_per_s"] = static_cast<double>(ticks) / seconds;
}
BENCHMARK(BM_TicksPerSecondOverPty)
    ->ArgsProduct({{1, 10}, {0, 1}})
    ->ArgNames({"boards", "cycle"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
