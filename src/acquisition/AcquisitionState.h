#pragma once
// Flags of the acquisition: the continuous cycle, the keep-alive poll, the
// standby, the raw-code views and the self-test checks, plus the two flags the
// link keeps between transactions. All start as the window opens them.
#include <cstdint>
#include <string>

#include "protocol/Colours.h"
#include "protocol/CommandBytes.h"

namespace qm::acquisition {

// The message label shared by the keep-alive notices and the standby notice,
// and the " WDT SERVICE" indication behind "POLL ADC".
struct KeepAliveIndication {
    bool messageVisible = false;
    std::int32_t messageBack = colour::kMintGreen;
    std::string messageCaption;
    int messageFontSize = 0;   // 0: the design font size
    bool wdtServiceVisible = false; // Label_KA(0) and Shape_KA
    int pollButtonLeft = 796;
    int pollButtonWidth = 97;
};

struct AcquisitionState {
    std::int16_t continuousActive = 0;
    std::int16_t cycleStep = 0;
    protocol::CellStartKind continuousStart = protocol::CellStartKind::STCVAD;
    std::string cellSelector = "0";
    std::string temperatureSelector = "0";
    std::int16_t keepAliveActive = 0;
    std::int16_t keepAlivePhase = 0;
    std::int16_t lowCurrentStandby = 0;
    std::int16_t cellHexView = 0;
    std::int16_t temperatureHexView = 0;

    // Self test: the selector of the start buttons and the two pending checks
    // (-1 pending, 0 not).
    std::string selfTestSelector = "E";
    std::int16_t cellSelfTestPending = 0;
    std::int16_t temperatureSelfTestPending = 0;

    // Link: 1 while a poll frame may still be open; -1 while the board answers
    // with a known identification.
    std::int16_t openPoll = 0;
    std::int16_t boardRecognised = 0;
    std::string identification = "QM741X-X";

    KeepAliveIndication indication;
};

} // namespace qm::acquisition
