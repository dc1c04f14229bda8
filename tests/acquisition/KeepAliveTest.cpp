#include <gtest/gtest.h>

#include <vector>

#include "acquisition/CommandTexts.h"
#include "acquisition/KeepAlive.h"
#include "protocol/Colours.h"

using namespace qm::acquisition;
using qm::protocol::RegisterImages;

TEST(KeepAlive, EvaluatedFromTheWrittenCopyOfBoardsInUse)
{
    RegisterImages images;
    AcquisitionState state;
    images.written[0][0] = "E0";
    images.written[1][0] = "E1";
    EvaluateKeepAlive(state, images, 1);
    EXPECT_EQ(state.keepAliveActive, 1);
    EXPECT_EQ(state.keepAlivePhase, 3);
    EvaluateKeepAlive(state, images, 0); // board 1 not in use
    EXPECT_EQ(state.keepAliveActive, 0);
    images.written[0][0] = "E8"; // 10-cell bit alone is standby
    EvaluateKeepAlive(state, images, 0);
    EXPECT_EQ(state.keepAliveActive, 0);
    images.written[0][0] = ""; // never written
    EXPECT_FALSE(AnyBoardWrittenMeasuring(images, 0));
}

TEST(KeepAlive, PollsOnOddPhasesAndBlinksThreeTicksOnThreeOff)
{
    RegisterImages images;
    images.written[0][0] = "E2";
    AcquisitionState state;
    EvaluateKeepAlive(state, images, 0);
    std::vector<bool> polls, wdt, shrunk;
    for (int tick = 0; tick < 12; ++tick) {
        polls.push_back(KeepAliveDue(state));
        KeepAliveDisplay(state, images, 0, 2);
        wdt.push_back(state.indication.wdtServiceVisible);
        shrunk.push_back(state.indication.pollButtonWidth == 81);
    }
    // Phases run 3,4,5,0,1,2,...: poll on 3,5,1; WDT SERVICE up during 3,4,5.
    EXPECT_EQ(polls, (std::vector<bool>{true, false, true, false, true, false, true, false, true, false, true, false}));
    EXPECT_EQ(wdt, (std::vector<bool>{true, true, true, false, false, false, true, true, true, false, false, false}));
    EXPECT_EQ(wdt, shrunk);
    EXPECT_TRUE(state.indication.messageVisible);
    EXPECT_EQ(state.indication.messageCaption, PollText());
    EXPECT_EQ(state.indication.messageBack, kPollTextBack);
    EXPECT_EQ(state.indication.messageFontSize, 9);
}

TEST(KeepAlive, MessageTextsFollowCycleStandbyAndPoll)
{
    RegisterImages images;
    images.written[0][0] = "E1";
    AcquisitionState state;
    // The cycle runs: keep-alive off, the cycle text stays up tick after tick.
    state.continuousActive = 1;
    for (int i = 0; i < 3; ++i) KeepAliveDisplay(state, images, 0, 1);
    EXPECT_TRUE(state.indication.messageVisible);
    EXPECT_EQ(state.indication.messageCaption, CycleText());
    EXPECT_EQ(CycleText().size(), 34u + 26u + 27u);
    EXPECT_EQ(PollText().size(), 21u + 61u + 27u);

    // The standby notice stays while the keep-alive is off...
    state.continuousActive = 0;
    PostStandbyNotice(state.indication, "notice");
    KeepAliveDisplay(state, images, 0, 0);
    EXPECT_TRUE(state.indication.messageVisible);
    EXPECT_EQ(state.indication.messageCaption, "notice");
    // ...and gives way to the poll text once the current board measures.
    EvaluateKeepAlive(state, images, 0);
    KeepAliveDisplay(state, images, 0, 0);
    EXPECT_EQ(state.indication.messageCaption, "notice");
    KeepAliveDisplay(state, images, 0, 1);
    EXPECT_EQ(state.indication.messageCaption, PollText());
}

TEST(CommandTexts, ToolTipsAndSelfTestExpectations)
{
    EXPECT_EQ(ContinuousToolTip(2), "CONTINUOUS  READ 1) STCVDC 2) RDCV 3) STTMPAD 4) RDTMP 5) RDFLG");
    const auto clear = SelfTestToolTips(2);
    EXPECT_EQ(clear[0], "0x1D STCVAD CLEAR (FF) ALL");
    EXPECT_EQ(clear[6], "0x7D STOWDC CLEAR (FF) ALL");
    EXPECT_EQ(SelfTestToolTips(1)[2], "0x3F STTMPAD SELF TEST2 ALL");
    EXPECT_EQ(SelfTestToolTips(0)[5], "0x6E STCVDC SELF TEST1 ALL");
    EXPECT_EQ(ExpectedCellSelfTestText("E"), "0x555 ");
    EXPECT_EQ(ExpectedTemperatureSelfTestText("E"), " 0x555 ");
    EXPECT_EQ(ExpectedCellSelfTestText("D"), "0xFFF ");
}

TEST(CommandTexts, DiagnosticPanel)
{
    RegisterImages images;
    images.diagnostics.data[0] = {0x05, 0x6A};
    images.diagnostics.pec[0] = images.diagnostics.computed[0] = 0x11;
    images.diag[0] = {3.072f, 1, 1};
    DiagnosticPanel p = ShowDiagnostics(images, 0);
    EXPECT_EQ(p[0].text, "   05   ");
    EXPECT_EQ(p[1].text, "   6A   ");
    EXPECT_EQ(p[2].text, "   B    ");
    EXPECT_EQ(p[3].text, " FAIL");
    EXPECT_EQ(*p[3].back, 255);
    EXPECT_EQ(p[4].text, "3.0720V ");
    images.diag[0].muxFail = 0;
    EXPECT_EQ(*ShowDiagnostics(images, 0)[3].back, qm::colour::kGreen);

    images.diagnostics.pec[0] = 0x12; // mismatch: question marks, reference still shown
    p = ShowDiagnostics(images, 0);
    EXPECT_EQ(p[2].text, "   ?    ");
    EXPECT_EQ(p[3].text, " ????");
    EXPECT_EQ(*p[3].back, qm::colour::kWhite); // never the green of an earlier PASS
    EXPECT_EQ(p[4].text, "3.0720V ");
    EXPECT_EQ(ReferenceVoltsText(-0.768f), "-0.7680V ");

    const DiagnosticPanel c = ClearDiagnostics();
    EXPECT_EQ(c[0].text, "");
    EXPECT_EQ(c[4].text, " 0.0000V ");
    EXPECT_EQ(*c[4].back, qm::colour::kSysWindowText);
    EXPECT_EQ(*c[4].fore, qm::colour::kWhite);
}
