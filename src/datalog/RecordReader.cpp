#include "datalog/RecordReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "datalog/CsvWriter.h"

namespace qm::datalog {

namespace {

constexpr std::size_t kMaxLineChars = 65536;
constexpr std::size_t kReadPiece = std::size_t{4} << 20;

std::string Quoted(std::string_view field)
{
    std::string out = "'";
    out += field.substr(0, 40);
    if (field.size() > 40) out += "...";
    return out + "'";
}

template <typename T>
bool ParseWhole(std::string_view text, T& out)
{
    if (text.empty()) return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc{} && r.ptr == text.data() + text.size();
}

template <typename T>
bool ParseUnsigned(std::string_view text, T max, T& out)
{
    std::uint64_t v = 0;
    if (!ParseWhole(text, v) || v > static_cast<std::uint64_t>(max)) return false;
    out = static_cast<T>(v);
    return true;
}

bool IsHexPair(std::string_view t)
{
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
    return t.size() == 2 && hex(t[0]) && hex(t[1]);
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        words.push_back(text.substr(start, end - start));
        pos = end;
    }
    return words;
}

std::string LineText(std::size_t line) { return "line " + std::to_string(line) + ": "; }

} // namespace

// ---- BoardSeries ----------------------------------------------------------

void BoardSeries::append(const PassRecord& r)
{
    sinceStart.push_back(r.sinceStartSeconds);
    utcMillis.push_back(r.utc.time_since_epoch().count());
    cellsInUse.push_back(static_cast<std::uint8_t>(r.cellsInUse));
    for (std::size_t c = 0; c < kCells; ++c) {
        cellVolts[c].push_back(r.cellVolts[c]);
        cellStatus[c].push_back(static_cast<std::int8_t>(r.cellStatus[c]));
    }
    for (std::size_t t = 0; t < kTemperatures; ++t) temperatureVolts[t].push_back(r.temperatureVolts[t]);
    for (std::size_t f = 0; f < kFlagBytes; ++f) flags[f].push_back(r.flags[f]);
    validity.push_back(static_cast<std::uint8_t>((r.cellsValid ? kValidCells : 0) |
                                                 (r.temperaturesValid ? kValidTemperatures : 0) |
                                                 (r.flagsValid ? kValidFlags : 0) | (r.measuring ? kMeasuring : 0)));
    for (std::size_t k = 0; k < kLinkKinds; ++k) pecFailures[k].push_back(r.link.pecFailures[k]);
    missing.push_back(r.link.missing);
    shortReplies.push_back(r.link.shortReplies);
    sinceGoodRead.push_back(r.link.sinceGoodReadSeconds ? *r.link.sinceGoodReadSeconds
                                                        : std::numeric_limits<double>::quiet_NaN());
}

LinkCounters BoardSeries::link(std::size_t row) const
{
    LinkCounters l;
    for (std::size_t k = 0; k < kLinkKinds; ++k) l.pecFailures[k] = pecFailures[k][row];
    l.missing = missing[row];
    l.shortReplies = shortReplies[row];
    if (!std::isnan(sinceGoodRead[row])) l.sinceGoodReadSeconds = sinceGoodRead[row];
    return l;
}

PassRecord BoardSeries::record(std::size_t row) const
{
    PassRecord r;
    r.utc = UtcTime{std::chrono::milliseconds{utcMillis[row]}};
    r.sinceStartSeconds = sinceStart[row];
    r.board = board;
    r.cellsInUse = cellsInUse[row];
    for (std::size_t c = 0; c < kCells; ++c) {
        r.cellVolts[c] = cellVolts[c][row];
        r.cellStatus[c] = cellStatus[c][row];
    }
    for (std::size_t t = 0; t < kTemperatures; ++t) r.temperatureVolts[t] = temperatureVolts[t][row];
    for (std::size_t f = 0; f < kFlagBytes; ++f) r.flags[f] = flags[f][row];
    const std::uint8_t v = validity[row];
    r.cellsValid = v & kValidCells;
    r.temperaturesValid = v & kValidTemperatures;
    r.flagsValid = v & kValidFlags;
    r.measuring = v & kMeasuring;
    r.link = link(row);
    return r;
}

// ---- RecordParser ---------------------------------------------------------

