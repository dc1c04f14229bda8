// The discharge check run by the session over simulated stacks with wiring
// faults, failing reads, a cancel and an unplug: the verdict of every cell,
// and the configuration afterwards, in the session's images and in the chips.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <bitset>

#include "support/SessionRig.h"

using namespace qm;
using acquisition::CellVerdict;
using acquisition::CheckOutcome;
using acquisition::DischargeCheckPlan;
using acquisition::DischargeCheckResult;
using acquisition::RestoreState;
using test::SessionRig;

namespace {

// The configuration as the session last wrote it and as the chips hold it.
struct Configuration {
    protocol::PerBoard<protocol::ConfigRegisters> written;
    std::vector<sim::Registers> chips;
    bool operator==(const Configuration&) const = default;
};

Configuration Take(SessionRig& rig)
{
    Configuration c{rig.state().images.written, {}};
    for (int b = 0; b < rig.device.chain().size(); ++b) c.chips.push_back(rig.chip(b).registers());
    return c;
}

// Runs the check to its end, checking on every tick that no board ever has
// more than one discharge bit set.
const DischargeCheckResult& RunCheck(SessionRig& rig, const DischargeCheckPlan& plan = {})
{
    EXPECT_TRUE(rig.session.StartDischargeCheck(plan)) << rig.view().dischargeCheck.refusal;
    for (int t = 0; t < 400 && rig.session.dischargeCheckRunning() && !rig.session.closed(); ++t) {
        rig.tick();
        for (int b = 0; b < rig.device.chain().size() && !rig.session.closed(); ++b) {
            const auto& r = rig.chip(b).registers();
            EXPECT_LE(std::bitset<8>(r[1]).count() + std::bitset<4>(r[2] & 0x0F).count(), 1u) << "board " << b;
        }
    }
    EXPECT_FALSE(rig.session.dischargeCheckRunning());
    return rig.view().dischargeCheck.result;
}

CellVerdict Verdict(const DischargeCheckResult& r, int board, int cell)
{
    return r.boards.at(static_cast<std::size_t>(board)).cells.at(static_cast<std::size_t>(cell - 1)).verdict;
}

} // namespace

TEST(DischargeCheck, HealthyStackPassesEveryCellAndGetsItsConfigurationBack)
{
    SessionRig rig("boards=4,seed=3");
    ASSERT_TRUE(rig.startMeasuring(4));
    const Configuration before = Take(rig);
    const DischargeCheckResult& r = RunCheck(rig);
    EXPECT_EQ(r.outcome, CheckOutcome::Completed);
    EXPECT_EQ(r.count(CellVerdict::Pass), 48) << acquisition::DischargeCheckText(r);
    for (const auto& b : r.boards) {
        EXPECT_EQ(b.restore, RestoreState::Confirmed);
        EXPECT_LT(*b.noiseMv, acquisition::dcc::kMaxNoiseMv);
        for (const auto& c : b.cells) EXPECT_NEAR(*c.dropMv, 40.5, 4.0);
    }
    EXPECT_EQ(r.elapsedMs, 5000); // 200 ms: 2 ticks to settle, 4 per cell
    EXPECT_EQ(r.order, (std::vector<int>{1, 3, 5, 7, 9, 11, 2, 4, 6, 8, 10, 12}));
    EXPECT_EQ(Take(rig), before);
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
}

TEST(DischargeCheck, OpenAndSwappedPathsFailExactlyWhereTheyAre)
{
    SessionRig rig("boards=3,dcc-open=1:3,dcc-swap=2:5,dcc-swap=0:12");
    ASSERT_TRUE(rig.startMeasuring(3));
    const Configuration before = Take(rig);
    const DischargeCheckResult& r = RunCheck(rig);
    for (int b = 0; b < 3; ++b)
        for (int c = 1; c <= 12; ++c) {
            const bool faulty = (b == 1 && c == 3) || (b == 2 && c == 5) || (b == 0 && c == 12);
            EXPECT_EQ(Verdict(r, b, c), faulty ? CellVerdict::Fail : CellVerdict::Pass) << b << ":" << c;
        }
    EXPECT_EQ(r.boards[1].cells[2].droppedInstead, 0);
    EXPECT_LT(*r.boards[1].cells[2].dropMv, acquisition::dcc::kNoDropMv);
    EXPECT_EQ(r.boards[2].cells[4].droppedInstead, 6);
    EXPECT_EQ(r.boards[0].cells[11].droppedInstead, 11);
    EXPECT_EQ(Take(rig), before);

    // The text and JSON forms a command-line tool prints.
    const auto json = nlohmann::json::parse(acquisition::DischargeCheckJson(r));
    EXPECT_EQ(json["summary"]["fail"], 3);
    EXPECT_EQ(json["boards"][2]["cells"][4]["verdict"], "FAIL");
    EXPECT_EQ(json["boards"][2]["cells"][4]["dropped_instead"], 6);
    EXPECT_EQ(json["boards"][0]["configuration"], "restored");
    const std::string text = acquisition::DischargeCheckText(r);
    EXPECT_NE(text.find("board 3 cell 5: FAIL, cell 6 dropped instead"), std::string::npos) << text;
    EXPECT_NE(text.find("PASS 33, FAIL 3, UNSURE 0"), std::string::npos) << text;
}

