#include "sim/Scenario.h"

#include <charconv>
#include <cmath>
#include <set>
#include <utility>

namespace qm::sim {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

template <typename T>
std::optional<T> WholeNumber(std::string_view s)
{
    T v{};
    const auto* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, v);
    if (s.empty() || r.ec != std::errc{} || r.ptr != end) return std::nullopt;
    return v;
}

std::optional<double> RealNumber(std::string_view s)
{
    double v = 0.0;
    const auto* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, v, std::chars_format::fixed);
    if (s.empty() || r.ec != std::errc{} || r.ptr != end || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string Bad(std::string_view key, std::string_view value, std::string_view expected)
{
    return "scenario key " + Quoted(key) + ": " + Quoted(value) + " is not " + std::string(expected);
}

// "board:second" split at the colon.
bool SplitPair(std::string_view value, std::string_view& first, std::string_view& second)
{
    const auto colon = value.find(':');
    if (colon == std::string_view::npos) return false;
    first = Trim(value.substr(0, colon));
    second = Trim(value.substr(colon + 1));
    return true;
}

std::optional<std::string> VariantText(std::string_view value)
{
    if (value == "1") return std::string("QM7410-1");
    if (value == "3") return std::string("QM7410-3");
    // Any other text that starts with a letter is answered as it stands, so an
    // unsupported board can be tried (e.g. variant=QM7411-1).
    if (value.empty() || value.size() > 40) return std::nullopt;
    const char c0 = value.front();
    if (!((c0 >= 'A' && c0 <= 'Z') || (c0 >= 'a' && c0 <= 'z'))) return std::nullopt;
    for (char c : value)
        if (c < 0x21 || c > 0x7E) return std::nullopt;
    return std::string(value);
}

std::string CheckBoard(std::string_view key, int board, int boards)
{
    if (board < 0 || board >= boards)
        return "scenario key " + Quoted(key) + ": board " + std::to_string(board) + " is beyond the chain of " +
               std::to_string(boards) + (boards == 1 ? " board" : " boards") + " (boards are numbered from 0)";
    return {};
}

std::string CheckCell(std::string_view key, int cell)
{
    if (cell < 1 || cell > kChipCells)
        return "scenario key " + Quoted(key) + ": cell " + std::to_string(cell) + " is not a cell from 1 to 12";
    return {};
}

// The board:cell fault keys and the lists they fill, in the order they are
// checked.
struct CellFaultKey {
    std::string_view key;
    std::vector<BoardCell> Scenario::*list;
};
constexpr CellFaultKey kCellFaultKeys[] = {
    {"openwire", &Scenario::openWires},
    {"selftest-fault", &Scenario::selfTestFaults},
    {"dcc-open", &Scenario::dischargeOpen},
    {"dcc-swap", &Scenario::dischargeSwapped},
};

// The list a board:cell fault key fills; nullptr for the other keys.
std::vector<BoardCell>* CellList(std::string_view key, Scenario& s)
{
    for (const auto& k : kCellFaultKeys)
        if (key == k.key) return &(s.*k.list);
    return nullptr;
}

// Parses one key=value item into the scenario; returns an error text or "".
std::string ApplyItem(std::string_view key, std::string_view value, Scenario& s)
{
    std::string_view a, b;
    if (key == "boards") {
        const auto v = WholeNumber<int>(value);
        if (!v || *v < 1 || *v > kMaxChainBoards) return Bad(key, value, "a board count from 1 to 10");
        s.boards = *v;
    } else if (key == "variant") {
        const auto v = VariantText(value);
        if (!v) return Bad(key, value, "1, 3 or an identification text starting with a letter");
        s.identification = *v;
    } else if (key == "seed") {
        const auto v = WholeNumber<std::uint64_t>(value);
        if (!v) return Bad(key, value, "a whole number of 0 or more");
        s.seed = *v;
    } else if (key == "thsd" || key == "mux-fail") {
        const auto v = WholeNumber<int>(value);
        if (!v || *v < 0) return Bad(key, value, "a board number");
        (key == "thsd" ? s.thermalShutdown : s.muxFail).push_back(*v);
    } else if (auto* cells = CellList(key, s)) {
        if (!SplitPair(value, a, b)) return Bad(key, value, "board:cell");
        const auto board = WholeNumber<int>(a);
        const auto cell = WholeNumber<int>(b);
        if (!board || !cell || *board < 0) return Bad(key, value, "board:cell");
        cells->push_back({*board, *cell});
    } else if (key == "pec-errors") {
        if (!SplitPair(value, a, b)) return Bad(key, value, "board:probability");
        const auto board = WholeNumber<int>(a);
        const auto p = RealNumber(b);
        if (!board || *board < 0 || !p) return Bad(key, value, "board:probability");
        if (*p < 0.0 || *p > 1.0) return Bad(key, b, "a probability from 0 to 1");
        s.pecErrors.push_back({*board, *p});
    } else if (key == "unplug-after") {
        const auto v = RealNumber(value);
        if (!v || *v < 0.0 || *v > 1.0e9) return Bad(key, value, "a number of seconds of 0 or more");
        s.unplugAfterSeconds = *v;
    } else {
        return "unknown scenario key " + Quoted(key) +
               " (known: boards, variant, seed, thsd, openwire, pec-errors, mux-fail, unplug-after, selftest-fault, "
               "dcc-open, dcc-swap)";
    }
    return {};
}

} // namespace

