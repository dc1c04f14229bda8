// The datalog of the continuous cycle, recorded by the session over faulty
// simulated stacks and read back from its file.
#include <gtest/gtest.h>

#include <filesystem>

#include "datalog/RecordReader.h"
#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

namespace {

std::filesystem::path TempFile(const std::string& name)
{
    return std::filesystem::temp_directory_path() / ("qm7410-" + name + "-" + std::to_string(::getpid()) + ".csv");
}

datalog::RecordParser ReadBack(const std::filesystem::path& file)
{
    datalog::RecordReader reader(file);
    reader.readMore();
    return reader.parser();
}

} // namespace

TEST(Recording, EveryPassOfAFaultyStackUntilTheBoardIsLost)
{
    SessionRig rig("boards=3,seed=4,pec-errors=1:0.5,thsd=2,unplug-after=4");
    rig.followSimulatedTime();
    ASSERT_TRUE(rig.startMeasuring(3));
    const auto file = TempFile("faulty");
    ASSERT_TRUE(rig.session.StartRecording({file, 0, {}, "qm7410-test 1", "simulated: faulty"}));
    EXPECT_EQ(rig.state().acq.continuousActive, 1); // recording starts the cycle
    for (int i = 0; i < 60 && !rig.session.closed(); ++i) rig.tick();
    ASSERT_TRUE(rig.session.closed());
    EXPECT_FALSE(rig.view().recording.active);

    const datalog::RecordParser p = ReadBack(file);
    ASSERT_FALSE(p.failed()) << p.error();
    EXPECT_EQ(p.header().boardCount, 3);
    EXPECT_EQ(p.header().boards[0].config[0], "E2");
    EXPECT_FLOAT_EQ(p.header().boards[0].vovVolts, 4.2f);
    EXPECT_EQ(p.endReason(), "the controller board stopped answering");
    const std::uint64_t passes = rig.view().recording.passes;
    EXPECT_GE(passes, 10u);
    ASSERT_EQ(p.boards().size(), 3u);
    for (const auto& series : p.boards()) EXPECT_EQ(series.size(), passes) << series.board;
    // Board 3 is in thermal shutdown from its first temperature read on.
    const datalog::BoardSeries& hot = *p.board(3);
    for (std::size_t row = 0; row < hot.size(); ++row)
        for (int c = 0; c < 12; ++c) EXPECT_EQ(hot.cellStatus[static_cast<std::size_t>(c)][row], 7) << row;
    // Board 2's failed reads are counted and their rows marked invalid.
    const datalog::BoardSeries& noisy = *p.board(2);
    const std::size_t lastRow = noisy.size() - 1;
    EXPECT_GT(noisy.pecFailures[1][lastRow] + noisy.pecFailures[3][lastRow], 3u);
    int invalidCells = 0;
    for (std::size_t row = 0; row < noisy.size(); ++row)
        invalidCells += (noisy.validity[row] & datalog::BoardSeries::kValidCells) == 0 ? 1 : 0;
    EXPECT_GT(invalidCells, 0);
    const datalog::BoardSeries& good = *p.board(1);
    EXPECT_EQ(good.pecFailures[1][lastRow], 0u);
    EXPECT_NEAR(good.cellVolts[0][lastRow], rig.chip(0).cellVolts(1), 0.01);
    EXPECT_EQ(good.validity[lastRow], 15);
    EXPECT_NEAR(good.sinceStart[1] - good.sinceStart[0], 0.3, 1e-9);
    std::filesystem::remove(file);
}

TEST(Recording, IntervalBoardsAndAFileThatGoesAway)
{
    SessionRig rig("boards=4");
    rig.followSimulatedTime();
    ASSERT_TRUE(rig.start());
    // Before any write the header names no configuration, and still reads back.
    const auto unwritten = TempFile("unwritten");
    ASSERT_TRUE(rig.session.StartRecording({unwritten, 0, {}, "t", "d"}));
    rig.tick(3);
    rig.session.StopRecording();
    rig.session.OnCommandButton(10); // the cycle the recording started goes on until stopped
    const datalog::RecordParser q = ReadBack(unwritten);
    EXPECT_FALSE(q.failed()) << q.error();
    EXPECT_EQ(q.header().boards.at(0).config[0], "--");
    EXPECT_EQ(q.records(), 1u);
    std::filesystem::remove(unwritten);

    rig.measure(4);
    EXPECT_FALSE(rig.session.StartRecording({"/nonexistent-dir/x.csv", 0, {}, "t", "d"}));
    EXPECT_FALSE(rig.session.recordingError().empty());
    EXPECT_FALSE(rig.view().recording.active);
    EXPECT_FALSE(rig.session.StartRecording({TempFile("none"), 0, {7}, "t", "d"})); // not on the stack

    const auto file = TempFile("interval");
    rig.session.OnCommandButton(10);
    rig.tick(); // a pass in progress is not recorded
    ASSERT_TRUE(rig.session.StartRecording({file, 1.0, {2, 4}, "t", "d"}));
    rig.tick(2 + 3 * 10); // the partial pass, then ten whole passes over three seconds
    EXPECT_EQ(rig.view().recording.passes, 3u); // at 0, 1.2 and 2.4 s: at most one a second
    const datalog::RecordParser p = ReadBack(file);
    ASSERT_EQ(p.boards().size(), 2u);
    EXPECT_EQ(p.boards()[0].board, 2);
    EXPECT_EQ(p.boards()[1].board, 4);

    // The file disappears: the recording ends with a message, measuring goes on.
    std::filesystem::remove(file);
    rig.tick(9); // up to the next pass due, a second after the last
    EXPECT_FALSE(rig.view().recording.active);
    ASSERT_EQ(rig.display.messages.size(), 1u);
    EXPECT_NE(rig.display.messages[0].find("The datalog stopped"), std::string::npos);
    EXPECT_EQ(rig.framesOf([&] { rig.tick(3); }).size(), 6u); // the cycle carries on
    rig.session.StopRecording(); // nothing left to stop
    EXPECT_EQ(rig.display.messages.size(), 1u);
}
