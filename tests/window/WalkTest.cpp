// A first session with the tool on the simulated stack, step by step
// as a new operator goes through it: open, choose the boards, set thresholds
// and duty cycle, write and read back, read cells and temperatures, run the
// cycle, run a self test, read the diagnostics. Each step is checked, and saved
// as docs/walk-N-*.png when QM_SCREENSHOT_DIR names a directory.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "WindowRig.h"
#include "protocol/Colours.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;

namespace {


bool EveryBoardGreen(WindowRig& rig, int boards)
{
    for (int b = 0; b < boards; ++b)
        if (rig.form().Shape12[static_cast<std::size_t>(b)]->fillColor() != colour::kGreen) return false;
    return true;
}

} // namespace

TEST(Screenshots, WalkFromStartToDiagnostics)
{
    // The stack "--simulate" opens (four boards), with one cell that answers
    // self tests wrongly so that the self-test step shows what a failure
    // looks like; every other step is the same as on the healthy stack.
    WindowRig rig("selftest-fault=0:7");
    ASSERT_TRUE(rig.start());
    rig.tick();
    EXPECT_EQ(Text(rig.form().Label_IDstring), "QM7410-1");
    rig.saveScreenshot("walk-1-start.png");

    // Four boards on the stack; thresholds and a comparator duty cycle for
    // every board, written and read back.
    rig.chooseBoards(4);
    rig.writeMeasureMode();
    rig.click(rig.form().Command0[1]); // CDC 3
    rig.click(rig.form().Command1[5]);
    EXPECT_TRUE(rig.form().Shape16[0]->visible()); // "READ CONFIG" is due
    rig.click(rig.form().Command1[6]);
    rig.tick(3);
    EXPECT_EQ(Text(rig.form().Text5[0]), "   E3   ");
    EXPECT_TRUE(EveryBoardGreen(rig, 4));
    EXPECT_EQ(rig.state().acq.keepAliveActive, 1);
    rig.saveScreenshot("walk-2-configured.png");

    // Temperatures, then the cells of every board.
    rig.click(rig.form().Command1[4]);
    rig.click(rig.form().Command1[9]);
    rig.click(rig.form().Command1[2]);
    rig.click(rig.form().Command1[7]);
    rig.tick();
    EXPECT_TRUE(rig.form().Shape16[9]->visible()); // "READ  FLAG" is due next
    for (int c = 1; c <= 12; ++c) EXPECT_EQ(rig.state().status.Code(0, c), 8) << c; // within the thresholds
    rig.saveScreenshot("walk-3-cell-read.png");
    rig.click(rig.form().Command1[8]);
    EXPECT_EQ(rig.state().status.Code(0, 1), 1);

    // The continuous cycle over a few passes.
    rig.click(rig.form().Command1[10]);
    rig.tick(9);
    EXPECT_EQ(Text(rig.form().Command1[10]), "STOP  CONTINUOUS READ CELLS");
    EXPECT_TRUE(EveryBoardGreen(rig, 4));
    rig.saveScreenshot("walk-4-continuous.png");
    rig.click(rig.form().Command1[10]);

    // Self test 1 on cells and temperatures of board 1: every code should
    // read 0x555; the faulty cell 7 answers 0x554 and is marked red.
    rig.click(rig.form().Command5[0]);
    rig.click(rig.form().Command5[3]);
    rig.click(rig.form().Command5[2]);
    rig.click(rig.form().Command5[4]);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(rig.form().Text1[static_cast<std::size_t>(c - 1)]->backColor(), c == 7 ? colour::kRed : colour::kWhite)
            << c;
    EXPECT_EQ(Text(rig.form().Text1[6]), "0x554 ");
    for (auto* t : rig.form().Text6) EXPECT_EQ(t->backColor(), colour::kWhite);
    rig.tick();
    rig.saveScreenshot("walk-5-self-test.png");

    // The diagnostic register of board 1.
    rig.click(rig.form().Command7[0]);
    rig.click(rig.form().Command7[1]);
    rig.tick();
    EXPECT_EQ(Text(rig.form().Text14[2]), "   C    ");
    EXPECT_EQ(Text(rig.form().Text14[3]), " PASS");
    rig.saveScreenshot("walk-6-diagnostics.png");
}
