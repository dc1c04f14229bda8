#pragma once
// The controller board reached through a tty: the kernel's FTDI serial driver
// (/dev/ttyUSBn) or a pseudo-terminal such as the one qm7410-sim serves.
//
// Every transaction opens the tty, puts it in raw mode and flushes its input,
// so bytes a board sent late or in excess are never taken as the start of the
// next reply, and closing drains the answer characters a transaction was owed
// but did not read (the "T" answer of the configuration write). Reads wait with
// poll() until the count has arrived or the read time-out has passed.
#include <string>

#include "link/Device.h"

namespace qm::link {

class SerialDevice : public Device {
public:
    // path: the tty; baud: line speed for a real serial port (ignored by ptys).
    explicit SerialDevice(std::string path, int baud = 9600);
    ~SerialDevice() override;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    bool open(int index) override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override;
    std::int32_t close() override;

    const std::string& path() const { return path_; }

private:
    // Reads until n bytes arrived or timeoutMs passed; with firstChunkOnly, as
    // soon as some bytes arrived.
    std::size_t readFor(char* buf, std::size_t n, int timeoutMs, bool firstChunkOnly = false);

    std::string path_;
    int baud_;
    int fd_ = -1;
    int readTimeoutMs_ = 1000;
    int writeTimeoutMs_ = 1000;
    std::size_t owed_ = 0; // answer characters written for but not yet read
};

} // namespace qm::link
