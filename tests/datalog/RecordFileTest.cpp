// The stack record: the writer and the reader of its files, a disk that
// fills, bad input named by its line, and the trend view's numbers from the
// records (which cells count in a board's spread and the stack's imbalance,
// and the decimation that keeps every extreme). The trend view following a
// growing record is tested with the window.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <locale>
#include <vector>

#include "datalog/CsvWriter.h"
#include "datalog/RecordReader.h"
#include "datalog/RecordSupport.h"
#include "datalog/TrendStats.h"

using namespace qm::datalog;
using qm::test::FileText;
using qm::test::Header;
using qm::test::Record;
using qm::test::TempDir;

namespace {

std::vector<PassRecord> Pass(int pass, const std::vector<int>& boards = {1, 2})
{
    std::vector<PassRecord> out;
    for (int b : boards) out.push_back(Record(b, pass));
    return out;
}

// Header, column row and the rows of `passes` passes, as the writer makes them.
std::string GoodText(int passes)
{
    std::string text;
    AppendHeaderLines(text, Header());
    AppendColumnRow(text);
    for (int p = 0; p < passes; ++p)
        for (const auto& r : Pass(p)) AppendRecordRow(text, r);
    return text;
}

int LinesIn(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// A row whose cell c (0-based) reads base + c mV.
PassRecord Row(int board, double t, float base)
{
    PassRecord r = Record(board, 0);
    r.sinceStartSeconds = t;
    for (std::size_t c = 0; c < 12; ++c) r.cellVolts[c] = base + 0.001f * static_cast<float>(c);
    return r;
}

struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

} // namespace

TEST(RecordFile, RoundTripKeepsHeaderColumnsAndEveryValueWhateverTheLocale)
{
    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    TempDir dir;
    std::vector<PassRecord> odd = Pass(7);
    odd[0].cellsInUse = 10;
    odd[0].cellVolts[3] = -0.768f;
    odd[0].cellVolts[4] = 5.3745f;
    for (int c = 0; c < 12; ++c) odd[0].cellStatus[static_cast<std::size_t>(c)] = static_cast<std::int16_t>(c % 11);
    odd[0].cellsValid = false;
    odd[0].measuring = false;
    odd[1].flags = {0x80, 0x01, 0x10};
    odd[1].link = {{4294967295u, 1, 2, 3, 4}, 5, 6, std::nullopt};
    odd[1].temperaturesValid = false;

    CsvWriter writer;
    ASSERT_TRUE(writer.open(dir / "r.csv", Header())) << writer.error();
    ASSERT_TRUE(writer.writePass(Pass(0)));
    ASSERT_TRUE(writer.writePass(odd));
    ASSERT_TRUE(writer.finish("the board stopped answering"));
    std::locale::global(before);

    // The format as other tools read it: comment header, one column row, CRLF lines, plain decimals.
    const std::string text = FileText(dir / "r.csv");
    EXPECT_EQ(text.rfind("# qm7410-record: 1\r\n# program: qm7410-gui 0.1.0\r\n# started_utc: 2026-12-07T14:03:21.300Z\r\n"
                         "# device: simulated: boards=3,thsd=1\r\n# interval_s: 0.3\r\n# board_count: 2\r\n",
                         0),
              0u);
    for (const char* piece :
         {"\r\n# boards_recorded: 1 2\r\n# board_01_config: E1 00 0A F0 71 AB\r\n# board_01_vuv_V: 2.208\r\n"
          "# board_01_vov_V: 4.32\r\n",
          "\r\nutc_time,since_start_s,board,cells_in_use,cell_01_V,", ",cell_12_V,cell_01_status,",
          ",cell_12_status,temp_1_V,temp_2_V,temp_3_V,flgr0,flgr1,flgr2,cells_valid,temps_valid,flags_valid,measuring,"
          "pec_fail_config,pec_fail_cells,pec_fail_temps,pec_fail_flags,pec_fail_diag,replies_missing,replies_short,"
          "since_good_read_s\r\n2026-12-07T14:03:21.300Z,0.000,1,12,",
          ",1.5,1.4985,-0.768,0,85,255,1,1,1,1,0,0,0,1,0,0,0,0.100\r\n", "2026-12-07T14:03:23.400Z,2.100,2,12,",
          ",128,1,16,1,0,1,1,4294967295,1,2,3,4,5,6,\r\n# recording ended: the board stopped answering\r\n"})
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    EXPECT_EQ(text.find(",-0,"), std::string::npos);

    RecordReader reader(dir / "r.csv");
    EXPECT_EQ(reader.readMore(), 4u);
    ASSERT_FALSE(reader.failed()) << reader.error();
    const RecordParser& rec = reader.parser();
    EXPECT_EQ(rec.header(), Header());
    EXPECT_EQ(rec.columns(), ColumnNames());
    EXPECT_EQ(rec.endReason(), "the board stopped answering");
    ASSERT_EQ(rec.boards().size(), 2u);
    EXPECT_EQ(rec.board(1)->record(0), Pass(0)[0]);
    EXPECT_EQ(rec.board(2)->record(0), Pass(0)[1]);
    EXPECT_EQ(rec.board(1)->record(1), odd[0]);
    EXPECT_EQ(rec.board(2)->record(1), odd[1]);
    EXPECT_EQ(rec.board(3), nullptr);
}

// The reader following a growing file is what the trend view does (tested
// with the window); here the parser's pieces and a file that shrinks.
TEST(RecordFile, PiecesCutAnywhereGiveTheSameRecordsAndAShrunkFileIsNoted)
{
    const std::string text = GoodText(4);
    for (std::size_t piece : {1u, 7u, 250u}) {
        RecordParser parser;
        for (std::size_t at = 0; at < text.size(); at += piece) { // even between CR and LF
            ASSERT_TRUE(parser.feed(std::string_view(text).substr(at, piece))) << parser.error();
            const std::string seen = text.substr(0, std::min(text.size(), at + piece));
            EXPECT_EQ(parser.pendingChars(), seen.size() - (seen.rfind('\n') + 1));
        }
        EXPECT_EQ(parser.records(), 8u);
        EXPECT_EQ(parser.board(2)->record(3), Record(2, 3));
    }
    TempDir dir;
    qm::test::WriteText(dir / "live.csv", text);
    RecordReader reader(dir / "live.csv");
    EXPECT_EQ(reader.readMore(), 8u);
    qm::test::WriteText(dir / "live.csv", GoodText(1));
    EXPECT_EQ(reader.readMore(), 0u);
    EXPECT_NE(reader.error().find("became shorter"), std::string::npos);
}

TEST(RecordFile, AFullDiskIsReportedNotThrownAndEarlierPassesStayReadable)
{
    CsvWriter none;
    EXPECT_FALSE(none.open("/dev/full", Header()));
    EXPECT_NE(none.error().find("the disk is full"), std::string::npos) << none.error();
    EXPECT_FALSE(none.writePass(Pass(0)) || none.finish("the disk is full") || none.isOpen());

    // A disk that fills inside the header, and one that fills in the middle of
    // the fourth pass: the file size limit stands in for it.
    TempDir dir;
    std::string passText;
    for (const auto& r : Pass(0)) AppendRecordRow(passText, r);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto limit = [&](std::size_t bytes) {
        rlimit l = old;
        l.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &l);
    };
    limit(100);
    CsvWriter headless;
    const bool headerWritten = headless.open(dir / "headless.csv", Header());
    const bool headlessEnded = headless.finish("never started");
    ::setrlimit(RLIMIT_FSIZE, &old);
    CsvWriter writer;
    ASSERT_TRUE(writer.open(dir / "full.csv", Header()));
    limit(GoodText(0).size() + 3 * passText.size() + passText.size() / 2);
    int written = 0;
    while (written < 10 && writer.writePass(Pass(written))) ++written;
    const bool failedClean = !writer.writePass(Pass(99)); // refused after the failure
    const bool ended = writer.finish("recording stopped: " + writer.error());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(headerWritten || headlessEnded);
    EXPECT_EQ(std::filesystem::file_size(dir / "headless.csv"), 0u); // no half header, no lone end line
    EXPECT_EQ(written, 3);
    EXPECT_TRUE(failedClean && writer.failed());
    EXPECT_NE(writer.error().find("writing a pass to "), std::string::npos) << writer.error();
    EXPECT_TRUE(ended); // the cut-off half pass made room for the end line
    RecordReader reader(dir / "full.csv");
    EXPECT_EQ(reader.readMore(), 6u);
    EXPECT_FALSE(reader.failed()) << reader.error();
    EXPECT_EQ(reader.parser().endReason().value_or("").rfind("recording stopped: writing a pass to ", 0), 0u);
    EXPECT_EQ(reader.parser().board(2)->record(2), Record(2, 2));
}

