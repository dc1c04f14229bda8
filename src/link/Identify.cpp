#include "link/Identify.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace qm::link {

namespace {
constexpr std::string_view kVariant1 = "QM7410-1";
constexpr std::string_view kVariant3 = "QM7410-3";
static_assert(kVariant1.size() == kVariant3.size());
static_assert(kVariant1.size() == kIdentifiedLength);

// Reads the identification reply into buffer (at most kIdentifyReadCount
// characters) and returns the count.
std::size_t ReadIdentificationReply(Device& device, char* buffer)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kIdentifyReadTimeoutMs);
    std::size_t got = 0;
    while (got < kIdentifyReadCount) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        const int wait = got >= kIdentifiedLength ? std::min<int>(kIdentifyQuietMs, static_cast<int>(left))
                                                  : static_cast<int>(left);
        const std::size_t n = device.readAvailable(buffer + got, kIdentifyReadCount - got, wait);
        if (n == 0) break;
        const bool lineEnd = std::memchr(buffer + got, '\n', n) != nullptr;
        got += n;
        if (lineEnd) break;
    }
    return got;
}
} // namespace

Identification IdentifyController(Device& device)
{
    char buffer[kIdentifyBufferSize] = {};
    device.open(0);
    device.setTimeouts(kIdentifyReadTimeoutMs, kIdentifyWriteTimeoutMs);
    device.write("IZ");
    ReadIdentificationReply(device, buffer);
    device.close();

    const std::string_view leading(buffer, kVariant1.size());
    Identification id;
    id.text.assign(leading.data(), strnlen(leading.data(), leading.size()));
    id.recognised = (leading == kVariant1 || leading == kVariant3) ? std::int16_t{-1} : std::int16_t{0};
    return id;
}

} // namespace qm::link
