// The configuration editors' rules on the pending images: register bits of
// the boxes, the changed look and the read-back marks, the duty cycle, the
// option buttons, the standby defaults, and the thresholds (codes and volts,
// box texts, entries and keys). The editors as sequences of operator actions
// (the looks after each edit, the arrows' wrap, the global modes reaching
// every board) are tested with the session.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "config/BitEditors.h"
#include "config/ChangeIndication.h"
#include "config/ConfigModel.h"
#include "config/DutyCycle.h"
#include "config/OptionState.h"
#include "config/Thresholds.h"
#include "protocol/ByteText.h"
#include "protocol/RegisterImages.h"

using namespace qm::config;
using Regs = qm::protocol::ConfigRegisters;

namespace {

// A chain of boards with their pending images and editor state, as the editors see it.
struct Chain {
    qm::protocol::RegisterImages images;
    ConfigState state;
    ConfigContext ctx{images, state, 0, 0};

    explicit Chain(int lastBoard = 0, int currentBoard = 0)
    {
        ResetConfiguration(images, state);
        ctx.lastBoard = lastBoard;
        ctx.currentBoard = currentBoard;
    }
    Chain(const Chain&) = delete; // ctx refers to this object's own members

    std::string& reg(int board, int k) { return images.pending[static_cast<std::size_t>(board)][static_cast<std::size_t>(k)]; }
    BoardConfig& board(int b) { return state.boards[static_cast<std::size_t>(b)]; }
    // What a configuration write leaves behind: the written copy of boards 0..last equals their pending image.
    void write()
    {
        for (int b = 0; b <= ctx.lastBoard; ++b) images.written[static_cast<std::size_t>(b)] = images.pending[static_cast<std::size_t>(b)];
    }
};

} // namespace

TEST(BitEditors, EveryBoxHasItsOwnRegisterBitAndTheTenCellBitGoesToEveryBoardInUse)
{
    const Boxes boxes{false, true, false, true, false, true, true, true};
    EXPECT_EQ(Cfgr0Text(NibblesFromBoxes(boxes)), "EA");
    EXPECT_EQ(BoxesFromByte(0xEA), boxes);
    auto runBit = [](BoxRef b) { return (b.array - 1) * 8 + b.index; }; // CFGR1..CFGR3 as one 24-bit number
    for (int cell = 1; cell <= 12; ++cell) {
        ASSERT_TRUE(DischargeBoxOf(cell) && MaskBoxOf(cell)) << cell;
        EXPECT_EQ(runBit(*DischargeBoxOf(cell)), cell - 1) << cell;
        EXPECT_EQ(runBit(*MaskBoxOf(cell)), cell + 11) << cell;
    }
    for (int bad : {0, 13, -1}) EXPECT_FALSE(DischargeBoxOf(bad) || MaskBoxOf(bad)) << bad;

    Chain c(2, 1);
    c.state.globalCfgr0Mode = 0; // per-board CFGR0 does not matter for this bit
    c.reg(0, 0) = "C5";
    ChangeCfgr0Box(c.ctx, 3, true);
    EXPECT_EQ(c.reg(0, 0) + c.reg(1, 0) + c.reg(2, 0) + c.reg(3, 0), "CDE8E8E0"); // board 3 is beyond the chain
    EXPECT_EQ(c.board(0).cfgr0Low, 0xD) << "nibbles follow the register";
    ChangeCfgr0Box(c.ctx, 3, false);
    ChangeCfgr0Box(c.ctx, 4, true); // any other bit belongs to the current board alone
    EXPECT_EQ(c.reg(0, 0) + c.reg(1, 0) + c.reg(2, 0), "C5F0E0");

    Chain d(3, 2);
    ChangeDischargeBox(d.ctx, 3, true);
    ChangeMaskBox(d.ctx, 12, true);
    ChangeRegisterBox(d.ctx, 0, 1, true); // CFGR0 is not one of these
    ChangeRegisterBox(d.ctx, 4, 1, true);
    ChangeRegisterBox(d.ctx, 2, 8, true);
    ChangeCfgr0Box(d.ctx, 8, true);
    for (int b = 0; b < kBoards; ++b)
        EXPECT_EQ(d.images.pending[static_cast<std::size_t>(b)],
                  (Regs{"E0", b == 2 ? "04" : "00", "00", b == 2 ? "80" : "00", "00", "00"})) << b;

    // A click works on the register, not on stale boxes: the standby defaults
    // clear CFGR1 behind them, and the next click must not bring the old bits back.
    Chain e;
    for (int cell : {1, 2, 3}) ChangeDischargeBox(e.ctx, cell, true);
    EXPECT_EQ(ApplyStandbyDefaults(e.ctx).editors[1], Boxes{}) << "editors handed back for reloading";
    ChangeDischargeBox(e.ctx, 5, true);
    EXPECT_EQ(e.reg(0, 1), "10");
}

