#include "sim/PtyServer.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace qm::sim {

PtyServer::PtyServer(const Scenario& scenario, std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), board_(scenario, clock_)
{
}

PtyServer::~PtyServer() { closePty(); }

bool PtyServer::open(std::string& error)
{
    closePty();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        closePty();
        return false;
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master_, name.data(), name.size()) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        closePty();
        return false;
    }
    path_ = name.data();
    // Our own slave descriptor keeps the line up between clients and carries
    // the raw mode (no echo, no line editing, no character translation).
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        closePty();
        return false;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

void PtyServer::closePty()
{
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void PtyServer::sendAnswers()
{
    std::array<char, 4096> out{};
    for (;;) {
        const std::size_t n = board_.take(out.data(), out.size());
        if (n == 0) return;
        std::size_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(master_, out.data() + done, n - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else if (w < 0 && errno == EINTR) {
                continue;
            } else {
                // Nobody is reading and the line's buffer is full: the rest is
                // lost, as on a serial line whose receiver overflows.
                board_.discardAnswers();
                return;
            }
        }
    }
}

void PtyServer::serveOnce(int waitMs)
{
    if (master_ < 0) {
        ::poll(nullptr, 0, waitMs);
        return;
    }
    if (!board_.plugged()) {
        closePty(); // the path disappears: clients' opens fail from now on
        return;
    }
    pollfd p{master_, POLLIN, 0};
    const int ready = ::poll(&p, 1, waitMs);
    if (ready <= 0) return;
    if ((p.revents & POLLIN) == 0) {
        // A hang-up or error without data would wake every poll at once: pause instead.
        ::poll(nullptr, 0, waitMs);
        return;
    }
    std::array<char, 4096> in{};
    for (;;) {
        const ssize_t r = ::read(master_, in.data(), in.size());
        if (r > 0) {
            board_.feed(std::string_view(in.data(), static_cast<std::size_t>(r)));
            sendAnswers();
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        return;
    }
}

void PtyServer::serve(const std::function<bool()>& stopRequested)
{
    while (!stopRequested()) serveOnce(50);
}

} // namespace qm::sim