TEST(DischargeCheck, ReadsThatFailTheirPecNeverPass)
{
    SessionRig rig("boards=3,pec-errors=1:1,pec-errors=2:0.1");
    ASSERT_TRUE(rig.startMeasuring(3));
    const Configuration before = Take(rig);
    const DischargeCheckResult& r = RunCheck(rig);
    EXPECT_EQ(r.outcome, CheckOutcome::Completed);
    for (int c = 1; c <= 12; ++c) {
        EXPECT_EQ(Verdict(r, 1, c), CellVerdict::Unsure);
        EXPECT_EQ(Verdict(r, 0, c), CellVerdict::Pass);
        EXPECT_NE(Verdict(r, 2, c), CellVerdict::Fail);
    }
    EXPECT_EQ(r.boards[1].cells[0].reason, "a read failed its PEC");
    EXPECT_EQ(r.boards[1].restore, RestoreState::Unconfirmed);
    EXPECT_NE(r.note.find("read-back of board(s) 2 failed its PEC"), std::string::npos) << r.note;
    EXPECT_EQ(Take(rig), before);
}

TEST(DischargeCheck, CancelAndAForeignWriteStopItAndPutTheConfigurationBack)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.startMeasuring(2));
    const Configuration before = Take(rig);
    ASSERT_TRUE(rig.session.StartDischargeCheck({}));
    rig.tick(7); // the baseline, cell 1 judged, cell 3 discharging
    EXPECT_EQ(rig.view().dischargeCheck.cell, 3);
    EXPECT_NE(Take(rig), before);
    rig.session.CancelDischargeCheck();
    const DischargeCheckResult& r = rig.view().dischargeCheck.result;
    EXPECT_EQ(r.outcome, CheckOutcome::Cancelled);
    EXPECT_EQ(Verdict(r, 1, 1), CellVerdict::Pass);
    EXPECT_EQ(Verdict(r, 1, 3), CellVerdict::Untested);
    EXPECT_EQ(Take(rig), before);
    for (const std::string& w : rig.framesOf([&] { rig.tick(3); })) EXPECT_NE(w.rfind("MSxT0", 0), 0u) << w;

    // The board count shrinks while it runs: the check still covers and
    // restores the boards it started with. Then the operator writes.
    ASSERT_TRUE(rig.session.StartDischargeCheck({}));
    rig.tick(3);
    rig.session.OnBoardCountChosen(0);
    rig.tick(4);
    rig.session.OnCommandButton(5);
    rig.tick();
    EXPECT_EQ(r.outcome, CheckOutcome::Interrupted);
    EXPECT_EQ(Verdict(r, 1, 1), CellVerdict::Pass);
    EXPECT_EQ(Take(rig), before);
}

TEST(DischargeCheck, EndingTheSessionWhileItRunsClearsTheBits)
{
    test::SimulatedStack stack("boards=1");
    sim::Registers before{};
    {
        test::CheckedSession on(stack.device);
        ASSERT_TRUE(on.session.OnLoad());
        on.session.OnCdcArrow(1);
        on.session.OnCommandButton(5);
        before = stack.device.chain().chip(0).registers();
        ASSERT_TRUE(on.session.StartDischargeCheck({}));
        for (int t = 0; t < 3; ++t) stack.clock->advance(100), on.session.OnTimerTick();
        EXPECT_NE(stack.device.chain().chip(0).registers(), before);
        on.session.OnExit();
    }
    EXPECT_EQ(stack.device.chain().chip(0).registers(), before);
}

TEST(DischargeCheck, UnpluggedPartWayTheSessionClosesAndTheWatchdogClearsTheBits)
{
    SessionRig rig("boards=2,unplug-after=3");
    ASSERT_TRUE(rig.startMeasuring(2));
    const DischargeCheckResult& r = RunCheck(rig);
    ASSERT_TRUE(rig.session.closed());
    EXPECT_EQ(rig.session.closeReason(), acquisition::CloseReason::BoardLost);
    EXPECT_EQ(r.outcome, CheckOutcome::BoardLost);
    EXPECT_EQ(r.boards[0].restore, RestoreState::NotRestored);
    EXPECT_NE(r.note.find("watchdog clears every discharge bit"), std::string::npos);
    EXPECT_GT(r.count(CellVerdict::Untested), 0);
    rig.clock->advance(2500);
    for (int b = 0; b < 2; ++b) EXPECT_EQ(rig.chip(b).registers(), sim::kPowerOnRegisters);
}

