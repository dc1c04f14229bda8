#pragma once
// Records and files for the record tests.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datalog/CsvWriter.h"

namespace qm::test {

// A fresh folder per test, removed afterwards.
struct TempDir {
    inline static int count = 0;
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("qm-datalog-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
    TempDir() { std::filesystem::create_directories(path); }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

inline datalog::RecordHeader Header(std::vector<int> boards = {1, 2})
{
    datalog::RecordHeader h;
    h.program = "qm7410-gui 0.1.0";
    h.started = datalog::UtcTime{std::chrono::milliseconds{1796652201300}}; // 2026-12-07T14:03:21.300Z
    h.boardCount = boards.empty() ? 1 : boards.back();
    h.device = "simulated: boards=3,thsd=1";
    h.intervalSeconds = 0.3;
    for (int b : boards) {
        datalog::BoardSetup s;
        s.board = b;
        s.config = {"E1", "00", "0A", "F0", "71", "AB"};
        s.vuvVolts = 2.208f;
        s.vovVolts = 4.32f;
        h.boards.push_back(s);
    }
    return h;
}

// Board b at pass p: every cell valid and in range near 3.6 V, cell c a
// little above the one before it.
inline datalog::PassRecord Record(int board, int pass)
{
    datalog::PassRecord r;
    r.utc = Header().started + std::chrono::milliseconds{300 * pass};
    r.sinceStartSeconds = 300.0 * pass / 1000.0; // whole milliseconds, as recorded
    r.board = board;
    for (int c = 0; c < 12; ++c) {
        r.cellVolts[static_cast<std::size_t>(c)] = 3.6f + 0.0015f * static_cast<float>(c + board);
        r.cellStatus[static_cast<std::size_t>(c)] = 8;
    }
    r.temperatureVolts = {1.5f, 1.4985f, -0.768f};
    r.flags = {0, 0x55, 0xFF};
    r.cellsValid = r.temperaturesValid = r.flagsValid = r.measuring = true;
    r.link.pecFailures = {0, static_cast<std::uint32_t>(pass), 0, 1, 0};
    r.link.sinceGoodReadSeconds = 0.1;
    return r;
}

inline std::string FileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace qm::test
