#include "datalog/Record.h"

#include <charconv>

#include "datalog/Columns.h"

namespace qm::datalog {

namespace {

struct Column {
    std::string name;
    ColumnId id;
};

std::string TwoDigits(int n) { return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)}; }

std::vector<Column> BuildColumns()
{
    std::vector<Column> c{{"utc_time", {Field::Utc}},
                          {"since_start_s", {Field::SinceStart}},
                          {"board", {Field::Board}},
                          {"cells_in_use", {Field::CellsInUse}}};
    for (int i = 0; i < kCells; ++i)
        c.push_back({"cell_" + TwoDigits(i + 1) + "_V", {Field::CellVolts, static_cast<std::uint8_t>(i)}});
    for (int i = 0; i < kCells; ++i)
        c.push_back({"cell_" + TwoDigits(i + 1) + "_status", {Field::CellStatus, static_cast<std::uint8_t>(i)}});
    for (int i = 0; i < kTemperatures; ++i)
        c.push_back({"temp_" + std::to_string(i + 1) + "_V", {Field::TempVolts, static_cast<std::uint8_t>(i)}});
    for (int i = 0; i < kFlagBytes; ++i)
        c.push_back({"flgr" + std::to_string(i), {Field::FlagByte, static_cast<std::uint8_t>(i)}});
    c.push_back({"cells_valid", {Field::CellsValid}});
    c.push_back({"temps_valid", {Field::TempsValid}});
    c.push_back({"flags_valid", {Field::FlagsValid}});
    c.push_back({"measuring", {Field::Measuring}});
    const char* kinds[kLinkKinds] = {"config", "cells", "temps", "flags", "diag"};
    for (int k = 0; k < kLinkKinds; ++k)
        c.push_back({std::string("pec_fail_") + kinds[k], {Field::PecFailures, static_cast<std::uint8_t>(k)}});
    c.push_back({"replies_missing", {Field::Missing}});
    c.push_back({"replies_short", {Field::Short}});
    c.push_back({"since_good_read_s", {Field::SinceGoodRead}});
    return c;
}

const std::vector<Column>& Columns()
{
    static const std::vector<Column> columns = BuildColumns();
    return columns;
}

bool Digits(std::string_view text, std::size_t pos, std::size_t count, int& out)
{
    if (pos + count > text.size()) return false;
    const char* first = text.data() + pos;
    for (std::size_t i = 0; i < count; ++i)
        if (first[i] < '0' || first[i] > '9') return false;
    return std::from_chars(first, first + count, out).ec == std::errc{};
}

} // namespace

const std::vector<std::string>& ColumnNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& c : Columns()) n.push_back(c.name);
        return n;
    }();
    return names;
}

const std::vector<ColumnId>& ColumnIds()
{
    static const std::vector<ColumnId> ids = [] {
        std::vector<ColumnId> v;
        for (const auto& c : Columns()) v.push_back(c.id);
        return v;
    }();
    return ids;
}

std::optional<std::size_t> ColumnIndexOf(std::string_view name)
{
    const auto& columns = Columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == name) return i;
    return std::nullopt;
}

std::string UtcText(UtcTime time)
{
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day ymd{day};
    const hh_mm_ss<milliseconds> hms{time - day};
    char buf[32];
    char* p = buf;
    auto put = [&p](long long v, int width) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, v < 0 ? -v : v);
        if (v < 0) *p++ = '-';
        for (auto n = r.ptr - digits; n < width; ++n) *p++ = '0';
        for (char* d = digits; d != r.ptr; ++d) *p++ = *d;
    };
    put(static_cast<int>(ymd.year()), 4);
    *p++ = '-';
    put(static_cast<unsigned>(ymd.month()), 2);
    *p++ = '-';
    put(static_cast<unsigned>(ymd.day()), 2);
    *p++ = 'T';
    put(hms.hours().count(), 2);
    *p++ = ':';
    put(hms.minutes().count(), 2);
    *p++ = ':';
    put(hms.seconds().count(), 2);
    *p++ = '.';
    put(hms.subseconds().count(), 3);
    *p++ = 'Z';
    return std::string(buf, p);
}

std::optional<UtcTime> ParseUtcText(std::string_view t)
{
    // YYYY-MM-DDTHH:MM:SS.mmmZ, exactly as UtcText writes it.
    if (t.size() != 24 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':' ||
        t[19] != '.' || t[23] != 'Z')
        return std::nullopt;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    if (!Digits(t, 0, 4, y) || !Digits(t, 5, 2, mo) || !Digits(t, 8, 2, d) || !Digits(t, 11, 2, h) ||
        !Digits(t, 14, 2, mi) || !Digits(t, 17, 2, s) || !Digits(t, 20, 3, ms))
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (!ymd.ok() || h > 23 || mi > 59 || s > 59) return std::nullopt;
    return UtcTime{sys_days{ymd}} + hours{h} + minutes{mi} + seconds{s} + milliseconds{ms};
}

} // namespace qm::datalog
