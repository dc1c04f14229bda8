#include "datalog/CsvWriter.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <system_error>

namespace qm::datalog {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Free text on a comment line: control characters (a line end above all)
// would end the comment early, so they become blanks.
void AppendText(std::string& out, std::string_view text)
{
    for (char c : text) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
}

template <typename T>
void AppendNumber(std::string& out, T value)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void AppendFixed3(std::string& out, double value)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
    out.append(buf, r.ptr);
}

void AppendTwoDigits(std::string& out, int n)
{
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

void AppendKey(std::string& out, std::string_view key)
{
    out += "# ";
    out += key;
    out += ": ";
}

void AppendBoardKey(std::string& out, int board, std::string_view what)
{
    out += "# board_";
    AppendTwoDigits(out, board);
    out += '_';
    out += what;
    out += ": ";
}

std::string Plain(std::errc code)
{
    switch (code) {
    case std::errc::no_space_on_device: return "the disk is full";
    case std::errc::io_error: return "input/output error (was the drive removed?)";
    case std::errc::file_too_large: return "the file has grown too large for its file system";
    case std::errc::read_only_file_system: return "the file system is read-only";
    case std::errc::permission_denied: return "permission denied";
    case std::errc::no_such_file_or_directory: return "the folder does not exist";
    default: return std::make_error_code(code).message();
    }
}

std::string ErrnoText(int err)
{
    if (err == 0) return "the write was refused";
    return Plain(static_cast<std::errc>(err));
}

} // namespace

void AppendHeaderLines(std::string& out, const RecordHeader& h)
{
    AppendKey(out, "qm7410-record");
    AppendNumber(out, kFormatVersion);
    out += kLineEnd;
    AppendKey(out, "program");
    AppendText(out, h.program);
    out += kLineEnd;
    AppendKey(out, "started_utc");
    out += UtcText(h.started);
    out += kLineEnd;
    AppendKey(out, "device");
    AppendText(out, h.device);
    out += kLineEnd;
    AppendKey(out, "interval_s");
    AppendNumber(out, h.intervalSeconds);
    out += kLineEnd;
    AppendKey(out, "board_count");
    AppendNumber(out, h.boardCount);
    out += kLineEnd;
    AppendKey(out, "boards_recorded");
    for (std::size_t i = 0; i < h.boards.size(); ++i) {
        if (i) out += ' ';
        AppendNumber(out, h.boards[i].board);
    }
    out += kLineEnd;
    for (const BoardSetup& b : h.boards) {
        AppendBoardKey(out, b.board, "config");
        for (std::size_t r = 0; r < b.config.size(); ++r) {
            if (r) out += ' ';
            AppendText(out, b.config[r]);
        }
        out += kLineEnd;
        AppendBoardKey(out, b.board, "vuv_V");
        AppendNumber(out, b.vuvVolts);
        out += kLineEnd;
        AppendBoardKey(out, b.board, "vov_V");
        AppendNumber(out, b.vovVolts);
        out += kLineEnd;
    }
    out += "# note: cell_NN_status codes: 0 no reading, 1 in range (flags), 2 discharging, 3 under (flags), "
           "4 over (flags), 5 masked, 6 masked and discharging, 7 thermal shutdown, 8 in range, 9 under, 10 over";
    out += kLineEnd;
    out += "# note: flgr0..flgr2 are the flag register bytes (decimal); *_valid is 1 when that read's PEC "
           "matched; measuring is 1 when the board's configuration has it measuring";
    out += kLineEnd;
    out += "# note: cells_in_use is 10 in 10-cell mode (cells 11 and 12 unused); pec_fail_*, replies_missing "
           "and replies_short count since the program started; since_good_read_s is empty before the first "
           "good read";
    out += kLineEnd;
}

void AppendColumnRow(std::string& out)
{
    const auto& names = ColumnNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i) out += ',';
        out += names[i];
    }
    out += kLineEnd;
}

