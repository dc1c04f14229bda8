// A long run of ten simulated boards on a manual clock, with a board whose
// replies carry wrong PECs, a board in thermal shutdown and an open wire:
// thousands of start, read and flag steps in a seeded order, with the rules
// after every step, a switch to ten-cell mode half way, and watchdog time-outs
// now and then. After every step all invariants hold, the validity flags
// follow the PEC verdicts, only the faulty board ever mismatches, and what
// the images hold for a matching board is what its chip holds.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "config/Thresholds.h"
#include "link/Transport.h"
#include "protocol/ByteText.h"
#include "protocol/CellGroups.h"
#include "robustness/Rig.h"
#include "sim/SimulatedDevice.h"

using namespace qm;
using namespace qm::robustness;

namespace {

constexpr int kBoards = 10;
constexpr int kFaultyPecBoard = 3;
constexpr int kHotBoard = 5;
constexpr int kOpenWireBoard = 7;
constexpr int kOpenWireCell = 4;
constexpr int kDischargeBoard = 1; // cell 2 discharging
constexpr int kMaskedBoard = 2;    // cell 1 masked
constexpr int kVuvCode = 0xB5;     // 3.6 V
constexpr int kVovCode = 0xBE;     // 3.792 V

std::size_t U(int i) { return static_cast<std::size_t>(i); }

sim::Scenario SoakScenario()
{
    sim::Scenario s;
    s.boards = kBoards;
    s.seed = 7;
    s.pecErrors.push_back({kFaultyPecBoard, 0.2});
    s.thermalShutdown.push_back(kHotBoard);
    s.openWires.push_back({kOpenWireBoard, kOpenWireCell});
    return s;
}

class Soak : public ::testing::Test {
protected:
    std::shared_ptr<sim::ManualClock> clock = std::make_shared<sim::ManualClock>();
    sim::SimulatedDevice device{SoakScenario(), clock};
    Rig rig{device, kBoards, 0};
    std::minstd_rand rng{20240607};
    bool tenCells = false;
    int reads = 0;
    int faultyMismatches = 0;

    int Pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    sim::Chip& Chip(int b) { return device.chain().chip(b); }
    bool Matched(protocol::ReadKind kind, int b) const
    {
        const auto& set = rig.images.set(kind);
        return set.pec[U(b)] == set.computed[U(b)];
    }

    // Measuring with CDC 3, VUV 3.6 V and VOV 3.792 V; one discharging and
    // one masked cell.
    void Configure(bool ten)
    {
        tenCells = ten;
        for (int b = 0; b < kBoards; ++b) {
            rig.images.pending[U(b)] = {ten ? "EB" : "E3", "00", "00", "00", protocol::ByteText(kVuvCode),
                                      protocol::ByteText(kVovCode)};
        }
        rig.images.pending[U(kDischargeBoard)][1] = "02";
        rig.images.pending[U(kMaskedBoard)][2] = "10";
        Expect(WriteAndClassify(rig));
        ASSERT_EQ(rig.images.writtenTenCellFlag, ten ? 1 : 0);
        ReadConfigurationBack();
    }

    void ReadConfigurationBack()
    {
        Expect(ReadAndClassify(rig, ConfigurationRead(), Classify::Command));
        AfterRead(protocol::ReadKind::Config);
        for (int b = 0; b < kBoards; ++b) {
            if (!Matched(protocol::ReadKind::Config, b)) continue;
            EXPECT_EQ(rig.images.readBack[U(b)], rig.images.written[U(b)]) << "board " << b;
            EXPECT_EQ(rig.images.configReadValid[U(b)], 1) << "board " << b;
        }
    }

    void Expect(const Report& report) { ASSERT_TRUE(report.Ok()) << report.Text(); }

    // Only the faulty board may mismatch; count its mismatches.
    void AfterRead(protocol::ReadKind kind)
    {
        ++reads;
        for (int b = 0; b < kBoards; ++b) {
            if (b == kFaultyPecBoard) faultyMismatches += Matched(kind, b) ? 0 : 1;
            else ASSERT_TRUE(Matched(kind, b)) << "board " << b << " read kind " << static_cast<int>(kind);
        }
    }

