#pragma once
// A program of the project run as a child process with its standard output
// and error on pipes, for end-to-end tests.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qm::test {

class ChildProcess {
public:
    ChildProcess(const std::string& program, std::vector<std::string> args,
                 std::vector<std::pair<std::string, std::string>> env = {})
    {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::close(out[0]);
            ::close(err[0]);
            for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ChildProcess()
    {
        if (pid_ > 0 && status_ == kRunning) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
        if (err_ >= 0) ::close(err_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // A line of standard output (without the line end); empty on end of file
    // or when nothing came within the limit.
    std::string readLine(int limitMs = 10'000)
    {
        std::string line;
        for (const auto end = Deadline(limitMs); Clock::now() < end;) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char c;
            if (::read(out_, &c, 1) <= 0 || c == '\n') break;
            line += c;
        }
        return line;
    }

    // Everything the child wrote to standard error or output (after it has exited).
    std::string errorText() { return drain(err_); }
    std::string outputText() { return drain(out_); }

    // The exit status once the child has ended (within limitMs), -1 when it
    // ended by a signal, -2 when it is still running at the limit.
    int wait(int limitMs = 20'000)
    {
        for (const auto end = Deadline(limitMs); status_ == kRunning && Clock::now() < end;) {
            int st = 0;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
            else std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return status_ == kRunning ? -2 : status_;
    }

    void signal(int sig)
    {
        if (status_ == kRunning) ::kill(pid_, sig);
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRunning = -100;
    static Clock::time_point Deadline(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

    static std::string drain(int fd)
    {
        std::string text;
        char buf[1024];
        for (pollfd p{fd, POLLIN, 0}; ::poll(&p, 1, 200) > 0;) {
            const ssize_t r = ::read(fd, buf, sizeof buf);
            if (r <= 0) break;
            text.append(buf, static_cast<std::size_t>(r));
        }
        return text;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int status_ = kRunning;
};

#ifdef QM_BINARY_DIR
inline const std::string kSim = QM_BINARY_DIR "/qm7410-sim";

// qm7410-sim started on a pseudo-terminal (its first line of output names it),
// and the --device option that reaches it.
struct SimulatorOnTty {
    explicit SimulatorOnTty(const std::string& scenario) : sim(kSim, {scenario}), tty(sim.readLine()) {}
    std::string device() const { return "--device=serial:" + tty; }
    ChildProcess sim;
    std::string tty;
};
#endif

} // namespace qm::test
