#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/NullDevice.h"
#include "link/RecordingDevice.h"
#include "protocol/ChainProtocol.h"
#include "protocol/Colours.h"
#include "support/Replies.h"
#include "support/ScriptedDevice.h"

using namespace qm::protocol;
using qm::test::BoardBytes;
using qm::test::ChainReply;
using qm::test::PackCodes;

namespace {

struct Fixture {
    qm::test::ScriptedDevice board;
    qm::link::RecordingDevice rec{board};
    RegisterImages images;
    TransferPanel panel;
    ChainSelection chain;
    ChainProtocol proto{rec, images, panel, chain};

    explicit Fixture(int boards = 1) { chain.lastBoardIndex = boards - 1; }
    void allMeasuring()
    {
        for (auto& v : images.configReadValid) v = 1;
    }
};

std::vector<unsigned> Codes(unsigned first, int count)
{
    std::vector<unsigned> v;
    for (int i = 0; i < count; ++i) v.push_back(first + static_cast<unsigned>(i));
    return v;
}

} // namespace

TEST(StartCommands, FramesPanelAndValidity)
{
    Fixture f(3);
    for (auto& v : f.images.cellValid) v = 1;
    for (auto& v : f.images.flagValid) v = 1;
    f.proto.StartCellConversion(CellStartKind::STCVAD, "0");
    EXPECT_EQ(f.rec.writes().back(), "MSxS10SB0X");
    EXPECT_EQ(f.panel.caption, "Command = 0x10 STCVAD");
    EXPECT_EQ(f.panel.value, "  B0  |");
    EXPECT_EQ(f.panel.direction, "W R");
    for (int b = 0; b < 11; ++b) {
        const std::int16_t expect = b <= 2 ? 0 : 1; // boards beyond the last index untouched
        EXPECT_EQ(f.images.cellValid[b], expect) << b;
        EXPECT_EQ(f.images.flagValid[b], expect) << b;
    }
    EXPECT_TRUE(f.rec.reads().empty());

    f.proto.StartCellConversion(CellStartKind::STOWDC, "C");
    EXPECT_EQ(f.rec.writes().back(), "MSxS7C" + std::string("S") + CommandPec("7C") + "X");
    f.proto.StartTemperatureConversion("0");
    EXPECT_EQ(f.rec.writes().back(), "MSxS30S50X");
    EXPECT_EQ(f.panel.caption, "Command = 0x30 STTMPAD");
    f.proto.StartPoll(1);
    EXPECT_EQ(f.rec.writes().back(), "MSxS50S77"); // left open
    f.proto.StartPoll(0);
    EXPECT_EQ(f.rec.writes().back(), "MSxS40S07");
    EXPECT_EQ(f.panel.caption, "Command = 0x40 PLADC");
    f.proto.StartDiagnostic();
    EXPECT_EQ(f.rec.writes().back(), "MSxS52S79X");

    const TransferPanel before = f.panel;
    f.proto.SendKeepAlive();
    EXPECT_EQ(f.rec.writes().back(), "MSxS40S07X");
    EXPECT_EQ(f.panel.caption, before.caption);
    EXPECT_EQ(f.panel.value, before.value);
}

TEST(Reads, FramesAndReplyLengthsForOneAndTenBoards)
{
    struct Case {
        int boards;
        int groupOrKind; // -1 config, -2 flags, -3 temps, -4 diag, else group code
        std::string frameStart;
        std::size_t length;
    };
    const std::vector<Case> cases{
        {1, -1, "MSxT02TCE", 18}, {10, -1, "MSxT02TCE", 144}, {1, -2, "MSxT0CTE4", 12},
        {10, -3, "MSxT0ETEA", 124}, {10, -4, "MSxT54T6B", 64}, {1, 0, "MSxT04TDC", 42},
        {10, 0, "MSxT04TDC", 384}, {10, 1, "MSxT04TDC", 324}, {1, 2, "MSxT06TD2", 18},
        {1, 3, "MSxT08TF8", 18}, {1, 4, "MSxT0ATF6", 18}, {1, 5, "MSxT0ATF6", 12},
    };
    for (const auto& c : cases) {
        Fixture f(c.boards);
        switch (c.groupOrKind) {
        case -1: f.proto.ReadConfiguration(); break;
        case -2: f.proto.ReadFlags(); break;
        case -3: f.proto.ReadTemperatures(); break;
        case -4: f.proto.ReadDiagnostics(); break;
        default: f.proto.ReadCellVoltages(c.groupOrKind);
        }
        const std::string& frame = f.rec.writes().back();
        EXPECT_EQ(frame.substr(0, 9), c.frameStart);
        EXPECT_EQ(frame.back(), 'X');
        EXPECT_EQ(frame.size(), 10 + (c.length - 4) / 2) << c.frameStart; // one R per byte
        EXPECT_EQ(f.rec.reads().back(), c.length) << c.frameStart << " " << c.boards;
    }
}

