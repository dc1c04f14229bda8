#include "link/SerialDevice.h"

#include <algorithm>
#include <vector>

#include "link/AnswerCount.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qm::link {

namespace {

using Clock = std::chrono::steady_clock;

speed_t SpeedFor(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B9600;
    }
}

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

SerialDevice::SerialDevice(std::string path, int baud) : path_(std::move(path)), baud_(baud) {}

SerialDevice::~SerialDevice() { close(); }

bool SerialDevice::open(int /*index*/)
{
    close();
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    termios tio{};
    if (tcgetattr(fd_, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        cfsetispeed(&tio, SpeedFor(baud_));
        cfsetospeed(&tio, SpeedFor(baud_));
        tcsetattr(fd_, TCSANOW, &tio);
    }
    tcflush(fd_, TCIFLUSH);
    owed_ = 0;
    return true;
}

void SerialDevice::setTimeouts(int readMs, int writeMs)
{
    readTimeoutMs_ = readMs < 0 ? 0 : readMs;
    writeTimeoutMs_ = writeMs < 0 ? 0 : writeMs;
}

std::size_t SerialDevice::write(std::string_view bytes)
{
    if (fd_ < 0) return 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(writeTimeoutMs_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) break;
        pollfd p{fd_, POLLOUT, 0};
        const int left = RemainingMs(deadline);
        if (left == 0 || ::poll(&p, 1, left) <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
    }
    owed_ += AnsweredCharacters(bytes.substr(0, done));
    return done;
}

std::size_t SerialDevice::read(char* buf, std::size_t n)
{
    const std::size_t got = readFor(buf, n, readTimeoutMs_);
    owed_ -= std::min(owed_, got);
    return got;
}

std::size_t SerialDevice::readAvailable(char* buf, std::size_t n, int waitMs)
{
    const std::size_t got = readFor(buf, n, waitMs < 0 ? 0 : waitMs, true);
    owed_ -= std::min(owed_, got);
    return got;
}

std::size_t SerialDevice::readFor(char* buf, std::size_t n, int timeoutMs, bool firstChunkOnly)
{
    if (fd_ < 0 || n == 0) return 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, buf + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            if (firstChunkOnly) break;
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR) break;
        const int left = RemainingMs(deadline);
        if (left == 0) break;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        if ((p.revents & POLLIN) == 0) break; // hang-up or error without data: the board is gone
    }
    return got;
}

std::int32_t SerialDevice::close()
{
    if (fd_ < 0) return 1;
    if (owed_ > 0) {
        std::vector<char> sink(owed_);
        readFor(sink.data(), sink.size(), std::min(readTimeoutMs_, kDrainTimeoutMs));
        owed_ = 0;
    }
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : 1;
}

} // namespace qm::link
