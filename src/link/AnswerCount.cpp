#include "link/AnswerCount.h"

namespace qm::link {

std::size_t AnsweredCharacters(std::string_view command)
{
    std::size_t answered = 0;
    std::size_t i = 0;
    while (i < command.size()) {
        const char c = command[i];
        if (c == 'M' && i + 1 < command.size() && (command[i + 1] == 'S' || command[i + 1] == 'I')) {
            i += 2; // "MS", "MI": no answer
        } else if (c == 'I' && i + 1 < command.size() && command[i + 1] == 'Z') {
            i += 2; // identification: its text is read by the identification itself
        } else if (c == 'S' || c == 'T') {
            if (c == 'T') answered += 2;
            i += 3; // token and its two hex digits
        } else {
            if (c == 'R') answered += 2;
            ++i; // "R", "x", "X" and anything the board ignores
        }
    }
    return answered;
}

} // namespace qm::link
