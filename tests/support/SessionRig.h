#pragma once
// A session over a simulated stack with a manual clock, a recording of every
// device operation and a display that records what it is asked to do. Tests
// act as the operator (session calls), advance time by ticks and assert the
// session's view, its state and the frames sent.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/Session.h"
#include "link/RecordingDevice.h"
#include "sim/Scenario.h"
#include "sim/SimulatedDevice.h"
#include "support/Invariants.h"

namespace qm::test {

class RecordingDisplay : public acquisition::Display {
public:
    void paint(const acquisition::AppState&, std::uint32_t areas) override
    {
        ++paints;
        painted |= areas;
    }
    void moveFocus(acquisition::FocusTarget target) override { focus.push_back(target); }
    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (duringMessage) duringMessage();
    }
    void close(acquisition::CloseReason reason) override { closed.push_back(reason); }

    int paints = 0;
    std::uint32_t painted = 0;
    std::vector<acquisition::FocusTarget> focus;
    std::vector<std::string> messages;
    std::vector<acquisition::CloseReason> closed;
    // Runs while a message box "waits", as the window's event loop would.
    std::function<void()> duringMessage;
};

inline acquisition::FocusTarget Command1(int i) { return {acquisition::FocusTarget::Array::Command1, i}; }

class SessionRig {
public:
    explicit SessionRig(const std::string& scenarioText = "boards=4")
        : clock(std::make_shared<sim::ManualClock>()),
          device(*sim::ParseScenario(scenarioText).scenario, clock),
          rec(device),
          checker(rec),
          session(checker, display)
    {
        checker.attach(session);
    }

    const acquisition::AppState& state() const { return session.state(); }
    const acquisition::View& view() const { return session.view(); }
    sim::Chip& chip(int board) { return device.chain().chip(board); }

    bool start() { return session.OnLoad(); }
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            clock->advance(100);
            session.OnTimerTick();
        }
    }
    // Writes a measuring configuration to boards 1..boards as the operator
    // would: VOV 4.2 V, VUV 3.0 V, CDC 2, "WRITE CONFIG".
    void measure(int boards)
    {
        session.OnBoardCountChosen(boards - 1);
        session.EnterThreshold(1, "4.2");
        session.EnterThreshold(0, "3.0");
        session.OnCdcArrow(1);
        session.OnCdcArrow(1);
        session.OnCommandButton(5);
    }
    std::int16_t code(int board, int cell) const { return state().status.Code(board, cell); }
    const std::string& pending(int board, int reg) const
    {
        return state().images.pending[static_cast<std::size_t>(board)][static_cast<std::size_t>(reg)];
    }

    void markWrites() { mark_ = rec.writes().size(); }
    std::vector<std::string> writesSinceMark(bool withIdentification = false) const
    {
        std::vector<std::string> out;
        for (auto it = rec.writes().begin() + static_cast<std::ptrdiff_t>(mark_); it != rec.writes().end(); ++it)
            if (withIdentification || *it != "IZ") out.push_back(*it);
        return out;
    }
    std::size_t countSinceMark(const std::string& frame) const
    {
        const auto w = writesSinceMark(true);
        return static_cast<std::size_t>(std::count(w.begin(), w.end(), frame));
    }

    std::shared_ptr<sim::ManualClock> clock;
    sim::SimulatedDevice device;
    link::RecordingDevice rec;
    ReadChecker checker;
    RecordingDisplay display;
    acquisition::Session session;

private:
    std::size_t mark_ = 0;
};

} // namespace qm::test
