#pragma once
// Transactions with the controller board and cutting of reply text into bytes.
//
// Every transaction is complete in itself: open device 0, set the time-outs,
// write the command text, optionally read, close. Nothing is held in between.
#include <cstdint>
#include <string>
#include <string_view>

#include "link/Device.h"

namespace qm::link {

constexpr std::size_t kReplyBufferSize = 512;
constexpr int kChipReadTimeoutMs = 1000;
constexpr int kChipWriteTimeoutMs = 1000;
constexpr int kDeviceIndex = 0;

// Writes command, reads up to replyLength bytes and returns the 512-character
// reply buffer: the received bytes first, NUL characters after them. A
// replyLength outside 0..512 is clamped to that range so that no board can make
// the tool read past its buffer.
std::string TransactWithReply(Device& device, std::string_view command, std::int16_t replyLength);

// Open, time-outs, write, close; returns the close status (callers ignore it).
std::int32_t TransactWriteOnly(Device& device, std::string_view command);

// "MI": leaves the controller's SPI lines forced high (low-current standby).
void SendStandbyLines(Device& device);
// "MSX": ends a poll frame that was left open.
void ClosePollFrame(Device& device);

// Reply cutting. Characters are numbered from 1; the first four (the answers to
// the two "T" tokens of a read frame) are skipped. Board b's byte k (k = n is
// its PEC byte) of a read with n data bytes per board starts at character
// 5 + b*2*(n+1) + 2k.
constexpr int ReplyBytePosition(int board, int k, int n) { return 5 + board * 2 * (n + 1) + 2 * k; }

// The two characters at 1-based position pos (missing characters read as NUL).
std::string_view ReplyChars(std::string_view reply, int pos, int count = 2);
// The byte at 1-based position pos, read as hex text.
std::uint8_t ReplyByteAt(std::string_view reply, int pos);
// Board b's byte k of a read with n data bytes per board.
inline std::uint8_t ReplyByte(std::string_view reply, int board, int k, int n)
{
    return ReplyByteAt(reply, ReplyBytePosition(board, k, n));
}

} // namespace qm::link
