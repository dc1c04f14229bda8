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
// The identification compares this many leading characters.
constexpr std::size_t kIdentifiedLength = 8;
// Once those have arrived, this much silence ends the reply early.
constexpr int kIdentifyQuietMs = 5;

struct Identification {
    // The leading characters of the reply, as many as a known text has; cut at
    // the first NUL so that a silent board shows an empty label.
    std::string text;
    // -1 when the text names a supported variant, 0 otherwise.
    std::int16_t recognised = 0;
};

// "IZ" with the identification's own time-outs, then reads up to 50 characters
// within 200 ms. The read ends early once the reply is complete: at its line
// end (LF), or when the compared characters have arrived and the board has been
// quiet for kIdentifyQuietMs. A silent board still gets the whole 200 ms.
Identification IdentifyController(Device& device);

} // namespace qm::link
