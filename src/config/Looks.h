#pragma once
// How the configuration fields look while an edit is pending and once it has
// been written, and the two looks of the "WRITE CONFIG" button.
#include <cstdint>
#include <string>

#include "protocol/Colours.h"

namespace qm::config {

using Colour = std::int32_t;

// Text colour on background colour of an entry field.
struct FieldLook {
    Colour fore = 0;
    Colour back = 0;
    friend bool operator==(const FieldLook&, const FieldLook&) = default;
};

// A value that is not written yet: dark cyan on light grey.
inline constexpr FieldLook kPendingLook{colour::kDarkCyan, colour::kLightGrey};
// A value that matches the chain: window text on white.
inline constexpr FieldLook kWrittenLook{colour::kSysWindowText, colour::kWhite};

inline constexpr FieldLook LookFor(bool pending) { return pending ? kPendingLook : kWrittenLook; }

// "WRITE CONFIG" (Command1(5)): while an edit is pending the button shrinks
// about its centre and the light-yellow frame Shape14 shows around it.
struct WriteButtonLook {
    std::string caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool frameVisible = false; // Shape14
    friend bool operator==(const WriteButtonLook&, const WriteButtonLook&) = default;
};

WriteButtonLook WriteButtonLookFor(bool configChanged);

} // namespace qm::config
