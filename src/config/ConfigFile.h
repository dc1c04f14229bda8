#pragma once
// The stack's configuration as a file: per board the six registers
// CFGR0..CFGR5 and the same settings in human terms (threshold volts, CDC,
// 10-cell mode, the other CFGR0 bits, discharge and mask cells). The format
// is described in docs/configuration-file.md.
//
// Writing gives both forms. Reading takes the registers, the human fields,
// or both (which must then agree), and refuses anything else with the line
// and the field at fault. No function here throws.
//
//   const auto read = qm::config::ReadConfigFile("stack.json");
//   if (!read.configuration) std::cerr << qm::config::DescribeConfigFileError(read.error) << '\n';
//   else for (std::size_t b = 0; b < read.configuration->boards.size(); ++b)
//       images.pending[b] = read.configuration->boards[b];
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigModel.h"
#include "protocol/RegisterImages.h"

namespace qm::config {

inline constexpr std::string_view kConfigFileFormat = "qm7410-configuration";
inline constexpr int kConfigFileVersion = 1;
// Larger files are refused unread: ten boards take about 5 KB.
inline constexpr std::uintmax_t kConfigFileMaxBytes = 1 << 20;

// The registers of 1..10 boards, board 1 of the window (index 0, nearest the
// controller) first; each register two upper-case hex digits.
struct StackConfiguration {
    std::vector<protocol::ConfigRegisters> boards;

    int boardCount() const { return static_cast<int>(boards.size()); }
    friend bool operator==(const StackConfiguration&, const StackConfiguration&) = default;
};

struct ConfigFileError {
    int line = 0;        // 1-based line of the file; 0 when no line applies
    std::string field;   // e.g. "boards[1].vuvVolts"; empty when no field applies
    std::string message; // what is wrong, in plain words
};

struct ConfigFileRead {
    std::optional<StackConfiguration> configuration; // set when the file was accepted
    ConfigFileError error;                           // why it was refused otherwise
};

struct ConfigFileWrite {
    std::optional<std::string> text; // the file's text, ending with a line end
    ConfigFileError error;           // why the configuration cannot be saved (line 0)
};

// CFGR0 bits that the file names, besides CDC (bits 2..0).
struct NamedBit {
    std::string_view key;
    int bit;
};
inline constexpr std::array<NamedBit, 5> kCfgr0Bits = {
    {{"tenCells", kTenCellsBit}, {"wdtb", 7}, {"gpio2", 6}, {"gpio1", 5}, {"lvlpl", 4}}};

// Per-cell lists and where their bits live (register CFGR1..CFGR3, bit).
struct CellList {
    std::string_view key;
    std::optional<BoxRef> (*box)(int cell);
};
inline const std::array<CellList, 2> kCellLists = {
    {{"dischargeCells", DischargeBoxOf}, {"maskedCells", MaskBoxOf}}};

// The human fields of a board, as the file names them: thresholds in volts
// (to the millivolt), CDC, the bits of kCfgr0Bits and the cells of each list
// of kCellLists (ascending), in the order of those tables.
struct Settings {
    double vuvVolts = 0;
    double vovVolts = 0;
    int cdc = 0;
    std::array<bool, kCfgr0Bits.size()> bits{};
    std::array<std::vector<int>, kCellLists.size()> cells{};
};

// The human fields of a board's registers.
Settings Decode(const protocol::ConfigRegisters& regs);

// Reads a configuration from the file's text.
ConfigFileRead ReadConfigText(std::string_view text);
// Reads a configuration file; a file that cannot be read is refused with
// line 0 and the reason.
ConfigFileRead ReadConfigFile(const std::filesystem::path& path);

// The file's text of a configuration. Refused (error set, no text) when the
// configuration could not be read back: no boards or more than 10, a register
// that is not two hex digits, or a VUV code above the VOV code.
ConfigFileWrite WriteConfigText(const StackConfiguration& configuration);

// "line 7: boards[1].vuvVolts: ..." (line and field left out when absent).
std::string DescribeConfigFileError(const ConfigFileError& error);

} // namespace qm::config
