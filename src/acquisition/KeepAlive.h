#pragma once
// The keep-alive poll that services the chips' watchdog while some board was
// written with a non-zero comparator duty cycle and no cycle runs, and its
// indication: the message label, " WDT SERVICE" blinking three ticks on and
// three off, and "POLL ADC" shrinking while it shows.
#include <string>

#include "acquisition/AcquisitionState.h"
#include "protocol/RegisterImages.h"

namespace qm::acquisition {

inline constexpr std::int32_t kStandbyNoticeBack = 12648447;
inline constexpr std::int32_t kCycleTextBack = 12648384;
inline constexpr std::int32_t kPollTextBack = 12640511;
inline constexpr int kNoticeFontSize = 9;

// " COMMANDS BEING SENT CONTINUOUSLY." + 26 blanks + " PREVENTS WATCHDOG TIMEOUT."
const std::string& CycleText();
// " POLL ADC BEING SENT." + 61 blanks + " PREVENTS WATCHDOG TIMEOUT."
const std::string& PollText();

// 1 when some board 0..last has a non-zero CDC field in CFGR0 of its written
// configuration copy.
bool AnyBoardWrittenMeasuring(const protocol::RegisterImages& images, int lastBoardIndex);

// Keep-alive on (phase 3, so the next tick polls) when some board was written
// measuring, off otherwise.
void EvaluateKeepAlive(AcquisitionState& state, const protocol::RegisterImages& images, int lastBoardIndex);

// True when this tick sends the PLADC keep-alive (phases 1, 3 and 5).
bool KeepAliveDue(const AcquisitionState& state);

// One tick of the indication; currentCdc is the CDC value of the current board.
void KeepAliveDisplay(AcquisitionState& state, const protocol::RegisterImages& images, int lastBoardIndex,
                      int currentCdc);

// Puts the standby notice on the message label (the duty-cycle editor shows it
// while the current board's CDC is 0).
void PostStandbyNotice(KeepAliveIndication& indication, const std::string& notice);

} // namespace qm::acquisition
