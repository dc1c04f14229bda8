#include "datalog/TrendStats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace qm::datalog {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::uint8_t kCounting = BoardSeries::kValidCells | BoardSeries::kMeasuring;

std::size_t U(int i) { return static_cast<std::size_t>(i); }

} // namespace

bool CellCounts(const BoardSeries& s, std::size_t row, int cell)
{
    return cell >= 0 && cell < s.cellsInUse[row] && (s.validity[row] & kCounting) == kCounting &&
           s.cellStatus[U(cell)][row] != 0 && std::isfinite(s.cellVolts[U(cell)][row]);
}

CellSpread SpreadAt(const BoardSeries& s, std::size_t row)
{
    CellSpread out{kNaN, kNaN, kNaN, kNaN, 0};
    double sum = 0;
    float lo = std::numeric_limits<float>::infinity();
    float hi = -lo;
    for (int c = 0; c < kCells; ++c) {
        if (!CellCounts(s, row, c)) continue;
        const float v = s.cellVolts[U(c)][row];
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        sum += v;
        ++out.cells;
    }
    if (out.cells == 0) return out;
    out.min = lo;
    out.max = hi;
    out.mean = static_cast<float>(sum / out.cells);
    out.spread = hi - lo;
    return out;
}

std::vector<float> CellTrace(const BoardSeries& s, int cell)
{
    std::vector<float> out(s.size(), kNaN);
    if (cell < 0 || cell >= kCells) return out;
    for (std::size_t row = 0; row < s.size(); ++row)
        if (CellCounts(s, row, cell)) out[row] = s.cellVolts[U(cell)][row];
    return out;
}

void ExtendSpreadSeries(const BoardSeries& s, SpreadSeries& out)
{
    for (std::size_t row = out.size(); row < s.size(); ++row) {
        const CellSpread c = SpreadAt(s, row);
        out.min.push_back(c.min);
        out.mean.push_back(c.mean);
        out.max.push_back(c.max);
        out.spread.push_back(c.spread);
    }
}

std::optional<std::size_t> RowAtOrBefore(const BoardSeries& s, double sinceStart)
{
    const auto it = std::upper_bound(s.sinceStart.begin(), s.sinceStart.end(), sinceStart);
    if (it == s.sinceStart.begin()) return std::nullopt;
    return static_cast<std::size_t>(it - s.sinceStart.begin()) - 1;
}

ImbalanceMap ImbalanceAt(const std::vector<BoardSeries>& boards, double sinceStart)
{
    ImbalanceMap map{std::numeric_limits<double>::quiet_NaN(), {}, {}, 0, 0};
    double sum = 0;
    for (const BoardSeries& s : boards) {
        map.rows.push_back(RowAtOrBefore(s, sinceStart));
        if (!map.rows.back()) continue;
        for (int c = 0; c < kCells; ++c) {
            if (!CellCounts(s, *map.rows.back(), c)) continue;
            sum += s.cellVolts[U(c)][*map.rows.back()];
            ++map.cells;
        }
    }
    if (map.cells > 0) map.stackMean = sum / map.cells;
    for (std::size_t b = 0; b < boards.size(); ++b) {
        std::array<float, kCells> dev;
        dev.fill(kNaN);
        if (map.rows[b]) {
            for (int c = 0; c < kCells; ++c) {
                if (!CellCounts(boards[b], *map.rows[b], c)) continue;
                dev[U(c)] = static_cast<float>(boards[b].cellVolts[U(c)][*map.rows[b]] - map.stackMean);
                map.largest = std::max(map.largest, std::abs(dev[U(c)]));
            }
        }
        map.deviation.push_back(dev);
    }
    return map;
}

std::uint32_t DeviationColour(float deviation, float fullScale)
{
    if (std::isnan(deviation)) return kNotCountedColour;
    const float share = fullScale > 0 ? std::clamp(std::abs(deviation) / fullScale, 0.0f, 1.0f) : 0.0f;
    // Full red is (220, 40, 40), full blue (40, 90, 220): mix each with white.
    const auto mix = [share](int full) {
        return static_cast<std::uint32_t>(std::lround(255.0f + (static_cast<float>(full) - 255.0f) * share));
    };
    if (deviation >= 0) return mix(220) << 16 | mix(40) << 8 | mix(40);
    return mix(40) << 16 | mix(90) << 8 | mix(220);
}

float DeviationScale(const ImbalanceMap& map) { return std::max(map.largest, 0.005f); }

std::vector<TrendPoint> DecimateMinMax(std::span<const double> t, std::span<const float> v, double t0, double t1,
                                       std::size_t maxPoints)
{
    std::vector<TrendPoint> out;
    const std::size_t n = std::min(t.size(), v.size());
    const auto first = static_cast<std::size_t>(std::lower_bound(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n), t0) - t.begin());
    const auto last = static_cast<std::size_t>(std::upper_bound(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n), t1) - t.begin());
    if (first >= last || maxPoints == 0) return out;
    if (last - first <= maxPoints) {
        for (std::size_t i = first; i < last; ++i)
            if (!std::isnan(v[i])) out.push_back({t[i], v[i]});
        return out;
    }
    const std::size_t buckets = std::max<std::size_t>(1, maxPoints / 2);
    const double width = (t1 - t0) / static_cast<double>(buckets);
    out.reserve(2 * buckets);
    std::size_t i = first;
    for (std::size_t b = 0; b < buckets && i < last; ++b) {
        const double end = b + 1 == buckets ? std::numeric_limits<double>::infinity() : t0 + width * static_cast<double>(b + 1);
        std::size_t lo = last, hi = last;
        for (; i < last && t[i] < end; ++i) {
            if (std::isnan(v[i])) continue;
            if (lo == last || v[i] < v[lo]) lo = i;
            if (hi == last || v[i] > v[hi]) hi = i;
        }
        if (lo == last) continue;
        if (maxPoints < 2) lo = hi; // a budget of one point keeps the highest
        if (lo == hi) {
            out.push_back({t[lo], v[lo]});
        } else {
            const std::size_t a = std::min(lo, hi), z = std::max(lo, hi);
            out.push_back({t[a], v[a]});
            out.push_back({t[z], v[z]});
        }
    }
    return out;
}

std::string DurationText(double seconds)
{
    if (!(seconds >= 0)) seconds = 0;
    char buf[32];
    if (seconds < 60) {
        const auto r = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed, 1);
        return std::string(buf, r.ptr) + " s";
    }
    const auto whole = static_cast<long long>(seconds);
    if (whole < 3600) return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
    return std::to_string(whole / 3600) + " h " + std::to_string(whole / 60 % 60) + " min";
}

TimeUnit TimeUnitFor(double spanSeconds)
{
    if (spanSeconds <= 120) return {1, "s"};
    if (spanSeconds <= 7200) return {60, "min"};
    return {3600, "h"};
}

} // namespace qm::datalog
