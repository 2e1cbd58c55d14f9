#pragma once
// The screen's resolution against the 96 pixels an inch the design was drawn
// at: design sizes are turned into this screen's pixels through it.
#include <cmath>

struct ScreenScale {
    float factor = 1.0f;

    int pixels(int designPixels) const { return int(std::nearbyint(designPixels * factor)); } // ties to even
};