TEST(BitEditors, FocusChangedLookAndReadBackAreTheCurrentBoardsOwn)
{
    // Focus on board 1 shows its registers and rewrites only its threshold registers from its codes.
    Chain c(1, 0);
    SelectCfgr0Option(c.ctx, kOptionCustom, "", "");
    SelectThresholdOption(c.ctx, kOptionCustom, "", "");
    c.images.pending[1] = {"93", "5A", "F0", "0C", "00", "00"};
    c.board(1).cdc = 3;
    c.board(1).vovCode = 200;
    c.ctx.currentBoard = 1;
    const BoardFocusRefresh r = RefreshForCurrentBoard(c.ctx, false);
    EXPECT_EQ(c.images.pending[1], (Regs{"93", "5A", "F0", "0C", "00", "C8"}));
    EXPECT_EQ(r.editors[0], BoxesFromByte(0x93));
    EXPECT_EQ(r.editors[3], BoxesFromByte(0x0C));
    EXPECT_EQ(r.cdc.cdc, 3);
    EXPECT_EQ(c.board(1).cfgr0High, 9);
    EXPECT_EQ(c.reg(0, 0), "E0");

    // The changed look: another board's edit does not count; each threshold field by its own register.
    Chain d(1, 0);
    d.write();
    d.reg(1, 2) = "FF";
    EXPECT_FALSE(RefreshConfigurationDisplay(d.ctx).changed);
    d.board(0).vovCode = 40;
    const ConfigDisplay shown = RefreshThresholds(d.ctx).config;
    EXPECT_EQ(shown.vuvLook, kWrittenLook);
    EXPECT_EQ(shown.vovLook, kPendingLook);
    EXPECT_EQ(shown.writeButton, (WriteButtonLook{"WRITECONFIG", 804, 168, 81, 20, true}));

    // Read-back texts while the read-back flag is set, differences from the pending image in red.
    Chain rb(1, 1);
    rb.images.readBack[1] = {"E1", "00", "", "0", "zz", "CF"};
    EXPECT_EQ(ReadBackTexts(rb.images, 1).texts[0], "");
    EXPECT_EQ(ReadBackTexts(rb.images, 1).background, -2147483643);
    rb.images.configReadBackFlag = 1;
    const ReadBackRow row = ReadBackTexts(rb.images, 1);
    EXPECT_EQ(row.texts[0] + "|" + row.texts[5], "   E1   |   CF   ");
    EXPECT_FALSE(row.background);
    // "", "0" and a garbled text all read as 0, which matches "00".
    const Colour w = -2147483643;
    EXPECT_EQ(ReadBackMarks(rb.images, 1), (std::array<Colour, 6>{255, w, w, w, w, 255}));
}

TEST(DutyCycle, ArrowsWrapWithTheirRowsMirrorBitsAndTenCellsKeptAndPropagate)
{
    Chain c;
    auto r = ClickCdcArrow(c.ctx, 0, "", "");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->cdc.tableText, CdcTableText(7));
    EXPECT_FALSE(r->cdc.standby || r->cdc.frameVisible);
    EXPECT_EQ(c.reg(0, 0), "E7");
    r = ClickCdcArrow(c.ctx, 1, "", "");
    EXPECT_EQ(r->cdc.numberText, "0");
    EXPECT_TRUE(r->cdc.standby && r->cdc.frameVisible);
    EXPECT_FALSE(ClickCdcArrow(c.ctx, 2, "", ""));
    ChangeCfgr0Box(c.ctx, 3, true); // 10CELLS stays through every step
    for (int step = 1; step <= 8; ++step) {
        r = ClickCdcArrow(c.ctx, 1, "", "");
        const int cdc = step & 7;
        EXPECT_EQ(r->cdc.mirror, (std::array<bool, 3>{(cdc & 1) != 0, (cdc & 2) != 0, (cdc & 4) != 0})) << cdc;
        EXPECT_EQ(c.reg(0, 0), "E" + std::string(1, "89ABCDEF"[cdc])) << cdc;
        EXPECT_EQ(c.board(0).cfgr0Low, 8 | cdc) << cdc;
    }
    // The arrows propagate the current board's registers and store the box values for every board again.
    Chain two(1, 0);
    two.board(0).vuvCode = 181;
    two.board(0).vovCode = 207;
    RefreshThresholds(two.ctx);
    ClickCdcArrow(two.ctx, 1, "3.600V ", "4.200V ");
    EXPECT_EQ(two.board(1).vuvCode, 181);
    EXPECT_EQ(two.reg(1, 4) + two.reg(1, 5), "B5CF");

    // The table rows and the standby notice.
    EXPECT_EQ(CdcTableText(3), std::string(CdcTableRow(3).values) + std::string(CdcTableRow(3).notes));
    EXPECT_TRUE(CdcTableRow(0).notes.starts_with("|default StandbyMode |"));
    EXPECT_EQ(CdcTableRow(7).notes, CdcTableRow(5).notes);
    EXPECT_NE(CdcTableRow(1).notes, CdcTableRow(2).notes);
    EXPECT_TRUE(CdcTableRow(7).values.starts_with("|            2000mS"));
    EXPECT_EQ(NoticeLabelAfter(0, true), NoticeLabel::ShowStandbyNotice);
    EXPECT_EQ(NoticeLabelAfter(3, false), NoticeLabel::Hide);
    EXPECT_EQ(NoticeLabelAfter(3, true), NoticeLabel::Keep) << "the keep-alive notice stays up";
}

TEST(Options, StandbyDefaultsAndPropagationReachOnlyTheBoardsAndRegistersTheirModesSay)
{
    Chain c(1, 1);
    for (int b = 0; b < 3; ++b) {
        c.board(b) = BoardConfig{.cdc = 5, .vuvCode = 100, .vovCode = 200};
        c.images.pending[static_cast<std::size_t>(b)] = {"FD", "5A", "5A", "5A", "64", "C8"};
    }
    const StandbyRefresh r = ApplyStandbyDefaults(c.ctx);
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(c.images.pending[static_cast<std::size_t>(b)], qm::protocol::DefaultConfiguration()) << b;
        EXPECT_EQ(c.board(b), BoardConfig{}) << b;
    }
    EXPECT_EQ(c.reg(2, 0) + c.reg(2, 3), "FD5A"); // beyond the boards in use: kept
    EXPECT_EQ(c.board(2).vuvCode, 100);
    EXPECT_TRUE(r.cdc.standby);
    EXPECT_EQ(r.thresholds.vuvText, "-0.744V ");

    // Board 1 of three (current) has its own edits; the others hold the
    // defaults, and board 3 lies beyond the chain.
    const std::tuple<int, int, const char*> cases[] = {
        {0, 0, "E00000"}, {1, 0, "F30000"}, {0, 1, "E0B5C8"}, {1, 1, "F3B5C8"}};
    for (const auto& [cfgr0Mode, thresholdMode, copied] : cases) {
        Chain p(2, 1);
        p.state.globalCfgr0Mode = static_cast<std::int16_t>(cfgr0Mode);
        p.state.globalThresholdMode = static_cast<std::int16_t>(thresholdMode);
        p.images.pending[1] = {"F3", "11", "00", "00", "B5", "C8"};
        p.board(1).vuvCode = 181;
        Propagate(p.ctx);
        const std::string tag = std::to_string(cfgr0Mode) + "/" + std::to_string(thresholdMode);
        for (int b : {0, 2}) {
            EXPECT_EQ(p.reg(b, 0) + p.reg(b, 4) + p.reg(b, 5), copied) << tag << " board " << b;
            EXPECT_EQ(p.reg(b, 1), "00") << "discharge bits are never propagated";
            EXPECT_EQ(p.board(b).vuvCode, 0) << "codes are not copied, only registers";
        }
        EXPECT_EQ(p.board(0).cfgr0High, cfgr0Mode == 1 ? 0xF : 0xE) << tag;
        EXPECT_EQ(p.reg(3, 0) + p.reg(3, 4), "E000") << tag << " board beyond the last index";
    }
}