const BoardSeries* RecordParser::board(int number) const
{
    if (number < 1 || number > kMaxBoards || slot_[static_cast<std::size_t>(number)] == 0) return nullptr;
    return &boards_[static_cast<std::size_t>(slot_[static_cast<std::size_t>(number)] - 1)];
}

bool RecordParser::feed(std::string_view piece)
{
    if (failed()) return false;
    std::size_t pos = 0;
    if (!carry_.empty()) {
        const std::size_t nl = piece.find('\n');
        if (nl == std::string_view::npos) {
            carry_.append(piece);
            if (carry_.size() > kMaxLineChars)
                return fail(LineText(line_ + 1) + "longer than 65536 characters; this is not a record file");
            return true;
        }
        carry_.append(piece.substr(0, nl));
        ++line_;
        const bool ok = parseLine(carry_);
        carry_.clear();
        if (!ok) return false;
        pos = nl + 1;
    }
    while (pos < piece.size()) {
        const void* nl = std::memchr(piece.data() + pos, '\n', piece.size() - pos);
        if (!nl) {
            carry_.assign(piece.substr(pos));
            if (carry_.size() > kMaxLineChars)
                return fail(LineText(line_ + 1) + "longer than 65536 characters; this is not a record file");
            break;
        }
        const auto end = static_cast<std::size_t>(static_cast<const char*>(nl) - piece.data());
        ++line_;
        if (!parseLine(piece.substr(pos, end - pos))) return false;
        pos = end + 1;
    }
    return true;
}

bool RecordParser::fail(std::string message)
{
    error_ = std::move(message);
    return false;
}

bool RecordParser::parseLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return true;
    if (!sawMagic_) {
        // The first line tells what the file is.
        if (line.rfind("# qm7410-record: ", 0) != 0)
            return fail(LineText(line_) + "not a QM7410 stack record (its first line must be '# qm7410-record: " +
                        std::to_string(kFormatVersion) + "')");
        sawMagic_ = true;
        return parseComment(line.substr(1));
    }
    if (line.front() == '#') {
        if (!columns_.empty()) {
            if (line.rfind(kEndLinePrefix, 0) == 0) endReason_ = std::string(line.substr(kEndLinePrefix.size()));
            return true; // other comments between records are read past
        }
        return parseComment(line.substr(1));
    }
    if (columns_.empty()) return parseColumns(line);
    if (endReason_) return fail(LineText(line_) + "a record after the line that ended the recording");
    return parseRecord(line);
}