    // A cell of a matching, measuring board without discharge, mask or
    // thermal shutdown: the code the rules must give it.
    bool Plain(int b, int c) const
    {
        return b != kHotBoard && !(b == kDischargeBoard && c == 2) && !(b == kMaskedBoard && c == 1);
    }
    static std::int16_t SoftCode(float volts)
    {
        if (volts <= config::VuvCodeToVolts(kVuvCode)) return presentation::kSoftUnder;
        if (volts >= config::VovCodeToVolts(kVovCode)) return presentation::kSoftOver;
        return presentation::kSoftInRange;
    }
    static std::int16_t FlagCode(std::uint8_t flgr, int position)
    {
        if ((flgr >> (2 * position + 1)) & 1) return presentation::kFlagOver;
        if ((flgr >> (2 * position)) & 1) return presentation::kFlagUnder;
        return presentation::kFlagInRange;
    }

    int CellGroup()
    {
        static constexpr int kTwelve[] = {0, 2, 3, 4};
        static constexpr int kTen[] = {1, 2, 3, 5};
        return (tenCells ? kTen : kTwelve)[Pick(4)];
    }

    void CellStep(bool continuous)
    {
        const auto kind = static_cast<protocol::CellStartKind>(Pick(4));
        const bool openWireCurrent = kind == protocol::CellStartKind::STOWAD || kind == protocol::CellStartKind::STOWDC;
        rig.proto.StartCellConversion(kind, "0");
        link::TransactWriteOnly(rig.tap, "");
        const int group = CellGroup();
        Expect(ReadAndClassify(rig, CellRead(group), continuous ? Classify::ContinuousStep : Classify::Command));
        AfterRead(CellRead(group).kind);
        const auto& covers = protocol::CellGroupFor(group);
        for (int b = 0; b < kBoards; ++b) {
            EXPECT_EQ(rig.images.cellValid[U(b)], Matched(CellRead(group).kind, b) ? 1 : 0);
            EXPECT_EQ(rig.images.flagValid[U(b)], 0);
            if (!Matched(CellRead(group).kind, b)) {
                for (int c = covers.firstCell; c <= covers.LastCell(); ++c)
                    ASSERT_EQ(rig.state.Code(b, c), presentation::kNoReading) << "failed read, board " << b;
                continue;
            }
            for (int c = covers.firstCell; c <= covers.LastCell(); ++c) {
                const auto index = U(protocol::RegisterImages::CellIndex(b, c));
                ASSERT_EQ(rig.images.codeText[index], protocol::CodeText(Chip(b).cellCode(c)))
                    << "board " << b << " cell " << c;
                if (!continuous && Plain(b, c)) {
                    ASSERT_EQ(rig.state.Code(b, c), SoftCode(rig.images.measured[index])) << "board " << b << " cell " << c;
                }
            }
        }
        // A discharging and a masked cell keep their codes through both rules.
        if (covers.Covers(2)) {
            EXPECT_EQ(rig.state.Code(kDischargeBoard, 2), presentation::kDischarging);
        }
        if (covers.Covers(1)) {
            EXPECT_EQ(rig.state.Code(kMaskedBoard, 1), presentation::kMasked);
        }
        if (!covers.Covers(kOpenWireCell)) return;
        // With the open-wire current the open input reads about 0 V, which the
        // soft rule of a single read classifies as undervoltage.
        const float volts = rig.images.measured[U(protocol::RegisterImages::CellIndex(kOpenWireBoard, kOpenWireCell))];
        if (!openWireCurrent) {
            EXPECT_GT(volts, 3.0);
            return;
        }
        EXPECT_NEAR(volts, 0.0, 0.01);
        if (!continuous) {
            EXPECT_EQ(rig.state.Code(kOpenWireBoard, kOpenWireCell), presentation::kSoftUnder);
        }
    }

    void TemperatureStep()
    {
        rig.proto.StartTemperatureConversion("0");
        Expect(ReadAndClassify(rig, TemperatureRead()));
        AfterRead(protocol::ReadKind::Temperatures);
        for (int b = 0; b < kBoards; ++b) {
            const bool matched = Matched(protocol::ReadKind::Temperatures, b);
            EXPECT_EQ(rig.images.temperatureValid[U(b)], matched ? 1 : 0);
            if (!matched) continue;
            for (int t = 1; t <= 3; ++t)
                ASSERT_EQ(rig.images.codeText[U(protocol::RegisterImages::TemperatureIndex(b, t))],
                          protocol::CodeText(Chip(b).temperatureCode(t)));
            EXPECT_EQ(rig.images.thermalBit[U(b)], b == kHotBoard ? 1 : 0);
        }
        for (int c = 1; c <= 12; ++c) ASSERT_EQ(rig.state.Code(kHotBoard, c), presentation::kThermalShutdown);
        EXPECT_EQ(rig.images.thermalMark[U(kHotBoard)], 1);
    }

