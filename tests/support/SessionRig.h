#pragma once
// A session over a simulated stack with a manual clock, a recording of every
// device operation, a check of every read and write against the wire, and a
// display that records what it is asked to do. Tests act as the operator
// (session calls), advance time by ticks and assert the session's view, its
// state and the frames sent.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "acquisition/Session.h"
#include "support/SimulatedStack.h"

namespace qm::test {

class RecordingDisplay : public acquisition::Display {
public:
    void paint(const acquisition::AppState&, std::uint32_t areas) override { painted |= areas; }
    void moveFocus(acquisition::FocusTarget target) override { focus.push_back(target); }
    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (duringMessage) duringMessage(); // what happens while the operator reads it
    }
    void close(acquisition::CloseReason reason) override { closed.push_back(reason); }

    std::uint32_t painted = 0;
    std::vector<acquisition::FocusTarget> focus;
    std::vector<std::string> messages;
    std::vector<acquisition::CloseReason> closed;
    std::function<void()> duringMessage;
};

inline acquisition::FocusTarget Command1(int i) { return {acquisition::FocusTarget::Array::Command1, i}; }

// A session over a device with every read and write checked; the test fails
// when any check did.
struct CheckedSession : CheckedSessionCore<RecordingDisplay> {
    using CheckedSessionCore::CheckedSessionCore;
    ~CheckedSession() { EXPECT_TRUE(checker.report.Ok()) << checker.report.Text(); }
};

class SessionRig : public SimulatedStack, public CheckedSession {
public:
    explicit SessionRig(const std::string& scenarioText = "boards=4")
        : SimulatedStack(scenarioText), CheckedSession(rec)
    {
    }

    const acquisition::AppState& state() const { return session.state(); }
    const acquisition::View& view() const { return session.view(); }
    sim::Chip& chip(int board) { return device.chain().chip(board); }
    std::int16_t code(int board, int cell) const { return state().status.Code(board, cell); }
    const std::string& pending(int board, int reg) const
    {
        return state().images.pending[static_cast<std::size_t>(board)][static_cast<std::size_t>(reg)];
    }

    bool start() { return session.OnLoad(); }
    // Starts, then writes a measuring configuration to boards 1..boards as
    // the operator would: VOV 4.2 V, VUV 3.0 V, CDC 2, "WRITE CONFIG".
    bool startMeasuring(int boards) { return start() && (measure(boards), true); }
    void measure(int boards)
    {
        session.OnBoardCountChosen(boards - 1);
        session.EnterThreshold(1, "4.2");
        session.EnterThreshold(0, "3.0");
        session.OnCdcArrow(1);
        session.OnCdcArrow(1);
        session.OnCommandButton(5);
    }
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            clock->advance(100);
            session.OnTimerTick();
        }
    }
    // The session's wall and steady clocks follow the simulator's manual clock.
    void followSimulatedTime()
    {
        using std::chrono::milliseconds;
        session.setClocks(
            [this] { return std::chrono::system_clock::time_point(milliseconds(1'796'000'000'000 + clock->nowMs())); },
            [this] { return protocol::HealthClock::time_point(milliseconds(clock->nowMs())); });
    }

    // The frames sent since the mark, the identifications left out unless asked for.
    void markWrites() { mark_ = rec.writes().size(); }
    std::vector<std::string> writesSinceMark(bool withIdentification = false) const
    {
        std::vector<std::string> out;
        for (auto it = rec.writes().begin() + static_cast<std::ptrdiff_t>(mark_); it != rec.writes().end(); ++it)
            if (withIdentification || *it != "IZ") out.push_back(*it);
        return out;
    }
    // The frames (identifications left out) an action sends.
    std::vector<std::string> framesOf(const std::function<void()>& action)
    {
        markWrites();
        action();
        return writesSinceMark();
    }

private:
    std::size_t mark_ = 0;
};

} // namespace qm::test
