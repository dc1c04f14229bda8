#pragma once
// What the trend view shows of one record file, kept up to date while the
// file grows: the records, each board's minimum/mean/maximum/spread series,
// and the moments a slider can choose.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "datalog/RecordReader.h"
#include "datalog/TrendStats.h"

namespace qm::datalog {

class TrendModel {
public:
    explicit TrendModel(std::filesystem::path path);

    // Reads what the file gained and extends the series; returns the number
    // of new records (0 also when the file cannot be read: see error()).
    std::size_t poll();

    const RecordParser& record() const { return reader_.parser(); }
    const std::vector<BoardSeries>& boards() const { return reader_.parser().boards(); }
    const SpreadSeries& spread(std::size_t boardIndex) const { return spread_[boardIndex]; }
    const std::string& error() const { return reader_.error(); }
    const std::filesystem::path& path() const { return reader_.path(); }
    // The file may still grow: no end line was read and nothing went wrong.
    bool following() const { return !reader_.failed() && !record().endReason(); }

    // Moments are the rows of the board recorded most often (all boards are
    // recorded each pass, so normally any board's rows).
    std::size_t momentCount() const;
    double momentTime(std::size_t moment) const;
    // The time range the record covers (0, 0 while it has no row).
    double firstTime() const;
    double lastTime() const;

private:
    const BoardSeries* longest() const;

    RecordReader reader_;
    std::vector<SpreadSeries> spread_;
};

} // namespace qm::datalog
