#pragma once
// How the session tells a window what to show. Every call only paints or
// reports; a display never decides and the session never asks it anything.
// The window's display copies the view of the application state onto its
// controls; the command-line tool and the tests use displays that record.
#include <cstdint>
#include <string>

#include "acquisition/AppState.h"

namespace qm::acquisition {

// Why the window closes.
enum class CloseReason { None, Exit, NoBoardAtStart, BoardLost };

// A control the keyboard focus can be handed to after a command.
struct FocusTarget {
    enum class Array { Command1, Command5, Command7 };
    Array array = Array::Command1;
    int index = 0;
    friend bool operator==(const FocusTarget&, const FocusTarget&) = default;
};

class Display {
public:
    virtual ~Display() = default;
    // Copy the areas (a set of Area bits) of the state's view onto the window.
    virtual void paint(const AppState& state, std::uint32_t areas) = 0;
    virtual void moveFocus(FocusTarget target) = 0;
    // A message box with only OK and the application's title; returns when it
    // was closed. Timer ticks may run while it waits.
    virtual void showMessage(const std::string& text) = 0;
    // Unload the window; the program ends.
    virtual void close(CloseReason reason) = 0;
};

// A display that shows nothing (benchmarks, a session without a window).
class NullDisplay : public Display {
public:
    void paint(const AppState&, std::uint32_t) override {}
    void moveFocus(FocusTarget) override {}
    void showMessage(const std::string&) override {}
    void close(CloseReason) override {}
};

} // namespace qm::acquisition
