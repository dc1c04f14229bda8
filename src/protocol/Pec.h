#pragma once
// Packet error code of the monitor chips: CRC-8, polynomial 0x07 (x^8+x^2+x+1),
// MSB first, no reflection, no final XOR, initial value 0x41.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qm::protocol {

// Entry i is the CRC of the single byte i with polynomial 0x07 and initial value 0.
const std::array<std::uint8_t, 256>& PecTable();

// p := 0x41; for each byte d: p := table[p XOR d].
std::uint8_t PecOfBytes(std::span<const std::uint8_t> bytes);

// PEC of one command byte given as its two-digit text ("02" -> "CE").
std::string CommandPec(std::string_view commandByteText);

} // namespace qm::protocol
