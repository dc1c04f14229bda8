#include "link/HexText.h"

namespace qm::link {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
} // namespace

std::string ByteText(std::uint8_t value)
{
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string HexNoPad(unsigned value)
{
    std::string s;
    do {
        s.insert(s.begin(), kDigits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    return s;
}

std::string CodeText(unsigned code12)
{
    return {kDigits[(code12 >> 8) & 0x0F], kDigits[(code12 >> 4) & 0x0F], kDigits[code12 & 0x0F]};
}

unsigned HexPrefixValue(std::string_view text, std::size_t maxDigits)
{
    unsigned value = 0;
    for (std::size_t i = 0; i < text.size() && i < maxDigits; ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0) break;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return value;
}

} // namespace qm::link
