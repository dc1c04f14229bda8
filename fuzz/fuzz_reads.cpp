// Fuzz target: whatever the controller answers, to whatever the operator does.
//
// Input layout:
//   byte 0      boards in the chain, 1 + (byte % 10)
//   byte 1      number of operator actions, 1 + (byte % 64)
//   then        one byte for each choice the operator makes, as many as the
//               actions need (past the end of the input every choice is 0)
//   after '|'   the controller's replies, one per read, separated by line
//               ends and taken in turn ("IZ" is always answered as a
//               supported board)
//
// The session starts, writes a configuration for the boards, starts the
// continuous cycle and then acts as the input says. After every action every
// register read and write is checked against the reply it got (received bytes
// and verdicts as cut from the reply, validity flags following the verdicts,
// decoded values, boards beyond the chain untouched), and the state against
// its ranges (status codes 0..10, display texts printable and of their widths,
// the view agreeing with the state).
#include <cstdint>
#include <string>

#include "FuzzSupport.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const auto bar = all.find('|');
    const std::string_view choices = all.substr(0, bar);
    const std::string_view replies = bar == std::string_view::npos ? std::string_view{} : all.substr(bar + 1);

    fuzz::InputReader input(reinterpret_cast<const std::uint8_t*>(choices.data()), choices.size());
    const int boards = 1 + input.byte() % 10;
    const int actions = 1 + input.byte() % 64;
    fuzz::ReplyingController controller(replies);
    fuzz::CheckedSession checked(controller);
    auto& s = checked.session;
    test::Operator op(s, [&input] { return static_cast<unsigned>(input.byte()); });

    checked.run([&] { s.OnLoad(); }, "start-up");
    checked.run([&] { s.OnBoardCountChosen(boards - 1); }, "the board count");
    checked.run([&] { s.EnterThreshold(1, "4.2"); }, "a threshold entry");
    checked.run([&] { s.OnCdcArrow(1); }, "the duty cycle");
    checked.run([&] { s.OnCommandButton(5); }, "the configuration write");
    checked.run([&] { s.OnCommandButton(10); }, "the start of the cycle");
    for (int a = 0; a < actions && !s.closed(); ++a)
        checked.run([&] { op.act([&] { s.OnTimerTick(); }); }, "an action");
    return 0;
}
