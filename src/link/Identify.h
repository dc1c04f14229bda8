#pragma once
// Identification of the controller board: "IZ" is answered with a text that
// names the chip variant of the chain. Only "QM7410-1" and "QM7410-3" are
// recognised, compared exactly and case-sensitively.
#include <cstdint>
#include <string>

#include "link/Device.h"

namespace qm::link {

constexpr int kIdentifyReadTimeoutMs = 200;
constexpr int kIdentifyWriteTimeoutMs = 50;
constexpr std::size_t kIdentifyBufferSize = 128;
constexpr std::size_t kIdentifyReadCount = 50;
constexpr const char* kIdentificationBeforeFirst = "QM741X-X";

struct Identification {
    // The leading characters of the reply, as many as a known text has; cut at
    // the first NUL so that a silent board shows an empty label.
    std::string text;
    // -1 when the text names a supported variant, 0 otherwise.
    std::int16_t recognised = 0;
};

Identification IdentifyController(Device& device);

} // namespace qm::link
