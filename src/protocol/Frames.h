#pragma once
// Frames in the controller's command language. A chip frame starts with "MS"
// and "x" (frame open) and normally ends with "X" (frame closed); "S"hh only
// clocks a byte out, "T"hh clocks it out and answers two hex characters, "R"
// clocks 0xFF out and answers the byte clocked back.
#include <string>
#include <string_view>

namespace qm::protocol {

// "MSxS" + cmd + "S" + pec + "X": start, diagnostic and keep-alive commands.
std::string SendFrame(std::string_view commandByteText);
// "MSxS" + cmd + "S" + pec without "X": a poll frame left open until "MSX".
std::string PollFrame(std::string_view commandByteText);
// "MSxT" + cmd + "T" + pec, then "R" x (n + 1) per board, then "X".
std::string ReadFrame(std::string_view commandByteText, int bytesPerBoard, int boards);
// Characters a read frame is answered with: 4 + boards * 2 * (n + 1).
int ReadReplyLength(int bytesPerBoard, int boards);

} // namespace qm::protocol
