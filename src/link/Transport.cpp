#include "link/Transport.h"

#include <algorithm>

#include "link/HexText.h"

namespace qm::link {

std::string TransactWithReply(Device& device, std::string_view command, std::int16_t replyLength)
{
    std::string buffer(kReplyBufferSize, '\0');
    const auto want = static_cast<std::size_t>(
        std::clamp<int>(replyLength, 0, static_cast<int>(kReplyBufferSize)));
    device.open(kDeviceIndex);
    device.setTimeouts(kChipReadTimeoutMs, kChipWriteTimeoutMs);
    device.write(command);
    const std::size_t got = device.read(buffer.data(), want);
    (void)got; // bytes that did not arrive stay NUL and read as 0
    device.close();
    return buffer;
}

std::int32_t TransactWriteOnly(Device& device, std::string_view command)
{
    device.open(kDeviceIndex);
    device.setTimeouts(kChipReadTimeoutMs, kChipWriteTimeoutMs);
    device.write(command);
    return device.close();
}

void SendStandbyLines(Device& device) { TransactWriteOnly(device, "MI"); }

void ClosePollFrame(Device& device) { TransactWriteOnly(device, "MSX"); }

std::string_view ReplyChars(std::string_view reply, int pos, int count)
{
    static constexpr char kNuls[8] = {};
    if (pos < 1 || count < 0 || count > 8) return {kNuls, 0};
    const auto start = static_cast<std::size_t>(pos - 1);
    if (start + static_cast<std::size_t>(count) > reply.size()) return {kNuls, static_cast<std::size_t>(count)};
    return reply.substr(start, static_cast<std::size_t>(count));
}

std::uint8_t ReplyByteAt(std::string_view reply, int pos)
{
    return ByteFromText(ReplyChars(reply, pos, 2));
}

} // namespace qm::link
