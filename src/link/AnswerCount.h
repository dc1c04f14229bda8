#pragma once
// How many characters the controller board answers a command text with: two
// for every "T"hh and every "R" token. A write-only transaction whose frame
// holds a "T" token (the configuration write) leaves that answer on the line;
// the tty and USB back ends drain what a transaction was owed before they close
// it, so a late answer can never be read as the start of the next reply.
#include <cstddef>
#include <string_view>

namespace qm::link {

std::size_t AnsweredCharacters(std::string_view command);

// Upper bound on the wait for owed characters when a transaction closes.
inline constexpr int kDrainTimeoutMs = 50;

} // namespace qm::link