ScenarioResult ParseScenario(std::string_view text)
{
    static const std::set<std::string_view> kOnce = {"boards", "variant", "seed", "unplug-after"};
    static const std::set<std::string_view> kKeys = [] {
        std::set<std::string_view> keys = {"boards",     "variant",  "seed",        "thsd",
                                           "pec-errors", "mux-fail", "unplug-after"};
        for (const auto& k : kCellFaultKeys) keys.insert(k.key);
        return keys;
    }();
    Scenario s;
    std::set<std::string_view> seen;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = Trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (item.empty()) continue;
        const auto eq = item.find('=');
        const std::string_view key = Trim(item.substr(0, eq));
        if (eq == std::string_view::npos) {
            if (kKeys.count(key))
                return {std::nullopt, "scenario key " + Quoted(key) + " needs a value (" + std::string(key) + "=...)"};
            return {std::nullopt, ApplyItem(key, {}, s)};
        }
        const std::string_view value = Trim(item.substr(eq + 1));
        if (kOnce.count(key) && !seen.emplace(key).second)
            return {std::nullopt, "scenario key " + Quoted(key) + " is given more than once"};
        if (auto error = ApplyItem(key, value, s); !error.empty()) return {std::nullopt, error};
    }
    if (auto error = ValidateScenario(s); !error.empty()) return {std::nullopt, error};
    return {s, {}};
}

std::string ValidateScenario(const Scenario& s)
{
    if (s.boards < 1 || s.boards > kMaxChainBoards)
        return Bad("boards", std::to_string(s.boards), "a board count from 1 to 10");
    for (int b : s.thermalShutdown)
        if (auto e = CheckBoard("thsd", b, s.boards); !e.empty()) return e;
    for (int b : s.muxFail)
        if (auto e = CheckBoard("mux-fail", b, s.boards); !e.empty()) return e;
    for (const auto& [key, list] : kCellFaultKeys) {
        for (const auto& f : s.*list) {
            if (auto e = CheckBoard(key, f.board, s.boards); !e.empty()) return e;
            if (auto e = CheckCell(key, f.cell); !e.empty()) return e;
        }
    }
    for (const auto& f : s.pecErrors) {
        if (auto e = CheckBoard("pec-errors", f.board, s.boards); !e.empty()) return e;
        if (!(f.probability >= 0.0 && f.probability <= 1.0))
            return Bad("pec-errors", std::to_string(f.probability), "a probability from 0 to 1");
    }
    if (s.unplugAfterSeconds && !(*s.unplugAfterSeconds >= 0.0 && *s.unplugAfterSeconds <= 1.0e9))
        return Bad("unplug-after", std::to_string(*s.unplugAfterSeconds), "a number of seconds of 0 or more");
    return {};
}

std::string ScenarioHelp()
{
    return "A scenario is a comma-separated list of keys, every key optional, e.g.\n"
           "  boards=4,variant=3,seed=7,thsd=2,openwire=1:5,pec-errors=3:0.05,mux-fail=2,unplug-after=30\n"
           "Boards are numbered 0 (nearest the controller) to boards-1; cells 1 to 12.\n"
           "  boards=N              chips in the chain, 1 to 10 (default 4)\n"
           "  variant=1|3|TEXT      identification: QM7410-1 (default), QM7410-3, or TEXT as it stands\n"
           "  seed=N                seed of the cell spread and the measurement noise (default 1)\n"
           "  thsd=B                board B is in thermal shutdown (its DCC bits are cleared)\n"
           "  openwire=B:C          cell C of board B has an open wire (reads near 0 V on open-wire conversions)\n"
           "  pec-errors=B:P        board B sends a wrong PEC with probability P (0 to 1) per read\n"
           "  mux-fail=B            board B fails the multiplexer check of DAGN\n"
           "  unplug-after=S        the controller board is unplugged S seconds after start\n"
           "  selftest-fault=B:C    cell C of board B answers self tests with a wrong code (pattern XOR 0x001)\n"
           "  dcc-open=B:C          cell C of board B has an open discharge path: its DCC bit draws no current\n"
           "  dcc-swap=B:C          cell C of board B has its discharge path on the neighbour's sense pair:\n"
           "                        its DCC bit makes cell C+1 drop instead (cell 11 for cell 12)\n"
           "thsd, openwire, pec-errors, mux-fail, selftest-fault, dcc-open and dcc-swap may be given more than once.\n";
}

} // namespace qm::sim