TEST(Reads, TenBoardCellReadTakesCellTwelveOfTheLastBoardFromItsCharacters)
{
    Fixture f(10);
    f.allMeasuring();
    std::vector<BoardBytes> boards;
    for (int b = 0; b < 10; ++b) boards.push_back(PackCodes(Codes(0x100 * static_cast<unsigned>(b) + 1, 12)));
    std::string reply = ChainReply(boards);
    ASSERT_EQ(reply.size(), 384u);
    f.board.push(reply);
    f.proto.ReadCellVoltages(0);
    const int idx = RegisterImages::CellIndex(9, 12);
    const std::string expected{reply[380], reply[381], reply[378]}; // characters 381, 382, 379
    EXPECT_EQ(f.images.codeText[idx], expected);
    EXPECT_EQ(f.images.codeText[idx], "90C");
    EXPECT_FLOAT_EQ(f.images.measured[idx], static_cast<float>((0x90C - 512) * 0.0015));
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 1)], "001");
    for (int b = 0; b < 10; ++b) {
        EXPECT_EQ(f.images.pecStatus[b], kPecMatched);
        EXPECT_EQ(f.images.cellValid[b], 1);
        EXPECT_EQ(f.panel.ovalFill[b], qm::colour::kGreen);
    }
}

TEST(Reads, GroupCodesFillOnlyTheirCells)
{
    Fixture f(1);
    f.images.codeText[RegisterImages::CellIndex(0, 11)] = "ABC";
    f.images.codeText[RegisterImages::CellIndex(0, 12)] = "DEF";
    f.board.push(ChainReply({PackCodes({0x111, 0x222})}));
    f.proto.ReadCellVoltages(5);
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 9)], "111");
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 10)], "222");
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 11)], "ABC");
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 12)], "DEF");
    EXPECT_EQ(f.panel.lastKind, 7);
    EXPECT_EQ(f.panel.caption, "Command = 0x0A RDCVC");

    f.board.push(ChainReply({PackCodes({0x555, 0x556, 0x557, 0x558})}));
    f.proto.ReadCellVoltages(3);
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 5)], "555");
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(0, 8)], "558");
    EXPECT_EQ(f.panel.lastKind, 6);
}

TEST(Reads, CorruptedReplyIsShownAndInvalidatesButStillDecodes)
{
    Fixture f(2);
    f.allMeasuring();
    for (auto& v : f.images.flagValid) v = 1;
    f.board.push(ChainReply({PackCodes(Codes(0x800, 12)), PackCodes(Codes(0x900, 12))}, {1}));
    f.proto.ReadCellVoltages(0);
    EXPECT_EQ(f.images.pecStatus[0], kPecMatched);
    EXPECT_EQ(f.images.pecStatus[1], kPecMismatch);
    EXPECT_EQ(f.panel.ovalFill[1], qm::colour::kRed);
    EXPECT_EQ(f.images.cellValid[1], 0);
    EXPECT_EQ(f.images.flagValid[1], 0);
    EXPECT_EQ(f.images.codeText[RegisterImages::CellIndex(1, 1)], "900"); // rewritten all the same

    // The panel shows the current board's verdict.
    f.chain.currentBoard = 1;
    RedrawTransferPanel(f.panel, f.images, 1, 1);
    EXPECT_EQ(f.panel.valueBack, qm::colour::kRed);
    EXPECT_NE(f.panel.value.find(" != "), std::string::npos);
}

TEST(Reads, ConfigurationReadValidFollowsCdcEvenOnPecFailure)
{
    Fixture f(2);
    f.board.push(ChainReply({{0xE2, 0, 0, 0, 0, 0}, {0xE1, 0x01, 0, 0, 0x40, 0x80}}, {1}));
    f.proto.ReadConfiguration();
    EXPECT_EQ(f.images.pecStatus[1], kPecMismatch);
    EXPECT_EQ(f.images.configReadValid[0], 1);
    EXPECT_EQ(f.images.configReadValid[1], 1);
    EXPECT_EQ(f.images.readBack[1][0], "E1");
    EXPECT_EQ(f.images.readBack[1][5], "80");
    EXPECT_EQ(f.images.configReadBackFlag, 1);

    f.board.push(ChainReply({{0xE0, 0, 0, 0, 0, 0}, {0xE8, 0, 0, 0, 0, 0}}));
    f.proto.ReadConfiguration();
    EXPECT_EQ(f.images.configReadValid[0], 0);
    EXPECT_EQ(f.images.configReadValid[1], 0); // 10-cell bit alone is no measure mode
    EXPECT_EQ(f.images.pecStatus[0], kPecMatched); // RDCFG keeps its verdict in standby
}

