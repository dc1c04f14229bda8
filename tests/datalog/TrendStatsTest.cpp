// The trend view's numbers: the spread of a board's cells, the stack's
// imbalance at a moment, and the decimation that keeps every extreme. The
// view following a growing record is tested with the window.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "datalog/RecordSupport.h"
#include "datalog/TrendStats.h"

using namespace qm::datalog;
using qm::test::Record;

namespace {

// A row whose cell c (0-based) reads base + c mV.
PassRecord Row(int board, double t, float base)
{
    PassRecord r = Record(board, 0);
    r.sinceStartSeconds = t;
    for (std::size_t c = 0; c < 12; ++c) r.cellVolts[c] = base + 0.001f * static_cast<float>(c);
    return r;
}

} // namespace

TEST(TrendStats, SpreadLeavesOutFailedReadsUnusedCellsAndCellsWithoutReading)
{
    BoardSeries s;
    s.append(Row(1, 0, 3.6f));
    PassRecord tenCells = Row(1, 1, 3.6f);
    tenCells.cellsInUse = 10;
    tenCells.cellVolts[10] = 0.0f; // unused inputs read anything
    tenCells.cellVolts[11] = 9.0f;
    s.append(tenCells);
    PassRecord noReading = Row(1, 2, 3.6f);
    noReading.cellStatus[0] = 0;
    noReading.cellVolts[0] = 0.1f;
    s.append(noReading);
    PassRecord failed = Row(1, 3, 3.6f);
    failed.cellsValid = false;
    s.append(failed);
    PassRecord standby = Row(1, 4, 3.6f);
    standby.measuring = false;
    s.append(standby);

    const CellSpread all = SpreadAt(s, 0), ten = SpreadAt(s, 1), eleven = SpreadAt(s, 2);
    EXPECT_EQ(std::tie(all.cells, ten.cells, eleven.cells), std::make_tuple(12, 10, 11));
    EXPECT_FLOAT_EQ(all.min, 3.6f);
    EXPECT_FLOAT_EQ(all.max, 3.611f);
    EXPECT_FLOAT_EQ(all.mean, 3.6055f);
    EXPECT_NEAR(all.spread, 0.011f, 1e-6);
    EXPECT_FLOAT_EQ(ten.max, 3.609f);
    EXPECT_FLOAT_EQ(ten.mean, 3.6045f);
    EXPECT_FLOAT_EQ(eleven.min, 3.601f);
    for (std::size_t row : {3u, 4u}) {
        EXPECT_EQ(SpreadAt(s, row).cells, 0);
        EXPECT_TRUE(std::isnan(SpreadAt(s, row).mean));
    }

    // Extending row by row while a file grows gives the same series as at once.
    BoardSeries growing;
    SpreadSeries piecewise, whole;
    for (std::size_t row = 0; row < s.size(); ++row) {
        growing.append(s.record(row));
        ExtendSpreadSeries(growing, piecewise);
    }
    ExtendSpreadSeries(s, whole);
    ASSERT_EQ(piecewise.size(), 5u);
    for (std::size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(piecewise.spread[row], whole.spread[row]);
        EXPECT_EQ(piecewise.mean[row], SpreadAt(s, row).mean);
    }
    EXPECT_TRUE(std::isnan(piecewise.max[4]));

    const std::vector<float> trace = CellTrace(s, 0);
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_FLOAT_EQ(trace[1], 3.6f);
    for (std::size_t row : {2u, 3u, 4u}) EXPECT_TRUE(std::isnan(trace[row])) << row;
    EXPECT_TRUE(std::isnan(CellTrace(s, 11)[1])); // unused in 10-cell mode
}

