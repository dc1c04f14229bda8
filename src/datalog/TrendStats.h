#pragma once
// Statistics the trend view draws, computed from the records alone.
//
// Which cell values count: a cell's value at a row takes part only when the
// row's cell read was valid and the board measuring, the cell is one of the
// cells in use (cells 11 and 12 are out of use in 10-cell mode) and its status
// code is not "no reading". Everything else (a failed read, a board in
// standby, an unused cell) would pull minimum, mean and spread towards values
// the stack does not have, so it is left out; a row in which no cell counts
// gives NaN, which the view draws as a gap in the line.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "datalog/RecordReader.h"

namespace qm::datalog {

// cell is 0-based (0..11).
bool CellCounts(const BoardSeries& series, std::size_t row, int cell);

struct CellSpread {
    float min, mean, max, spread; // NaN when no cell counts
    int cells = 0;                // cells that counted
};
CellSpread SpreadAt(const BoardSeries& series, std::size_t row);

// One cell's voltage per row (cell 0-based), NaN where it does not count.
std::vector<float> CellTrace(const BoardSeries& series, int cell);

// Per row of one board: minimum, mean and maximum cell voltage and the spread.
struct SpreadSeries {
    std::vector<float> min, mean, max, spread;
    std::size_t size() const { return min.size(); }
};
// Adds the rows the series does not have yet (for a file being followed).
void ExtendSpreadSeries(const BoardSeries& series, SpreadSeries& out);

// The last row at or before sinceStart; empty before the first row.
std::optional<std::size_t> RowAtOrBefore(const BoardSeries& series, double sinceStart);

// Every cell's deviation from the stack mean (the mean of every counted cell
// of every board) at one moment, each board at its last row at or before it.
struct ImbalanceMap {
    double stackMean;                                 // NaN when no cell counts
    std::vector<std::array<float, kCells>> deviation; // per board, as in the reader; NaN: not counted
    std::vector<std::optional<std::size_t>> rows;     // the row used for each board
    float largest = 0;                                // largest absolute deviation
    int cells = 0;                                    // cells that counted
};
ImbalanceMap ImbalanceAt(const std::vector<BoardSeries>& boards, double sinceStart);

// Colour of a deviation on the map as 0xRRGGBB: white at 0, deepening to red
// above the stack mean and to blue below it, full at +-fullScale; grey when
// the cell did not count (NaN).
std::uint32_t DeviationColour(float deviation, float fullScale);
inline constexpr std::uint32_t kNotCountedColour = 0xC8C8C8;
// The map's full scale: the largest deviation, but never below 5 mV, so that
// a balanced stack does not look alarming.
float DeviationScale(const ImbalanceMap& map);

struct TrendPoint {
    double t;
    float v;
};
// At most maxPoints points of the series between t0 and t1 for drawing: the
// range is cut into maxPoints / 2 buckets of equal time, and each bucket gives
// its lowest and highest value in time order, so no peak is lost. NaN values
// are left out. A range with at most maxPoints values is returned as it is.
std::vector<TrendPoint> DecimateMinMax(std::span<const double> t, std::span<const float> v, double t0, double t1,
                                       std::size_t maxPoints);

// The unit a time axis over spanSeconds is labelled in: seconds up to two
// minutes, minutes up to two hours, hours beyond.
struct TimeUnit {
    double seconds;
    std::string_view name;
};
TimeUnit TimeUnitFor(double spanSeconds);

// A time since the start for people: "0.9 s", "12 min 3 s", "3 h 12 min".
std::string DurationText(double seconds);

} // namespace qm::datalog
