#pragma once
// Hex texts of the command language and its replies. A byte travels as two
// upper-case hex digits ("E0", "0C"). Reading a text back stops at the first
// character that is not a hex digit; a text without a leading hex digit reads
// as 0.
#include <cstdint>
#include <string>
#include <string_view>

namespace qm::link {

// Two upper-case hex digits, leading "0" below 16.
std::string ByteText(std::uint8_t value);
// Upper-case hex without leading zeros ("E" for 0x0E, "0" for 0).
std::string HexNoPad(unsigned value);
// Three upper-case hex digits of a 12-bit code ("555").
std::string CodeText(unsigned code12);

// Value of the hex-digit prefix of text (upper or lower case); 0 when the text
// does not start with a hex digit. Only the first maxDigits characters count.
unsigned HexPrefixValue(std::string_view text, std::size_t maxDigits = 8);

// A byte text (at most two characters) read as a byte.
inline std::uint8_t ByteFromText(std::string_view text)
{
    return static_cast<std::uint8_t>(HexPrefixValue(text, 2));
}

// Whether a text is a byte text in full: exactly two hex digits, either case.
inline bool IsByteText(std::string_view text)
{
    auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
    return text.size() == 2 && hex(text[0]) && hex(text[1]);
}

} // namespace qm::link
