// What recording the controller traffic costs the program: one continuous-cycle
// pass of a 10-board stack (three ticks) without and with the TrafficRecorder
// between the program and the board, writing a real file in /tmp and flushing
// each transaction as it closes. The window's pass (with the repaint of the
// offscreen window, as WindowBench measures it) and the session's pass alone
// (the command-line tool's case), each over the in-process simulated chain and
// against qm7410-sim on a pseudo-terminal (the tty back end, the path a real
// board takes, where a pass mostly waits for replies: the CPU time per pass is
// the host time that counts).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "BenchSupport.h"
#include "acquisition/Session.h"
#include "link/SerialDevice.h"
#include "link/TrafficRecorder.h"
#include "sim/SimulatedDevice.h"
#include "support/ChildProcess.h"
#include "ui/MainWindow.h"

namespace {

using namespace qm;

constexpr int kBoards = 10;
const std::filesystem::path kFile = std::filesystem::temp_directory_path() / "qm7410-bench-recording.jsonl";

// Hands every operation to the board or to the recorder in front of it, so
// that passes with and without recording can alternate in one program.
class Route : public link::Device {
public:
    explicit Route(link::Device& board) : board_(board), to_(&board) {}
    bool open(int i) override { return to_->open(i); }
    void setTimeouts(int r, int w) override { to_->setTimeouts(r, w); }
    std::size_t write(std::string_view b) override { return to_->write(b); }
    std::size_t read(char* buf, std::size_t n) override { return to_->read(buf, n); }
    std::size_t readAvailable(char* buf, std::size_t n, int w) override { return to_->readAvailable(buf, n, w); }
    std::int32_t close() override { return to_->close(); }

    // Starts the file afresh (or, with false, ends it and removes it).
    void restart(bool again = true)
    {
        to_ = &board_;
        recorder_.reset();
        std::filesystem::remove(kFile);
        if (again) recorder_.emplace(board_, kFile, link::TrafficHeader{"qm_bench", "0.1.0", "simulated", {}, {}, 1});
    }
    void finish()
    {
        if (recorder_) recorder_->finish();
    }
    void recording(bool on) { to_ = on ? static_cast<link::Device*>(&*recorder_) : &board_; }
    std::string error() const { return recorder_ ? recorder_->error() : std::string(); }

private:
    link::Device& board_;
    link::Device* to_;
    std::optional<link::TrafficRecorder> recorder_;
};

sim::Scenario TenBoards()
{
    sim::Scenario s;
    s.boards = kBoards;
    return s;
}

double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Each iteration runs one pass without and one with the recorder, so that both
// see the same machine load; the counters give the CPU time (host time) and
// the wall time of each kind of pass and what recording adds. The file is
// started afresh now and then so that a long run does not fill /tmp.
template <typename Pass>
void Alternate(benchmark::State& state, Route& route, Pass pass)
{
    route.restart();
    double cpu[2] = {0, 0}, wall[2] = {0, 0};
    std::int64_t pairs = 0;
    std::uintmax_t bytes = 0; // written by the recorded passes
    const auto restart = [&](bool again) {
        route.finish();
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(kFile, ec);
        if (!ec) bytes += size;
        route.restart(again);
    };
    for (auto _ : state) {
        for (int recorded : {0, 1}) {
            route.recording(recorded == 1);
            const double c = ThreadCpuSeconds(), w = WallSeconds();
            pass();
            cpu[recorded] += ThreadCpuSeconds() - c;
            wall[recorded] += WallSeconds() - w;
        }
        if (++pairs % 2048 == 0) {
            state.PauseTiming();
            restart(true);
            state.ResumeTiming();
        }
    }
    if (!route.error().empty()) state.SkipWithError(route.error().c_str());
    restart(false);
    if (pairs == 0) return;
    const double n = static_cast<double>(pairs);
    state.counters["plain_cpu_us"] = cpu[0] / n * 1e6;
    state.counters["recorded_cpu_us"] = cpu[1] / n * 1e6;
    state.counters["added_cpu_%"] = (cpu[1] - cpu[0]) / cpu[0] * 100;
    state.counters["plain_wall_us"] = wall[0] / n * 1e6;
    state.counters["recorded_wall_us"] = wall[1] / n * 1e6;
    state.counters["recorded_bytes"] = static_cast<double>(bytes) / n;
}

// Arguments: window (0: the session alone, 1: the window) and tty (0: the
// in-process simulated chain, 1: qm7410-sim on a pseudo-terminal).
void BM_Pass10Boards(benchmark::State& state)
{
    const bool withWindow = state.range(0) != 0;
    const bool overTty = state.range(1) != 0;
    auto clock = std::make_shared<sim::ManualClock>();
    std::optional<test::SimulatorOnTty> simProgram;
    std::unique_ptr<link::Device> board;
    if (overTty) {
        simProgram.emplace("boards=" + std::to_string(kBoards));
        board = std::make_unique<link::SerialDevice>(simProgram->tty);
    } else {
        board = std::make_unique<sim::SimulatedDevice>(TenBoards(), clock);
    }
    Route route(*board);
    acquisition::NullDisplay display;
    std::optional<acquisition::Session> session;
    std::optional<ui::MainWindow> window;
    if (withWindow) {
        window.emplace(route);
        if (window->start()) {
            window->form().Timer1->stop();
            window->show();
        }
    } else {
        session.emplace(route, display);
        session->OnLoad();
    }
    acquisition::Session& s = withWindow ? window->session() : *session;
    if (s.closed()) {
        state.SkipWithError("no board answered");
        return;
    }
    bench::StartCycle(s, kBoards);
    QApplication::processEvents();
    Alternate(state, route, [&] {
        for (int i = 0; i < 3; ++i) {
            clock->advance(100); // the in-process chain's time; the tty's runs by itself
            s.OnTimerTick();
        }
        if (withWindow) QApplication::processEvents(); // the repaint, as between ticks
    });
}
BENCHMARK(BM_Pass10Boards)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"window", "tty"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace
