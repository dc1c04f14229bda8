// Single-cell and single-temperature selection and the 10/12-cell layout in
// the window: what the panels and the grid look like, which start selector
// the commands then send, and what the layout does to the pending images.
#include <gtest/gtest.h>

#include <string>

#include "WindowRig.h"
#include "protocol/Colours.h"
#include "protocol/Pec.h"

using namespace qm;
using qm::test::Text;
using qm::test::WindowRig;
using Fill = ui::Shape::FillStyle;

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

std::string StartFrame(const std::string& command)
{
    return "MSxS" + command + "S" + protocol::CommandPec(command) + "X";
}

bool Shown(WindowRig& rig, const QWidget* w) { return w->isVisibleTo(&rig.form()); }

// The look of cell panel c: in the selection (or no selection at all) or
// greyed out, and its overview squares on boards 0..last.
void ExpectCellPanel(WindowRig& rig, int c, bool on, int last)
{
    const auto i = U(c - 1);
    auto& f = rig.form();
    const int line = on ? colour::kSysWindowText : colour::kGrey;
    const Fill fill = on ? Fill::Solid : Fill::Transparent;
    SCOPED_TRACE("cell " + std::to_string(c));
    EXPECT_EQ(f.Frame1[i]->foreColor(), line);
    EXPECT_EQ(f.Check6[i]->foreColor(), line);
    EXPECT_EQ(f.Check6[i]->isEnabled(), on);
    EXPECT_EQ(f.maskBox(c)->foreColor(), line);
    EXPECT_EQ(f.dccBox(c)->foreColor(), line);
    for (const ui::Line* l : {f.Line7[i], f.Line9[i], f.Line10[i]}) EXPECT_EQ(l->borderColor(), line);
    for (const ui::Shape* s : {f.Shape2[i], f.Shape4[i]}) {
        EXPECT_EQ(s->borderColor(), line);
        EXPECT_EQ(s->fillStyle(), fill);
    }
    EXPECT_EQ(f.Text1[i]->backColor(), on ? colour::kSysWindowText : colour::kGrey);
    for (int b = 0; b <= last; ++b) EXPECT_EQ(f.Shape1[U(12 * b + c - 1)]->fillStyle(), fill) << "board " << b;
}

void ExpectTemperatureRow(WindowRig& rig, int row, bool on)
{
    auto& f = rig.form();
    const auto r = U(row);
    const int line = on ? colour::kSysWindowText : colour::kGrey;
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(f.Check7[r]->foreColor(), line);
    EXPECT_EQ(f.Check7[r]->isEnabled(), on);
    for (const ui::Shape* s : {f.Shape6[r], f.Shape7[r], f.Shape8[r]}) {
        EXPECT_EQ(s->borderColor(), line);
        EXPECT_EQ(s->fillStyle(), on ? Fill::Solid : Fill::Transparent);
    }
    EXPECT_EQ(f.Text6[r]->backColor(), on ? colour::kBlack : colour::kGrey);
}

int PendingCfgr0(WindowRig& rig, int board)
{
    return std::stoi(rig.state().images.pending[U(board)][0], nullptr, 16);
}

} // namespace

TEST(CellSelection, OneTickedCellGreysTheOthersOnEveryBoardAndIsTheOnlyOneConverted)
{
    const struct {
        int cell;
        const char* selector;
    } cases[] = {{1, "1"}, {5, "5"}, {10, "A"}, {12, "C"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.selector);
        WindowRig rig("boards=3");
        ASSERT_TRUE(rig.start());
        rig.chooseBoards(3);
        rig.toggle(rig.form().Check6[U(k.cell - 1)]);
        EXPECT_EQ(rig.state().acq.cellSelector, k.selector);
        for (int c = 1; c <= 12; ++c) ExpectCellPanel(rig, c, c == k.cell, 2);

        rig.click(rig.form().Command1[2]); // START CELL VOLT
        EXPECT_EQ(rig.rec.writes().back(), StartFrame(std::string("1") + k.selector));
        rig.click(rig.form().Command1[3]); // START OPEN WIRE
        EXPECT_EQ(rig.rec.writes().back(), StartFrame(std::string("2") + k.selector));
        // The cleared texts keep the selection's look.
        for (int c = 1; c <= 12; ++c)
            EXPECT_EQ(rig.form().Text1[U(c - 1)]->backColor(), c == k.cell ? colour::kSysWindowText : colour::kGrey);

        rig.toggle(rig.form().Check6[U(k.cell - 1)]);
        EXPECT_EQ(rig.state().acq.cellSelector, "0");
        for (int c = 1; c <= 12; ++c) ExpectCellPanel(rig, c, true, 2);
        rig.click(rig.form().Command1[2]);
        EXPECT_EQ(rig.rec.writes().back(), StartFrame("10"));
    }
}

TEST(CellSelection, ValuesOfExcludedCellsAreStillWrittenOnGrey)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    rig.typeThreshold(1, "4.2");
    rig.typeThreshold(0, "3.0");
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command0[1]);
    rig.click(rig.form().Command1[5]);
    rig.click(rig.form().Command1[2]); // every cell converted once
    rig.toggle(rig.form().Check6[4]);
    rig.click(rig.form().Command1[7]); // READ CELL VOLT
    for (int c = 1; c <= 12; ++c) {
        EXPECT_NE(Text(rig.form().Text1[U(c - 1)]), " 0.0000V  ") << c;
        EXPECT_EQ(rig.form().Text1[U(c - 1)]->backColor(), c == 5 ? colour::kSysWindowText : colour::kGrey) << c;
        EXPECT_EQ(rig.form().Text1[U(c - 1)]->foreColor(), colour::kWhite) << c;
    }
}

TEST(CellSelection, RawCodeViewKeepsTheSelectionLook)
{
    WindowRig rig("boards=1");
    ASSERT_TRUE(rig.start());
    auto& f = rig.form();
    rig.click(f.Command0[1]); // measuring, so that the self tests pass
    rig.click(f.Command0[1]);
    rig.click(f.Command1[5]);
    rig.toggle(f.Check6[4]);
    rig.toggle(f.Check7[1]);
    // Self test starts and their raw-code reads; the second read of each shows
    // the codes without the self-test check colouring them.
    rig.click(f.Command5[0]);
    rig.click(f.Command5[3]);
    rig.click(f.Command5[3]);
    rig.click(f.Command5[2]);
    rig.click(f.Command5[4]);
    rig.click(f.Command5[4]);
    for (int c = 1; c <= 12; ++c) {
        EXPECT_EQ(Text(f.Text1[U(c - 1)]).substr(0, 2), "0x") << c;
        EXPECT_EQ(f.Text1[U(c - 1)]->backColor(), c == 5 ? colour::kWhite : colour::kGrey) << c;
        EXPECT_EQ(f.Text1[U(c - 1)]->foreColor(), colour::kSysWindowText) << c;
    }
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(f.Text6[U(row)]->backColor(), row == 1 ? colour::kWhite : colour::kGrey) << row;

    // Cleared while the raw codes show: every box back to the raw-code look.
    rig.toggle(f.Check6[4]);
    rig.toggle(f.Check7[1]);
    for (auto* box : f.Text1) EXPECT_EQ(box->backColor(), colour::kWhite);
    for (auto* box : f.Text6) EXPECT_EQ(box->backColor(), colour::kWhite);
    EXPECT_EQ(f.Text1[0]->foreColor(), colour::kSysWindowText);
}

TEST(CellSelection, GridColumnsFollowBoardCountChanges)
{
    WindowRig rig("boards=4");
    ASSERT_TRUE(rig.start());
    // Selected with one board on the stack, then grown: the new columns follow.
    rig.toggle(rig.form().Check6[4]);
    rig.chooseBoards(3);
    for (int c = 1; c <= 12; ++c) ExpectCellPanel(rig, c, c == 5, 2);

    // Shrunk while selected, cleared, grown again: no column stays hollow.
    rig.chooseBoards(1);
    rig.toggle(rig.form().Check6[4]);
    rig.chooseBoards(4);
    for (int c = 1; c <= 12; ++c) ExpectCellPanel(rig, c, true, 3);
}

TEST(TemperatureSelection, OneTickedInputIsTheOnlyOneConverted)
{
    const struct {
        int row;
        const char* selector;
    } cases[] = {{0, "3"}, {1, "1"}, {2, "2"}}; // ITMP Only, ETMP1Only, ETMP2Only
    for (const auto& k : cases) {
        SCOPED_TRACE(k.selector);
        WindowRig rig("boards=1");
        ASSERT_TRUE(rig.start());
        rig.toggle(rig.form().Check7[U(k.row)]);
        EXPECT_EQ(rig.state().acq.temperatureSelector, k.selector);
        for (int row = 0; row < 3; ++row) ExpectTemperatureRow(rig, row, row == k.row);
        rig.click(rig.form().Command1[4]); // START TEMP
        EXPECT_EQ(rig.rec.writes().back(), StartFrame(std::string("3") + k.selector));
        EXPECT_EQ(rig.form().Text6[U(k.row)]->backColor(), colour::kBlack);

        rig.toggle(rig.form().Check7[U(k.row)]);
        EXPECT_EQ(rig.state().acq.temperatureSelector, "0");
        for (int row = 0; row < 3; ++row) ExpectTemperatureRow(rig, row, true);
        rig.click(rig.form().Command1[4]);
        EXPECT_EQ(rig.rec.writes().back(), StartFrame("30"));
    }
}