TEST(TrendStats, ImbalanceMapGivesEachCellsDeviationFromTheStackMeanAtAMoment)
{
    std::vector<BoardSeries> boards(3);
    for (int b = 0; b < 3; ++b) boards[static_cast<std::size_t>(b)].board = b + 1;
    boards[0].append(Row(1, 0.0, 3.5f));
    boards[0].append(Row(1, 1.0, 3.6f));
    boards[0].append(Row(1, 2.0, 3.9f));
    PassRecord ten = Row(2, 1.0, 3.6f);
    ten.cellsInUse = 10;
    boards[1].append(ten);
    boards[2].append(Row(3, 5.0, 3.0f)); // nothing yet at t = 1.5

    EXPECT_FALSE(RowAtOrBefore(boards[0], -0.1));
    EXPECT_EQ(RowAtOrBefore(boards[0], 1.0), 1u);
    EXPECT_EQ(RowAtOrBefore(boards[0], 1.999), 1u);
    EXPECT_EQ(RowAtOrBefore(boards[0], 99), 2u);

    const ImbalanceMap map = ImbalanceAt(boards, 1.5);
    EXPECT_EQ(map.rows[0], 1u);
    EXPECT_EQ(map.rows[1], 0u);
    EXPECT_FALSE(map.rows[2]);
    EXPECT_EQ(map.cells, 22);
    const double mean = (12 * 3.6 + 0.066 + 10 * 3.6 + 0.045) / 22;
    EXPECT_NEAR(map.stackMean, mean, 1e-6);
    EXPECT_NEAR(map.deviation[0][11], 3.611 - mean, 1e-6);
    EXPECT_NEAR(map.deviation[1][0], 3.6 - mean, 1e-6);
    EXPECT_TRUE(std::isnan(map.deviation[1][10]));
    EXPECT_TRUE(std::isnan(map.deviation[2][0]));
    EXPECT_NEAR(map.largest, 3.611 - mean, 1e-6);
    double sum = 0;
    for (const auto& board : map.deviation)
        for (float d : board)
            if (!std::isnan(d)) sum += d;
    EXPECT_NEAR(sum, 0.0, 1e-5);

    EXPECT_EQ(DeviationColour(0.0f, 0.01f), 0xFFFFFFu);
    EXPECT_EQ(DeviationColour(0.01f, 0.01f), 0xDC2828u);
    EXPECT_EQ(DeviationColour(-0.05f, 0.01f), 0x285ADCu); // beyond full scale stays full
    EXPECT_EQ(DeviationColour(NAN, 0.01f), kNotCountedColour);
    EXPECT_FLOAT_EQ(DeviationScale(map), map.largest);
    ImbalanceMap balanced = map;
    balanced.largest = 0.001f;
    EXPECT_FLOAT_EQ(DeviationScale(balanced), 0.005f);
    EXPECT_TRUE(std::isnan(ImbalanceAt(boards, -1).stackMean));
}

TEST(TrendStats, DecimationKeepsEveryBucketsExtremesWithinTheRangeAndThePointBudget)
{
    std::vector<double> t(100000);
    std::vector<float> v(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i] = static_cast<double>(i) * 0.5;
        v[i] = 3.6f + 0.01f * std::sin(static_cast<float>(i) * 0.001f);
    }
    v[31337] = 4.5f;  // one-sample spike up
    v[77777] = 2.0f;  // and down
    v[5000] = NAN;
    const auto points = DecimateMinMax(t, v, 0, t.back(), 400);
    EXPECT_LE(points.size(), 400u);
    EXPECT_GE(points.size(), 300u);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](auto a, auto b) { return a.t < b.t; }));
    auto has = [&](double time, float value) {
        return std::any_of(points.begin(), points.end(), [&](auto p) { return p.t == time && p.v == value; });
    };
    EXPECT_TRUE(has(t[31337], 4.5f));
    EXPECT_TRUE(has(t[77777], 2.0f));
    for (const auto& p : points) EXPECT_FALSE(std::isnan(p.v));

    const auto window = DecimateMinMax(t, v, 1000.0, 1100.0, 400); // 201 samples: all of them
    ASSERT_EQ(window.size(), 201u);
    EXPECT_EQ(window.front().t, 1000.0);
    EXPECT_EQ(window.back().t, 1100.0);
    EXPECT_TRUE(DecimateMinMax(t, v, 1e9, 2e9, 400).empty());
    const auto one = DecimateMinMax(t, v, 0, t.back(), 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].v, 4.5f);
    EXPECT_EQ(TimeUnitFor(43200).name, "h");
    EXPECT_EQ(DurationText(0.94), "0.9 s");
    EXPECT_EQ(DurationText(723.5), "12 min 3 s");
    EXPECT_EQ(DurationText(11545), "3 h 12 min");
}
