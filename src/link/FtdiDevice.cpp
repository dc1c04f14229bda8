#include "link/FtdiDevice.h"

#include <algorithm>
#include <chrono>
#include <vector>
#include <ftdi.h>
#include <libusb.h>

#include "link/AnswerCount.h"

namespace qm::link {

namespace {
constexpr int kFtdiVendor = 0x0403;
constexpr unsigned char kLatencyMs = 2; // replies are not held back 16 ms
} // namespace

FtdiDevice::FtdiDevice() = default;

FtdiDevice::~FtdiDevice()
{
    dropHandle();
    if (ctx_) ftdi_free(ctx_);
}

void FtdiDevice::dropHandle()
{
    if (ctx_ && held_) ftdi_usb_close(ctx_);
    held_ = false;
}

bool FtdiDevice::open(int index)
{
    inUse_ = false;
    if (!ctx_) {
        ctx_ = ftdi_new();
        if (!ctx_) return false;
        ctx_->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    }
    if (!held_) {
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(ctx_->usb_ctx, &list);
        int seen = 0;
        for (ssize_t i = 0; i < count && !held_; ++i) {
            libusb_device_descriptor desc{};
            if (libusb_get_device_descriptor(list[i], &desc) != 0 || desc.idVendor != kFtdiVendor) continue;
            if (seen++ != index) continue;
            if (ftdi_usb_open_dev(ctx_, list[i]) == 0) {
                held_ = true;
                ftdi_set_latency_timer(ctx_, kLatencyMs);
            }
        }
        if (list) libusb_free_device_list(list, 1);
        if (!held_) return false;
    }
    if (ftdi_tciflush(ctx_) != 0) {
        dropHandle();
        return false;
    }
    inUse_ = true;
    owed_ = 0;
    return true;
}

void FtdiDevice::setTimeouts(int readMs, int writeMs)
{
    readTimeoutMs_ = readMs < 0 ? 0 : readMs;
    if (!ctx_) return;
    ctx_->usb_read_timeout = readTimeoutMs_;
    ctx_->usb_write_timeout = writeMs < 0 ? 0 : writeMs;
}

std::size_t FtdiDevice::write(std::string_view bytes)
{
    if (!inUse_ || bytes.empty()) return 0;
    const int w = ftdi_write_data(ctx_, reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    if (w < 0) {
        dropHandle();
        inUse_ = false;
        return 0;
    }
    owed_ += AnsweredCharacters(bytes.substr(0, static_cast<std::size_t>(w)));
    return static_cast<std::size_t>(w);
}

std::size_t FtdiDevice::read(char* buf, std::size_t n)
{
    const std::size_t got = readFor(buf, n, readTimeoutMs_);
    owed_ -= std::min(owed_, got);
    return got;
}

std::size_t FtdiDevice::readAvailable(char* buf, std::size_t n, int waitMs)
{
    const std::size_t got = readFor(buf, n, waitMs < 0 ? 0 : waitMs, true);
    owed_ -= std::min(owed_, got);
    return got;
}

std::size_t FtdiDevice::readFor(char* buf, std::size_t n, int timeoutMs, bool firstChunkOnly)
{
    if (!inUse_ || n == 0) return 0;
    // ftdi_read_data returns after one latency period with what has arrived, so
    // loop until the count is complete or the time-out has passed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t got = 0;
    while (got < n) {
        const int r = ftdi_read_data(ctx_, reinterpret_cast<unsigned char*>(buf + got), static_cast<int>(n - got));
        if (r < 0) {
            dropHandle();
            inUse_ = false;
            break;
        }
        got += static_cast<std::size_t>(r);
        if ((firstChunkOnly && got > 0) || std::chrono::steady_clock::now() >= deadline) break;
    }
    return got;
}

std::int32_t FtdiDevice::close()
{
    if (inUse_ && owed_ > 0) {
        std::vector<char> sink(owed_);
        readFor(sink.data(), sink.size(), std::min(readTimeoutMs_, kDrainTimeoutMs));
    }
    owed_ = 0;
    const bool wasInUse = inUse_;
    inUse_ = false;
    return wasInUse ? 0 : 1;
}

} // namespace qm::link