TEST(Reads, OtherReadsOfAStandbyBoardHaveNoVerdictAndThermalMarkWins)
{
    Fixture f(2);
    f.images.configReadValid[1] = 1;
    f.images.thermalMark[1] = 1;
    f.board.push(ChainReply({{0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}}));
    f.proto.ReadFlags();
    EXPECT_EQ(f.images.pecStatus[0], kPecNoVerdict);
    EXPECT_EQ(f.panel.ovalFill[0], qm::colour::kWhite);
    EXPECT_EQ(f.images.pecStatus[1], kPecThermalMark);
    EXPECT_EQ(f.panel.ovalFill[1], qm::colour::kOrange);
    EXPECT_EQ(f.images.flagValid[0], 1);
    EXPECT_EQ(f.images.flagTexts[0][2], "00");
}

TEST(Reads, TemperatureDecodingAndThermalBitOnlyOnMatch)
{
    Fixture f(2);
    f.allMeasuring();
    // ETMP1 0x3E8, ETMP2 0x7D0, ITMP 0x640 with the thermal bit set (bit 4 of byte 4).
    BoardBytes hot = PackCodes({0x3E8, 0x7D0});
    hot.push_back(0x40);
    hot.push_back(0x16);
    f.board.push(ChainReply({hot, hot}, {1}));
    f.proto.ReadTemperatures();
    EXPECT_EQ(f.images.codeText[RegisterImages::TemperatureIndex(0, 1)], "3E8");
    EXPECT_EQ(f.images.codeText[RegisterImages::TemperatureIndex(0, 2)], "7D0");
    EXPECT_EQ(f.images.codeText[RegisterImages::TemperatureIndex(0, 3)], "640");
    EXPECT_EQ(f.images.thermalBit[0], 1);
    EXPECT_EQ(f.images.thermalBit[1], 0); // PEC failed: bit left alone
    EXPECT_EQ(f.images.temperatureValid[0], 1);
    EXPECT_EQ(f.images.temperatureValid[1], 0);
    EXPECT_EQ(f.images.codeText[RegisterImages::TemperatureIndex(1, 3)], "640"); // decoded anyway

    // Not in measure mode: the temperatures are not valid even with a good PEC.
    f.images.configReadValid[0] = 0;
    f.board.push(ChainReply({hot, hot}));
    f.proto.ReadTemperatures();
    EXPECT_EQ(f.images.temperatureValid[0], 0);
}

TEST(Reads, DiagnosticsKeepRevisionOnPecFailureButReplaceReference)
{
    Fixture f(2);
    f.allMeasuring();
    f.board.push(ChainReply({{0x00, 0x8A}, {0x00, 0x6A}}));
    f.proto.ReadDiagnostics();
    EXPECT_FLOAT_EQ(f.images.diag[0].referenceVolts, 3.072f);
    EXPECT_EQ(f.images.diag[0].revision, 2);
    EXPECT_EQ(f.images.diag[0].muxFail, 0);
    EXPECT_EQ(f.images.diag[1].revision, 1);
    EXPECT_EQ(f.images.diag[1].muxFail, 1);

    f.board.push(ChainReply({{0x00, 0x08}, {0x00, 0xF8}}, {0, 1}));
    f.proto.ReadDiagnostics();
    EXPECT_EQ(f.images.diag[0].revision, 2);
    EXPECT_EQ(f.images.diag[1].muxFail, 1);
    EXPECT_FLOAT_EQ(f.images.diag[0].referenceVolts, static_cast<float>((0x800 - 512) * 0.0015));
}

TEST(Reads, AbsentBoardGivesZeroCodesAndMismatches)
{
    qm::link::NullDevice absent;
    RegisterImages images;
    TransferPanel panel;
    ChainSelection chain{3, 0};
    ChainProtocol proto(absent, images, panel, chain);
    proto.ReadCellVoltages(0);
    for (int b = 0; b < 4; ++b) EXPECT_EQ(images.pecStatus[b], kPecMismatch);
    EXPECT_FLOAT_EQ(images.measured[RegisterImages::CellIndex(3, 12)], -0.768f);
}

