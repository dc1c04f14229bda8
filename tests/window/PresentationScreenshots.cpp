// Screenshots of the measurement displays, made from the simulated stack. They
// are written only when QM_SCREENSHOT_DIR names a directory.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include "WindowRig.h"

using namespace qm;
using qm::test::WindowRig;

namespace {


} // namespace

// A stack of three boards in mixed states, built as the operator would:
// board 1 with an undervoltage cell (3), an overvoltage cell (8), a discharging
// cell (5), a masked cell (10) and a masked, discharging cell (12); board 2
// with an undervoltage cell; board 3 in thermal shutdown. Thresholds typed,
// CDC raised, written, then one turn of the continuous cycle.
TEST(Screenshots, MixedStates)
{
    WindowRig rig("boards=3,thsd=2");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    rig.chip(0).setCellVolts(3, 2.8);  // below VUV
    rig.chip(0).setCellVolts(8, 4.45); // above VOV
    rig.chip(1).setCellVolts(2, 2.7);
    rig.toggle(rig.form().dccBox(5));
    rig.toggle(rig.form().maskBox(10));
    rig.toggle(rig.form().maskBox(12));
    rig.toggle(rig.form().dccBox(12));
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command1[5]);
    rig.click(rig.form().Command1[10]);
    rig.tick(3);
    ASSERT_EQ(rig.state().status.Code(0, 3), 3);
    ASSERT_EQ(rig.state().status.Code(0, 8), 4);
    ASSERT_EQ(rig.state().status.Code(0, 5), 2);
    ASSERT_EQ(rig.state().status.Code(0, 10), 5);
    ASSERT_EQ(rig.state().status.Code(0, 12), 6);
    ASSERT_EQ(rig.state().status.Code(0, 1), 1);
    ASSERT_EQ(rig.state().status.Code(2, 1), 7);
    rig.saveScreenshot("mixed-states.png");
}