TEST(DischargeCheck, RefusesWhatItCannotCheckAndSkipsMaskedAndDischargingCells)
{
    SessionRig rig("boards=3,thsd=2");
    ASSERT_TRUE(rig.start());
    const auto refused = [&](const DischargeCheckPlan& plan, const char* why) {
        EXPECT_FALSE(rig.session.StartDischargeCheck(plan));
        EXPECT_NE(rig.view().dischargeCheck.refusal.find(why), std::string::npos) << rig.view().dischargeCheck.refusal;
    };
    refused({}, "no configuration written");
    rig.session.OnBoardCountChosen(2);
    rig.session.OnCommandButton(5); // CDC 0
    refused({}, "standby (CDC 0 written)");
    rig.measure(3);
    refused({}, "Board 3 is in thermal shutdown");
    refused({{3}, {}, 200}, "Board 4 is not on the stack");
    refused({{0}, {13}, 200}, "1 to 12");
    refused({{0}, {}, 50}, "settling time");
    rig.clock->advance(3000); // no frame: the watchdog returns the chips to standby
    refused({{0}, {}, 200}, "Board 1 does not hold the configuration");
    rig.session.OnCommandButton(5);
    rig.session.OnCommandButton(10);
    refused({{0}, {}, 200}, "continuous read cycle");
    rig.session.OnCommandButton(10);

    // Board 2: cell 2 masked, cell 7 discharging, as written by the operator.
    rig.session.OnBoardFocus(1);
    rig.session.OnRegisterBox(2, 5, true);
    rig.session.OnRegisterBox(1, 6, true);
    rig.session.OnCommandButton(5);
    const Configuration before = Take(rig);
    refused({{1}, {2, 7}, 200}, "None of the chosen cells");
    const DischargeCheckResult& r = RunCheck(rig, {{0, 1}, {2, 6, 7, 8}, 300});
    EXPECT_EQ(r.order, (std::vector<int>{7, 2, 6, 8}));
    EXPECT_EQ(Verdict(r, 1, 2), CellVerdict::Masked);
    EXPECT_EQ(Verdict(r, 1, 7), CellVerdict::Discharging);
    EXPECT_EQ(Verdict(r, 1, 1), CellVerdict::NotChosen);
    for (int c : {6, 8}) EXPECT_EQ(Verdict(r, 1, c), CellVerdict::Pass);
    for (int c : {2, 6, 7, 8}) EXPECT_EQ(Verdict(r, 0, c), CellVerdict::Pass) << acquisition::DischargeCheckText(r);
    EXPECT_EQ(r.elapsedMs, 2700); // 300 ms: 3 ticks, then 6 for each of the 4 cells
    EXPECT_EQ(Take(rig), before);
}

TEST(DischargeCheck, VerdictRulesAtTheirLimits)
{
    const auto point = [](double cell5, double cell6, bool valid = true) {
        acquisition::Point p{{}, valid};
        p.mv.fill(3600);
        p.mv[4] = cell5;
        p.mv[5] = cell6;
        return p;
    };
    const auto judge = [&](double during5, double during6, double after5, double noise = 2.0, bool valid = true) {
        return acquisition::JudgeCell(
            {5, 12, point(3600, 3600), point(during5, during6, valid), point(after5, 3600), "", noise});
    };
    EXPECT_EQ(judge(3590, 3600, 3600).verdict, CellVerdict::Pass);
    EXPECT_EQ(judge(3595.5, 3600, 3600).verdict, CellVerdict::Fail);
    EXPECT_EQ(judge(3592, 3600, 3600).verdict, CellVerdict::Unsure); // 8 mV: weak
    EXPECT_EQ(judge(3560, 3600, 3590).verdict, CellVerdict::Pass);   // back by three quarters
    EXPECT_EQ(judge(3560, 3600, 3575).verdict, CellVerdict::Unsure); // did not recover
    EXPECT_EQ(judge(3560, 3560, 3600).verdict, CellVerdict::Unsure); // the neighbour as well
    EXPECT_EQ(judge(3600, 3560, 3600).droppedInstead, 6);
    EXPECT_EQ(judge(3560, 3600, 3600, 3.5).verdict, CellVerdict::Unsure); // too noisy
    const auto pecFailed = judge(3560, 3600, 3600, 2.0, false);
    EXPECT_EQ(pecFailed.verdict, CellVerdict::Unsure);
    EXPECT_FALSE(pecFailed.dropMv);
    EXPECT_NEAR(*acquisition::PooledNoiseMv({{{1.5}, true}, {{-1.5}, true}, {{900}, false}}, 1), 2.121, 0.001);
}