TEST(TransferPanel, ViewsAndRedraw)
{
    Fixture f(2);
    // RDCFG where board 0 returned 3A but 5C was computed.
    f.images.config.pec[0] = 0x3A;
    f.images.config.computed[0] = 0x5C;
    ShowRead(f.panel, f.images, ReadKind::Config, 0);
    EXPECT_EQ(f.panel.value, "  CE  | 3A  !=  5C");
    EXPECT_EQ(f.panel.valueBack, 255);
    EXPECT_EQ(f.panel.lastKind, 3);

    f.images.writtenDataPec[1] = 0x0E;
    ShowConfigurationWrite(f.panel, f.images, 1);
    EXPECT_EQ(f.panel.value, "  C7  |  E  |");
    EXPECT_EQ(f.panel.headerTop, "| SENT | SENT  |");

    // After a start command a change of board brings back the last read.
    f.images.flags.pec[1] = f.images.flags.computed[1] = 0x07;
    ShowRead(f.panel, f.images, ReadKind::Flags, 0);
    f.proto.StartCellConversion(CellStartKind::STCVAD, "0");
    EXPECT_EQ(f.panel.direction, "W R");
    RedrawTransferPanel(f.panel, f.images, 1, 1);
    EXPECT_EQ(f.panel.caption, "Command = 0x0C RDFLG");
    EXPECT_EQ(f.panel.value, "  E4  |  07 == 07");

    f.panel.lastKind = kPanelNone;
    RedrawTransferPanel(f.panel, f.images, 1, 1);
    EXPECT_EQ(f.panel.value, "");
    EXPECT_EQ(f.panel.valueBack, qm::colour::kSysWindow);
    EXPECT_EQ(f.panel.ovalFill[1], qm::colour::kSysWindow);
    EXPECT_EQ(f.panel.ovalFill[2], qm::colour::kWhite); // beyond the last board: untouched
}

TEST(ConfigurationWrite, FrameOrderPecAndWrittenCopy)
{
    Fixture f(1);
    f.proto.WriteConfiguration();
    EXPECT_EQ(f.rec.writes().back(), "MSxT01SC7SE0S00S00S00S00S00SFEX");
    EXPECT_TRUE(f.rec.reads().empty());
    EXPECT_EQ(f.images.written[0][0], "E0");
    EXPECT_EQ(f.panel.caption, "Command = 0x01 WRCFG");

    Fixture g(3);
    g.images.configReadBackFlag = 1;
    g.images.pending[0] = {"E9", "01", "02", "03", "04", "05"};
    g.images.pending[2] = {"E2", "AA", "BB", "CC", "DD", "EE"};
    g.images.pending[3] = {"FF", "FF", "FF", "FF", "FF", "FF"}; // beyond the chain: not sent
    g.proto.WriteConfiguration();
    const std::string& frame = g.rec.writes().back();
    EXPECT_EQ(frame.rfind("MSxT01SC7SE2SAASBBSCCSDDSEES", 0), 0u);
    EXPECT_NE(frame.find("SE9S01S02S03S04S05S" + ConfigDataPec(g.images, 0) + "X"), std::string::npos);
    EXPECT_EQ(frame.size(), 9 + 3 * 21 + 1);
    EXPECT_EQ(g.images.configReadBackFlag, 0);
    EXPECT_EQ(g.images.written[2][1], "AA");
    EXPECT_TRUE(g.images.written[3][0].empty());
    EXPECT_EQ(g.images.writtenTenCellFlag, 1); // current board 0 was written E9: 10-cell bit set
}

TEST(Reads, ASelectionOutsideTheChainIsHeldToTenBoards)
{
    Fixture f(1);
    f.chain.lastBoardIndex = 14;
    f.chain.currentBoard = -3;
    f.images.measured[RegisterImages::TemperatureIndex(0, 1)] = 1.5f;
    f.proto.ReadCellVoltages(0);
    EXPECT_EQ(f.rec.reads().back(), 384u); // ten boards, no more
    EXPECT_FLOAT_EQ(f.images.measured[RegisterImages::TemperatureIndex(0, 1)], 1.5f); // not overwritten
    f.proto.WriteConfiguration();
    EXPECT_EQ(f.rec.writes().back().size(), 9u + 10 * 21 + 1);
}
