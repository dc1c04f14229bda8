// The "SELF TEST START A/D" panel against the simulated chain: a start button
// converts with the pattern selector and arms the check, the hex-view read
// shows the current board's codes and colours each box white or red.
#include <gtest/gtest.h>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The cells whose box is red, numbered 1..12.
std::vector<int> RedCells(ui::Form& form)
{
    std::vector<int> red;
    for (int c = 1; c <= 12; ++c)
        if (form.Text1[U(c - 1)]->backColor() == colour::kRed) red.push_back(c);
    return red;
}

std::vector<int> RedTemperatureRows(ui::Form& form)
{
    std::vector<int> red;
    for (int r = 0; r < 3; ++r)
        if (form.Text6[U(r)]->backColor() == colour::kRed) red.push_back(r);
    return red;
}

// The first frame written since the mark that starts with "MSxS": a start.
std::string FirstStart(const std::vector<std::string>& writes)
{
    for (const auto& w : writes)
        if (w.rfind("MSxS", 0) == 0) return w.substr(4, 2);
    return {};
}

} // namespace

TEST(SelfTest, EachPatternPassesOnAHealthyBoardAndMarksOnlyTheFaultyCell)
{
    struct Case {
        int option;
        const char* command; // the CELL VOLT start byte
        const char* good;    // the box text of a healthy cell
        std::vector<int> red;
    };
    // The faulty cell answers the pattern with its lowest bit flipped; the
    // clear pattern sets every code to 0xFFF whatever the cell.
    const std::vector<Case> cases{
        {0, "1E", "0x555 ", {7}},
        {1, "1F", "0xAAA ", {7}},
        {2, "1D", "0xFFF ", {}},
    };
    for (const Case& k : cases) {
        WindowRig rig("boards=2,selftest-fault=0:7");
        ASSERT_TRUE(rig.start());
        rig.writeMeasureMode();
        rig.choose(rig.form().Option2[U(k.option)]);
        rig.markWrites();
        rig.click(rig.form().Command5[0]); // "CELL VOLT"
        EXPECT_EQ(FirstStart(rig.writesSinceMark()), k.command) << k.option;
        EXPECT_EQ(Text(rig.form().Text1[0]), "0x000 ");
        EXPECT_EQ(rig.state().acq.cellSelfTestPending, -1);

        rig.click(rig.form().Command5[3]); // "READCELL HEX VIEW"
        EXPECT_EQ(RedCells(rig.form()), k.red) << k.option;
        EXPECT_EQ(Text(rig.form().Text1[0]), k.good) << k.option;
        EXPECT_EQ(Text(rig.form().Text1[11]), k.good) << k.option;
        EXPECT_EQ(rig.state().acq.cellSelfTestPending, 0);
        // A second read colours nothing: the check was consumed.
        rig.click(rig.form().Command5[3]);
        EXPECT_TRUE(RedCells(rig.form()).empty()) << k.option;
    }
}

TEST(SelfTest, OptionsRewriteTheFiveToolTipsAndTheStartBytes)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    struct Case {
        int option;
        const char* what;
        char selector;
    };
    for (const Case& k : {Case{2, "CLEAR (FF) ALL", 'D'}, Case{1, "SELF TEST2 ALL", 'F'}, Case{0, "SELF TEST1 ALL", 'E'}}) {
        rig.choose(rig.form().Option2[U(k.option)]);
        const std::string sel(1, k.selector);
        const std::vector<std::pair<int, std::string>> tips{
            {0, "0x1" + sel + " STCVAD "},  {5, "0x6" + sel + " STCVDC "}, {1, "0x2" + sel + " STOWAD "},
            {6, "0x7" + sel + " STOWDC "},  {2, "0x3" + sel + " STTMPAD "},
        };
        for (const auto& [button, head] : tips)
            EXPECT_EQ(rig.form().Command5[U(button)]->toolTip().toStdString(), head + k.what) << button;

        // Every start button sends its kind with the chosen selector.
        for (const auto& [button, head] : tips) {
            rig.markWrites();
            rig.click(rig.form().Command5[U(button)]);
            EXPECT_EQ(FirstStart(rig.writesSinceMark()), head.substr(2, 2)) << button;
        }
    }
}

