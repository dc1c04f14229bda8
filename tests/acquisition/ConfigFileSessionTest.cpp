// Configurations loaded into the session from a file's boards: the same
// frames as the same values typed into the editors, the editors showing them,
// what is saved back, and refusals that leave everything as it was.
#include <gtest/gtest.h>

#include "config/Thresholds.h"
#include "protocol/ByteText.h"
#include "support/SessionRig.h"

using namespace qm;
using test::SessionRig;

namespace {

std::uint8_t Byte(const protocol::ConfigRegisters& r, int k) { return protocol::ByteFromText(r[static_cast<std::size_t>(k)]); }

// The operator types a configuration into the editors: the board count, the
// custom options where boards differ, then board after board its boxes, duty
// cycle and thresholds, and the focus back on board 1.
void TypeIntoEditors(SessionRig& rig, const config::StackConfiguration& c, bool custom)
{
    auto& s = rig.session;
    if (c.boardCount() - 1 > rig.state().chain.lastBoardIndex) s.OnBoardCountChosen(c.boardCount() - 1);
    if (custom) {
        s.OnCfgr0Option(0);
        s.OnThresholdOption(0);
    }
    for (int b = 0; b < c.boardCount(); ++b) {
        const auto& r = c.boards[static_cast<std::size_t>(b)];
        s.OnBoardFocus(b);
        for (int bit = 3; bit < 8; ++bit) s.OnCfgr0Box(bit, ((Byte(r, 0) >> bit) & 1) != 0);
        while (rig.state().config.boards[static_cast<std::size_t>(b)].cdc != (Byte(r, 0) & 7)) s.OnCdcArrow(1);
        for (int reg = 1; reg <= 3; ++reg)
            for (int bit = 0; bit < 8; ++bit) s.OnRegisterBox(reg, bit, ((Byte(r, reg) >> bit) & 1) != 0);
        s.EnterThreshold(1, "5.352"); // out of the way of any VUV
        s.EnterThreshold(0, config::ThresholdText(config::VuvCodeToVolts(Byte(r, 4))));
        s.EnterThreshold(1, config::ThresholdText(config::VovCodeToVolts(Byte(r, 5))));
    }
    s.OnBoardFocus(0);
}

// The frames of "WRITE CONFIG" after the configuration was given one way.
std::vector<std::string> WriteFrames(SessionRig& rig)
{
    return rig.framesOf([&] { rig.session.OnCommandButton(5); });
}

const config::StackConfiguration kDiffering{{
    {"E2", "04", "00", "00", "9C", "CF"},
    {"D3", "00", "F0", "C0", "B5", "D4"},
    {"E5", "FF", "0F", "00", "71", "AB"},
}};

} // namespace

TEST(ConfigFileSession, DifferingBoardsLoadAsTypedIntoCustomEditorsAndGrowTheStack)
{
    SessionRig loaded("boards=3"), typed("boards=3");
    ASSERT_TRUE(loaded.start() && typed.start());
    for (const auto& frame : loaded.framesOf([&] { EXPECT_EQ(loaded.session.LoadConfiguration(kDiffering), ""); }))
        EXPECT_NE(frame.rfind("MSxT01", 0), 0u) << "written before WRITE CONFIG";
    EXPECT_EQ(loaded.state().chain.lastBoardIndex, 2);
    EXPECT_EQ(loaded.state().config.globalCfgr0Mode, 0);
    EXPECT_EQ(loaded.state().config.globalThresholdMode, 0);
    // The editors show board 1, pending.
    const auto& c = loaded.view().config;
    EXPECT_EQ(c.editors[1], config::BoxesFromByte(0x04));
    EXPECT_EQ(c.thresholdTexts, (std::array<std::string, 2>{"3.000V ", "4.200V "}));
    EXPECT_EQ(c.cdcNumber, "2");
    EXPECT_EQ(c.writeButton.caption, "WRITECONFIG");
    EXPECT_EQ(loaded.session.CurrentConfiguration(), kDiffering);
    loaded.session.OnBoardFocus(1);
    EXPECT_EQ(c.thresholdTexts, (std::array<std::string, 2>{"3.600V ", "4.320V "}));
    loaded.session.OnBoardFocus(0);

    TypeIntoEditors(typed, kDiffering, true);
    EXPECT_EQ(typed.display.messages, std::vector<std::string>{});
    const auto frames = WriteFrames(loaded);
    EXPECT_EQ(frames, WriteFrames(typed));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(c.writeButton.caption, "WRITE CONFIG");
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(loaded.chip(b).registers()[0], Byte(kDiffering.boards[static_cast<std::size_t>(b)], 0)) << b;
}

TEST(ConfigFileSession, EqualBoardsKeepTheGlobalModesWhichReachEveryBoardOnTheStack)
{
    const config::StackConfiguration equal{{{"E1", "08", "00", "00", "9C", "CF"}, {"E1", "00", "10", "00", "9C", "CF"}}};
    SessionRig loaded("boards=4"), typed("boards=4");
    for (SessionRig* rig : {&loaded, &typed}) {
        ASSERT_TRUE(rig->start());
        rig->session.OnBoardCountChosen(3);
    }
    EXPECT_EQ(loaded.session.LoadConfiguration(equal), "");
    EXPECT_EQ(loaded.state().chain.lastBoardIndex, 3); // a smaller file keeps the stack
    EXPECT_EQ(loaded.state().config.globalCfgr0Mode, 1);
    EXPECT_EQ(loaded.state().config.globalThresholdMode, 1);
    TypeIntoEditors(typed, equal, false);
    EXPECT_EQ(WriteFrames(loaded), WriteFrames(typed));
    // Saved: what was written, boards 3 and 4 with the one CFGR0 and thresholds.
    const config::StackConfiguration saved = loaded.session.CurrentConfiguration();
    ASSERT_EQ(saved.boardCount(), 4);
    EXPECT_EQ(saved.boards[3], (protocol::ConfigRegisters{"E1", "00", "00", "00", "9C", "CF"}));
    // The thresholds stay with boards 3 and 4 when they take the focus.
    loaded.session.OnBoardFocus(3);
    EXPECT_EQ(loaded.view().config.thresholdTexts, (std::array<std::string, 2>{"3.000V ", "4.200V "}));
}

TEST(ConfigFileSession, RefusedConfigurationsChangeAndSendNothing)
{
    SessionRig rig("boards=2");
    ASSERT_TRUE(rig.start());
    rig.session.OnBoardCountChosen(1);
    const auto pending = rig.state().images.pending;
    rig.markWrites();
    const protocol::ConfigRegisters good{"E2", "00", "00", "00", "9C", "CF"};
    struct Case {
        config::StackConfiguration configuration;
        std::string needle;
    };
    const std::vector<Case> cases{
        {{std::vector<protocol::ConfigRegisters>(11, good)}, "1 to 10 boards"}, // the file's other refusals: tests/config
        {{{{"E2", "00", "00", "00", "D0", "CF"}}}, "boards[0]"},                    // VUV above VOV
        {{{good, {"EA", "00", "00", "00", "9C", "CF"}}}, "boards[1].tenCells"}, // 10 cells on one board only
    };
    for (const Case& c : cases) {
        const std::string why = rig.session.LoadConfiguration(c.configuration);
        EXPECT_NE(why.find(c.needle), std::string::npos) << why;
    }
    EXPECT_EQ(rig.state().images.pending, pending);
    EXPECT_EQ(rig.state().chain.lastBoardIndex, 1);
    EXPECT_EQ(rig.writesSinceMark(true), std::vector<std::string>{});
}
