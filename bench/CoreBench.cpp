// Host cost of the core: PEC throughput, and one ten-board cell-voltage read
// (frame, transaction, cutting, PEC, decoding) against a canned reply and
// against the in-process simulated chain.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "protocol/ByteText.h"
#include "protocol/ChainProtocol.h"
#include "protocol/Pec.h"
#include "sim/SimulatedDevice.h"

namespace {

using namespace qm;

// A board that answers every read with the same prepared text.
class CannedDevice : public link::Device {
public:
    explicit CannedDevice(std::string reply) : reply_(std::move(reply)) {}
    bool open(int) override { return true; }
    void setTimeouts(int, int) override {}
    std::size_t write(std::string_view) override { return 0; }
    std::size_t read(char* buf, std::size_t n) override
    {
        const std::size_t k = std::min(n, reply_.size());
        std::memcpy(buf, reply_.data(), k);
        return k;
    }
    std::int32_t close() override { return 0; }

private:
    std::string reply_;
};

std::string TenBoardCellReply()
{
    std::string reply = "FFFF";
    for (int b = 0; b < 10; ++b) {
        std::vector<std::uint8_t> data(18);
        for (int k = 0; k < 18; ++k) data[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(0x40 + b + k);
        for (auto d : data) reply += protocol::ByteText(d);
        reply += protocol::ByteText(protocol::PecOfBytes(data));
    }
    return reply;
}

void BM_PecThroughput(benchmark::State& state)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    for (auto _ : state) benchmark::DoNotOptimize(protocol::PecOfBytes(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PecThroughput)->Arg(18)->Arg(4096);

void BM_ReadCellVoltages10Boards_CannedReply(benchmark::State& state)
{
    CannedDevice device(TenBoardCellReply());
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain{9, 0};
    protocol::ChainProtocol proto(device, images, panel, chain);
    for (auto _ : state) {
        proto.ReadCellVoltages(0);
        benchmark::DoNotOptimize(images.measured[120]);
    }
}
BENCHMARK(BM_ReadCellVoltages10Boards_CannedReply);

void BM_ReadCellVoltages10Boards_Simulator(benchmark::State& state)
{
    sim::Scenario scenario;
    scenario.boards = 10;
    sim::SimulatedDevice device(scenario, std::make_shared<sim::ManualClock>());
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain{9, 0};
    protocol::ChainProtocol proto(device, images, panel, chain);
    for (auto& regs : images.pending) regs[0] = "E2";
    proto.WriteConfiguration();
    for (auto _ : state) {
        proto.StartCellConversion(protocol::CellStartKind::STCVAD, "0");
        proto.ReadCellVoltages(0);
        benchmark::DoNotOptimize(images.measured[120]);
    }
}
BENCHMARK(BM_ReadCellVoltages10Boards_Simulator);

} // namespace
