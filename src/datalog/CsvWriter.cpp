#include "datalog/CsvWriter.h"

#include <charconv>
#include <cmath>

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

} // namespace qm::datalog
