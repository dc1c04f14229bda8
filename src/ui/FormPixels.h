#pragma once
// Geometry helpers for the Form builders: window-level rectangles are given
// in pixels, panel rectangles in the panel's units; P() writes a panel
// rectangle from pixel values.
#include "ui/controls/Control.h"

namespace qm::ui::layout {

constexpr int kUnits = kPanelUnitsPerPixel;

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