// What each option does to every board is tested with the session; here
// the cases it cannot reach.
TEST(Options, ButtonsStoreOnlyCheckedBoxValuesAndTheCdcAsTheirModeSays)
{
    Chain c(2, 1);
    EXPECT_FALSE(SelectCfgr0Option(c.ctx, kOptionCustom, "", "")); // only the mode changes
    EXPECT_EQ(c.state.globalCfgr0Mode, 0);
    EXPECT_FALSE(SelectCfgr0Option(c.ctx, 2, "", "")); // no such element
    EXPECT_EQ(c.state.cfgr0Option, kOptionCustom);
    // A box left holding a typed value that was never checked keeps the
    // stored code: 9 V would be VUV code 406.
    c.board(1).vuvCode = 100;
    c.board(1).vovCode = 200;
    ApplyOptionState(c.ctx, "9", "-5");
    EXPECT_EQ(c.board(1).vuvCode, 100);
    EXPECT_EQ(c.board(1).vovCode, 200);
    EXPECT_EQ(c.reg(1, 4) + c.reg(1, 5), "64C8");
    for (const auto option : {kOptionCustom, kOptionGlobal, kOptionNone}) {
        Chain d(2, 0);
        d.state.cfgr0Option = option;
        d.reg(0, 0) = "ED"; // 10CELLS and CDC 5
        ApplyOptionState(d.ctx, "", "");
        EXPECT_EQ(d.board(0).cdc, option == kOptionNone ? 0 : 5) << option;
        EXPECT_EQ(d.board(2).cdc, option == kOptionGlobal ? 5 : 0) << option;
        EXPECT_EQ(d.board(3).cdc, 0) << option;
    }
}

TEST(ThresholdConversions, CodeEndsRoundTripsOfEveryCodeAndRoundingHalfToEvenWithinAByte)
{
    EXPECT_FLOAT_EQ(VuvCodeToVolts(0), -0.744f);
    EXPECT_FLOAT_EQ(VuvCodeToVolts(255), 5.376f);
    EXPECT_FLOAT_EQ(VovCodeToVolts(0), -0.768f);
    EXPECT_FLOAT_EQ(VovCodeToVolts(255), 5.352f);
    // Every code survives the trip through its box text and back.
    for (int k = 0; k <= 255; ++k) {
        EXPECT_EQ(VuvCodeOfText(ThresholdText(VuvCodeToVolts(k))), k) << k;
        EXPECT_EQ(VovCodeOfText(ThresholdText(VovCodeToVolts(k))), k) << k;
    }
    // Rounding is half to even, within a byte.
    const std::pair<float, int> cases[] = {
        {0.5f, 0},    {1.5f, 2},     {2.5f, 2},   {2.5001f, 3}, {114.333f, 114}, {180.99f, 181},
        {254.5f, 254}, {255.4f, 255}, {-0.4f, 0}, {-3.0f, 0},   {300.0f, 255},  {1e30f, 255},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(RoundHalfEven(in), out) << in;
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEven(-std::numeric_limits<float>::infinity()), 0);
}

TEST(ThresholdTexts, NumericPrefixOfABoxTextAndTheTextOfVolts)
{
    const std::pair<const char*, float> cases[] = {
        {"3.600V ", 3.6f}, {"  -0.744V ", -0.744f}, {"", 0.0f},      {"Set VUV", 0.0f}, {"-", 0.0f},
        {".", 0.0f},       {"-.5", -0.5f},          {"1.2.3", 1.2f}, {"+2", 2.0f},      {"1e5", 1.0f},
        {"007", 7.0f},     {"5.", 5.0f},
    };
    for (const auto& [text, value] : cases) EXPECT_FLOAT_EQ(NumericPrefix(text), value) << '"' << text << '"';
    EXPECT_TRUE(std::isinf(NumericPrefix(std::string(60, '9'))));
    EXPECT_TRUE(std::isinf(NumericPrefix(std::string(400, '9'))));
    EXPECT_EQ(NumericPrefix("0." + std::string(400, '0') + "1"), 0.0f);
    // Volts show three decimals and the sign before the digits.
    const std::pair<float, const char*> shown[] = {{3.6f, "3.600V "}, {1.992f, "1.992V "}, {-0.744f, "-0.744V "},
        {5.352f, "5.352V "}, {0.0f, "0.000V "}, {-0.0001f, "0.000V "}, {VuvCodeToVolts(31), "0.000V "}};
    for (const auto& [volts, text] : shown) EXPECT_EQ(ThresholdText(volts), text) << volts;
}