    void FlagStep()
    {
        Expect(ReadAndClassify(rig, FlagRead()));
        AfterRead(protocol::ReadKind::Flags);
        for (int b = 0; b < kBoards; ++b) {
            const bool matched = Matched(protocol::ReadKind::Flags, b);
            EXPECT_EQ(rig.images.flagValid[U(b)], matched ? 1 : 0);
            EXPECT_EQ(rig.images.cellValid[U(b)], 0);
            if (!matched) continue;
            const auto flags = Chip(b).flagRegisters();
            for (int k = 0; k < 3; ++k) ASSERT_EQ(rig.images.flagTexts[U(b)][U(k)], protocol::ByteText(flags[U(k)]));
            const int covered = presentation::IsTenCellGroup(rig.groupCode) ? 10 : 12;
            for (int c = 1; c <= covered; ++c) {
                if (!Plain(b, c)) continue;
                ASSERT_EQ(rig.state.Code(b, c), FlagCode(flags[U((c - 1) / 4)], (c - 1) % 4))
                    << "board " << b << " cell " << c;
            }
        }
    }

    void DiagnosticStep()
    {
        rig.proto.StartDiagnostic();
        Expect(ReadAndClassify(rig, DiagnosticRead(), Classify::Command));
        AfterRead(protocol::ReadKind::Diagnostics);
        for (int b = 0; b < kBoards; ++b) {
            if (!Matched(protocol::ReadKind::Diagnostics, b)) continue;
            EXPECT_EQ(rig.images.diag[U(b)].revision, 2);
            EXPECT_EQ(rig.images.diag[U(b)].muxFail, 0);
            EXPECT_NEAR(rig.images.diag[U(b)].referenceVolts, 2.3, 0.01);
        }
    }

    // The WRITE CONFIG command: write, rule, and the read-back a board that
    // left thermal shutdown asks for.
    void WriteStep()
    {
        Expect(WriteAndClassify(rig));
        if (rig.state.thermalReadBackMark == 1) {
            ReadConfigurationBack();
            presentation::ClearThermalMarks(rig.images, rig.state, rig.last());
        }
    }

    // No valid frame for longer than the watchdog period: every chip returns
    // to standby, the chain reads as not measuring and every covered cell
    // shows no reading. Writing the configuration again recovers it.
    void WatchdogTimeout()
    {
        clock->advance(sim::kWatchdogMs + 500);
        Expect(ReadAndClassify(rig, ConfigurationRead(), Classify::Command));
        AfterRead(protocol::ReadKind::Config);
        for (int b = 0; b < kBoards; ++b) EXPECT_EQ(rig.images.configReadValid[U(b)], 0);
        Expect(ReadAndClassify(rig, FlagRead()));
        AfterRead(protocol::ReadKind::Flags);
        const int lastCovered = presentation::IsTenCellGroup(rig.groupCode) ? 10 : 12;
        for (int b = 0; b < kBoards; ++b) {
            if (rig.images.thermalMark[U(b)] == 1) {
                EXPECT_EQ(rig.images.pecStatus[U(b)], protocol::kPecThermalMark);
            } else if (Matched(protocol::ReadKind::Flags, b)) {
                EXPECT_EQ(rig.images.pecStatus[U(b)], protocol::kPecNoVerdict);
            }
            for (int c = 1; c <= lastCovered; ++c) ASSERT_EQ(rig.state.Code(b, c), presentation::kNoReading);
        }
        Configure(tenCells);
    }
};

} // namespace

TEST_F(Soak, TenBoardsThroughThousandsOfCyclesKeepEveryInvariant)
{
    constexpr int kSteps = 4500;
    rig.checkDisplays = false; // every 100 steps, below
    Configure(false);
    for (int step = 0; step < kSteps && !HasFatalFailure(); ++step) {
        if (step == kSteps / 2) Configure(true);
        if (step % 900 == 450) WatchdogTimeout();
        const int what = Pick(20);
        if (what < 6) CellStep(what < 4);
        else if (what < 11) TemperatureStep();
        else if (what < 16) FlagStep();
        else if (what == 16) DiagnosticStep();
        else if (what == 17) ReadConfigurationBack();
        else if (what == 18) WriteStep();
        else rig.proto.SendKeepAlive();
        if (step % 100 == 0) {
            Report displays;
            CheckDisplays(displays, rig.images, rig.state);
            Expect(displays);
        }
        // One tick, sometimes a slower one; always inside the watchdog period.
        clock->advance(100 + (Pick(4) == 0 ? Pick(400) : 0));
    }
    // The faulty board did fail now and then, and not always.
    EXPECT_GT(faultyMismatches, reads / 10);
    EXPECT_LT(faultyMismatches, reads / 3);
}
