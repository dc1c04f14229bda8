#pragma once
// The controller board over USB through libftdi1.
//
// Device index 0 is the first device with FTDI's vendor id 0x0403 that the bus
// enumerates, whatever its product id. Opening a USB device resets the chip and
// costs milliseconds, so the handle is kept between transactions: open() only
// (re)claims it when none is held, and every open() flushes the receive side so
// that each transaction starts as a fresh open would. Any failed transfer drops
// the handle, so the next open starts afresh (an unplugged board then fails to
// open and reads nothing, which the identification notices). Closing drains
// the answer characters a transaction was owed but did not read, so a late
// answer never lands in the next transaction.
#include <memory>

#include "link/Device.h"

struct ftdi_context;

namespace qm::link {

class FtdiDevice : public Device {
public:
    FtdiDevice();
    ~FtdiDevice() override;
    FtdiDevice(const FtdiDevice&) = delete;
    FtdiDevice& operator=(const FtdiDevice&) = delete;

    bool open(int index) override;
    void setTimeouts(int readMs, int writeMs) override;
    std::size_t write(std::string_view bytes) override;
    std::size_t read(char* buf, std::size_t n) override;
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override;
    std::int32_t close() override;

private:
    void dropHandle();
    // Reads until n bytes arrived or timeoutMs passed; with firstChunkOnly, as
    // soon as some bytes arrived.
    std::size_t readFor(char* buf, std::size_t n, int timeoutMs, bool firstChunkOnly = false);

    ftdi_context* ctx_ = nullptr;
    bool held_ = false;   // a USB handle is claimed
    bool inUse_ = false;  // between open() and close() of one transaction
    int readTimeoutMs_ = 1000;
    std::size_t owed_ = 0; // answer characters written for but not yet read
};

} // namespace qm::link