bool RecordParser::parseComment(std::string_view text)
{
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const std::size_t colon = text.find(": ");
    if (colon == std::string_view::npos) return true; // a free comment
    const std::string_view key = text.substr(0, colon);
    const std::string_view value = text.substr(colon + 2);
    const std::string at = LineText(line_);
    auto bad = [&](std::string_view what) { return fail(at + std::string(key) + ": " + Quoted(value) + " " + std::string(what)); };

    if (key == "qm7410-record") {
        int version = 0;
        if (!ParseWhole(value, version) || version < 1) return bad("is not a record format number");
        if (version > kFormatVersion)
            return fail(at + "record format " + std::to_string(version) + " is newer than this program reads (" +
                        std::to_string(kFormatVersion) + ")");
        return true;
    }
    if (key == "program") header_.program = value;
    else if (key == "device") header_.device = value;
    else if (key == "started_utc") {
        const auto t = ParseUtcText(value);
        if (!t) return bad("is not a UTC time like 2026-12-07T14:03:21.300Z");
        header_.started = *t;
    } else if (key == "interval_s") {
        if (!ParseWhole(value, header_.intervalSeconds) || !(header_.intervalSeconds >= 0))
            return bad("is not a number of seconds");
    } else if (key == "board_count") {
        if (!ParseWhole(value, header_.boardCount) || header_.boardCount < 1 || header_.boardCount > kMaxBoards)
            return bad("is not a board count 1..10");
    } else if (key == "boards_recorded") {
        if (sawBoards_) return fail(at + "boards_recorded given twice");
        sawBoards_ = true;
        int previous = 0;
        for (std::string_view w : Words(value)) {
            int b = 0;
            if (!ParseWhole(w, b) || b < 1 || b > kMaxBoards || b <= previous)
                return bad("is not a rising list of board numbers 1..10");
            previous = b;
            BoardSetup setup;
            setup.board = b;
            header_.boards.push_back(setup);
            BoardSeries series;
            series.board = b;
            boards_.push_back(std::move(series));
            slot_[static_cast<std::size_t>(b)] = static_cast<int>(boards_.size());
        }
        if (boards_.empty()) return bad("names no board");
    } else if (key.size() > 9 && key.rfind("board_", 0) == 0 && key[8] == '_') {
        int b = 0;
        if (!ParseWhole(key.substr(6, 2), b) || b < 1 || b > kMaxBoards) return true; // not a board key
        if (!sawBoards_ || slot_[static_cast<std::size_t>(b)] == 0)
            return fail(at + std::string(key) + " is about a board not named on the boards_recorded line before it");
        BoardSetup& setup = header_.boards[static_cast<std::size_t>(slot_[static_cast<std::size_t>(b)] - 1)];
        const std::string_view what = key.substr(9);
        if (what == "config") {
            const auto regs = Words(value);
            if (regs.size() != 6) return bad("is not six registers CFGR0..CFGR5");
            for (std::size_t r = 0; r < 6; ++r) {
                // "--": nothing was written to the board before the recording began.
                if (!IsHexPair(regs[r]) && regs[r] != "--") return bad("is not six two-digit hex registers (or --)");
                setup.config[r] = std::string{regs[r][0], regs[r][1]};
            }
        } else if (what == "vuv_V") {
            if (!ParseWhole(value, setup.vuvVolts)) return bad("is not a number of volts");
        } else if (what == "vov_V") {
            if (!ParseWhole(value, setup.vovVolts)) return bad("is not a number of volts");
        }
    }
    return true; // notes and keys of later programs are read past
}

