#include "link/Identify.h"

#include <cstring>

namespace qm::link {

namespace {
constexpr std::string_view kVariant1 = "QM7410-1";
constexpr std::string_view kVariant3 = "QM7410-3";
static_assert(kVariant1.size() == kVariant3.size());
} // namespace

Identification IdentifyController(Device& device)
{
    char buffer[kIdentifyBufferSize] = {};
    device.open(0);
    device.setTimeouts(kIdentifyReadTimeoutMs, kIdentifyWriteTimeoutMs);
    device.write("IZ");
    device.read(buffer, kIdentifyReadCount);
    device.close();

    const std::string_view leading(buffer, kVariant1.size());
    Identification id;
    id.text.assign(leading.data(), strnlen(leading.data(), leading.size()));
    id.recognised = (leading == kVariant1 || leading == kVariant3) ? std::int16_t{-1} : std::int16_t{0};
    return id;
}

} // namespace qm::link