// Leaving a box checks both texts and stores only the one left; the boxes show the stored values after.
TEST(ThresholdEntry, LeavingABoxChecksBothAndStoresOne)
{
    const char* const kVuvRange = "Only Enter Values Between -0.744V and 5.376V.";
    const char* const kVovRange = "Only Enter Values Between  -0.768V and 5.352V.";
    const char* const kOrder = "VUV must be less than VOV";
    struct { const char* name; int vovCode, box; const char *vuv, *vov, *message; int vuvAfter, vovAfter; } cases[] = {
        {"lowest VUV", 207, 0, "-0.744", "4.200V ", nullptr, 0, 207},
        {"start values, 0 V", 0, 0, "0", "-0.768V ", kOrder, 0, 0},
        {"highest VOV", 0, 1, "-0.744V ", "5.352", nullptr, 0, 255},
        {"VOV too low", 0, 1, "-0.744V ", "-0.769", kVovRange, 0, 0},
        {"equal volts pass", 115, 0, "2.000", "2.000", nullptr, 114, 115},
        {"equal codes do not", 182, 0, "3.624", "3.600V ", kOrder, 0, 182},
        {"other box not stored", 0, 1, "2.000", "2.000", nullptr, 0, 115},
        {"empty VUV reads 0 V", 207, 0, "", "4.200V ", nullptr, 31, 207},
        {"VUV too high", 255, 0, "5.377", "5.352V ", kVuvRange, 0, 255},
        {"VUV too low", 255, 0, "-0.745", "5.352V ", kVuvRange, 0, 255},
        {"highest VUV", 255, 0, "5.376", "5.352V ", nullptr, 255, 255},
        {"VUV range first", 0, 1, "9", "9", kVuvRange, 0, 0},
        {"huge number", 0, 1, "-0.744V ", "99999999999999999999999999999999999999999999", kVovRange, 0, 0},
    };
    for (const auto& k : cases) {
        Chain c;
        c.board(0).vovCode = k.vovCode;
        const EntryResult r = LeaveThresholdBox(c.ctx, k.box, k.vuv, k.vov);
        EXPECT_EQ(r.message.value_or("accepted"), k.message ? k.message : "accepted") << k.name;
        EXPECT_EQ(c.board(0).vuvCode, k.vuvAfter) << k.name;
        EXPECT_EQ(c.board(0).vovCode, k.vovAfter) << k.name;
        EXPECT_EQ(r.display.vuvText, ThresholdText(VuvCodeToVolts(k.vuvAfter))) << k.name;
        EXPECT_EQ(r.display.vovText, ThresholdText(VovCodeToVolts(k.vovAfter))) << k.name;
        EXPECT_EQ(r.display.vuvZeroMarker, k.vuvAfter == 0) << k.name;
        EXPECT_EQ(c.reg(0, 4), qm::protocol::ByteText(static_cast<std::uint8_t>(k.vuvAfter))) << k.name;
    }
    Chain badBox; // neither box: nothing checked, nothing stored
    EXPECT_FALSE(LeaveThresholdBox(badBox.ctx, 2, "0", "4.2").message);
    EXPECT_EQ(badBox.board(0).vuvCode + badBox.board(0).vovCode, 0);
}

TEST(ThresholdKeys, FilterTrimsThenAcceptsOnlyWhatCanFormANumber)
{
    struct { const char* text; int caret; char32_t key; bool accepted, focus; const char* trimmed; int caretAfter; } cases[] = {
        {"3.6", 3, 8, true, false, "3.6", 3},
        {"3.6", 3, 13, true, true, "3.6", 3},
        {"3.6", 3, U'.', false, false, "3.6", 3},
        {"36", 1, U'.', true, false, "36", 1},
        {"", 0, U'-', true, false, "", 0},
        {"3", 1, U'-', false, false, "3", 1},
        {"-3", 0, U'-', false, false, "-3", 0},
        {"  3 ", 2, U'-', true, false, "3", 0},
        {"  3 ", 3, U'-', false, false, "3", 1},
        {"  3 ", 9, U'7', true, false, "3", 1},
        {"3", 1, U'a', false, false, "3", 1},
        {"3", 1, U' ', false, false, "3", 1},
        {"3", 1, U'+', false, false, "3", 1},
        {"3", 1, U'\u0663', false, false, "3", 1}, // a digit of another script
        {"3", 1, 22, false, false, "3", 1},        // Ctrl+V
        {"   ", 1, U'5', true, false, "", 0},
    };
    for (const auto& k : cases) {
        const KeyDecision d = FilterThresholdKey(k.text, k.caret, k.key);
        const std::string tag = std::string("\"") + k.text + "\" key " + std::to_string(static_cast<unsigned>(k.key));
        EXPECT_EQ(d.accepted, k.accepted) << tag;
        EXPECT_EQ(d.focusWriteConfig, k.focus) << tag;
        EXPECT_EQ(d.text, k.trimmed) << tag;
        EXPECT_EQ(d.caret, k.caretAfter) << tag;
    }
}