TEST(CellCountLayout, TenCellsHidesCellsElevenAndTwelveAndMarksEveryBoardPending)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(2);
    rig.click(rig.form().Command1[5]); // nothing pending
    ASSERT_EQ(rig.state().config.configChanged, 0);
    auto& f = rig.form();

    rig.toggle(f.Check0[3]); // 10CELLS
    for (int c = 11; c <= 12; ++c) {
        const auto i = U(c - 1);
        SCOPED_TRACE("cell " + std::to_string(c));
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 f.Text1[i], f.Check6[i], f.maskBox(c), f.dccBox(c), f.Shape2[i], f.Shape4[i], f.Shape5[i],
                 f.Line7[i], f.Line9[i], f.Line10[i]})
            EXPECT_FALSE(Shown(rig, w));
        EXPECT_EQ(Text(f.Frame1[i]), "");
        for (int b = 0; b < 2; ++b) EXPECT_FALSE(Shown(rig, f.Shape1[U(12 * b + c - 1)])) << b;
    }
    for (int c = 1; c <= 10; ++c) {
        EXPECT_TRUE(Shown(rig, f.Text1[U(c - 1)])) << c;
        EXPECT_TRUE(Shown(rig, f.Shape1[U(c - 1)])) << c;
    }
    EXPECT_FALSE(Shown(rig, f.Line10[12])); // the wire into cell 12 from the top of the stack
    EXPECT_EQ(Text(f.Command8[2]), "READ CELL   9 -10");
    for (int b = 0; b < 2; ++b) EXPECT_EQ(PendingCfgr0(rig, b) & 0x08, 0x08) << b;
    EXPECT_EQ(rig.state().config.configChanged, 1);
    EXPECT_EQ(f.Text4[0]->foreColor(), colour::kDarkCyan);
    EXPECT_EQ(f.Text4[0]->backColor(), colour::kLightGrey);

    // A third board joins the 10-cell layout; the look stays until a write.
    rig.chooseBoards(3);
    EXPECT_EQ(PendingCfgr0(rig, 2) & 0x08, 0x08);
    EXPECT_FALSE(Shown(rig, f.Shape1[U(24 + 10)]));
    EXPECT_FALSE(Shown(rig, f.Shape1[U(24 + 11)]));
    rig.click(f.Command4[1]);
    EXPECT_EQ(f.Text4[0]->backColor(), colour::kLightGrey);
    rig.click(f.Command1[5]);
    EXPECT_EQ(rig.state().config.configChanged, 0);
    EXPECT_EQ(rig.state().images.writtenTenCellFlag, 1);
    EXPECT_EQ(f.Text4[0]->backColor(), colour::kWhite);
    for (int b = 0; b < 3; ++b) EXPECT_TRUE(rig.chip(b).tenCellMode()) << b;

    rig.toggle(f.Check0[3]); // back to twelve cells
    for (int c = 11; c <= 12; ++c) {
        const auto i = U(c - 1);
        EXPECT_TRUE(Shown(rig, f.Text1[i]));
        EXPECT_TRUE(Shown(rig, f.Shape2[i]));
        EXPECT_TRUE(Shown(rig, f.Line10[i]));
        EXPECT_EQ(Text(f.Frame1[i]), "CELL" + std::to_string(c));
        for (int b = 0; b < 3; ++b) EXPECT_TRUE(Shown(rig, f.Shape1[U(12 * b + c - 1)])) << b;
    }
    EXPECT_TRUE(Shown(rig, f.Line10[12]));
    EXPECT_EQ(Text(f.Command8[2]), "READ CELL   9 -12");
    for (int b = 0; b < 3; ++b) EXPECT_EQ(PendingCfgr0(rig, b) & 0x08, 0) << b;
    EXPECT_EQ(f.Text4[0]->backColor(), colour::kLightGrey);
}

TEST(CellCountLayout, BoardsBeyondTheStackAreLeftToTheirColumn)
{
    WindowRig rig("boards=3");
    ASSERT_TRUE(rig.start());
    rig.chooseBoards(3);
    rig.chooseBoards(1);
    rig.toggle(rig.form().Check0[3]);
    // Only board 1 is on the stack: the other boards' images stay as they were.
    EXPECT_EQ(PendingCfgr0(rig, 0) & 0x08, 0x08);
    EXPECT_EQ(PendingCfgr0(rig, 1) & 0x08, 0);
    rig.toggle(rig.form().Check0[3]);
    rig.chooseBoards(3);
    for (int b = 0; b < 3; ++b)
        for (int c = 1; c <= 12; ++c) EXPECT_TRUE(Shown(rig, rig.form().Shape1[U(12 * b + c - 1)])) << b << " " << c;
}

TEST(CellSelection, TheTenCellLayoutReleasesASelectionOfCellElevenOrTwelve)
{
    qm::test::WindowRig rig;
    ASSERT_TRUE(rig.start());
    rig.toggle(rig.form().Check6[11]);
    EXPECT_EQ(rig.state().acq.cellSelector, "C");
    EXPECT_FALSE(rig.form().Check6[0]->isEnabled());
    rig.toggle(rig.form().Check0[3]); // 10CELLS
    EXPECT_EQ(rig.form().Check6[11]->value(), 0);
    EXPECT_EQ(rig.state().acq.cellSelector, "0");
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(rig.form().Check6[static_cast<std::size_t>(i)]->isEnabled()) << i;
    rig.click(rig.form().Command1[2]);
    EXPECT_EQ(rig.rec.writes().back(), "MSxS10SB0X");
}
