#include "acquisition/KeepAlive.h"

#include "protocol/ByteText.h"

namespace qm::acquisition {

namespace {
void ShowText(KeepAliveIndication& ind, const std::string& text, std::int32_t back)
{
    ind.messageCaption = text;
    ind.messageBack = back;
    ind.messageFontSize = kNoticeFontSize;
}
} // namespace

const std::string& CycleText()
{
    static const std::string text = " COMMANDS BEING SENT CONTINUOUSLY." + std::string(26, ' ') + " PREVENTS WATCHDOG TIMEOUT.";
    return text;
}

const std::string& PollText()
{
    static const std::string text = " POLL ADC BEING SENT." + std::string(61, ' ') + " PREVENTS WATCHDOG TIMEOUT.";
    return text;
}

bool AnyBoardWrittenMeasuring(const protocol::RegisterImages& images, int lastBoardIndex)
{
    for (int b = 0; b <= lastBoardIndex && b < protocol::kMaxBoards; ++b)
        if ((protocol::ByteFromText(images.written[static_cast<std::size_t>(b)][0]) & 0x07) != 0) return true;
    return false;
}

void EvaluateKeepAlive(AcquisitionState& state, const protocol::RegisterImages& images, int lastBoardIndex)
{
    if (AnyBoardWrittenMeasuring(images, lastBoardIndex)) {
        state.keepAliveActive = 1;
        state.keepAlivePhase = 3;
    } else {
        state.keepAliveActive = 0;
    }
}

bool KeepAliveDue(const AcquisitionState& state)
{
    const int phase = state.keepAlivePhase;
    return state.keepAliveActive == 1 && (phase == 1 || phase == 3 || phase == 5);
}

void KeepAliveDisplay(AcquisitionState& state, const protocol::RegisterImages& images, int lastBoardIndex,
                      int currentCdc)
{
    KeepAliveIndication& ind = state.indication;
    const bool measuring = AnyBoardWrittenMeasuring(images, lastBoardIndex);

    if (state.keepAliveActive == 0) {
        state.keepAlivePhase = 0;
        if (ind.messageVisible && ind.messageBack != kStandbyNoticeBack) ind.messageVisible = false;
    }
    if (state.keepAlivePhase == 0) {
        ind.wdtServiceVisible = false;
        ind.pollButtonLeft = 796;
        ind.pollButtonWidth = 97;
    }
    if (state.keepAliveActive == 1) {
        if (ind.messageVisible) {
            if (ind.messageBack == kCycleTextBack) ShowText(ind, PollText(), kPollTextBack);
            else if (ind.messageBack == kStandbyNoticeBack && currentCdc > 0) ShowText(ind, PollText(), kPollTextBack);
        } else {
            ind.messageVisible = true;
            ShowText(ind, PollText(), kPollTextBack);
        }
        if (state.keepAlivePhase == 3) {
            ind.wdtServiceVisible = true;
            ind.pollButtonLeft = 804;
            ind.pollButtonWidth = 81;
        }
        state.keepAlivePhase = static_cast<std::int16_t>(state.keepAlivePhase + 1);
        if (state.keepAlivePhase == 6) state.keepAlivePhase = 0;
    }
    if (state.continuousActive == 1 && !ind.messageVisible && measuring) {
        ind.messageVisible = true;
        ShowText(ind, CycleText(), kCycleTextBack);
    }
}

void PostStandbyNotice(KeepAliveIndication& indication, const std::string& notice)
{
    indication.messageVisible = true;
    ShowText(indication, notice, kStandbyNoticeBack);
}

} // namespace qm::acquisition
