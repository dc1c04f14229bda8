#pragma once
// The five operations the tool performs on the XU250B controller board.
//
// Every transaction opens the board, sets the two time-outs, writes one
// command text, optionally reads, and closes it again. Status results are
// returned for completeness; the transactions never act on them, because a
// failed open or write simply leaves the reply buffer untouched (zero bytes),
// which the PEC checks then report.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm::link {

class Device {
public:
    virtual ~Device() = default;

    // Opens the controller at the given enumeration index (the tool always uses 0).
    // Returns true on success.
    virtual bool open(int index) = 0;
    // Read time-out first, then write time-out, in milliseconds.
    virtual void setTimeouts(int readMs, int writeMs) = 0;
    // Writes the bytes of a command text; returns the count actually written.
    virtual std::size_t write(std::string_view bytes) = 0;
    // Reads up to n bytes into buf, blocking until n bytes arrived or the read
    // time-out expired; returns the count read (0 when nothing came).
    virtual std::size_t read(char* buf, std::size_t n) = 0;
    // Reads what has arrived, up to n bytes: returns as soon as at least one
    // byte is there, or with 0 once waitMs passed without one. Used where a
    // reply of unknown length ends early (the identification line). A device
    // that cannot tell falls back on read() with its read time-out.
    virtual std::size_t readAvailable(char* buf, std::size_t n, int waitMs)
    {
        (void)waitMs;
        return read(buf, n);
    }
    // Closes the device; returns a status (0 = ok).
    virtual std::int32_t close() = 0;
};

} // namespace qm::link
