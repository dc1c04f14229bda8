#pragma once
// The simulated controller board served on a pseudo-terminal, so that the
// window's serial back end (or any other client) reaches it exactly as a
// board behind a tty. Clients may open and close the slave side as often as
// they like: the server keeps a slave descriptor of its own, so a client
// closing never hangs the line up. When the board is unplugged (scenario
// unplug-after) the pseudo-terminal is closed and its path disappears, so
// every later open fails.
#include <functional>
#include <memory>
#include <string>

#include "sim/Clock.h"
#include "sim/ControllerBoard.h"
#include "sim/Scenario.h"

namespace qm::sim {

class PtyServer {
public:
    PtyServer(const Scenario& scenario, std::shared_ptr<Clock> clock);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode. On failure returns false and
    // describes the reason in error.
    bool open(std::string& error);
    // The slave path clients open, e.g. "/dev/pts/7".
    const std::string& path() const { return path_; }

    // One round: waits up to waitMs for input from a client, feeds it to the
    // board and sends the board's answers back.
    void serveOnce(int waitMs);
    // Serves until stopRequested() returns true; it is asked at least every 50 ms.
    void serve(const std::function<bool()>& stopRequested);

    ControllerBoard& board() { return board_; }

private:
    void closePty();
    void sendAnswers();

    std::shared_ptr<Clock> clock_;
    ControllerBoard board_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

} // namespace qm::sim
