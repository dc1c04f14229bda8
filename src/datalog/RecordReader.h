#pragma once
// Reads a stack record written by CsvWriter: the header, the column row and
// the records, stored column by column per board so that a twelve-hour
// record opens quickly. The parser takes the text in pieces of any size and
// only ever parses whole lines, so a file that is still being written can be
// followed by feeding it what it gained since the last read.
//
// A bad line stops the parsing with an error naming its line number; the
// records before it stay available.
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datalog/Columns.h"
#include "datalog/Record.h"

namespace qm::datalog {

// One recorded board, column by column; every vector has size() entries.
struct BoardSeries {
    int board = 1; // 1..10
    std::vector<double> sinceStart;
    std::vector<std::int64_t> utcMillis; // milliseconds since 1970-01-01 UTC
    std::vector<std::uint8_t> cellsInUse;
    std::array<std::vector<float>, kCells> cellVolts;
    std::array<std::vector<std::int8_t>, kCells> cellStatus;
    std::array<std::vector<float>, kTemperatures> temperatureVolts;
    std::array<std::vector<std::uint8_t>, kFlagBytes> flags;
    std::vector<std::uint8_t> validity; // kValid* bits
    std::array<std::vector<std::uint32_t>, kLinkKinds> pecFailures;
    std::vector<std::uint32_t> missing;
    std::vector<std::uint32_t> shortReplies;
    std::vector<double> sinceGoodRead; // NaN before the first good read

    static constexpr std::uint8_t kValidCells = 1, kValidTemperatures = 2, kValidFlags = 4, kMeasuring = 8;

    std::size_t size() const { return sinceStart.size(); }
    // The row as a record again.
    PassRecord record(std::size_t row) const;
    LinkCounters link(std::size_t row) const;
    void append(const PassRecord& r);
};

class RecordParser {
public:
    // Parses every whole line of the text so far; a partial last line waits
    // for the next piece. False once an error was found (error() says where);
    // later pieces are then ignored.
    bool feed(std::string_view piece);

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    bool headerComplete() const { return !columns_.empty(); }
    const RecordHeader& header() const { return header_; }
    const std::vector<std::string>& columns() const { return columns_; }
    const std::vector<BoardSeries>& boards() const { return boards_; }
    const BoardSeries* board(int number) const;
    std::size_t records() const { return records_; }
    // The reason on the "# recording ended: ..." line, once it was read.
    const std::optional<std::string>& endReason() const { return endReason_; }
    // Characters of a partial last line waiting for its end.
    std::size_t pendingChars() const { return carry_.size(); }

private:
    bool parseLine(std::string_view line);
    bool parseComment(std::string_view text);
    bool parseColumns(std::string_view line);
    bool parseRecord(std::string_view line);
    bool fail(std::string message);

    RecordHeader header_;
    bool sawMagic_ = false;
    bool sawBoards_ = false;
    std::vector<std::string> columns_;
    std::vector<ColumnId> ids_;
    std::vector<BoardSeries> boards_;
    std::array<int, kMaxBoards + 1> slot_{}; // board number -> index into boards_ + 1, 0: not recorded
    std::optional<std::string> endReason_;
    std::string carry_;
    std::string error_;
    std::size_t line_ = 0;
    std::size_t records_ = 0;
};

// A record file read incrementally: each readMore() parses what the file
// gained since the call before.
class RecordReader {
public:
    explicit RecordReader(std::filesystem::path path);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // Reads what was added to the file; returns the number of new records.
    // An unreadable file, a file that became shorter, or a bad line sets
    // error(); the records read before stay.
    std::size_t readMore();

    const std::filesystem::path& path() const { return path_; }
    const RecordParser& parser() const { return parser_; }
    const std::string& error() const { return error_.empty() ? parser_.error() : error_; }
    bool failed() const { return !error().empty(); }

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    std::uint64_t offset_ = 0;
    RecordParser parser_;
    std::string error_;
    std::vector<char> buffer_;
};

} // namespace qm::datalog
