#include "protocol/Pec.h"

#include "protocol/ByteText.h"

namespace qm::protocol {

namespace {
constexpr std::array<std::uint8_t, 256> BuildTable()
{
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        std::uint8_t crc = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : (crc << 1));
        t[static_cast<std::size_t>(i)] = crc;
    }
    return t;
}
constexpr std::array<std::uint8_t, 256> kTable = BuildTable();
static_assert(kTable[1] == 0x07 && kTable[2] == 0x0E && kTable[255] == 0xF3);
} // namespace

const std::array<std::uint8_t, 256>& PecTable() { return kTable; }

std::uint8_t PecOfBytes(std::span<const std::uint8_t> bytes)
{
    std::uint8_t p = 0x41;
    for (std::uint8_t d : bytes)
        p = kTable[static_cast<std::uint8_t>(p ^ d)];
    return p;
}

std::string CommandPec(std::string_view commandByteText)
{
    const std::uint8_t cmd = ByteFromText(commandByteText);
    return ByteText(PecOfBytes(std::span<const std::uint8_t>(&cmd, 1)));
}

} // namespace qm::protocol
