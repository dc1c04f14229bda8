#pragma once
// Reading a traffic recording (see TrafficFormat.h) back into its header and
// transactions. Nothing is thrown: a file that cannot be read, or a line that
// is not what the recorder writes, gives an error whose message names the line
// and what is wrong with it:
//   "bench.jsonl: line 7: transaction 6, operation 3 (read): "got" is missing (the characters the read returned)"
//   "bench.jsonl: line 1: not a traffic recording: "format" is "csv", expected "qm7410-traffic""
//   "bench.jsonl: line 58: the line is cut off (the recording stopped while it was being
//    written); the 57 lines before it are whole: delete this one to use them"
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "link/TrafficFormat.h"

namespace qm::link {

struct TrafficReadResult {
    std::optional<TrafficRecording> recording;  // set when the whole text was sound
    std::string error;                          // set otherwise: "NAME: line N: what is wrong"
    std::size_t errorLine = 0;                  // the line the error is about; 0 when none (unreadable file)

    explicit operator bool() const { return recording.has_value(); }
};

// Parses a recording held in memory. name starts every error message (the file's path).
TrafficReadResult ParseTraffic(std::string_view text, std::string_view name = "recording");
// Reads and parses the file at path.
TrafficReadResult ReadTrafficFile(const std::filesystem::path& path);

} // namespace qm::link
