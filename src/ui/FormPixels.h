#pragma once
// Geometry helpers for the Form builders: window-level rectangles are given
// in pixels, panel rectangles in the panel's units; P() writes a panel
// rectangle from pixel values.
#include "ui/controls/Control.h"

namespace qm::ui::layout {

constexpr int kUnits = kPanelUnitsPerPixel;

// Board focus buttons: board i (0..9) at top kBoardButtonTop - kBoardSlot*i,
// kBoardButtonHeight tall, so board 1 is lowest and board 10 highest; the board
// tab behind them spans the visible ones.
constexpr int kBoardButtonTop = 532;
constexpr int kBoardSlot = 40;
constexpr int kBoardButtonHeight = 41;

// A panel-internal rectangle given in pixels, returned in panel units.
constexpr Bounds P(int x, int y, int width, int height)
{
    return Bounds{x * kUnits, y * kUnits, width * kUnits, height * kUnits};
}

// A window-level rectangle (pixels).
constexpr Bounds W(int x, int y, int width, int height)
{
    return Bounds{x, y, width, height};
}

} // namespace qm::ui::layout
