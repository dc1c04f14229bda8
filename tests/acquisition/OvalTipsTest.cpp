// The tool tips of the PEC ovals: each board's link health, renewed by every
// transfer shown and timed by the session's own steady clock.
#include <gtest/gtest.h>

#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

TEST(OvalTips, EachBoardsLinkHealthOnTheSessionsClock)
{
    SessionRig rig("boards=3,pec-errors=1:1");
    rig.session.setClocks([] { return std::chrono::system_clock::time_point{}; },
                          [&] { return protocol::HealthClock::time_point(std::chrono::milliseconds(rig.clock->nowMs())); });
    ASSERT_TRUE(rig.start());
    const auto& tips = rig.view().ovalTips;
    EXPECT_EQ(tips[0], "Board 1: 0 PEC failures; 0 replies missing, 0 short; last good read 0.0 s ago");
    EXPECT_EQ(tips[1], ""); // not on the stack yet

    rig.session.OnBoardCountChosen(2);
    rig.session.OnCommandButton(6); // READ CONFIG of the three boards, the second read since the count
    EXPECT_EQ(tips[1], "Board 2: 2 PEC failures (config 2); 0 replies missing, 0 short; no good read yet");
    EXPECT_EQ(tips[2], "Board 3: 0 PEC failures; 0 replies missing, 0 short; last good read 0.0 s ago");
    EXPECT_EQ(tips[3], "");

    // Board 1 starts failing 1.5 s later: its tip counts the failure and
    // times the last good read on the session's clock, not the host's.
    rig.clock->advance(1500);
    rig.chip(0).setPecErrorProbability(1.0);
    rig.display.painted = 0;
    rig.session.OnCommandButton(6);
    EXPECT_EQ(tips[0], "Board 1: 1 PEC failure (config 1); 0 replies missing, 0 short; last good read 1.5 s ago");
    EXPECT_EQ(tips[1], "Board 2: 3 PEC failures (config 3); 0 replies missing, 0 short; no good read yet");
    EXPECT_NE(rig.display.painted & acquisition::kAreaTransfer, 0u);

    // A send-only command renews the times too.
    rig.clock->advance(1000);
    rig.session.OnCommandButton(2); // STARTCELLVOLT
    EXPECT_EQ(tips[2], "Board 3: 0 PEC failures; 0 replies missing, 0 short; last good read 1.0 s ago");
}
