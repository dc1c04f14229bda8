// Host cost of recording the controller traffic: one 10-board pass of the
// measurement cycle's transactions (start, empty write, RDCV, STTMPAD, RDTMP,
// RDFLG) over the in-process simulated chain, without and with the recorder
// writing every transaction to a file in /tmp (a line each, flushed as each
// transaction closes, or buffered). Also the time to read a recording back.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "link/SerialDevice.h"
#include "link/TrafficReader.h"
#include "link/TrafficRecorder.h"
#include "link/Transport.h"
#include "protocol/ChainProtocol.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedDevice.h"

namespace {

using namespace qm;

const std::filesystem::path kRecording = std::filesystem::temp_directory_path() / "qm7410-bench-traffic.jsonl";

link::TrafficHeader BenchHeader() { return {"qm_bench", "0.1.0", "simulate", {}, "boards=10", 1}; }

// Ten simulated boards with their configuration written (cells convert).
struct Stack {
    Stack() : device(Boards(), std::make_shared<sim::ManualClock>()) {}
    static sim::Scenario Boards()
    {
        sim::Scenario scenario;
        scenario.boards = 10;
        return scenario;
    }
    sim::SimulatedDevice device;
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain{9, 0};
};

void MeasurementPass(protocol::ChainProtocol& proto)
{
    proto.StartCellConversion(protocol::CellStartKind::STCVAD, "0");
    link::TransactWriteOnly(proto.device(), "");
    proto.ReadCellVoltages(0);
    proto.StartTemperatureConversion("0");
    proto.ReadTemperatures();
    proto.ReadFlags();
}

void Configure(Stack& stack)
{
    protocol::ChainProtocol proto(stack.device, stack.images, stack.panel, stack.chain);
    for (auto& regs : stack.images.pending) regs = {"E2", "00", "00", "00", "A0", "C0"};
    proto.WriteConfiguration();
}

void BM_MeasurementPass10Boards_Plain(benchmark::State& state)
{
    Stack stack;
    Configure(stack);
    protocol::ChainProtocol proto(stack.device, stack.images, stack.panel, stack.chain);
    for (auto _ : state) {
        MeasurementPass(proto);
        benchmark::DoNotOptimize(stack.images.measured[120]);
    }
}
BENCHMARK(BM_MeasurementPass10Boards_Plain);

void BM_MeasurementPass10Boards_Recorded(benchmark::State& state, link::TrafficFlush flush)
{
    Stack stack;
    Configure(stack);
    auto recorder = std::make_unique<link::TrafficRecorder>(stack.device, kRecording, BenchHeader(), flush);
    auto proto = std::make_unique<protocol::ChainProtocol>(*recorder, stack.images, stack.panel, stack.chain);
    std::int64_t passes = 0;
    for (auto _ : state) {
        MeasurementPass(*proto);
        benchmark::DoNotOptimize(stack.images.measured[120]);
        if (++passes % 8192 == 0) {
            // Start the file afresh now and then so that a long run does not fill /tmp.
            state.PauseTiming();
            proto.reset();
            recorder.reset();
            recorder = std::make_unique<link::TrafficRecorder>(stack.device, kRecording, BenchHeader(), flush);
            proto = std::make_unique<protocol::ChainProtocol>(*recorder, stack.images, stack.panel, stack.chain);
            state.ResumeTiming();
        }
    }
    if (!recorder->error().empty()) state.SkipWithError(recorder->error().c_str());
    proto.reset();
    recorder.reset();
    std::filesystem::remove(kRecording);
}
BENCHMARK_CAPTURE(BM_MeasurementPass10Boards_Recorded, FlushEachTransaction, link::TrafficFlush::EachTransaction);
BENCHMARK_CAPTURE(BM_MeasurementPass10Boards_Recorded, Buffered, link::TrafficFlush::Buffered);

// The same pass with the board behind a pseudo-terminal (the serial back end,
// as with a board on /dev/ttyUSBn), served from another thread: the CPU column
// is the program's own thread, system calls included, the host time a program
// spends on a board it reaches through the kernel.
void BM_MeasurementPass10Boards_Tty(benchmark::State& state, bool recorded)
{
    sim::PtyServer server(Stack::Boards(), std::make_shared<sim::SteadyClock>());
    std::string error;
    if (!server.open(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.serve([&] { return stop.load(); }); });
    link::SerialDevice tty(server.path());
    std::unique_ptr<link::TrafficRecorder> recorder;
    if (recorded) recorder = std::make_unique<link::TrafficRecorder>(tty, kRecording, BenchHeader());
    link::Device& device = recorder ? static_cast<link::Device&>(*recorder) : tty;
    Stack stack;
    protocol::ChainProtocol proto(device, stack.images, stack.panel, stack.chain);
    for (auto& regs : stack.images.pending) regs = {"E2", "00", "00", "00", "A0", "C0"};
    proto.WriteConfiguration();
    for (auto _ : state) {
        MeasurementPass(proto);
        benchmark::DoNotOptimize(stack.images.measured[120]);
    }
    recorder.reset();
    std::filesystem::remove(kRecording);
    stop = true;
    serving.join();
}
BENCHMARK_CAPTURE(BM_MeasurementPass10Boards_Tty, Plain, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MeasurementPass10Boards_Tty, Recorded, true)->Unit(benchmark::kMicrosecond);

// Reading back a recording of 1000 measurement passes (6000 transactions).
void BM_ReadRecording1000Passes(benchmark::State& state)
{
    Stack stack;
    Configure(stack);
    std::ostringstream out;
    {
        link::TrafficRecorder recorder(stack.device, out, BenchHeader());
        protocol::ChainProtocol proto(recorder, stack.images, stack.panel, stack.chain);
        for (int i = 0; i < 1000; ++i) MeasurementPass(proto);
    }
    const std::string text = out.str();
    for (auto _ : state) {
        auto read = link::ParseTraffic(text);
        benchmark::DoNotOptimize(read.recording);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadRecording1000Passes)->Unit(benchmark::kMillisecond);

} // namespace
