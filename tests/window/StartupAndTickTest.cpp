#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

TEST(Startup, IdentifiesThenReadsTheConfigurationOfOneBoard)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    const auto& writes = rig.rec.writes();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0], "IZ");
    EXPECT_EQ(writes[1], "MSxT02TCERRRRRRRX"); // the first register command: RDCFG for one board
    EXPECT_EQ(writes.size(), 2u);
    EXPECT_EQ(Text(rig.form().Label_IDstring), "QM7410-1");
    EXPECT_EQ(rig.form().Shape12[0]->fillColor(), colour::kGreen);
    EXPECT_EQ(Text(rig.form().Text5[0]), "   E0   ");
    // Nothing written yet: the write button shows its changed look.
    EXPECT_EQ(rig.state().config.configChanged, 1);
    EXPECT_EQ(Text(rig.form().Command1[5]), "WRITECONFIG");
    EXPECT_TRUE(rig.form().Shape14->isVisibleTo(&rig.form()));
    EXPECT_TRUE(rig.closed.empty());
}

TEST(Startup, WithoutARecognisedBoardNothingButIdentificationIsSent)
{
    for (const char* scenario : {"variant=QM7411-1", "unplug-after=0"}) {
        WindowRig rig(scenario);
        EXPECT_FALSE(rig.start()) << scenario;
        EXPECT_EQ(rig.rec.writes(), (std::vector<std::string>{"IZ"})) << scenario;
        ASSERT_EQ(rig.closed.size(), 1u);
        EXPECT_EQ(rig.closed[0], ui::CloseReason::NoBoardAtStart);
        EXPECT_FALSE(rig.form().Timer1->isActive());
    }
}

TEST(Tick, IdentifiesEveryTickAndClosesWhenTheBoardIsLost)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.markWrites();
    rig.tick(3);
    EXPECT_EQ(rig.writesSinceMark(), (std::vector<std::string>{"IZ", "IZ", "IZ"}));
    rig.device.unplug();
    rig.tick();
    ASSERT_EQ(rig.closed.size(), 1u);
    EXPECT_EQ(rig.closed[0], ui::CloseReason::BoardLost);
    rig.tick(); // a late tick after the close does nothing
    EXPECT_EQ(rig.closed.size(), 1u);
}