void AppendRecordRow(std::string& out, const PassRecord& r)
{
    out += UtcText(r.utc);
    out += ',';
    AppendFixed3(out, r.sinceStartSeconds);
    out += ',';
    AppendNumber(out, r.board);
    out += ',';
    AppendNumber(out, r.cellsInUse);
    for (float v : r.cellVolts) {
        out += ',';
        AppendNumber(out, v);
    }
    for (std::int16_t s : r.cellStatus) {
        out += ',';
        AppendNumber(out, s);
    }
    for (float v : r.temperatureVolts) {
        out += ',';
        AppendNumber(out, v);
    }
    for (std::uint8_t f : r.flags) {
        out += ',';
        AppendNumber(out, static_cast<unsigned>(f));
    }
    for (bool b : {r.cellsValid, r.temperaturesValid, r.flagsValid, r.measuring}) {
        out += ',';
        out += b ? '1' : '0';
    }
    for (std::uint32_t n : r.link.pecFailures) {
        out += ',';
        AppendNumber(out, n);
    }
    out += ',';
    AppendNumber(out, r.link.missing);
    out += ',';
    AppendNumber(out, r.link.shortReplies);
    out += ',';
    if (r.link.sinceGoodReadSeconds && std::isfinite(*r.link.sinceGoodReadSeconds))
        AppendFixed3(out, *r.link.sinceGoodReadSeconds);
    out += kLineEnd;
}

void AppendEndLine(std::string& out, std::string_view reason)
{
    out += kEndLinePrefix;
    AppendText(out, reason.empty() ? std::string_view("no reason given") : reason);
    out += kLineEnd;
}

CsvWriter::~CsvWriter() { finish("the recording was closed"); }

bool CsvWriter::open(const std::filesystem::path& path, const RecordHeader& header)
{
    if (file_) finish("a new recording was started");
    std::error_code ec;
    path_ = std::filesystem::absolute(path, ec);
    if (ec) path_ = path;
    committed_ = 0;
    passes_ = 0;
    started_ = false;
    finished_ = false;
    error_.clear();
    errno = 0;
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) {
        error_ = "cannot create " + path_.string() + ": " + ErrnoText(errno);
        return false;
    }
    std::setvbuf(file_, nullptr, _IONBF, 0); // every write goes straight to the file system
    started_ = true;
    buffer_.clear();
    AppendHeaderLines(buffer_, header);
    AppendColumnRow(buffer_);
    return put(buffer_, "writing the header");
}

bool CsvWriter::writePass(std::span<const PassRecord> records)
{
    if (!file_) return false;
    buffer_.clear();
    for (const PassRecord& r : records) AppendRecordRow(buffer_, r);
    if (!put(buffer_, "writing a pass")) return false;
    ++passes_;
    return true;
}

bool CsvWriter::finish(std::string_view reason)
{
    if (!started_ || finished_) return error_.empty();
    finished_ = true;
    std::error_code ec;
    if (!file_) {
        // The file was closed after a failed write: append the end line if it
        // is still there and its header made it (a lone end line is no record).
        if (committed_ == 0 || !std::filesystem::is_regular_file(path_, ec)) return false;
        file_ = std::fopen(path_.c_str(), "ab");
        if (!file_) return false;
        std::setvbuf(file_, nullptr, _IONBF, 0);
    }
    buffer_.clear();
    AppendEndLine(buffer_, reason);
    const bool wasFailed = failed();
    if (!put(buffer_, "writing the end line")) return false;
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0 && !wasFailed) {
        error_ = "closing " + path_.string() + " failed: " + ErrnoText(errno);
        return false;
    }
    return true;
}

bool CsvWriter::put(std::string_view text, const char* what)
{
    errno = 0;
    const std::size_t n = std::fwrite(text.data(), 1, text.size(), file_);
    if (n != text.size() || std::fflush(file_) != 0) {
        fail(std::string(what) + " to " + path_.string() + " failed: " + ErrnoText(errno));
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) {
        fail("the record file " + path_.string() + " is gone (deleted, or its drive was removed)");
        return false;
    }
    committed_ += text.size();
    return true;
}

void CsvWriter::fail(std::string reason)
{
    if (error_.empty()) error_ = std::move(reason);
    if (file_) std::fclose(file_);
    file_ = nullptr;
    // Cut a partly written piece off, so that the file ends with a whole line.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path_, ec)) std::filesystem::resize_file(path_, committed_, ec);
}

} // namespace qm::datalog