TEST(SelfTest, ACheckRunsOnlyRightAfterItsStart)
{
    // Without a start the hex view shows measured codes and colours nothing.
    {
        WindowRig rig;
        ASSERT_TRUE(rig.start());
        rig.writeMeasureMode();
        rig.click(rig.form().Command1[2]);
        rig.click(rig.form().Command5[3]);
        EXPECT_TRUE(RedCells(rig.form()).empty());
        EXPECT_EQ(Text(rig.form().Text1[0]).substr(0, 2), "0x");
        EXPECT_NE(Text(rig.form().Text1[0]), "0x555 ");
    }
    // A normal start or a hold-discharge start in between cancels the check:
    // the codes are measured ones then, and nothing is coloured.
    for (int cancel : {0, 1, 2}) {
        WindowRig rig;
        ASSERT_TRUE(rig.start());
        rig.writeMeasureMode();
        rig.click(rig.form().Command5[0]);
        if (cancel == 0) rig.click(rig.form().Command1[2]);      // "STARTCELLVOLT"
        else if (cancel == 1) rig.click(rig.form().Command1[3]); // "STARTOPENWIRE"
        else rig.click(rig.form().Command3[0]);                  // "STARTCELL hold DCC"
        EXPECT_EQ(rig.state().acq.cellSelfTestPending, 0) << cancel;
        rig.click(rig.form().Command5[3]);
        EXPECT_TRUE(RedCells(rig.form()).empty()) << cancel;
    }
    // The temperature check is cancelled by "START TEMP" only.
    {
        WindowRig rig;
        ASSERT_TRUE(rig.start());
        rig.writeMeasureMode();
        rig.click(rig.form().Command5[2]);
        rig.click(rig.form().Command1[2]);
        EXPECT_EQ(rig.state().acq.temperatureSelfTestPending, -1);
        rig.click(rig.form().Command1[4]);
        EXPECT_EQ(rig.state().acq.temperatureSelfTestPending, 0);
    }
}

TEST(SelfTest, TemperatureCheckComparesTheBlankLedText)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode();
    rig.click(rig.form().Command5[2]); // "ALL TEMP"
    EXPECT_EQ(Text(rig.form().Text6[0]), " 0x000 ");
    EXPECT_EQ(rig.form().Shape6[0]->fillColor(), colour::kSysWindow);
    rig.click(rig.form().Command5[4]); // "READTEMP HEX VIEW"
    for (int r = 0; r < 3; ++r) EXPECT_EQ(Text(rig.form().Text6[U(r)]), " 0x555 ") << r;
    EXPECT_TRUE(RedTemperatureRows(rig.form()).empty());

    // The check compares with the pattern chosen when the read is pressed:
    // started with 0x555 and read expecting 0xAAA, all three rows fail.
    rig.click(rig.form().Command5[2]);
    rig.choose(rig.form().Option2[1]);
    rig.click(rig.form().Command5[4]);
    EXPECT_EQ(RedTemperatureRows(rig.form()), (std::vector<int>{0, 1, 2}));
}

TEST(SelfTest, OnlyTheCurrentBoardIsChecked)
{
    WindowRig rig("boards=2,selftest-fault=1:4");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.writeMeasureMode();
    // Board 1 is current and healthy: board 2's faulty cell does not count.
    rig.click(rig.form().Command5[0]);
    rig.click(rig.form().Command5[3]);
    EXPECT_TRUE(RedCells(rig.form()).empty());

    // Board 2 shows its codes, but the check was consumed by the read.
    rig.click(rig.form().Command4[1]);
    rig.click(rig.form().Command5[3]);
    EXPECT_EQ(Text(rig.form().Text1[3]), "0x554 ");
    EXPECT_TRUE(RedCells(rig.form()).empty());

    // Started and read with board 2 current, its faulty cell turns red.
    rig.click(rig.form().Command5[0]);
    rig.click(rig.form().Command5[3]);
    EXPECT_EQ(RedCells(rig.form()), (std::vector<int>{4}));
}

TEST(SelfTest, DischargeStartsLightTheLampAndAllPanelControlsPauseWithTheCycle)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode();
    for (const auto& [button, lamp] : std::vector<std::pair<int, int>>{
             {5, colour::kLightBlue}, {0, colour::kWhite}, {6, colour::kLightBlue}, {1, colour::kWhite}}) {
        rig.click(rig.form().Command5[U(button)]);
        EXPECT_EQ(rig.form().Shape13->fillColor(), lamp) << button;
        EXPECT_EQ(rig.state().acq.cellHexView, 1);
    }

    rig.click(rig.form().Command1[10]);
    for (auto* b : rig.form().Command5) EXPECT_FALSE(b->isEnabled());
    for (auto* o : rig.form().Option2) EXPECT_FALSE(o->isEnabled());
    rig.click(rig.form().Command1[10]);
    for (auto* b : rig.form().Command5) EXPECT_TRUE(b->isEnabled());
    for (auto* o : rig.form().Option2) EXPECT_TRUE(o->isEnabled());
}

TEST(SelfTest, AStartAfterPollAdcClosesThePollFrameFirst)
{
    WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.writeMeasureMode();
    rig.click(rig.form().Command1[0]); // "POLL ADC" leaves its frame open
    ASSERT_EQ(rig.state().acq.openPoll, 1);
    rig.markWrites();
    rig.click(rig.form().Command5[0]);
    const auto writes = rig.writesSinceMark();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), "MSX");
    EXPECT_EQ(rig.state().acq.openPoll, 0);
    // The chips ran the self test instead of taking the start as part of the poll.
    rig.click(rig.form().Command5[3]);
    EXPECT_TRUE(RedCells(rig.form()).empty());
    EXPECT_EQ(Text(rig.form().Text1[0]), "0x555 ");
}
