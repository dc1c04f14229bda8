// A seeded random operator drives the session over a faulty ten-board stack
// (PEC errors, thermal shutdown, an open wire, a failing multiplexer, a
// self-test fault, discharging and masked cells) and over a controller that
// garbles, cuts, lengthens or swallows replies. Every register read and write
// is checked against what went over the wire, and after every action the
// state stays in range and the view agrees with it. An operator who pulls the
// plug half way through closes the window at the next identifying tick.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "config/Thresholds.h"
#include "support/Operator.h"
#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kActions = 2500; // the sanitizer build runs about ten times slower
#else
constexpr int kActions = 8000;
#endif

constexpr const char* kFaultyStack =
    "boards=10,seed=3,pec-errors=1:0.1,thsd=2,openwire=3:7,mux-fail=4,selftest-fault=5:3";

// Spoils the replies of the device behind it on a seeded schedule: garbage
// characters (any byte, NUL included), replies cut short, replies with extra
// characters (of which only the requested count arrives), or none at all. The
// identification goes through untouched, so the board stays recognised.
class UnreliableController : public link::Device {
public:
    UnreliableController(link::Device& inner, std::uint32_t seed) : inner_(inner), rng_(seed) {}

    bool open(int index) override { return inner_.open(index); }
    void setTimeouts(int readMs, int writeMs) override { inner_.setTimeouts(readMs, writeMs); }
    std::size_t write(std::string_view bytes) override
    {
        identifying_ = bytes == "IZ";
        return inner_.write(bytes);
    }
    std::size_t read(char* buf, std::size_t n) override
    {
        std::string reply(n, '\0');
        reply.resize(inner_.read(reply.data(), n));
        if (!identifying_) spoil(reply);
        const std::size_t got = std::min(reply.size(), n);
        std::memcpy(buf, reply.data(), got);
        return got;
    }
    std::size_t readAvailable(char* buf, std::size_t n, int waitMs) override
    {
        return inner_.readAvailable(buf, n, waitMs);
    }
    std::int32_t close() override { return inner_.close(); }

    bool enabled = false;

private:
    std::size_t pick(std::size_t n) { return n == 0 ? 0 : rng_() % n; }
    char anyByte() { return static_cast<char>(rng_() & 0xFF); }

    void spoil(std::string& reply)
    {
        if (!enabled) return;
        switch (pick(10)) {
        case 0:
            for (char& ch : reply) ch = anyByte();
            break;
        case 1:
        case 2:
            for (std::size_t k = 1 + pick(6); k > 0 && !reply.empty(); --k) reply[pick(reply.size())] = anyByte();
            break;
        case 3: reply.resize(pick(reply.size())); break;
        case 4: {
            static constexpr char kHex[] = "0123456789ABCDEFabcdef";
            std::string extra(1 + pick(40), '0');
            for (char& ch : extra) ch = kHex[pick(sizeof kHex - 1)];
            reply.insert(pick(reply.size() + 1), extra);
            break;
        }
        case 5: reply.clear(); break;
        default: break;
        }
    }

    link::Device& inner_;
    std::mt19937 rng_;
    bool identifying_ = false;
};

void Soak(SessionRig& rig, test::Operator& op, int actions, const std::function<void(int)>& tick)
{
    for (int a = 0; a < actions && !rig.session.closed(); ++a) {
        const presentation::PresentationState before = rig.state().status;
        op.act(tick);
        test::Report report;
        test::CheckSession(report, rig.state(), before);
        for (const auto& m : rig.display.messages)
            report.Expect(m == config::kVuvRangeMessage || m == config::kVovRangeMessage || m == config::kOrderMessage,
                          "only the threshold check shows a message");
        ASSERT_TRUE(report.Ok()) << "action " << a << ":\n" << report.Text();
        ASSERT_TRUE(rig.checker.report.Ok()) << "action " << a << ":\n" << rig.checker.report.Text();
    }
}

} // namespace

TEST(SessionSoak, RandomOperatorOverAFaultyTenBoardStack)
{
    SessionRig rig(kFaultyStack);
    ASSERT_TRUE(rig.start());
    rig.measure(10);
    rig.session.OnRegisterBox(1, 3, true); // discharge cell 4
    rig.session.OnRegisterBox(3, 2, true); // mask cell 7
    rig.session.OnCommandButton(5);
    rig.session.OnCommandButton(10);
    test::Operator op(rig.session, test::Seeded(11));
    Soak(rig, op, kActions, [&](int n) { rig.tick(n); });
    EXPECT_GT(rig.checker.reads, kActions / 4);
    EXPECT_TRUE(rig.display.closed.empty());
}

TEST(SessionSoak, ControllerThatSpoilsRepliesUnderTheCycleAndTheOperator)
{
    // The rig's simulated stack stands behind the spoiling controller.
    SessionRig rig("boards=6,seed=5,thsd=4");
    UnreliableController spoiler(rig.device, 7);
    test::ReadChecker checker(spoiler);
    test::RecordingDisplay display;
    acquisition::Session session(checker, display);
    checker.attach(session);
    ASSERT_TRUE(session.OnLoad());
    session.OnBoardCountChosen(5);
    session.EnterThreshold(1, "4.2");
    session.OnCdcArrow(1);
    session.OnCommandButton(5);
    session.OnCommandButton(10);
    spoiler.enabled = true;
    test::Operator op(session, test::Seeded(23));
    for (int a = 0; a < kActions / 2; ++a) {
        const presentation::PresentationState before = session.state().status;
        op.act([&](int n) {
            for (int i = 0; i < n; ++i) {
                rig.clock->advance(100);
                session.OnTimerTick();
            }
        });
        test::Report report;
        test::CheckSession(report, session.state(), before);
        ASSERT_TRUE(report.Ok()) << "action " << a << ":\n" << report.Text();
        ASSERT_TRUE(checker.report.Ok()) << "action " << a << ":\n" << checker.report.Text();
    }
    EXPECT_TRUE(display.closed.empty());
}

TEST(SessionSoak, OperatorWhoUnplugsTheBoardClosesTheWindowAtTheNextIdentifyingTick)
{
    SessionRig rig("boards=4,seed=9");
    ASSERT_TRUE(rig.start());
    rig.measure(4);
    test::Operator op(rig.session, test::Seeded(5));
    for (int a = 0; a < 300; ++a) op.act([&](int n) { rig.tick(n); });
    rig.device.unplug();
    // Whatever the operator does now, the next tick that identifies closes.
    for (int a = 0; a < 50 && !rig.session.closed(); ++a) {
        op.act([&](int n) { rig.tick(n); });
        if (rig.state().acq.lowCurrentStandby == 1) rig.session.OnCommandButton(6);
    }
    rig.tick();
    EXPECT_EQ(rig.display.closed, (std::vector{acquisition::CloseReason::BoardLost}));
}
