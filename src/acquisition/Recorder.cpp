#include "acquisition/Recorder.h"

#include <algorithm>

#include "config/Thresholds.h"
#include "protocol/ByteText.h"

namespace qm::acquisition {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

datalog::LinkCounters Counters(const protocol::LinkHealth& health, protocol::HealthClock::time_point now)
{
    datalog::LinkCounters c;
    for (std::size_t k = 0; k < c.pecFailures.size(); ++k) c.pecFailures[k] = health.counts.pecFailures[k];
    c.missing = health.counts.missing;
    c.shortReplies = health.counts.shortReplies;
    c.sinceGoodReadSeconds = protocol::SecondsSinceGoodRead(health, now);
    return c;
}

// The boards of the setup that are on the stack, or every board on it.
std::vector<int> BoardsOnStack(const std::vector<int>& wanted, int lastBoardIndex)
{
    std::vector<int> boards;
    for (int n = 1; n <= lastBoardIndex + 1; ++n)
        if (wanted.empty() || std::find(wanted.begin(), wanted.end(), n) != wanted.end()) boards.push_back(n);
    return boards;
}

} // namespace

std::vector<datalog::PassRecord> PassRecords(const AppState& s, const PassValidity& validity,
                                             const std::vector<int>& boards, datalog::UtcTime utc,
                                             double sinceStartSeconds, protocol::HealthClock::time_point now)
{
    std::vector<datalog::PassRecord> records;
    for (int n : boards) {
        const int b = n - 1;
        if (b < 0 || b > s.chain.lastBoardIndex) continue;
        datalog::PassRecord r;
        r.utc = utc;
        r.sinceStartSeconds = sinceStartSeconds;
        r.board = n;
        r.cellsInUse = protocol::TenCells(s.images.written[U(b)]) ? 10 : 12;
        for (int c = 1; c <= 12; ++c) {
            r.cellVolts[U(c - 1)] = s.images.measured[U(protocol::RegisterImages::CellIndex(b, c))];
            r.cellStatus[U(c - 1)] = s.status.Code(b, c);
        }
        for (int t = 1; t <= 3; ++t)
            r.temperatureVolts[U(t - 1)] = s.images.measured[U(protocol::RegisterImages::TemperatureIndex(b, t))];
        for (std::size_t k = 0; k < 3; ++k) r.flags[k] = protocol::ByteFromText(s.images.flagTexts[U(b)][k]);
        r.cellsValid = validity.cells[U(b)];
        r.temperaturesValid = validity.temperatures[U(b)];
        r.flagsValid = validity.flags[U(b)];
        r.measuring = s.images.configReadValid[U(b)] == 1;
        r.link = Counters(s.images.health[U(b)], now);
        records.push_back(r);
    }
    return records;
}

datalog::RecordHeader RecordingHeader(const AppState& s, const RecordingSetup& setup, datalog::UtcTime started)
{
    datalog::RecordHeader h;
    h.program = setup.program;
    h.started = started;
    h.boardCount = s.chain.lastBoardIndex + 1;
    h.device = setup.device;
    h.intervalSeconds = setup.intervalSeconds;
    for (int n : BoardsOnStack(setup.boards, s.chain.lastBoardIndex)) {
        const auto& written = s.images.written[U(n - 1)];
        datalog::BoardSetup b;
        b.board = n;
        for (std::size_t k = 0; k < 6; ++k) b.config[k] = written[k].empty() ? "--" : written[k];
        b.vuvVolts = config::VuvCodeToVolts(protocol::ByteFromText(written[4]));
        b.vovVolts = config::VovCodeToVolts(protocol::ByteFromText(written[5]));
        h.boards.push_back(b);
    }
    return h;
}

bool Recorder::start(const RecordingSetup& setup, const AppState& state, datalog::UtcTime utc,
                     protocol::HealthClock::time_point now)
{
    if (status_.active) stop("a new recording was started");
    error_.clear();
    setup_ = setup;
    boards_ = BoardsOnStack(setup.boards, state.chain.lastBoardIndex);
    if (boards_.empty()) {
        error_ = "none of the boards chosen is on the stack";
        return false;
    }
    writer_ = std::make_unique<datalog::RecordWriter>(setup.format);
    const datalog::RecordHeader header = RecordingHeader(state, setup, utc);
    if (!(setup.stream ? writer_->open(setup.stream, setup.file.string(), header) : writer_->open(setup.file, header))) {
        error_ = writer_->error();
        return false;
    }
    started_ = now;
    lastWritten_.reset();
    status_ = RecordingStatus{true, 0, setup.file, {}};
    return true;
}

bool Recorder::passEnded(const AppState& state, const PassValidity& validity, datalog::UtcTime utc,
                         protocol::HealthClock::time_point now)
{
    if (!status_.active) return true;
    if (lastWritten_ && std::chrono::duration<double>(now - *lastWritten_).count() < setup_.intervalSeconds)
        return true;
    const double since = std::chrono::duration<double>(now - started_).count();
    if (!writer_->writePass(PassRecords(state, validity, boards_, utc, since, now))) {
        error_ = writer_->error();
        stop("the file could not be written: " + error_);
        return false;
    }
    lastWritten_ = now;
    ++status_.passes;
    return true;
}

void Recorder::stop(const std::string& reason)
{
    if (!status_.active) return;
    writer_->finish(reason);
    status_.active = false;
    status_.endReason = reason;
}

} // namespace qm::acquisition
