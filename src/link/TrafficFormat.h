#pragma once
// The traffic recording: every transaction with the controller board, one JSON
// object per line (JSON lines), so that a misbehaving stack can be reported as
// the exact bytes it exchanged and replayed later without the hardware.
//
// Line 1 is the header:
//   {"format":"qm7410-traffic","version":1,"program":"qm7410-gui","programVersion":"0.1.0",
//    "device":"simulate","started":"2026-12-07T10:15:30Z","scenario":"boards=4"}
// ("scenario" only when the board is simulated). Then one line per transaction:
//   {"seq":1,"t":0.000041,"open":{"index":0,"ok":true},"ops":[
//     {"op":"timeouts","read":200,"write":50},{"op":"write","text":"IZ","count":2},
//     {"op":"readAvailable","n":50,"wait":200,"got":"QM7410-1, XU250B USB-SPI controller\r\n","t":0.000057}],
//    "close":0}
//   seq    1, 2, 3 ... in file order
//   t      seconds since the recording started (steady clock, microseconds) at the
//          transaction's first operation; a read's "t" is when it returned
//   open   the device index asked for and whether it opened; absent when the
//          operations came without an open
//   ops    time-outs (read ms, write ms), writes (command text and the count the
//          device took), reads ("n" characters asked for, "got" what came) and
//          readAvailable (also "wait" ms), in the order they happened
//   close  the close status; absent when the program never closed it
//
// Bytes in "text" and "got": each byte is the character whose code point has
// the same value (0x00..0xFF). The recorder writes pure ASCII: printable
// characters as they are, \" \\ \n \r \t, every other byte as \u00XX. A reader
// accepts any JSON spelling of the same characters; one beyond U+00FF is an error.
// Keys a reader does not know are ignored.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::link {

inline constexpr std::string_view kTrafficFormat = "qm7410-traffic";
inline constexpr int kTrafficVersion = 1;

struct TrafficHeader {
    std::string program;                  // "qm7410-gui", "qm7410-cli"
    std::string programVersion;           // "0.1.0"
    std::string device;                   // "ftdi", "serial:/dev/ttyUSB0", "simulate"
    std::string started;                  // ISO-8601 UTC; the recorder fills it in when empty
    std::optional<std::string> scenario;  // the simulation scenario text, when simulated
    int version = kTrafficVersion;        // the version a recording was written in

    bool operator==(const TrafficHeader&) const = default;
};

struct TrafficOperation {
    enum class Kind { Timeouts, Write, Read, ReadAvailable };
    Kind kind = Kind::Write;
    std::string bytes;       // Write: the command text; reads: the characters returned
    std::size_t count = 0;   // Write: the count the device took; reads: the count asked for
    int readMs = 0;          // Timeouts
    int writeMs = 0;         // Timeouts
    int waitMs = 0;          // ReadAvailable
    std::int64_t atUs = 0;   // reads: when the read returned, microseconds since the start

    bool isRead() const { return kind == Kind::Read || kind == Kind::ReadAvailable; }
    bool operator==(const TrafficOperation&) const = default;
};

struct TrafficOpen {
    int index = 0;
    bool ok = false;
    bool operator==(const TrafficOpen&) const = default;
};

struct TrafficTransaction {
    std::uint64_t seq = 0;
    std::int64_t startUs = 0;                 // microseconds since the start, at the first operation
    std::optional<TrafficOpen> open;          // absent: operations outside open..close
    std::vector<TrafficOperation> ops;
    std::optional<std::int32_t> closeStatus;  // absent: never closed
    std::size_t line = 0;                     // its line in the recording (set by the reader)

    bool operator==(const TrafficTransaction&) const = default;
};

struct TrafficRecording {
    TrafficHeader header;
    std::vector<TrafficTransaction> transactions;
};

// The header line, without its line end.
std::string TrafficHeaderLine(const TrafficHeader& header);
// Appends a transaction's line, without its line end ("line" is not written).
void AppendTransactionLine(std::string& out, const TrafficTransaction& transaction);
// Appends bytes as a JSON string in the scheme above, quotes included.
void AppendJsonBytes(std::string& out, std::string_view bytes);
// Microseconds as seconds with six decimals ("12.000345"); negative reads as 0.
void AppendSeconds(std::string& out, std::int64_t us);
// The current time as ISO-8601 UTC, to the second ("2026-12-07T10:15:30Z").
std::string UtcNowIso8601();

} // namespace qm::link