TEST(RecordFile, BadInputStopsAtTheLineItNamesAndKeepsTheRecordsBefore)
{
    const std::string good = GoodText(2);
    const int next = LinesIn(good) + 1;
    std::string row, headerOnly, columns;
    AppendRecordRow(row, Record(1, 5));
    AppendHeaderLines(headerOnly, Header());
    AppendColumnRow(columns);
    columns.replace(columns.find("cell_07_V,"), 10, "");
    const int columnLine = LinesIn(headerOnly) + 1;
    auto withRow = [&](const std::string& from, const std::string& to) {
        std::string r = row;
        return good + r.replace(r.find(from), from.size(), to);
    };
    struct Case { std::string text; int line; std::string message; std::size_t recordsBefore; };
    const std::vector<Case> cases{
        {"time,cell_1\n1,2\n", 1, "not a QM7410 stack record", 0},
        {"# qm7410-record: 2\r\n", 1, "record format 2 is newer", 0},
        {"# qm7410-record: 1\n# started_utc: yesterday\n", 2, "started_utc: 'yesterday' is not a UTC time", 0},
        {"# qm7410-record: 1\n# boards_recorded: 2 1\n", 2, "rising list", 0},
        {"# qm7410-record: 1\n# boards_recorded: 1\n# board_01_config: E0 00 00 00 0G 00\n", 3, "two-digit hex", 0},
        {"# qm7410-record: 1\n# board_03_vuv_V: 2.0\n", 2, "board_03_vuv_V is about a board not named", 0},
        {headerOnly + columns, columnLine, "has no column cell_07_V", 0},
        {good + "2026-12-07T14:03:21.300Z,1.0,1\r\n", next, "3 fields where the column row has 46", 4},
        {good + row.substr(0, row.size() - 2) + ",7\r\n", next, "47 fields where the column row has 46", 4},
        {withRow("3.6", "3,6"), next, "47 fields", 4},
        {withRow(",8,", ",11,"), next, "cell_01_status: '11' is not a status code 0..10", 4},
        {withRow(",255,", ",256,"), next, "flgr2: '256' is not a byte 0..255", 4},
        {withRow(",1.5,", ",abc,"), next, "temp_1_V: 'abc' is not a number", 4},
        {withRow("Z,1.500,1,", "Z,1.500,3,"), next, "board 3 is not among the boards recorded", 4},
        {withRow(",1.500,", ",0.100,"), next, "since_start_s goes back in time for board 1", 4},
        {good + "# recording ended: done\r\n" + row, next + 1, "a record after the line that ended", 4},
        {good + std::string(70000, 'x'), next, "longer than 65536 characters", 4},
        {good + std::string(300, '\0') + "\n", next, "fields where the column row has 46", 4},
    };
    for (const Case& c : cases) {
        RecordParser parser;
        EXPECT_FALSE(parser.feed(c.text)) << c.message;
        EXPECT_EQ(parser.error().rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << parser.error();
        EXPECT_NE(parser.error().find(c.message), std::string::npos) << parser.error();
        EXPECT_EQ(parser.records(), c.recordsBefore) << c.message;
        EXPECT_FALSE(parser.feed(row)); // stays stopped
    }

    TempDir dir;
    RecordReader missing(dir / "none.csv");
    EXPECT_EQ(missing.readMore(), 0u);
    EXPECT_NE(missing.error().find("cannot open"), std::string::npos);
}

TEST(TrendStats, SpreadAndImbalanceLeaveOutFailedReadsUnusedCellsAndCellsWithoutReading)
{
    // Rows: all twelve, ten cells in use, cell 1 without reading, a failed read, standby.
    BoardSeries s;
    for (int row = 0; row < 5; ++row) {
        PassRecord r = Row(1, row, 3.6f);
        r.cellsInUse = row == 1 ? 10 : 12;
        if (row == 1) r.cellVolts[11] = 9.0f; // unused inputs read anything
        if (row == 2) r.cellStatus[0] = 0;    // no reading: its value does not count
        if (row == 2) r.cellVolts[0] = 0.1f;
        r.cellsValid = row != 3;
        r.measuring = row != 4;
        s.append(r);
    }
    const CellSpread all = SpreadAt(s, 0), ten = SpreadAt(s, 1), eleven = SpreadAt(s, 2);
    EXPECT_EQ(std::tie(all.cells, ten.cells, eleven.cells), std::make_tuple(12, 10, 11));
    EXPECT_FLOAT_EQ(all.min, 3.6f);
    EXPECT_FLOAT_EQ(all.mean, 3.6055f);
    EXPECT_NEAR(all.spread, 0.011f, 1e-6);
    EXPECT_FLOAT_EQ(ten.max, 3.609f);
    EXPECT_FLOAT_EQ(eleven.min, 3.601f);
    for (std::size_t row : {3u, 4u}) EXPECT_EQ(SpreadAt(s, row).cells, 0);
    const std::vector<float> trace = CellTrace(s, 0);
    for (std::size_t row : {2u, 3u, 4u}) EXPECT_TRUE(std::isnan(trace[row])) << row;
    EXPECT_TRUE(std::isnan(CellTrace(s, 11)[1]));

    // Extending row by row while a file grows gives the same series as at once.
    BoardSeries growing;
    SpreadSeries piecewise, whole;
    for (std::size_t row = 0; row < s.size(); ++row) {
        growing.append(s.record(row));
        ExtendSpreadSeries(growing, piecewise);
    }
    ExtendSpreadSeries(s, whole);
    ASSERT_EQ(piecewise.size(), 5u);
    for (std::size_t row = 0; row < 3; ++row) EXPECT_EQ(piecewise.mean[row], whole.mean[row]);
    EXPECT_TRUE(std::isnan(piecewise.max[4]));

    // The imbalance at t = 1.5: board 1's row 1, board 2's ten cells, board 3 not yet.
    std::vector<BoardSeries> boards(3);
    boards[0] = s;
    boards[1].append(Row(2, 1.0, 3.6f));
    boards[1].append(Row(2, 2.0, 3.9f));
    boards[2].append(Row(3, 5.0, 3.0f));
    EXPECT_FALSE(RowAtOrBefore(boards[1], 0.9));
    EXPECT_EQ(RowAtOrBefore(boards[1], 1.999), 0u);
    const ImbalanceMap map = ImbalanceAt(boards, 1.5);
    EXPECT_EQ(map.cells, 22);
    EXPECT_FALSE(map.rows[2]);
    const double mean = (10 * 3.6 + 0.045 + 12 * 3.6 + 0.066) / 22;
    EXPECT_NEAR(map.stackMean, mean, 1e-6);
    EXPECT_NEAR(map.deviation[1][11], 3.611 - mean, 1e-6);
    EXPECT_NEAR(map.largest, 3.611 - mean, 1e-6);
    EXPECT_TRUE(std::isnan(map.deviation[0][10]));
    EXPECT_TRUE(std::isnan(map.deviation[2][0]));
    EXPECT_EQ(DeviationColour(0.0f, 0.01f), 0xFFFFFFu);
    EXPECT_EQ(DeviationColour(-0.05f, 0.01f), 0x285ADCu); // beyond full scale stays full
    EXPECT_EQ(DeviationColour(NAN, 0.01f), kNotCountedColour);
    ImbalanceMap balanced = map;
    balanced.largest = 0.001f;
    EXPECT_FLOAT_EQ(DeviationScale(balanced), 0.005f);
}

TEST(TrendStats, DecimationKeepsEveryBucketsExtremesWithinTheRangeAndThePointBudget)
{
    std::vector<double> t(100000);
    std::vector<float> v(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i] = static_cast<double>(i) * 0.5;
        v[i] = 3.6f + 0.01f * std::sin(static_cast<float>(i) * 0.001f);
    }
    v[31337] = 4.5f; // one-sample spike up
    v[77777] = 2.0f; // and down
    v[5000] = NAN;
    const auto points = DecimateMinMax(t, v, 0, t.back(), 400);
    EXPECT_TRUE(points.size() <= 400u && points.size() >= 300u) << points.size();
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(), [](auto a, auto b) { return a.t < b.t; }));
    for (const auto& [time, value] : {std::pair{t[31337], 4.5f}, {t[77777], 2.0f}})
        EXPECT_TRUE(std::any_of(points.begin(), points.end(), [&](auto p) { return p.t == time && p.v == value; }));
    EXPECT_TRUE(std::none_of(points.begin(), points.end(), [](auto p) { return std::isnan(p.v); }));

    const auto window = DecimateMinMax(t, v, 1000.0, 1100.0, 400); // 201 samples: all of them
    ASSERT_EQ(window.size(), 201u);
    EXPECT_EQ(window.front().t, 1000.0);
    EXPECT_TRUE(DecimateMinMax(t, v, 1e9, 2e9, 400).empty());
    EXPECT_EQ(DecimateMinMax(t, v, 0, t.back(), 1).at(0).v, 4.5f);
    EXPECT_EQ(TimeUnitFor(43200).name, "h");
    EXPECT_EQ(DurationText(0.94), "0.9 s");
    EXPECT_EQ(DurationText(723.5), "12 min 3 s");
    EXPECT_EQ(DurationText(11545), "3 h 12 min");
}