bool RecordParser::parseColumns(std::string_view line)
{
    const std::string at = LineText(line_);
    if (!sawBoards_) return fail(at + "the header names no boards_recorded before the column row");
    std::size_t pos = 0;
    std::vector<bool> present(ColumnNames().size(), false);
    while (true) {
        const std::size_t comma = line.find(',', pos);
        const std::string_view name = line.substr(pos, comma == std::string_view::npos ? line.npos : comma - pos);
        const auto index = ColumnIndexOf(name);
        if (index) {
            if (present[*index]) {
                columns_.clear();
                ids_.clear();
                return fail(at + "column " + std::string(name) + " appears twice");
            }
            present[*index] = true;
        }
        columns_.emplace_back(name);
        ids_.push_back(index ? ColumnIds()[*index] : ColumnId{Field::Unknown});
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    for (std::size_t i = 0; i < present.size(); ++i) {
        if (!present[i]) {
            const std::string missing = ColumnNames()[i];
            columns_.clear();
            ids_.clear();
            return fail(at + "the column row has no column " + missing + " (is this the column row?)");
        }
    }
    return true;
}

bool RecordParser::parseRecord(std::string_view line)
{
    PassRecord r;
    const char* p = line.data();
    const char* const end = p + line.size();
    const std::size_t count = ids_.size();
    const auto fields = static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
    if (fields != count)
        return fail(LineText(line_) + std::to_string(fields) + " fields where the column row has " +
                    std::to_string(count));
    for (std::size_t i = 0; i < count; ++i) {
        const char* stop = end;
        if (i + 1 < count) stop = static_cast<const char*>(std::memchr(p, ',', static_cast<std::size_t>(end - p)));
        const std::string_view f(p, static_cast<std::size_t>(stop - p));
        p = stop + (stop == end ? 0 : 1);
        const ColumnId id = ids_[i];
        bool ok = true;
        const char* expected = "a number";
        switch (id.field) {
        case Field::Utc: {
            const auto t = ParseUtcText(f);
            ok = t.has_value();
            if (ok) r.utc = *t;
            expected = "a UTC time";
            break;
        }
        case Field::SinceStart:
            ok = ParseWhole(f, r.sinceStartSeconds) && std::isfinite(r.sinceStartSeconds);
            expected = "a number of seconds";
            break;
        case Field::Board:
            ok = ParseUnsigned(f, kMaxBoards, r.board) && r.board >= 1;
            expected = "a board number 1..10";
            break;
        case Field::CellsInUse:
            ok = ParseUnsigned(f, kCells, r.cellsInUse) && r.cellsInUse >= 1;
            expected = "a cell count 1..12";
            break;
        case Field::CellVolts: ok = ParseWhole(f, r.cellVolts[id.index]); break;
        case Field::CellStatus:
            ok = ParseUnsigned<std::int16_t>(f, 10, r.cellStatus[id.index]);
            expected = "a status code 0..10";
            break;
        case Field::TempVolts: ok = ParseWhole(f, r.temperatureVolts[id.index]); break;
        case Field::FlagByte:
            ok = ParseUnsigned<std::uint8_t>(f, 255, r.flags[id.index]);
            expected = "a byte 0..255";
            break;
        case Field::CellsValid:
        case Field::TempsValid:
        case Field::FlagsValid:
        case Field::Measuring: {
            ok = f.size() == 1 && (f[0] == '0' || f[0] == '1');
            const bool v = ok && f[0] == '1';
            if (id.field == Field::CellsValid) r.cellsValid = v;
            else if (id.field == Field::TempsValid) r.temperaturesValid = v;
            else if (id.field == Field::FlagsValid) r.flagsValid = v;
            else r.measuring = v;
            expected = "0 or 1";
            break;
        }
        case Field::PecFailures:
            ok = ParseUnsigned(f, std::numeric_limits<std::uint32_t>::max(), r.link.pecFailures[id.index]);
            expected = "a count";
            break;
        case Field::Missing:
            ok = ParseUnsigned(f, std::numeric_limits<std::uint32_t>::max(), r.link.missing);
            expected = "a count";
            break;
        case Field::Short:
            ok = ParseUnsigned(f, std::numeric_limits<std::uint32_t>::max(), r.link.shortReplies);
            expected = "a count";
            break;
        case Field::SinceGoodRead:
            if (!f.empty()) {
                double s = 0;
                ok = ParseWhole(f, s);
                if (ok) r.link.sinceGoodReadSeconds = s;
            }
            expected = "a number of seconds or nothing";
            break;
        case Field::Unknown: break;
        }
        if (!ok) return fail(LineText(line_) + columns_[i] + ": " + Quoted(f) + " is not " + expected);
    }
    const int s = slot_[static_cast<std::size_t>(r.board)];
    if (s == 0)
        return fail(LineText(line_) + "board " + std::to_string(r.board) + " is not among the boards recorded");
    BoardSeries& series = boards_[static_cast<std::size_t>(s - 1)];
    if (series.size() > 0 && r.sinceStartSeconds < series.sinceStart.back())
        return fail(LineText(line_) + "since_start_s goes back in time for board " + std::to_string(r.board));
    r.board = series.board;
    series.append(r);
    ++records_;
    return true;
}

// ---- RecordReader ---------------------------------------------------------

RecordReader::RecordReader(std::filesystem::path path) : path_(std::move(path)) {}

RecordReader::~RecordReader()
{
    if (file_) std::fclose(file_);
}

std::size_t RecordReader::readMore()
{
    if (failed()) return 0;
    if (!file_) {
        errno = 0;
        file_ = std::fopen(path_.c_str(), "rb");
        if (!file_) {
            error_ = "cannot open " + path_.string() + ": " +
                     (errno ? std::make_error_code(static_cast<std::errc>(errno)).message() : "unknown reason");
            return 0;
        }
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path_, ec);
    if (!ec && size < offset_) {
        error_ = path_.string() + " became shorter than the part already read (was it replaced?)";
        return 0;
    }
    const std::size_t before = parser_.records();
    if (std::fseek(file_, static_cast<long>(offset_), SEEK_SET) != 0) {
        error_ = "cannot read " + path_.string();
        return 0;
    }
    buffer_.resize(kReadPiece);
    while (true) {
        const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        if (n == 0) break;
        offset_ += n;
        if (!parser_.feed(std::string_view(buffer_.data(), n))) break;
    }
    if (std::ferror(file_)) error_ = "reading " + path_.string() + " failed";
    std::clearerr(file_);
    return parser_.records() - before;
}

} // namespace qm::datalog
