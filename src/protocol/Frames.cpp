#include "protocol/Frames.h"

#include "protocol/Pec.h"

namespace qm::protocol {

std::string PollFrame(std::string_view commandByteText)
{
    std::string frame = "MSxS";
    frame += commandByteText;
    frame += 'S';
    frame += CommandPec(commandByteText);
    return frame;
}

std::string SendFrame(std::string_view commandByteText) { return PollFrame(commandByteText) + "X"; }

std::string ReadFrame(std::string_view commandByteText, int bytesPerBoard, int boards)
{
    std::string frame = "MSxT";
    frame += commandByteText;
    frame += 'T';
    frame += CommandPec(commandByteText);
    const auto perBoard = static_cast<std::size_t>(bytesPerBoard + 1);
    frame.append(perBoard * static_cast<std::size_t>(boards > 0 ? boards : 0), 'R');
    frame += 'X';
    return frame;
}

int ReadReplyLength(int bytesPerBoard, int boards) { return 4 + boards * 2 * (bytesPerBoard + 1); }

} // namespace qm::protocol
