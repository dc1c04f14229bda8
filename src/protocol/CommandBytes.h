#pragma once
// Command bytes of the monitor chips as the tool sends them, with mnemonics.
// The PEC of a command is never stored: CommandPec computes it.
#include <cstdint>
#include <string>
#include <string_view>

namespace qm::protocol {

namespace cmd {
inline constexpr std::string_view WRCFG = "01";
inline constexpr std::string_view RDCFG = "02";
inline constexpr std::string_view RDCV = "04";
inline constexpr std::string_view RDCVA = "06";
inline constexpr std::string_view RDCVB = "08";
inline constexpr std::string_view RDCVC = "0A";
inline constexpr std::string_view RDFLG = "0C";
inline constexpr std::string_view RDTMP = "0E";
inline constexpr std::string_view PLADC = "40";
inline constexpr std::string_view PLINT = "50";
inline constexpr std::string_view DAGN = "52";
inline constexpr std::string_view RDDGNR = "54";
} // namespace cmd

// High digit of the start commands; the caller appends a selector digit
// ("0" all, "1".."C" one cell, "1".."3" one temperature input, "D" clear,
// "E" self test 1, "F" self test 2).
enum class CellStartKind : std::int16_t { STCVAD = 0, STOWAD = 1, STCVDC = 2, STOWDC = 3 };

char CellStartDigit(CellStartKind kind);        // '1', '2', '6', '7'
std::string_view CellStartMnemonic(CellStartKind kind);
inline constexpr char kTemperatureStartDigit = '3'; // STTMPAD

// Selector text for the single cell c (1..12): "1".."C"; for all cells "0".
std::string CellSelector(int cell);

} // namespace qm::protocol
