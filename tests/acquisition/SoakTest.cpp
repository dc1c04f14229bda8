// A seeded random operator drives the session over a faulty ten-board stack
// (PEC errors, thermal shutdown, an open wire, a failing multiplexer, a
// self-test fault, discharging and masked cells), then behind a controller
// that garbles, cuts, lengthens or swallows replies. Every register read and
// write is checked against what went over the wire, and after every action the
// state stays in range and the view agrees with it. Pulling the plug then
// closes the window at the next identifying tick.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "config/Thresholds.h"
#include "support/Operator.h"
#include "support/SessionRig.h"

using namespace qm;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kActions = 2500; // the sanitizer build runs about ten times slower
#else
constexpr int kActions = 8000;
#endif

// Passes everything on, but once enabled spoils the replies to reads on a
// seeded schedule: garbage characters (any byte, NUL included), replies cut
// short, replies with extra characters (of which only the requested count
// arrives), or none at all. The identification goes through untouched.
struct UnreliableController : link::Device {
    UnreliableController(link::Device& device, std::uint32_t seed) : inner(device), rng(seed) {}
    bool open(int index) override { return inner.open(index); }
    void setTimeouts(int readMs, int writeMs) override { inner.setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override { return identifying = bytes == "IZ", inner.write(bytes); }
    std::size_t readAvailable(char* buf, std::size_t n, int ms) override { return inner.readAvailable(buf, n, ms); }
    std::int32_t close() override { return inner.close(); }
    std::size_t read(char* buf, std::size_t n) override
    {
        std::string reply(n, '\0');
        reply.resize(inner.read(reply.data(), n));
        const auto pick = [&](std::size_t k) { return k == 0 ? 0 : rng() % k; };
        switch (enabled && !identifying ? pick(10) : 9) {
        case 0: for (char& c : reply) c = static_cast<char>(rng()); break;
        case 1: case 2:
            for (auto k = 1 + pick(6); k-- > 0 && !reply.empty();) reply[pick(reply.size())] = static_cast<char>(rng());
            break;
        case 3: reply.resize(pick(reply.size())); break;
        case 4: reply.insert(pick(reply.size() + 1), 1 + pick(40), "0123456789ABCDEFabcdef"[pick(22)]); break;
        case 5: reply.clear(); break;
        }
        std::memcpy(buf, reply.data(), std::min(reply.size(), n));
        return std::min(reply.size(), n);
    }

    link::Device& inner;
    std::mt19937 rng;
    bool identifying = false, enabled = false;
};

// Lets a seeded operator act `actions` times (while the session stays open),
// checking after each action the invariants, every read and write, and that
// only the threshold check ever shows a message.
void Soak(test::CheckedSession& on, std::uint32_t seed, int actions, const std::function<void()>& tick)
{
    test::Operator op(on.session, test::Seeded(seed));
    for (int a = 0; a < actions && !on.session.closed(); ++a) {
        const presentation::PresentationState before = on.session.state().status;
        op.act(tick);
        test::Report report;
        test::CheckSession(report, on.session.state(), before);
        for (const auto& m : on.display.messages)
            report.Expect(m == config::kVuvRangeMessage || m == config::kVovRangeMessage || m == config::kOrderMessage,
                          "only the threshold check shows a message");
        ASSERT_TRUE(report.Ok() && on.checker.report.Ok())
            << "action " << a << ":\n" << report.Text() << on.checker.report.Text();
    }
}

} // namespace

TEST(SessionSoak, RandomOperatorOverAFaultyStackThenSpoiledRepliesThenTheBoardUnplugged)
{
    test::SimulatedStack stack("boards=10,seed=3,pec-errors=1:0.1,thsd=2,openwire=3:7,mux-fail=4,selftest-fault=5:3");
    UnreliableController spoiler(stack.device, 7);
    test::CheckedSession on(spoiler);
    auto& s = on.session;
    const auto tick = [&] {
        stack.clock->advance(100);
        s.OnTimerTick();
    };
    ASSERT_TRUE(s.OnLoad());
    s.OnBoardCountChosen(9);
    s.EnterThreshold(1, "4.2");
    s.EnterThreshold(0, "3.0");
    s.OnCdcArrow(1);
    s.OnRegisterBox(1, 3, true); // discharge cell 4
    s.OnRegisterBox(3, 2, true); // mask cell 7
    s.OnCommandButton(5);
    s.OnCommandButton(10);
    // The cycle alone: from its first temperature read on, board 3 in thermal
    // shutdown shows code 7 (orange) at every step, step 0's mask pass included.
    for (int t = 0; t < 32; ++t) {
        tick();
        for (int c = 1; t >= 2 && c <= 12; ++c)
            ASSERT_TRUE(s.state().status.Code(2, c) == presentation::kThermalShutdown &&
                        s.view().squareColour[static_cast<std::size_t>(24 + c - 1)] == colour::kOrange) << t << " " << c;
    }
    Soak(on, 11, kActions, tick);
    EXPECT_GT(on.checker.reads, kActions / 4);
    spoiler.enabled = true;
    Soak(on, 23, kActions / 2, tick);
    EXPECT_TRUE(on.display.closed.empty());

    // Whatever the operator does now, the next tick that identifies closes.
    spoiler.enabled = false;
    stack.device.unplug();
    test::Operator op(s, test::Seeded(5));
    for (int a = 0; a < 50 && !s.closed(); ++a) {
        op.act(tick);
        if (s.state().acq.lowCurrentStandby == 1) s.OnCommandButton(6);
    }
    tick();
    EXPECT_EQ(on.display.closed, (std::vector{acquisition::CloseReason::BoardLost}));
}
